// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/print_to_pdf.h"

#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <vector>

#include "core/data_file.h"
#include "platform/atomic_file.h"
#include "platform/dialogs/print_cycle.h"
#include "platform/locale_paper.h"
#include "platform/prompt.h"
#include "shell/language.h"
#include "shell/qt/form_view.h"
#include "shell/qt/main_frame.h"

namespace rondel {
namespace {

constexpr const char* kProgramName = "rondel";

// Nobody sits at a printout for the command line: what a message box would have said goes to
// stderr, a question is answered as its safe choice, and no file is ever chosen.
class CStderrPrompter : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& request) override {
    std::string text = request.text;
    for (char& c : text)
      if (c == '\n') c = ' ';
    std::cerr << kProgramName << ": " << text << std::endl;
    return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
  }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest&) override { return {}; }
};

void Complain(const char* key, const std::string& detail) {
  std::cerr << kProgramName << ": " << GetLangString(key);
  if (!detail.empty()) std::cerr << " " << detail;
  std::cerr << std::endl;
}

}  // namespace

bool WantsPrintToPdf(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (argv[i] != nullptr && std::strcmp(argv[i], kPrintToPdfOption) == 0) return true;
  return false;
}

PrintToPdfRequest ParsePrintToPdf(const std::vector<std::string>& args) {
  PrintToPdfRequest request;
  bool sawOption = false;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == kPrintToPdfOption && !sawOption) {
      sawOption = true;
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        request.wrongArgument = a;
        return request;
      }
      request.out = args[++i];
    } else if (a.empty() || a[0] == '-') {
      request.wrongArgument = a.empty() ? "\"\"" : a;
      return request;
    } else {
      files.push_back(a);
    }
  }
  if (!sawOption) {
    request.wrongArgument = kPrintToPdfOption;
  } else if (files.size() > 1) {
    request.wrongArgument = files[1];
  } else if (!files.empty()) {
    request.file = files[0];
  }
  return request;
}

QPageSize DefaultPaperSize() {
  if (const std::optional<PaperSizeMm> paper = LocalePaperSize()) {
    const QSizeF size(paper->width, paper->height);
    // The locale gives whole millimetres: Letter's 215.9 × 279.4 arrive as 216 × 279.
    const QPageSize::PageSizeId id = QPageSize::id(size, QPageSize::Millimeter, QPageSize::FuzzyMatch);
    if (id != QPageSize::Custom) return QPageSize(id);
    return QPageSize(size, QPageSize::Millimeter);
  }
  return QPageSize(QPageSize::A4);
}

int PrintToPdf(CRondelApp& app, const PrintToPdfRequest& request) {
  std::vector<std::string> start;
  // An unusable command line opens nothing; the settings still come first, for the language.
  if (request.wrongArgument.empty() && !request.file.empty()) start.push_back(request.file);
  if (!app.InitInstance(start, false)) return kPdfExitNoInput;
  if (!request.wrongArgument.empty()) {
    Complain("IDS_PDF_BADARG", request.wrongArgument);
    std::cerr << GetLangString("IDS_PDF_USAGE") << std::endl;
    return kPdfExitUsage;
  }
  // The program itself shows such a file as a blank document; a printout of that would only
  // mislead.
  if (!request.file.empty() && app.Document().LastLoadResult() == LoadResult::HeaderRejected)
    return kPdfExitRejected;

  CFormViewBase* view = app.MainFrame() != nullptr ? app.MainFrame()->View() : nullptr;
  QTemporaryDir scratch;
  if (view == nullptr || !scratch.isValid()) {
    Complain("IDS_PDF_NOOUTPUT", request.out);
    return kPdfExitCantCreate;
  }
  // Printed beside, then put in place whole: a failed run never leaves half a PDF at OUT, nor
  // spoils a file that was there.
  const QString scratchPdf = scratch.filePath(QStringLiteral("channels.pdf"));
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(scratchPdf);
    printer.setPageSize(DefaultPaperSize());
    printer.setDocName(QString::fromStdString(app.Document().GetTitle()));
    if (!RunPrintDirect(view->PrintCycle(), printer)) {
      Complain("IDS_PDF_NOOUTPUT", request.out);
      return kPdfExitCantCreate;
    }
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(scratchPdf.toStdString(), bytes) || bytes.empty() ||
      !WriteFileAtomically(request.out, bytes)) {
    Complain("IDS_PDF_NOOUTPUT", request.out);
    return kPdfExitCantCreate;
  }
  return kPdfExitOk;
}

int RunPrintToPdf(int& argc, char** argv, CRondelApp::ViewFactory viewFactory) {
  // Nothing is shown, so no display is needed, and none is looked for unless asked for.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qtApp(argc, argv);
  std::vector<std::string> args;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  CStderrPrompter prompter;
  SetPrompter(&prompter);
  int status = kPdfExitOk;
  {
    CRondelApp app(std::move(viewFactory));
    status = PrintToPdf(app, ParsePrintToPdf(args));
  }
  SetPrompter(nullptr);
  return status;
}

}  // namespace rondel
