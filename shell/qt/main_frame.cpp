// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/main_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>

#include "link/port_message.h"
#include "link/qt/test_password_dlg.h"
#include "platform/dialogs/modal_run.h"
#include "platform/qt/help_viewer.h"
#include "platform/qt/icons.h"
#include "platform/qt/local_path.h"
#include "shell/app_paths.h"
#include "shell/document/channel_list_commands.h"
#include "shell/document/compare_command.h"
#include "shell/language.h"
#include "platform/dialogs/modal_run.h"
#include "shell/file_messages.h"
#include "shell/qt/accelerator_filter.h"
#include "shell/qt/compare_dlg.h"
#include "shell/qt/backups_dlg.h"
#include "shell/document/radio_backups.h"
#include "shell/qt/form_view.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"
#include "shell/document/radio_backups.h"

namespace rondel {
namespace {

constexpr const char* kCommandProperty = "rondelCommand";
constexpr const char* kRecentEntryProperty = "rondelRecentEntry";
constexpr int kFrameWidth = 900;
constexpr int kFrameHeight = 700;
// Room the status bar's panes keep around their texts.
constexpr int kPaneMargin = 8;

int CommandOf(const QObject* object) {
  const QVariant v = object->property(kCommandProperty);
  return v.isValid() ? v.toInt() : 0;
}

// A path as a menu entry shows it: "&" would otherwise be taken for a mnemonic.
QString MenuSafe(const std::string& text) {
  return PathForDisplay(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

void SetCommandText(QAction* action, const QString& text) {
  if (action == nullptr) return;
  const qsizetype tab = text.indexOf(QLatin1Char('\t'));
  action->setText(tab < 0 ? text : text.left(tab));
  action->setShortcut(tab < 0 ? QKeySequence() : QKeySequence(text.mid(tab + 1), QKeySequence::PortableText));
}

CMainFrame::CMainFrame(CRondelApp& app) : m_app(app) {
  setObjectName(QStringLiteral("mainFrame"));
  BuildMenu();
  m_accelerators = std::make_unique<CAcceleratorFilter>(*this);
}

CMainFrame::~CMainFrame() { DestroyWindow(); }

QAction* CMainFrame::MakeCommandAction(int command, const char* text) {
  auto* action = new QAction(this);
  SetCommandText(action, QString::fromUtf8(text));
  action->setProperty(kCommandProperty, command);
  // The accelerator table handles the keys wherever the focus is in the window; the shortcut
  // names them for the menu and for screen readers, and is never the one that fires.
  action->setShortcutContext(Qt::WidgetShortcut);
  connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
  return action;
}

void CMainFrame::BuildMenu() {
  for (const TopMenu& top : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(top.text));
    const bool isFile = m_fileMenu == nullptr;
    if (isFile) m_fileMenu = menu;
    bool afterRecent = false;
    for (const MenuEntry& e : top.entries) {
      if (e.command == 0) {
        QAction* separator = menu->addSeparator();
        if (afterRecent) {
          m_recentSeparator = separator;
          afterRecent = false;
        }
      } else if (e.command == cmd::kFileMru1) {
        QAction* placeholder = menu->addAction(QString::fromUtf8(e.text));
        placeholder->setProperty(kRecentEntryProperty, -1);
        placeholder->setEnabled(false);
        afterRecent = true;
      } else {
        menu->addAction(MakeCommandAction(e.command, e.text));
      }
    }
  }
  connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateRecentFileMenu);
}

QAction* CMainFrame::CommandAction(int command) const {
  for (QAction* top : menuBar()->actions()) {
    if (QMenu* menu = top->menu()) {
      for (QAction* a : menu->actions())
        if (CommandOf(a) == command) return a;
    }
  }
  return nullptr;
}

void CMainFrame::UpdateRecentFileMenu() {
  if (m_fileMenu == nullptr || m_recentSeparator == nullptr) return;
  for (QAction* a : m_fileMenu->actions()) {
    if (a->property(kRecentEntryProperty).isValid()) {
      m_fileMenu->removeAction(a);
      a->deleteLater();
    }
  }
  const std::vector<std::string> entries = m_app.Core().RecentFiles().Entries();
  if (entries.empty()) {
    // The placeholder of the menu's template, shown disabled while the list is empty.
    for (const MenuEntry& e : MainMenu()[0].entries) {
      if (e.command != cmd::kFileMru1) continue;
      auto* placeholder = new QAction(QString::fromUtf8(e.text), m_fileMenu);
      placeholder->setProperty(kRecentEntryProperty, -1);
      placeholder->setEnabled(false);
      m_fileMenu->insertAction(m_recentSeparator, placeholder);
    }
    return;
  }
  for (std::size_t i = 0; i < entries.size() && i < kRecentFileCount; ++i) {
    const int command = cmd::kFileMru1 + static_cast<int>(i);
    auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(MenuSafe(entries[i])), m_fileMenu);
    entry->setProperty(kRecentEntryProperty, static_cast<int>(i));
    entry->setProperty(kCommandProperty, command);
    connect(entry, &QAction::triggered, this, [this, command] { OnCommand(command); });
    m_fileMenu->insertAction(m_recentSeparator, entry);
  }
}

void CMainFrame::BuildToolBar() {
  m_toolBar = new QToolBar(this);
  m_toolBar->setObjectName(QStringLiteral("toolbar128"));
  m_toolBar->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
  m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  m_toolBar->setMovable(true);
  m_toolBar->setFloatable(true);
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  for (int command : kToolbarButtons) {
    if (command == 0) {
      m_toolBar->addSeparator();
      continue;
    }
    QAction* action = CommandAction(command);
    if (action == nullptr) continue;
    action->setIcon(QIcon(ToolbarImage(ToolbarImageOf(command))));
    // The menu keeps its plain texts, as it always had.
    action->setIconVisibleInMenu(false);
    m_toolBar->addAction(action);
    if (QWidget* button = m_toolBar->widgetForAction(action)) {
      button->setProperty(kCommandProperty, command);
      button->installEventFilter(this);
    }
  }
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  const QFontMetrics fm(bar->font());
  m_portPane = new QLabel(bar);
  m_portPane->setObjectName(QStringLiteral("portPane"));
  // The width of "COMX" and no more: a port number of two digits may be clipped.
  m_portPane->setFixedWidth(fm.horizontalAdvance(QString::fromLatin1(kPortPaneTemplate)) + kPaneMargin);
  m_filePane = new QLabel(bar);
  m_filePane->setObjectName(QStringLiteral("filePane"));
  m_filePane->setTextFormat(Qt::PlainText);
  m_numLockPane = new QLabel(bar);
  m_numLockPane->setObjectName(QStringLiteral("numLockPane"));
  m_numLockPane->setFixedWidth(fm.horizontalAdvance(QStringLiteral("NUM")) + kPaneMargin);
  m_numLockPane->setAlignment(Qt::AlignCenter);
  bar->addWidget(m_portPane);
  bar->addWidget(m_filePane, 1);
  bar->addPermanentWidget(m_numLockPane);
  NameStatusPanes();
}

void CMainFrame::NameStatusPanes() {
  const std::pair<QLabel*, const char*> panes[] = {
      {m_portPane, "IDS_PANE_PORT"}, {m_filePane, "IDS_PANE_FILE"}, {m_numLockPane, "IDS_PANE_NUMLOCK"}};
  for (const auto& [pane, key] : panes)
    if (pane != nullptr) pane->setAccessibleName(QString::fromStdString(GetLangString(key)));
}

bool CMainFrame::OnCreate() {
  BuildToolBar();
  BuildStatusBar();
  if (m_toolBar == nullptr || m_portPane == nullptr || m_filePane == nullptr ||
      m_numLockPane == nullptr)
    return false;
  addToolBar(Qt::TopToolBarArea, m_toolBar);
  resize(kFrameWidth, kFrameHeight);
  if (const QScreen* screen = this->screen()) {
    const QRect desk = screen->availableGeometry();
    move(desk.center() - QPoint(kFrameWidth / 2, kFrameHeight / 2));
  }
  setAcceptDrops(true);
  SetPortPane(m_app.Settings().Com());
  OnDocumentStateChanged();
  return true;
}

void CMainFrame::SetView(CFormViewBase* view) {
  m_view = view;
  setCentralWidget(view);
}

void CMainFrame::SetPortPane(int port) {
  if (m_portPane != nullptr) m_portPane->setText(QString::fromStdString(PortPaneText(port)));
}

std::optional<std::string> CMainFrame::NoPortOpenedText() {
  return rondel::NoPortOpenedText(m_app.m_serialPort.OpenAttempts(), PortSystem{m_app.m_deviceRoots},
                                  PortAudience::Desktop, [](std::string_view key) { return GetLangString(key); });
}

void CMainFrame::RefreshPortPane() { SetPortPane(m_app.Settings().Com()); }

void CMainFrame::changeEvent(QEvent* event) {
  // "com" may have been changed in setting.ini meanwhile, by hand or by rondel-cli.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshPortPane();
  QMainWindow::changeEvent(event);
}

void CMainFrame::showEvent(QShowEvent* event) {
  RefreshPortPane();
  QMainWindow::showEvent(event);
}

void CMainFrame::OnDocumentStateChanged() {
  const CRondelDocument& document = m_app.Document();
  // Also the step after each change of language.
  NameStatusPanes();
  if (m_filePane != nullptr) {
    QString text = PathForDisplay(document.GetTitle());
    if (document.IsModified())
      text += QLatin1Char(' ') + QString::fromStdString(GetLangString("IDS_MODIFIED_MARK"));
    m_filePane->setText(text);
    m_filePane->setToolTip(PathForDisplay(document.GetPathName()));
  }
  if (QAction* undo = CommandAction(cmd::kEditUndo)) undo->setEnabled(document.CanUndo());
  if (QAction* redo = CommandAction(cmd::kEditRedo)) redo->setEnabled(document.CanRedo());
}

void CMainFrame::SetNumLockIndicator(bool on) {
  if (m_numLockPane != nullptr) m_numLockPane->setText(on ? QStringLiteral("NUM") : QString());
}

void CMainFrame::OnUpdateFrameTitle() {
  setWindowTitle(QString::fromStdString(GetLangString("IDS_WINDOWNAME")));
}

void CMainFrame::OnCommand(int command) {
  // An accelerator reaches the frame while a field still holds what the user typed: a command
  // must not act on the document without it.
  if (m_view) m_view->CommitPendingEdit();
  switch (command) {
    case cmd::kFileNew:
      m_app.OnFileNew();
      break;
    case cmd::kFileOpen:
      m_app.OnFileOpen();
      break;
    case cmd::kFileSave:
      m_app.OnFileSave();
      break;
    case cmd::kFileSaveAs:
      m_app.OnFileSaveAs();
      break;
    case cmd::kImportChannels:
      ImportChannelList(m_app.Document(), m_app.Settings());
      break;
    case cmd::kEditUndo:
      m_app.Document().Undo();
      break;
    case cmd::kEditRedo:
      m_app.Document().Redo();
      break;
    case cmd::kExportChannels:
      ExportChannelList(m_app.Document(), m_app.Settings());
      break;
    case cmd::kFileCompare:
      OnFileCompare();
      break;
    case cmd::kRadioBackups:
      OnRadioBackups();
      break;
    case cmd::kFilePrint:
      OnFilePrint();
      break;
    case cmd::kFilePrintPreview:
      OnFilePrintPreview();
      break;
    case cmd::kFilePrintSetup:
      m_app.OnFilePrintSetup();
      break;
    case cmd::kAppExit:
      close();
      break;
    case cmd::kReadData:
      RunTransfer(TransferDirection::Read);
      break;
    case cmd::kWriteData:
      RunTransfer(TransferDirection::Write);
      break;
    case cmd::kTestMode:
      if (m_testMode) {
        m_testMode();
      } else {
        OnTestMode();
      }
      break;
    case cmd::kSettingPort:
      m_app.OnSettingPort();
      RefreshPortPane();
      break;
    case cmd::kSettingLanguage:
      m_app.OnSettingLanguage();
      break;
    case cmd::kHelp:
      OnHelp();
      break;
    case cmd::kAppAbout:
      m_app.OnAppAbout();
      break;
    default:
      if (command >= cmd::kFileMru1 && command < cmd::kFileMru1 + static_cast<int>(kRecentFileCount))
        m_app.OnOpenRecentFile(static_cast<std::size_t>(command - cmd::kFileMru1));
      // The clipboard and pane commands of the accelerator table have no handler: the key
      // is taken and nothing happens.
      break;
  }
}

void CMainFrame::OnFileCompare() {
  const std::optional<FileComparison> comparison =
      CompareWithChosenFile(m_app.Core().Frame(), m_app.Document().Doc(), m_app.Settings());
  if (!comparison) return;
  CCompareDlg dialog(*comparison, this);
  // Opened only once the list is gone, through the open every data file takes: a modified
  // document is asked about first.
  if (RunModal(dialog) == CCompareDlg::kOpenOther) m_app.OpenDocumentFile(comparison->path);
}

void CMainFrame::RunTransfer(TransferDirection direction) {
  CTransferDlg dialog(m_app.m_serialPort, m_app.Settings(), *this, this);
  dialog.SetDirection(direction);
  dialog.DoModal();
  RefreshPortPane();
}

void CMainFrame::OnTestMode() {
  // The test mode is reached through its password; the password dialog opens it.
  CTestPasswordDlg dialog(m_app.m_serialPort, m_app.Settings(), *this, this);
  dialog.DoModal();
}

void CMainFrame::OnHelp() {
  const std::string path = HelpFilePath(g_strLangPath);
  if (m_helpOpener) {
    m_helpOpener(path);
  } else {
    ShowHelp(path, this);
  }
}

void CMainFrame::OnFilePrint() {
  if (m_view == nullptr) return;
  QPrinter& printer = m_app.Printer();
  printer.setDocName(QString::fromStdString(m_app.Document().GetTitle()));
  RunPrint(m_view->PrintCycle(), printer, this);
}

void CMainFrame::OnFilePrintPreview() {
  if (m_view == nullptr) return;
  QPrinter& printer = m_app.Printer();
  printer.setDocName(QString::fromStdString(m_app.Document().GetTitle()));
  RunPrintPreview(m_view->PrintCycle(), printer, this);
}

std::string CMainFrame::Text(std::string_view key) { return GetLangString(key); }

void CMainFrame::TranslateDialog(QWidget* dialog, int number) {
  rondel::TranslateDialog(dialog, number);
}

CTransferSession::Image CMainFrame::DocumentImage() { return m_app.Document().Doc().image(); }

void CMainFrame::HandOverImage(const CTransferSession::Image& image) {
  // The radio's memory replaces the image: one step the user can undo, and a change of the
  // document until it is saved.
  m_app.TranslateMenu();
  m_app.Document().ReplaceImage(image);
  BackUpRadioImage(image);
}

void CMainFrame::BackUpRadioImage(const RadioImage& image) {
  const BackupResult backup = StoreRadioImageBackup(m_app.Document().Doc(), image, m_app.Settings());
  if (backup.ok()) return;
  ShowPrompt(GetLangString("IDS_WARN_BACKUP_FAILED") + "\n" + BackupFolder() + ": " +
                 WriteErrorReason(backup.error),
             GetLangString("IDS_PROMPT"), PromptIcon::Warning, PromptButtons::Ok);
}

void CMainFrame::OnRadioBackups() {
  CBackupsDlg dialog(ListRadioBackups(m_app.Settings()), this);
  if (RunModal(dialog) != QDialog::Accepted || dialog.ChosenPath().empty()) return;
  m_app.OpenBackup(dialog.ChosenPath());
}

bool CMainFrame::MayReplaceDocument() {
  return m_app.Core().Frame().SaveModified();
}

bool CMainFrame::MayWriteDocument() {
  // Only a file that ends inside the part a write sends leaves blank bytes to be sent.
  const std::size_t length = m_app.Document().ShortFileLength();
  if (length == 0 || length >= layout::kHeaderSize + layout::kTransferEnd) return true;
  return ShowPrompt(FillIn(GetLangString("IDS_WARN_WRITE_INCOMPLETE"), "%d", std::to_string(length)),
                    GetLangString("IDS_PROMPT"), PromptIcon::Warning,
                    PromptButtons::OkCancel) == PromptAnswer::Ok;
}

TransferNets CMainFrame::WriteNets() {
  return {m_app.Settings().BackupBeforeWrite(), m_app.Settings().VerifyAfterWrite()};
}

bool CMainFrame::StoreWriteBackup(const CTransferSession::Image& image) {
  const BackupResult kept = StoreRadioImageBackup(m_app.Document().Doc(), image, m_app.Settings());
  if (kept.ok()) return true;
  ShowPrompt(GetLangString("IDS_BACKUP_WRITESTOP") + "\n" + BackupFolder() + ": " +
                 WriteErrorReason(kept.error),
             GetLangString("IDS_ERROR"), PromptIcon::Error, PromptButtons::Ok);
  return false;
}

const CRondelDoc& CMainFrame::Doc() { return m_app.Document().Doc(); }

void CMainFrame::ReplaceImage(const RadioImage& image) { m_app.Document().ReplaceImage(image); }

void CMainFrame::CommitCalibration(int index, std::uint8_t value) {
  m_app.Document().CommitCalibration(index, value);
}

void CMainFrame::RecomputeAndRefresh() { m_app.Document().RecomputeAndRefresh(); }

void CMainFrame::DestroyWindow() { m_app.m_serialPort.Close(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_view) m_view->CommitPendingEdit();
  if (!m_app.CanExit()) {
    event->ignore();
    return;
  }
  DestroyWindow();
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CMainFrame::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  // Byte for byte from the URLs: a file name that is not UTF-8 still opens.
  for (const QUrl& url : event->mimeData()->urls())
    if (std::string path = LocalPathFromUrl(url); !path.empty()) paths.push_back(std::move(path));
  if (paths.empty()) return;
  event->acceptProposedAction();
  if (m_view) m_view->CommitPendingEdit();
  // One after the other; the last one stays open.
  for (const std::string& path : paths) m_app.OpenDocumentFile(path);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
    // Looked up at every request, so a tip always speaks the current language.
    const std::string text = ToolTipText(CommandOf(watched));
    auto* help = static_cast<QHelpEvent*>(event);
    if (text.empty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromStdString(text),
                         static_cast<QWidget*>(watched));
    }
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace rondel
