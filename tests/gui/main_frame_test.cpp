// The main frame: the menu's built-in texts and their translation (by position and by
// command number, after a language switch too), the toolbar, the two status bar panes, the
// tool tips, the accelerators in a focused text field, help, the title and closing.
#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "gui_support.h"
#include "platform/dialogs/cdialog.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::ProgramTest;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList TopTexts(CMainFrame& frame) {
  QStringList texts;
  for (QAction* a : frame.menuBar()->actions()) texts << a->text();
  return texts;
}

class MainFrame : public ProgramTest {};

TEST_F(MainFrame, MenuHasItsBuiltInChineseTextsAndCommandsBeforeTranslation) {
  // A frame made before any language file is read.
  m_app = std::make_unique<CRondelApp>(CreateRondelView, m_folder.path());
  CMainFrame frame(*m_app);
  EXPECT_EQ(TopTexts(frame), (QStringList{Q("文件(&F)"), Q("编程(&P)"), Q("设置(&S)"), Q("帮助(&H)")}));
  for (const TopMenu& top : MainMenu()) {
    for (const MenuEntry& e : top.entries) {
      if (e.command == 0 || e.command == cmd::kFileMru1) continue;
      QAction* a = frame.CommandAction(e.command);
      ASSERT_NE(a, nullptr) << e.command;
      EXPECT_EQ(a->text(), Q(e.text));
      // The keys belong to the accelerator table alone.
      EXPECT_TRUE(a->shortcut().isEmpty());
    }
  }
  EXPECT_EQ(frame.CommandAction(cmd::kFileNew)->text(), Q("新建(&N)\tCtrl+N"));
  // Every entry that has a language key is in the menu.
  for (const MenuTextKey& k : kMenuTextKeys) {
    EXPECT_NE(frame.CommandAction(k.command), nullptr) << k.key;
  }
  // The File menu: New, Open, Save, Save As | Import and Export channels | Print, Preview,
  // Setup | recent | Exit.
  QList<QAction*> file = frame.FileMenu()->actions();
  ASSERT_EQ(file.size(), 15);
  EXPECT_TRUE(file[4]->isSeparator());
  EXPECT_EQ(file[5], frame.CommandAction(cmd::kImportChannels));
  EXPECT_EQ(file[6], frame.CommandAction(cmd::kExportChannels));
  EXPECT_TRUE(file[7]->isSeparator());
  // The framework's placeholder, never translated: the same in a Chinese and an English menu.
  EXPECT_EQ(file[12]->text(), Q("Recent File"));
  EXPECT_FALSE(file[12]->isEnabled());
}

TEST_F(MainFrame, TranslateMenuRenamesTopLevelByPositionAndEntriesByCommand) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(TopTexts(Frame()), (QStringList{"&File", "&Program", "&Settings", "&Help"}));
  const std::vector<std::pair<int, QString>> expected = {
      {cmd::kFileNew, "&New\tCtrl+N"},
      {cmd::kFileOpen, "&Open...\tCtrl+O"},
      {cmd::kFileSave, "&Save\tCtrl+S"},
      {cmd::kFileSaveAs, "Save &As..."},
      {cmd::kImportChannels, "&Import channels..."},
      {cmd::kExportChannels, "&Export channels..."},
      {cmd::kFilePrint, "&Print...\tCtrl+P"},
      {cmd::kFilePrintPreview, "Print Pre&view"},
      {cmd::kFilePrintSetup, "P&rint Setup..."},
      {cmd::kAppExit, "E&xit"},
      {cmd::kReadData, "&Read data from radio\tCtrl+R"},
      {cmd::kWriteData, "&Write data to radio\tCtrl+W"},
      {cmd::kTestMode, "&Test mode...\tCtrl+T"},
      {cmd::kSettingPort, "&Communication port...\tCtrl+C"},
      {cmd::kSettingLanguage, "&Language...\tCtrl+L"},
      {cmd::kHelp, "&Help"},
      {cmd::kAppAbout, "&About Rondel..."},
  };
  for (const auto& [command, text] : expected)
    EXPECT_EQ(Frame().CommandAction(command)->text(), text) << command;
  // The mnemonic is the letter after "&"; the shortcut text stands after the tab.
  const QString open = Frame().CommandAction(cmd::kFileOpen)->text();
  EXPECT_EQ(QKeySequence::mnemonic(open), QKeySequence(Qt::ALT | Qt::Key_O));
  EXPECT_EQ(open.section(QLatin1Char('\t'), 1), QStringLiteral("Ctrl+O"));
}

