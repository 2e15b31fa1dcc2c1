// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/rondel_app.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPrinter>

#include "platform/dialogs/print_cycle.h"
#include "platform/prompt.h"
#include "platform/qt/help_viewer.h"
#include "platform/qt/recent_file_store.h"
#include "shell/app_paths.h"
#include "shell/file_messages.h"
#include "shell/settings_location.h"
#include "shell/language.h"
#include "shell/qt/about_dlg.h"
#include "shell/qt/form_view.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/language_dlg.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/port_dlg.h"

namespace rondel {

CRondelApp::CRondelApp(ViewFactory viewFactory, std::string exeDir)
    : m_viewFactory(std::move(viewFactory)), m_exeDir(std::move(exeDir)) {}

CRondelApp::~CRondelApp() {
  if (m_core) {
    m_core->Document().onUpdateAllViews = nullptr;
    m_core->Document().onStateChanged = nullptr;
  }
  m_frame.reset();
}

bool CRondelApp::InitInstance(const std::vector<std::string>& args, bool showFrame) {
  // Beside the program, or the user's own copy when the program's folder is not theirs.
  const SettingsLocation settings = LocateSettingsFile(m_exeDir);
  const std::string iniPath = settings.path;
  SetAppPaths(m_exeDir, iniPath, std::string());
  if (iniPath.empty()) {
    ShowPrompt(kNoSettingsMessage, std::string(), PromptIcon::Stop, PromptButtons::Ok);
    return false;
  }
  // A settings file that is a pipe, a device or far too large is there but cannot be used: no
  // language is known yet, so the locale's language file words it.
  const std::string startupLang = StartupLanguagePath(m_exeDir);
  if (ReadError why; !CheckProfileFile(iniPath, &why)) {
    std::string text = GetLangStringFrom(startupLang, "IDS_ERROR_SETTINGSFILE");
    if (text == kLangNotFound) text = kNoSettingsMessage;
    ShowPrompt(text + "\n" + iniPath + "\n\n" + ReadErrorReason(why, startupLang),
               GetLangStringFrom(startupLang, "IDS_ERROR"), PromptIcon::Stop, PromptButtons::Ok);
    return false;
  }
  // The locale's choice is not written back: a later change of locale still counts.
  g_strLangPath = ChooseLanguagePath(m_exeDir, iniPath);
  // A missing language file leaves "Not Found" everywhere, as it always did; one that is there
  // but refused is worth a word, since the program would otherwise seem broken.
  if (ReadError why; !CheckProfileFile(g_strLangPath, &why) && why.problem != ReadProblem::CannotOpen)
    ShowPrompt(GetLangStringFrom(startupLang, "IDS_ERROR_LANGFILE") + "\n" + g_strLangPath + "\n\n" +
                   ReadErrorReason(why, startupLang),
               GetLangStringFrom(startupLang, "IDS_ERROR"), PromptIcon::Error, PromptButtons::Ok);
  SetHelpTextLookup([](std::string_view key) { return GetLangString(key); });

  QCoreApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QCoreApplication::setApplicationName(QString::fromLatin1(kSettingsApplication));
  // The name of the installed desktop entry, so the desktop finds the program's name and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(RONDEL_APP_ID));
  m_recentStore = std::make_unique<CQSettingsRecentFileStore>(kRecentFileCount);
  m_core = std::make_unique<CRondelAppCore>(iniPath, *m_recentStore);
  // Read at every open, so a [ports] entry edited by hand counts at once.
  m_serialPort.SetPortResolver([](int n) { return CSettings(g_strIniPath).PortDevice(n); });

  m_frame = std::make_unique<CMainFrame>(*this);
  if (!m_frame->OnCreate()) {
    m_frame.reset();
    return false;
  }
  if (m_viewFactory) m_frame->SetView(m_viewFactory(*this, m_frame.get()));
  m_core->Document().onUpdateAllViews = [this] { OnDocumentUpdate(); };
  m_core->Document().onStateChanged = [this] {
    if (m_frame) m_frame->OnDocumentStateChanged();
  };

  // The first argument that is not an option names a data file to open.
  std::string file;
  for (const std::string& a : args) {
    if (!a.empty() && a[0] != '-') {
      file = a;
      break;
    }
  }
  const bool started = AsNewOrOpen([&] { return m_core->Start(file); });
  if (!started) {
    m_core->Document().onUpdateAllViews = nullptr;
    m_core->Document().onStateChanged = nullptr;
    m_frame.reset();
    return false;
  }
  if (showFrame) m_frame->show();
  m_frame->OnUpdateFrameTitle();
  return true;
}

template <class F>
bool CRondelApp::AsNewOrOpen(F&& step) {
  m_initialUpdatePending = true;
  const bool ok = step();
  m_initialUpdatePending = false;
  if (m_frame) m_frame->OnUpdateFrameTitle();
  return ok;
}

void CRondelApp::OnDocumentUpdate() {
  CFormViewBase* view = m_frame ? m_frame->View() : nullptr;
  if (view == nullptr) return;
  if (m_initialUpdatePending) {
    m_initialUpdatePending = false;
    view->OnInitialUpdate();
  } else {
    view->OnUpdate();
  }
}

bool CRondelApp::OpenDocumentFile(const std::string& path) {
  return AsNewOrOpen([&] { return m_core->OpenDocumentFile(path); });
}

bool CRondelApp::OpenBackup(const std::string& path) {
  return AsNewOrOpen([&] { return m_core->OpenBackup(path) == OpenOutcome::Opened; });
}

void CRondelApp::OnFileNew() {
  AsNewOrOpen([&] { return m_core->OnFileNew(); });
}

void CRondelApp::OnFileOpen() {
  const auto path = m_core->Frame().PromptFileToOpen();
  if (path) OpenDocumentFile(*path);
}

void CRondelApp::OnFileSave() { m_core->OnFileSave(); }

void CRondelApp::OnFileSaveAs() { m_core->OnFileSaveAs(); }

void CRondelApp::OnOpenRecentFile(std::size_t index) {
  const std::vector<std::string> entries = m_core->RecentFiles().Entries();
  if (index < entries.size()) OpenDocumentFile(entries[index]);
}

QPrinter& CRondelApp::Printer() {
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *m_printer;
}

void CRondelApp::OnFilePrintSetup() { RunPrintSetup(Printer(), m_frame.get()); }

void CRondelApp::OnAppAbout() {
  CAboutDlg dialog(m_frame.get());
  dialog.DoModal();
}

void CRondelApp::OnSettingPort() {
  CPortDlg dialog(*this, m_frame.get());
  dialog.DoModal();
}

void CRondelApp::OnSettingLanguage() {
  CLanguageDlg dialog(*this, m_frame.get());
  dialog.DoModal();
}

bool CRondelApp::CanExit() { return !m_core || m_core->CanExit(); }

void CRondelApp::TranslateMenu() {
  if (!m_frame) return;
  const QList<QAction*> tops = m_frame->menuBar()->actions();
  for (std::size_t i = 0; i < kTopMenuKeys.size() && i < static_cast<std::size_t>(tops.size()); ++i)
    tops[static_cast<int>(i)]->setText(QString::fromStdString(GetLangString(kTopMenuKeys[i])));
  for (const MenuTextKey& entry : kMenuTextKeys) {
    SetCommandText(m_frame->CommandAction(entry.command), QString::fromStdString(GetLangString(entry.key)));
  }
}

void CRondelApp::ApplyLanguage() {
  TranslateMenu();
  if (m_frame) m_frame->OnDocumentStateChanged();
  if (m_core) m_core->Document().RecomputeAndRefresh();
}

}  // namespace rondel
