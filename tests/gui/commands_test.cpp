// SPDX-License-Identifier: GPL-3.0-or-later
// The menu and command wiring of the main window: the accelerators act before a focused field
// sees the key, the File menu's channel-list entries go through the file choosers, the save
// question on closing, and the port dialog's choice.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <fstream>

#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "resources/control_ids.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::Button;

class Commands : public test::ProgramTest {
 protected:
  void StartShown() {
    ASSERT_TRUE(Start());
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  // Opens the File menu and picks the entry by its mnemonic, as a keyboard user does.
  void PickFromFileMenu(Qt::Key mnemonic) {
    Frame().FileMenu()->popup(Frame().mapToGlobal(QPoint(0, 0)));
    QTest::keyClick(Frame().FileMenu(), mnemonic);
  }
};

TEST_F(Commands, AcceleratorsActBeforeTheFocusedFieldSeesTheKey) {
  struct Case {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    std::string outcome;
  };
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Case cases[] = {
      {"Ctrl+C", Qt::Key_C, ctrl, "dialog 130"},       {"Ctrl+L", Qt::Key_L, ctrl, "dialog 131"},
      {"Ctrl+R", Qt::Key_R, ctrl, "dialog 132"},       {"Ctrl+W", Qt::Key_W, ctrl, "dialog 132"},
      {"Ctrl+P", Qt::Key_P, ctrl, "dialog -1"},        {"Ctrl+O", Qt::Key_O, ctrl, "open"},
      {"Ctrl+S", Qt::Key_S, ctrl, "save"},             {"Ctrl+T", Qt::Key_T, ctrl, "test mode"},
      {"F1", Qt::Key_F1, Qt::NoModifier, "help english.chm"},
      {"Ctrl+N", Qt::Key_N, ctrl, "clear question"},
      {"Ctrl+X has no handler", Qt::Key_X, ctrl, ""},
      {"Ctrl+Shift+C is no accelerator", Qt::Key_C, ctrl | Qt::ShiftModifier, ""},
  };
  StartShown();
  std::string outcome;
  Frame().SetTestModeHandler([&] { outcome = "test mode"; });
  Frame().SetHelpOpener([&](const std::string& chm) { outcome = "help " + chm.substr(chm.rfind('/') + 1); });
  auto* field = qobject_cast<QLineEdit*>(View().Control(IDC_PASSWORD));
  Doc().SetReadPasswordText("12");  // what the field holds is stored already: no change
  App().Document().SetModifiedFlag(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    outcome.clear();
    m_modals.shown.clear();
    m_prompter.prompts.clear();
    m_prompter.openDialogs.clear();
    m_prompter.saveDialogs.clear();
    if (c.outcome.rfind("dialog", 0) == 0) m_modals.Then([](QDialog&) { return QDialog::Rejected; });
    if (c.outcome == "open") m_prompter.ChooseOpen(std::nullopt);
    if (c.outcome == "save") m_prompter.ChooseSave(std::nullopt);
    if (c.key == Qt::Key_N) m_prompter.Answer(PromptAnswer::Cancel);
    field->setFocus();
    field->setText(QStringLiteral("12"));
    field->selectAll();
    QTest::keyClick(field, c.key, c.mods);
    if (!m_modals.shown.empty()) outcome = "dialog " + std::to_string(m_modals.shown[0]);
    if (!m_prompter.openDialogs.empty()) outcome = "open";
    if (!m_prompter.saveDialogs.empty()) outcome = "save";
    if (!m_prompter.prompts.empty())
      outcome = m_prompter.prompts[0].text == GetLangString("IDS_WARN_CLEAR") ? "clear question" : "other prompt";
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(field->text(), QStringLiteral("12")) << "the field saw the key";
  }
}

TEST_F(Commands, ChannelListsComeInAndGoOutThroughTheFileMenu) {
  StartShown();
  const std::string list = m_folder.File("plan.csv");
  std::ofstream(list) << "channel,rxFreq,rxTone\n5,446.00625,D754I\n";
  m_prompter.ChooseOpen(list);
  PickFromFileMenu(Qt::Key_I);
  ASSERT_EQ(m_prompter.openDialogs.size(), 1u);
  EXPECT_EQ(m_prompter.openDialogs[0].extension, ".csv");
  EXPECT_EQ(View().Grid()->GetCellText(5, 1), QStringLiteral("446.00625"));
  EXPECT_TRUE(App().Document().IsModified());
  EXPECT_TRUE(m_prompter.prompts.empty());

  const std::string chosen = m_folder.File("exported");  // the extension is added
  m_prompter.ChooseSave(chosen);
  PickFromFileMenu(Qt::Key_E);
  EXPECT_NE(test::ReadText(chosen + ".csv").find("\r\n5,446.00625,D754I,446.00625,D754I,"), std::string::npos);
  const std::string nowhere = m_folder.File("no/list.csv");
  m_prompter.ChooseSave(nowhere);
  PickFromFileMenu(Qt::Key_E);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_ERROR_SAVEFILE") + "\n" + nowhere);
}

TEST_F(Commands, ClosingAModifiedDocumentAsksAndOnlyCancelKeepsTheWindowAndThePort) {
  struct Case {
    PromptAnswer answer;
    bool closed;
    bool saved;
  };
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  for (const Case c : {Case{PromptAnswer::Cancel, false, false}, Case{PromptAnswer::No, true, false},
                       Case{PromptAnswer::Yes, true, true}}) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    const std::string path = m_folder.File("saved" + std::to_string(static_cast<int>(c.answer)) + ".dig");
    m_prompter.prompts.clear();
    StartShown();
    ASSERT_TRUE(App().m_serialPort.OpenDevice(radio.DevicePath(), 9600));
    Doc().SetFrequencyText(1, Direction::Receive, "446.00625");
    App().Document().SetModifiedFlag(true);
    m_prompter.Answer(c.answer);
    if (c.saved) m_prompter.ChooseSave(path);
    Frame().OnCommand(cmd::kAppExit);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(Frame().isVisible(), !c.closed);
    EXPECT_EQ(App().m_serialPort.IsOpen(), !c.closed);
    EXPECT_EQ(test::ReadBytes(path).size(), c.saved ? 4144u : 0u);
    App().m_serialPort.Close();
    m_app.reset();
  }
}

TEST_F(Commands, ThePortChosenInThePortDialogIsWrittenAndShown) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  m_folder.MapPorts(radio.DevicePath(), 2);
  m_folder.SetIni("setup", "com", "5");
  StartShown();
  m_modals.Then([](QDialog& d) {
    EXPECT_FALSE(Button(&d, 1001)->isEnabled()) << "a port that does not open is not offered";
    EXPECT_TRUE(Button(&d, 1005)->isChecked());
    QTest::mouseClick(Button(&d, 1002), Qt::LeftButton);
    return test::Click(d, IDOK);
  });
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(m_folder.GetIni("setup", "com"), "2");
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM2"));
  EXPECT_FALSE(App().m_serialPort.IsOpen());
}

}  // namespace
}  // namespace rondel
