// SPDX-License-Identifier: GPL-3.0-or-later
// No edit is lost: an option changed in the grid makes closing ask, every kind of change undoes
// to the document as opened and redoes to the end byte for byte, the Edit menu and the status
// bar follow the history, and a write of a file cut short asks first.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <fstream>

#include "core/data_file.h"
#include "shell/settings.h"
#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "link/qt/transfer_dlg.h"
#include "resources/control_ids.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

class EditHistoryTest : public test::ProgramTest {
 protected:
  void StartShown(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(Start(args));
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CGridCtrl& Grid() { return *View().Grid(); }
  void ClickCell(int row, int col) {
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().GetCellRect(row, col).center());
  }
  Bytes File() const { return SerializeDocument(const_cast<EditHistoryTest*>(this)->Doc()); }
  // A data file of model 1 with channel 5 in use.
  std::string Sample(const std::string& name, std::size_t length = layout::kFileSize) {
    CRondelDoc other;
    other.SelectModel(1, CSettings(m_folder.Ini()));
    other.SetFrequencyText(5, Direction::Receive, "150");
    Bytes bytes = SerializeDocument(other);
    bytes.resize(length);
    const std::string path = m_folder.File(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  void KeyOnGrid(Qt::Key key, Qt::KeyboardModifiers mods) { QTest::keyClick(&Grid(), key, mods); }
};

TEST_F(EditHistoryTest, AnOptionChangedInTheGridMakesClosingAskAndCtrlZTakesItBack) {
  StartShown();
  App().Document().ApplyEdit(FrequencyEdit{1, 1, "446.00625"});
  for (int column = 5; column <= 11; ++column) {
    SCOPED_TRACE(column);
    App().Document().SetModifiedFlag(false);  // as after a save
    const Bytes before = File();
    ClickCell(1, column);
    auto* combo = qobject_cast<QComboBox*>(View().Control(IDC_CHOICE_CELL_COMBO));
    ASSERT_TRUE(combo != nullptr && combo->hasFocus());
    QTest::keyClick(combo, combo->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_NE(File(), before);
    EXPECT_TRUE(App().Document().IsModified());
    m_prompter.prompts.clear();
    m_prompter.Answer(PromptAnswer::Cancel);
    EXPECT_FALSE(Frame().close());
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_SAVE_CHANGES"));
    EXPECT_TRUE(Frame().isVisible());
    Grid().setFocus();
    KeyOnGrid(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(File(), before);
    EXPECT_FALSE(App().Document().IsModified());
  }
}

TEST_F(EditHistoryTest, EveryKindOfChangeUndoesToTheOpenedFileAndRedoesToTheEnd) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  sim::Memory memory = sim::FactoryMemory();
  memory[layout::kSquelchLevel] = 6;
  radio.SetMemory(memory);
  radio.SetPassword(EncodePassword("Ab12"));
  m_folder.MapPorts(radio.DevicePath());
  const std::string opened = Sample("opened.dig");
  StartShown({opened});
  CRondelDocument& document = App().Document();
  const std::string list = m_folder.File("plan.csv");
  std::ofstream(list) << "channel,rxFreq,rxTone\n5,151.0,D754I\n";
  QAction* undo = Frame().CommandAction(cmd::kEditUndo);
  QAction* redo = Frame().CommandAction(cmd::kEditRedo);
  ASSERT_TRUE(undo && redo);
  EXPECT_FALSE(undo->isEnabled() || redo->isEnabled());
  EXPECT_EQ(Frame().FilePane()->text(), QStringLiteral("opened.dig"));

  std::vector<Bytes> states{File()};
  const auto step = [&](const char* what, const std::function<void()>& change) {
    SCOPED_TRACE(what);
    change();
    EXPECT_TRUE(File() != states.back()) << "each step changes the document";
    states.push_back(File());
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
  };
  step("frequency", [&] { document.ApplyEdit(FrequencyEdit{2, 1, "146.5"}); });
  step("tone", [&] { document.ApplyEdit(ToneEdit{2, 2, "88.5"}); });
  step("option", [&] { document.ApplyEdit(OptionEdit{2, 6, 1 - Doc().GetChannelOption(2, ChannelOption::Narrow)}); });
  step("list", [&] { document.ApplyEdit(ListEdit{SettingsList::SquelchLevel, Doc().GetSetting(Setting::SquelchLevel) == 2 ? 4 : 2}); });
  step("check box", [&] { document.ApplyEdit(CheckEdit{Setting::FmRadio, Doc().GetSetting(Setting::FmRadio) == 0}); });
  step("code", [&] { document.ApplyEdit(CodeEdit{PttCode::End, "9D"}); });
  step("password", [&] { document.ApplyEdit(PasswordEdit{"Ab12"}); });
  step("import", [&] {
    m_prompter.ChooseOpen(list);
    Frame().OnCommand(cmd::kImportChannels);
  });
  step("calibration", [&] { document.CommitCalibration(2, 99); });
  step("read", [&] {
    m_modals.Then([](QDialog& d) {
      QTest::mouseClick(test::Button(&d, IDOK), Qt::LeftButton);
      return d.exec();
    });
    m_prompter.Answer(PromptAnswer::No);  // the save question before the read: discard
    Frame().OnCommand(cmd::kReadData);
    EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 6);
  });
  step("range", [&] {
    const int other = Doc().FindModel(App().Settings()) == 0 ? 1 : 0;
    document.ApplyEdit(ListEdit{SettingsList::FrequencyRange, other}, [] { return true; });
  });
  EXPECT_EQ(Frame().FilePane()->text().toStdString(), "opened.dig " + GetLangString("IDS_MODIFIED_MARK"));

  // Back to the start, one step and one view refresh at a time, by the keys a user presses.
  auto* squelch = qobject_cast<QComboBox*>(View().Control(IDC_SQUELCH));
  Grid().setFocus();
  for (std::size_t i = states.size() - 1; i-- > 0;) {
    KeyOnGrid(i % 2 ? Qt::Key_Z : Qt::Key_Backspace, i % 2 ? Qt::ControlModifier : Qt::AltModifier);
    ASSERT_TRUE(File() == states[i]) << "undo to state " << i;
    EXPECT_EQ(squelch->currentIndex(), Doc().GetSetting(Setting::SquelchLevel)) << "the form follows";
  }
  EXPECT_FALSE(document.IsModified());
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(redo->isEnabled());
  EXPECT_EQ(Frame().FilePane()->text(), QStringLiteral("opened.dig"));
  KeyOnGrid(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(File() == states[0]) << "nothing before the opened file";
  for (std::size_t i = 1; i < states.size(); ++i) {
    KeyOnGrid(i % 2 ? Qt::Key_Y : Qt::Key_Z, i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(File() == states[i]) << "redo to state " << i;
  }
  EXPECT_FALSE(redo->isEnabled());

  // Saved, the document is unmodified; one undo and it is modified again, one redo and not.
  m_prompter.Answer(PromptAnswer::Ok);  // write over the file
  Frame().OnCommand(cmd::kFileSave);
  EXPECT_FALSE(document.IsModified());
  EXPECT_TRUE(test::ReadBytes(opened) == states.back());
  Frame().OnCommand(cmd::kEditUndo);
  EXPECT_TRUE(document.IsModified());
  Frame().OnCommand(cmd::kEditRedo);
  EXPECT_FALSE(document.IsModified());

  // New and Open start a history of their own.
  m_prompter.Answer(PromptAnswer::Ok);
  Frame().OnCommand(cmd::kFileNew);
  EXPECT_FALSE(undo->isEnabled() || redo->isEnabled());
  EXPECT_EQ(Frame().FilePane()->text().toStdString(), App().Document().GetTitle());
}

// Cancel on any question of New or Open ends the command with the document as it was.
TEST_F(EditHistoryTest, CancelEndsNewAndOpenWithTheDocumentAsItWas) {
  const struct {
    const char* name;
    int command;
    std::vector<PromptAnswer> answers;
    std::vector<std::string> asked;  // the keys of the questions, in order
  } cases[] = {
      {"new, cancel saving", cmd::kFileNew, {PromptAnswer::Cancel}, {"IDS_SAVE_CHANGES"}},
      {"new, discard, cancel clearing", cmd::kFileNew, {PromptAnswer::No, PromptAnswer::Cancel},
       {"IDS_SAVE_CHANGES", "IDS_WARN_CLEAR"}},
      {"open, cancel saving", cmd::kFileOpen, {PromptAnswer::Cancel}, {"IDS_SAVE_CHANGES"}},
  };
  const std::string opened = Sample("opened.dig");
  const std::string other = Sample("other.dig");
  const Bytes onDisk = test::ReadBytes(opened);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_app.reset();
    StartShown({opened});
    App().Document().ApplyEdit(OptionEdit{5, 7, 1 - Doc().GetChannelOption(5, ChannelOption::HighPower)});
    App().Document().ApplyEdit(ListEdit{SettingsList::SquelchLevel, 1});
    const Bytes edited = File();
    m_prompter.prompts.clear();
    for (const PromptAnswer a : c.answers) m_prompter.Answer(a);
    if (c.command == cmd::kFileOpen) m_prompter.ChooseOpen(other);
    Frame().OnCommand(c.command);
    std::vector<std::string> asked;
    for (const auto& p : m_prompter.prompts)
      for (const char* key : {"IDS_SAVE_CHANGES", "IDS_WARN_CLEAR"})
        if (p.text == GetLangString(key)) asked.push_back(key);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(m_prompter.prompts.size(), c.asked.size());
    EXPECT_TRUE(File() == edited);
    EXPECT_TRUE(App().Document().IsModified());
    EXPECT_EQ(App().Document().GetPathName(), opened);
    EXPECT_TRUE(test::ReadBytes(opened) == onDisk);
    EXPECT_TRUE(App().Document().CanUndo()) << "the history is kept too";
  }
}

TEST_F(EditHistoryTest, TheEditMenuSpeaksTheLanguageAndSitsAfterTheFileMenu) {
  StartShown();
  const QList<QAction*> tops = Frame().menuBar()->actions();
  ASSERT_GE(tops.size(), 2);
  EXPECT_EQ(tops[1]->text().toStdString(), GetLangString("Menu_Edit"));
  const QList<QAction*> entries = tops[1]->menu()->actions();
  ASSERT_EQ(entries.size(), 2);
  // The entry's name is the text before the tab, its shortcut the keys after it.
  for (const auto& [entry, key] : {std::pair{entries[0], "Menu_Edit_Undo"}, std::pair{entries[1], "Menu_Edit_Redo"}}) {
    const QString text = QString::fromStdString(GetLangString(key));
    EXPECT_EQ(entry->text(), text.section(QLatin1Char('\t'), 0, 0)) << key;
    EXPECT_EQ(entry->shortcut(), QKeySequence(text.section(QLatin1Char('\t'), 1), QKeySequence::PortableText)) << key;
  }
  EXPECT_NE(GetLangString("Menu_Edit_Undo"), kLangNotFound);
}

// A document opened from a file cut short: a write that would send blank bytes for what the
// file lacked asks first, and Cancel sends nothing.
TEST_F(EditHistoryTest, AWriteOfAFileCutShortAsksFirst) {
  const struct {
    std::size_t length;
    bool asked;
    PromptAnswer answer;
    bool writes;
  } cases[] = {
      {500, true, PromptAnswer::Cancel, false},
      {500, true, PromptAnswer::Ok, true},
      {4000, false, PromptAnswer::Ok, true},  // the part a write sends is all there
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + (c.writes ? " writes" : " cancelled"));
    sim::VirtualRadio radio;
    ASSERT_TRUE(radio.Start()) << radio.error();
    m_folder.MapPorts(radio.DevicePath());
    m_app.reset();
    m_prompter.prompts.clear();
    StartShown({Sample("short.dig", c.length)});
    ASSERT_EQ(App().Document().ShortFileLength(), c.length);
    m_prompter.prompts.clear();  // the open's own notice
    if (c.asked) m_prompter.Answer(c.answer);
    m_modals.Then([&](QDialog& d) {
      QTest::mouseClick(test::Button(&d, IDOK), Qt::LeftButton);
      if (c.writes) return d.exec();
      return test::Click(d, IDCANCEL);
    });
    Frame().OnCommand(cmd::kWriteData);
    EXPECT_EQ(m_prompter.prompts.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(m_prompter.prompts[0].text,
                FillIn(GetLangString("IDS_WARN_WRITE_INCOMPLETE"), "%d", std::to_string(c.length)));
    }
    radio.WaitQuiet(100ms, 1s);
    EXPECT_EQ(radio.BytesReceived() > 0, c.writes);
  }
}

}  // namespace
}  // namespace rondel