TEST_F(MainFrame, TheTranslatedMnemonicOpensTheEntryInTheOpenMenu) {
  ASSERT_TRUE(Start());
  Frame().show();
  QMenu* file = Frame().FileMenu();
  file->popup(Frame().mapToGlobal(QPoint(0, 0)));
  m_prompter.Answer(PromptAnswer::Cancel);
  QTest::keyClick(file, Qt::Key_N);
  ASSERT_EQ(m_prompter.prompts.size(), 1u) << "New should ask before it clears";
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_CLEAR"));
}

// The empty list's placeholder is the framework's own text in every language, so an English
// menu never shows a Chinese word.
TEST_F(MainFrame, TheRecentFilePlaceholderIsTheSameInEveryLanguage) {
  test::ClearRecentFiles();
  ASSERT_TRUE(Start());
  for (const char* language : {"english.lang", "chinese.lang"}) {
    g_strLangPath = m_folder.File(language);
    App().ApplyLanguage();
    Frame().UpdateRecentFileMenu();
    QStringList disabled;
    for (QAction* a : Frame().FileMenu()->actions())
      if (!a->isSeparator() && !a->isEnabled()) disabled << a->text();
    EXPECT_EQ(disabled, QStringList{QStringLiteral("Recent File")}) << language;
  }
}

TEST_F(MainFrame, LanguageSwitchRenamesTheMenuButNotTheRecentFiles) {
  test::ClearRecentFiles();
  ASSERT_TRUE(Start());
  const std::string file = m_folder.File("some & file.dig");
  m_prompter.ChooseSave(file);
  Frame().OnCommand(cmd::kFileSaveAs);
  Frame().UpdateRecentFileMenu();
  g_strLangPath = m_folder.File("chinese.lang");
  App().ApplyLanguage();
  EXPECT_EQ(TopTexts(Frame()), (QStringList{Q("文件(&F)"), Q("编程(&P)"), Q("设置(&S)"), Q("帮助(&H)")}));
  for (const MenuTextKey& k : kMenuTextKeys) {
    EXPECT_EQ(Frame().CommandAction(k.command)->text().toStdString(),
              GetLangStringFrom(m_folder.File("chinese.lang"), k.key))
        << k.key;
  }
  EXPECT_EQ(Frame().CommandAction(cmd::kSettingPort)->text(), Q("通信端口(&C)...\tCtrl+C"));
  EXPECT_EQ(Frame().windowTitle(), Q("Rondel 对讲机写频软件"));
  Frame().UpdateRecentFileMenu();
  QStringList entries;
  for (QAction* a : Frame().FileMenu()->actions()) entries << a->text();
  EXPECT_TRUE(entries.contains(QStringLiteral("&1 ") + QString::fromStdString(file).replace("&", "&&")))
      << entries.join('|').toStdString();
}

TEST_F(MainFrame, WithoutALanguageFileEveryEntryReadsNotFound) {
  m_folder.SetIni("setup", "language", "none");
  ASSERT_TRUE(Start());
  for (const QString& t : TopTexts(Frame())) {
    EXPECT_EQ(t, QStringLiteral("Not Found"));
  }
  for (const MenuTextKey& k : kMenuTextKeys)
    EXPECT_EQ(Frame().CommandAction(k.command)->text(), QStringLiteral("Not Found")) << k.key;
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Not Found"));
}

