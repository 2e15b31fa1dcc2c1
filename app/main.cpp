// SPDX-License-Identifier: GPL-3.0-or-later
// rondel: the desktop program. The composition root: the shell runs the view it is handed.
#include <QApplication>

#include <iostream>

#include "platform/exe_path.h"
#include "platform/prompt.h"
#include "platform/temporary_cleanup.h"
#include "platform/qt/icons.h"
#include "platform/qt/qt_prompter.h"
#include "shell/language.h"
#include "shell/program_help.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/print_to_pdf.h"
#include "shell/qt/prompt_script.h"
#include "shell/qt/rondel_app.h"
#include "view/rondel_view.h"

int main(int argc, char** argv) {
  // --help and --version answer before the toolkit starts: no window, no display needed.
  if (const rondel::InfoRequest info = rondel::FindInfoRequest({argv + 1, argv + argc});
      info != rondel::InfoRequest::None) {
    rondel::WriteProgramInfo(info, rondel::HelpLanguagePath(rondel::ExecutableDir()), std::cout);
    return 0;
  }
  // Ctrl+C or a kill in the middle of a save leaves no temporary file behind.
  rondel::InstallTemporaryCleanup();
  // A printout for the command line runs without a window, and ends when it is written.
  if (rondel::WantsPrintToPdf(argc, argv))
    return rondel::RunPrintToPdf(argc, argv, rondel::CreateRondelView);

  QApplication qtApp(argc, argv);
  QApplication::setWindowIcon(rondel::RondelAppIcon());

  rondel::CQtPrompter dialogs(nullptr,
                              [](std::string_view key) { return rondel::GetLangString(key); });
  const std::unique_ptr<rondel::Prompter> script = rondel::PromptScriptFromEnvironment();
  rondel::SetPrompter(script ? script.get() : static_cast<rondel::Prompter*>(&dialogs));

  int status = 1;
  {
    rondel::CRondelApp app(rondel::CreateRondelView);
    // The bytes as given, not QApplication::arguments(): a file name is bytes on Linux, and one
    // that is not UTF-8 (copied from a Chinese Windows system) would not survive a QString.
    // QApplication has already taken its own options out of argv.
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A start that ends at once is a failure, not a run that went well.
    if (app.InitInstance(args)) {
      dialogs.SetParent(app.MainFrame());
      status = QApplication::exec();
    }
  }
  rondel::SetPrompter(nullptr);
  return status;
}
