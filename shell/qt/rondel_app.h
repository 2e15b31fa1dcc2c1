// SPDX-License-Identifier: GPL-3.0-or-later
// CRondelApp: the application object. Start-up in InitInstance (the three paths, the refusal
// without "setting.ini", the language, the per-user recent files, the frame and view, the
// command line), the open override every data file goes through, the menu translation and
// the language refresh, and the one serial port of the process.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/serial_devices.h"
#include "link/serial_link.h"
#include "platform/exe_path.h"
#include "shell/document/app_core.h"

class QPrinter;
class QWidget;

namespace rondel {

class CFormViewBase;
class CMainFrame;

class CRondelApp {
 public:
  // Makes the form view of the main frame (the single-document template's view class).
  using ViewFactory = std::function<CFormViewBase*(CRondelApp& app, QWidget* parent)>;

  // `exeDir`: the folder the program runs from, where setting.ini and the language files are.
  explicit CRondelApp(ViewFactory viewFactory, std::string exeDir = ExecutableDir());
  ~CRondelApp();
  CRondelApp(const CRondelApp&) = delete;
  CRondelApp& operator=(const CRondelApp&) = delete;

  // False: the program ends at once (no setting.ini, or the file named on the command line
  // could not be opened). `args` are the command line's arguments after the program name.
  // Without `showFrame` everything is made as usual but no window appears (a printout for
  // the command line).
  bool InitInstance(const std::vector<std::string>& args, bool showFrame = true);

  // Every route to a data file: File Open, recent files, dropped files, the command line.
  bool OpenDocumentFile(const std::string& path);
  // A backup as a new, unnamed document (see CRondelAppCore::OpenBackup).
  bool OpenBackup(const std::string& path);
  void TranslateMenu();
  void ApplyLanguage();

  // Commands of the application.
  void OnFileNew();
  void OnFileOpen();
  void OnFileSave();
  void OnFileSaveAs();
  void OnOpenRecentFile(std::size_t index);
  void OnFilePrintSetup();
  void OnAppAbout();
  void OnSettingPort();
  void OnSettingLanguage();
  // The save-changes question at exit; true when the window may close.
  bool CanExit();

  // Constructed first and so destroyed last: whatever still uses the port goes before it.
  CSerialLink m_serialPort;
  // Where the port dialog looks for serial devices; tests point it at a tree of their own.
  SystemRoots m_deviceRoots;

  CMainFrame* MainFrame() const { return m_frame.get(); }
  // Valid once InitInstance has found the settings file.
  CRondelAppCore& Core() { return *m_core; }
  CSettings& Settings() { return m_core->Settings(); }
  CRondelDocument& Document() { return m_core->Document(); }
  // The printer of Print, Print Preview and Print Setup, made at its first use.
  QPrinter& Printer();

 private:
  // The document's update hook: the first update after a new or opened document is the
  // view's initial one.
  void OnDocumentUpdate();
  template <class F>
  bool AsNewOrOpen(F&& step);

  ViewFactory m_viewFactory;
  std::string m_exeDir;
  std::unique_ptr<RecentFileStore> m_recentStore;
  std::unique_ptr<CRondelAppCore> m_core;
  std::unique_ptr<QPrinter> m_printer;
  std::unique_ptr<CMainFrame> m_frame;
  bool m_initialUpdatePending = false;
};

}  // namespace rondel