TEST_F(MainFrame, ToolbarHasTheSevenButtonsWithSeparatorsAndDocksAnywhere) {
  ASSERT_TRUE(Start());
  QToolBar* bar = Frame().ToolBar();
  ASSERT_NE(bar, nullptr);
  std::vector<int> layout;
  for (QAction* a : bar->actions()) {
    if (a->isSeparator()) {
      layout.push_back(0);
      continue;
    }
    layout.push_back(a == Frame().CommandAction(a->property("rondelCommand").toInt())
                         ? a->property("rondelCommand").toInt()
                         : -1);
    const QPixmap image = a->icon().pixmap(QSize(16, 15));
    EXPECT_FALSE(image.isNull());
    EXPECT_FALSE(a->isIconVisibleInMenu());
  }
  EXPECT_EQ(layout, std::vector<int>(kToolbarButtons.begin(), kToolbarButtons.end()));
  EXPECT_EQ(bar->iconSize(), QSize(16, 15));
  EXPECT_TRUE(bar->isMovable());
  EXPECT_TRUE(bar->isFloatable());
  EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
  EXPECT_EQ(Frame().toolBarArea(bar), Qt::TopToolBarArea);
}

TEST_F(MainFrame, StatusBarHasExactlyThePortAndNumLockPanes) {
  m_folder.SetIni("setup", "com", "12");
  ASSERT_TRUE(Start());
  QStatusBar* bar = Frame().statusBar();
  QList<QLabel*> panes = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  EXPECT_EQ(panes.size(), 2);
  EXPECT_TRUE(panes.contains(Frame().PortPane()));
  EXPECT_TRUE(panes.contains(Frame().NumLockPane()));
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM12"));
  const int width = Frame().PortPane()->width();
  const QFontMetrics fm(bar->font());
  EXPECT_LT(width, fm.horizontalAdvance(QStringLiteral("COMXXXX")));
  EXPECT_GE(width, fm.horizontalAdvance(QStringLiteral("COMX")));
  Frame().SetPortPane(3);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM3"));
  Frame().SetPortPane(255);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM255"));
  EXPECT_EQ(Frame().PortPane()->width(), width) << "the pane keeps the width of COMX";
  Frame().SetNumLockIndicator(true);
  EXPECT_EQ(Frame().NumLockPane()->text(), QStringLiteral("NUM"));
  Frame().SetNumLockIndicator(false);
  EXPECT_EQ(Frame().NumLockPane()->text(), QString());
  // Menu prompts do not take over the bar: no entry carries a status tip.
  for (const MenuTextKey& k : kMenuTextKeys) {
    EXPECT_TRUE(Frame().CommandAction(k.command)->statusTip().isEmpty());
  }
}

TEST_F(MainFrame, FrameIsMadeNineHundredBySevenHundredAndCentred) {
  ASSERT_TRUE(Start());
  CMainFrame frame(App());
  ASSERT_TRUE(frame.OnCreate());
  EXPECT_EQ(frame.size(), QSize(900, 700));
  const QRect desk = frame.screen()->availableGeometry();
  EXPECT_LE((frame.geometry().center() - desk.center()).manhattanLength(), 2);
}

TEST_F(MainFrame, FrameFitsAroundTheFormWithinTheScreen) {
  ASSERT_TRUE(Start());
  const QRect desk = Frame().screen()->availableGeometry();
  auto* view = static_cast<CRondelView*>(Frame().View());
  const QSize form = view->Form()->size();
  EXPECT_LE(Frame().width(), desk.width());
  EXPECT_LE(Frame().height(), desk.height());
  if (form.width() + 40 < desk.width() && form.height() + 160 < desk.height()) {
    EXPECT_GE(view->viewport()->width(), form.width());
    EXPECT_GE(view->viewport()->height(), form.height());
  }
}

