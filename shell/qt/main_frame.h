// SPDX-License-Identifier: GPL-3.0-or-later
// CMainFrame: the one main window, with the menu, the toolbar, the status bar with the port
// pane, the accelerators and tool tips, and the commands that read, write, open the test mode
// and the help. Its title is always the program's name, never the document's.
#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

#include "link/qt/test_mode_host.h"
#include "link/qt/transfer_dlg.h"

class QLabel;
class QMenu;
class QToolBar;

namespace rondel {

class CAcceleratorFilter;
class CFormViewBase;
class CRondelApp;

// A menu entry's text as the language files write it, "&New\tCtrl+N": the entry's name is
// the part before the tab and the keys after it become the entry's shortcut, which the menu
// shows at its right edge. The accelerator table still handles the keys (the shortcut only
// ever fires for the entry's own widget).
void SetCommandText(QAction* action, const QString& text);

class CMainFrame : public QMainWindow, public TransferDlgHost, public TestModeHost {
  Q_OBJECT
 public:
  explicit CMainFrame(CRondelApp& app);
  ~CMainFrame() override;

  // The creation step: toolbar, status bar, docking, 900 by 700 centred, the port pane.
  bool OnCreate();
  void SetView(CFormViewBase* view);
  CFormViewBase* View() const { return m_view; }

  // Every command of the menu, the toolbar and the accelerators arrives here.
  void OnCommand(int command);
  // The menu entry of a command, searched through all drop-down menus; nullptr if none.
  QAction* CommandAction(int command) const;
  QMenu* FileMenu() const { return m_fileMenu; }
  QToolBar* ToolBar() const { return m_toolBar; }
  // The recent-file entries as the File menu shows them now.
  void UpdateRecentFileMenu();

  void SetPortPane(int port) override;
  // The port pane shows [setup] "com" as the file says now: whenever the window is shown or
  // activated, and after a transfer.
  void RefreshPortPane();
  QLabel* PortPane() const { return m_portPane; }
  // The document's name, marked while modified, beside the port.
  QLabel* FilePane() const { return m_filePane; }
  // The file pane and the state of Undo and Redo, after any change of the document.
  void OnDocumentStateChanged();
  QLabel* NumLockPane() const { return m_numLockPane; }
  void SetNumLockIndicator(bool on);
  // The status bar's panes named for screen readers in the current language.
  void NameStatusPanes();

  // Whenever the title would be rebuilt: the program's name in the current language.
  void OnUpdateFrameTitle();

  // Where Help sends the help file; the help viewer unless a test says otherwise.
  using HelpOpener = std::function<void(const std::string& chmPath)>;
  void SetHelpOpener(HelpOpener opener) { m_helpOpener = std::move(opener); }
  // Where the test mode starts instead of the password dialog, when a test says so.
  using CommandHandler = std::function<void()>;
  void SetTestModeHandler(CommandHandler handler) { m_testMode = std::move(handler); }

  // TransferDlgHost and TestModeHost
  std::string Text(std::string_view key) override;
  void TranslateDialog(QWidget* dialog, int number) override;
  CTransferSession::Image DocumentImage() override;
  void HandOverImage(const CTransferSession::Image& image) override;
  bool MayReplaceDocument() override;
  bool MayWriteDocument() override;
  TransferNets WriteNets() override;
  bool StoreWriteBackup(const CTransferSession::Image& image) override;
  const CRondelDoc& Doc() override;
  void ReplaceImage(const RadioImage& image) override;
  void BackUpRadioImage(const RadioImage& image) override;
  void CommitCalibration(int index, std::uint8_t value) override;
  void RecomputeAndRefresh() override;
  std::optional<std::string> NoPortOpenedText() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void BuildToolBar();
  void BuildStatusBar();
  QAction* MakeCommandAction(int command, const char* text);
  void RunTransfer(TransferDirection direction);
  // File → Compare with...: the list of differences, and the other file opened on request.
  void OnFileCompare();
  void OnTestMode();
  // File → Radio backups...: the list of backups; Open makes the chosen one a new document.
  void OnRadioBackups();
  void OnHelp();
  void OnFilePrint();
  void OnFilePrintPreview();
  // Closes the serial port: the window goes, nothing may hold the cable any more.
  void DestroyWindow();

  CRondelApp& m_app;
  CFormViewBase* m_view = nullptr;
  QMenu* m_fileMenu = nullptr;
  QAction* m_recentSeparator = nullptr;  // the recent files come right before it
  QToolBar* m_toolBar = nullptr;
  QLabel* m_portPane = nullptr;
  QLabel* m_filePane = nullptr;
  QLabel* m_numLockPane = nullptr;
  std::unique_ptr<CAcceleratorFilter> m_accelerators;
  HelpOpener m_helpOpener;
  CommandHandler m_testMode;
};

}  // namespace rondel