// Sends the tool-tip request to a toolbar button and returns what is shown.
QString TipOf(CMainFrame& frame, int command) {
  QWidget* button = frame.ToolBar()->widgetForAction(frame.CommandAction(command));
  if (button == nullptr) return QStringLiteral("<no button>");
  QToolTip::hideText();
  const QPoint pos = button->rect().center();
  QHelpEvent request(QEvent::ToolTip, pos, button->mapToGlobal(pos));
  QApplication::sendEvent(button, &request);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(MainFrame, ToolTipsComeFromTheLanguageAtEachRequestCutToNineteenCharacters) {
  m_folder.SetLang("english", "String", "IDS_TIP_57600", "ABCDEFGHIJKLMNOPQRSTUVWXY");
  ASSERT_TRUE(Start());
  Frame().show();
  EXPECT_EQ(TipOf(Frame(), cmd::kFileNew), QStringLiteral("ABCDEFGHIJKLMNOPQRS"));
  EXPECT_EQ(TipOf(Frame(), cmd::kReadData), QStringLiteral("Read from radio"));
  m_folder.SetLang("english", "String", "IDS_TIP_57600", "一二三四五六七八九十一二三四五六七八九十一二三四五");
  EXPECT_EQ(TipOf(Frame(), cmd::kFileNew), Q("一二三四五六七八九十一二三四五六七八九"));
  g_strLangPath = m_folder.File("chinese.lang");
  EXPECT_EQ(TipOf(Frame(), cmd::kHelp), Q("帮助"));
}

struct Cut {
  const char* text;
  std::size_t count;
  const char* expected;
};
void PrintTo(const Cut& p, std::ostream* os) { *os << p.text; }

class FirstCharactersOf : public ::testing::TestWithParam<Cut> {};

TEST_P(FirstCharactersOf, NeverSplitsACharacter) {
  EXPECT_EQ(FirstCharacters(GetParam().text, GetParam().count), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstCharactersOf,
                         ::testing::Values(Cut{"", 19, ""}, Cut{"short", 19, "short"},
                                           Cut{"abcdefghijklmnopqrstuvwxyz", 19, "abcdefghijklmnopqrs"},
                                           Cut{"a中b", 2, "a中"}, Cut{"€€€", 1, "€"},
                                           Cut{"x😀y", 2, "x😀"}, Cut{"abc", 0, ""}));

TEST(ToolTipText, IsEmptyForControlZero) { EXPECT_EQ(ToolTipText(0), ""); }

struct Key {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  int command;  // what the table maps it to
};
void PrintTo(const Key& p, std::ostream* os) { *os << p.name; }

const std::vector<Key>& TableKeys() {
  static const std::vector<Key> keys = {
      {"CtrlC", Qt::Key_C, Qt::ControlModifier, cmd::kSettingPort},
      {"CtrlL", Qt::Key_L, Qt::ControlModifier, cmd::kSettingLanguage},
      {"CtrlN", Qt::Key_N, Qt::ControlModifier, cmd::kFileNew},
      {"CtrlO", Qt::Key_O, Qt::ControlModifier, cmd::kFileOpen},
      {"CtrlP", Qt::Key_P, Qt::ControlModifier, cmd::kFilePrint},
      {"CtrlR", Qt::Key_R, Qt::ControlModifier, cmd::kReadData},
      {"CtrlS", Qt::Key_S, Qt::ControlModifier, cmd::kFileSave},
      {"CtrlT", Qt::Key_T, Qt::ControlModifier, cmd::kTestMode},
      {"CtrlV", Qt::Key_V, Qt::ControlModifier, cmd::kEditPaste},
      {"AltBackspace", Qt::Key_Backspace, Qt::AltModifier, cmd::kEditUndo},
      {"ShiftDelete", Qt::Key_Delete, Qt::ShiftModifier, cmd::kEditCut},
      {"F6", Qt::Key_F6, Qt::NoModifier, cmd::kNextPane},
      {"ShiftF6", Qt::Key_F6, Qt::ShiftModifier, cmd::kPrevPane},
      {"CtrlInsert", Qt::Key_Insert, Qt::ControlModifier, cmd::kEditCopy},
      {"ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier, cmd::kEditPaste},
      {"CtrlW", Qt::Key_W, Qt::ControlModifier, cmd::kWriteData},
      {"CtrlX", Qt::Key_X, Qt::ControlModifier, cmd::kEditCut},
      {"CtrlZ", Qt::Key_Z, Qt::ControlModifier, cmd::kEditUndo},
      {"F1", Qt::Key_F1, Qt::NoModifier, cmd::kHelp},
      {"CtrlQ", Qt::Key_Q, Qt::ControlModifier, cmd::kAppExit},
  };
  return keys;
}

TEST(AcceleratorTable, MapsEveryKeyWithExactModifiers) {
  ASSERT_EQ(TableKeys().size(), kAccelerators.size());
  for (const Key& k : TableKeys()) {
    EXPECT_EQ(AcceleratorCommand(k.key, k.mods & Qt::ControlModifier, k.mods & Qt::ShiftModifier,
                                 k.mods & Qt::AltModifier),
              k.command)
        << k.name;
  }
  EXPECT_EQ(AcceleratorCommand(Qt::Key_C, true, true, false), 0);
  EXPECT_EQ(AcceleratorCommand(Qt::Key_C, false, false, false), 0);
  EXPECT_EQ(AcceleratorCommand(Qt::Key_C, true, false, true), 0);
  EXPECT_EQ(AcceleratorCommand(Qt::Key_Backspace, false, false, false), 0);
}

class Accelerators : public ProgramTest, public ::testing::WithParamInterface<Key> {
 protected:
  // A code field of the form, shown for the test, with all its text selected, so a copy,
  // cut, paste or undo that got through would change the field or the clipboard.
  QLineEdit* FocusedField() {
    auto* view = static_cast<CRondelView*>(Frame().View());
    auto* field = qobject_cast<QLineEdit*>(view->Control(1040));
    field->setEnabled(true);
    field->show();
    field->setFocus();
    field->setText(QStringLiteral("1234"));
    field->insert(QStringLiteral("5"));  // something to undo
    field->selectAll();
    // What the field holds is stored already, so committing it before a command is no change.
    App().Core().doc().SetPttCodeText(PttCode::Start, "12345");
    return field;
  }
};

TEST_P(Accelerators, ActBeforeTheFocusedFieldSeesTheKey) {
  const Key& k = GetParam();
  ASSERT_TRUE(Start());
  Frame().show();
  int testModes = 0;
  Frame().SetTestModeHandler([&] { ++testModes; });
  std::vector<std::string> helpFiles;
  Frame().SetHelpOpener([&](const std::string& chm) { helpFiles.push_back(chm); });
  QLineEdit* field = FocusedField();
  QApplication::clipboard()->setText(QStringLiteral("CLIP"));
  switch (k.command) {
    case cmd::kSettingPort:
    case cmd::kSettingLanguage:
    case cmd::kReadData:
    case cmd::kWriteData:
      m_modals.Then([](QDialog&) { return QDialog::Rejected; });
      break;
    case cmd::kFilePrint:
      m_modals.Then([](QDialog&) { return QDialog::Rejected; });  // the print dialog
      break;
    case cmd::kFileNew:
      m_prompter.Answer(PromptAnswer::Cancel);
      break;
    case cmd::kFileOpen:
      m_prompter.ChooseOpen(std::nullopt);
      break;
    case cmd::kFileSave:
      m_prompter.ChooseSave(std::nullopt);
      break;
    default:
      break;
  }
  QTest::keyClick(field, k.key, k.mods);
  // New refills the form from the new document, this field included.
  if (k.command != cmd::kFileNew) {
    EXPECT_EQ(field->text(), QStringLiteral("12345")) << "the field saw the key";
  }
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("CLIP"));
  switch (k.command) {
    case cmd::kSettingPort:
      EXPECT_EQ(m_modals.shown, std::vector<int>{130});
      break;
    case cmd::kSettingLanguage:
      EXPECT_EQ(m_modals.shown, std::vector<int>{131});
      break;
    case cmd::kReadData:
    case cmd::kWriteData:
      EXPECT_EQ(m_modals.shown, std::vector<int>{132});
      break;
    case cmd::kFilePrint:
      EXPECT_EQ(m_modals.shown, std::vector<int>{-1});
      break;
    case cmd::kFileNew:
      ASSERT_EQ(m_prompter.prompts.size(), 1u);
      EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_CLEAR"));
      break;
    case cmd::kFileOpen:
      EXPECT_EQ(m_prompter.openDialogs.size(), 1u);
      break;
    case cmd::kFileSave:
      EXPECT_EQ(m_prompter.saveDialogs.size(), 1u);
      break;
    case cmd::kTestMode:
      EXPECT_EQ(testModes, 1);
      break;
    case cmd::kHelp:
      EXPECT_EQ(helpFiles, std::vector<std::string>{HelpFilePath(g_strLangPath)});
      break;
    case cmd::kAppExit:
      // An unmodified document: the window closes without a question.
      EXPECT_FALSE(Frame().isVisible());
      EXPECT_TRUE(m_prompter.prompts.empty());
      break;
    default:
      // The clipboard and pane commands have no handler: nothing at all happens.
      EXPECT_TRUE(m_modals.shown.empty());
      EXPECT_TRUE(m_prompter.prompts.empty());
      break;
  }
  if (k.command != cmd::kTestMode) {
    EXPECT_EQ(testModes, 0);
  }
  if (k.command != cmd::kHelp) {
    EXPECT_TRUE(helpFiles.empty());
  }
  if (k.command != cmd::kAppExit) {
    EXPECT_TRUE(Frame().isVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Accelerators, ::testing::ValuesIn(TableKeys()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFrame, KeysOutsideTheTableReachTheField) {
  ASSERT_TRUE(Start());
  Frame().show();
  auto* view = static_cast<CRondelView*>(Frame().View());
  auto* field = qobject_cast<QLineEdit*>(view->Control(1042));
  ASSERT_TRUE(field->isVisible());
  field->setFocus();
  field->clear();
  QTest::keyClicks(field, QStringLiteral("abC"));
  EXPECT_EQ(field->text(), QStringLiteral("abC"));
  // Ctrl+C with another modifier is no entry of the table.
  QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(m_modals.shown.empty());
}

TEST_F(MainFrame, AcceleratorsDoNotActInsideADialog) {
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& dialog) {
    QTest::keyClick(&dialog, Qt::Key_L, Qt::ControlModifier);
    return QDialog::Rejected;
  });
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(m_modals.shown, std::vector<int>{130}) << "Ctrl+L inside the port dialog opened another";
}

TEST_F(MainFrame, HelpOpensTheHelpFileOfTheCurrentLanguage) {
  ASSERT_TRUE(Start());
  std::vector<std::string> opened;
  Frame().SetHelpOpener([&](const std::string& path) { opened.push_back(path); });
  Frame().OnCommand(cmd::kHelp);
  g_strLangPath = m_folder.File("chinese.lang");
  Frame().OnCommand(cmd::kHelp);
  EXPECT_EQ(opened, (std::vector<std::string>{m_folder.File("english.chm"), m_folder.File("chinese.chm")}));
}

struct HelpPath {
  const char* lang;
  const char* chm;
};
void PrintTo(const HelpPath& p, std::ostream* os) { *os << p.lang; }

class HelpFile : public ::testing::TestWithParam<HelpPath> {};

TEST_P(HelpFile, IsTheLanguageFileWithChm) { EXPECT_EQ(HelpFilePath(GetParam().lang), GetParam().chm); }

INSTANTIATE_TEST_SUITE_P(Cases, HelpFile,
                         ::testing::Values(HelpPath{"/opt/rondel/english.lang", "/opt/rondel/english.chm"},
                                           HelpPath{"/a b/中文.lang", "/a b/中文.chm"},
                                           HelpPath{"/x/my.lang.lang", "/x/my.lang.chm"},
                                           HelpPath{"/dir.d/noext", "/dir.d/noext.chm"}));

TEST_F(MainFrame, TitleIsAlwaysTheProgramsName) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Rondel - Radio Programming Software"));
  const std::string file = m_folder.File("a.dig");
  m_prompter.ChooseSave(file);
  Frame().OnCommand(cmd::kFileSaveAs);
  EXPECT_EQ(App().Document().GetTitle(), "a.dig");
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Rondel - Radio Programming Software"));
  ASSERT_TRUE(App().OpenDocumentFile(file));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Rondel - Radio Programming Software"));
}

TEST_F(MainFrame, ClosingTheWindowClosesTheSerialPort) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  ASSERT_TRUE(Start());
  ASSERT_TRUE(App().m_serialPort.OpenDevice(radio.DevicePath(), 9600));
  // A modified document and Cancel to the save question keep the window and the port.
  App().Document().SetModifiedFlag(true);
  m_prompter.Answer(PromptAnswer::Cancel);
  Frame().OnCommand(cmd::kAppExit);
  EXPECT_TRUE(App().m_serialPort.IsOpen());
  EXPECT_TRUE(Frame().isVisible());
  m_prompter.Answer(PromptAnswer::No);
  Frame().OnCommand(cmd::kAppExit);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_FALSE(Frame().isVisible());
}

}  // namespace
}  // namespace rondel
