// SPDX-License-Identifier: GPL-3.0-or-later
// The form's widgets reach the document through the edit rules: a frequency typed in a grid
// cell, a list chosen, a code typed and left, the frequency-range question, Tab out of an open
// cell editor, the tone list's height, and a command that acts on what an open editor holds. The rules themselves are the form-edit tests'.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "core/image_layout.h"
#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "resources/control_ids.h"
#include "shell/language.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using Bytes = std::vector<std::uint8_t>;

class FormEdit : public test::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CGridCtrl& Grid() { return *View().Grid(); }
  QLineEdit* FreqEditor() { return qobject_cast<QLineEdit*>(View().Control(IDC_FREQ_CELL_EDIT)); }
  QComboBox* List(int id) { return qobject_cast<QComboBox*>(View().Control(id)); }
  Bytes Rx(int n) {
    const auto* p = Doc().image().data() + layout::ChannelOffset(n) + layout::kRxFreq;
    return Bytes(p, p + 4);
  }
  void ClickCell(int row, int col) {
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().GetCellRect(row, col).center());
  }
  std::pair<int, int> FocusCell() { return {Grid().GetFocusCell().row, Grid().GetFocusCell().col}; }
  // Channel n in use, with the grid showing it.
  void UseChannel(int n) {
    Doc().SetFrequencyText(n, Direction::Receive, "446.00625");
    Doc().SetFrequencyText(n, Direction::Transmit, "446.00625");
    App().Document().UpdateAllViews();
  }
};

TEST_F(FormEdit, TabFromAnOpenEditorCommitsItAndMovesOnAsOnTheGrid) {
  struct Case {
    int row, col;
    Qt::KeyboardModifiers modifiers;
    std::pair<int, int> next;
  };
  // Tab from the last column wraps to the next row's first one, Shift+Tab from the first
  // column to the row before's last; each editor kind once.
  const Case cases[] = {
      {2, 1, Qt::NoModifier, {2, 2}},         // frequency
      {3, 1, Qt::ShiftModifier, {2, 11}},     // frequency
      {1, 2, Qt::NoModifier, {1, 3}},         // tone
      {1, 4, Qt::ShiftModifier, {1, 3}},      // tone
      {1, 7, Qt::NoModifier, {1, 8}},         // option
      {1, 11, Qt::NoModifier, {2, 1}},        // option
      {1, 5, Qt::ShiftModifier, {1, 4}},      // option
  };
  UseChannel(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.row << "," << c.col << " shift " << (c.modifiers != Qt::NoModifier));
    ClickCell(c.row, c.col);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(Grid().IsEditing());
    ASSERT_NE(editor, &Grid());
    const bool frequency = editor == FreqEditor();
    if (frequency) QTest::keyClicks(editor, QStringLiteral("438.5"));
    QTest::keyClick(editor, Qt::Key_Tab, c.modifiers);
    EXPECT_FALSE(Grid().IsEditing());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &Grid());
    EXPECT_EQ(FocusCell(), c.next);
    if (frequency) {
      EXPECT_EQ(Rx(c.row), (Bytes{0x00, 0x00, 0x85, 0x43}));
      EXPECT_EQ(Grid().GetCellText(c.row, 1), QStringLiteral("438.50000"));
    }
    // The arrows work on from there.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(FocusCell(), std::make_pair(c.next.first + 1, c.next.second));
  }
}

TEST_F(FormEdit, TheToneListOpensFifteenEntriesHighAndScrolls) {
  UseChannel(1);
  ClickCell(1, 2);
  auto* tones = qobject_cast<QComboBox*>(QApplication::focusWidget());
  ASSERT_NE(tones, nullptr);
  ASSERT_EQ(tones->count(), 259);
  tones->showPopup();
  QAbstractItemView* list = tones->view();
  ASSERT_TRUE(list->isVisible());
  // The entries the open list shows: from the one at its top to the one at its bottom.
  const QWidget* area = list->viewport();
  const int rows = list->indexAt(QPoint(2, area->height() - 2)).row() - list->indexAt(QPoint(2, 1)).row() + 1;
  EXPECT_GE(rows, 14);
  EXPECT_LE(rows, 16);
  EXPECT_GT(list->verticalScrollBar()->maximum(), 0);
  tones->hidePopup();
}

TEST_F(FormEdit, TheRangeQuestionComesWhenAChoiceIsCommittedNotWhileBrowsing) {
  struct Case {
    PromptAnswer answer;
    bool erased;
  };
  for (const Case c : {Case{PromptAnswer::Cancel, false}, Case{PromptAnswer::Ok, true}}) {
    SCOPED_TRACE(c.erased ? "OK" : "Cancel");
    UseChannel(1);
    QComboBox* range = List(IDC_FREQ_RANGE);
    ASSERT_EQ(range->currentIndex(), 0);
    ASSERT_GE(range->count(), 3);
    const CRondelDoc::Image before = Doc().image();
    m_prompter.prompts.clear();
    range->showPopup();
    QAbstractItemView* list = range->view();
    ASSERT_TRUE(list->isVisible());
    for (int step : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(list, static_cast<Qt::Key>(step));
    EXPECT_TRUE(m_prompter.prompts.empty()) << "browsing asks nothing";
    EXPECT_EQ(Doc().image(), before);
    m_prompter.Answer(c.answer);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_CONFIRM_FREQ"));
    EXPECT_FALSE(list->isVisible());
    // Cancel puts the range that was chosen before back, and the channels stay.
    EXPECT_EQ(range->currentIndex(), c.erased ? 1 : 0);
    EXPECT_EQ(Doc().IsChannelEmpty(1), c.erased);
    if (!c.erased) {
      EXPECT_EQ(Doc().image(), before);
    } else {
      // Back to the first range for the next case, which asks again.
      m_prompter.Answer(PromptAnswer::Ok);
      QTest::keyClick(range, Qt::Key_Up);
      ASSERT_EQ(range->currentIndex(), 0);
    }
  }
}

TEST_F(FormEdit, AFrequencyTypedInACellIsStoredByTheBandRuleAndShownFromTheImage) {
  ClickCell(1, 1);
  ASSERT_TRUE(FreqEditor()->hasFocus());
  EXPECT_EQ(FreqEditor()->mapToGlobal(QPoint(0, 0)), Grid().viewport()->mapToGlobal(Grid().GetCellRect(1, 1).topLeft()));
  QTest::keyClicks(FreqEditor(), QStringLiteral("446.00625"));
  QTest::keyClick(FreqEditor(), Qt::Key_Return);
  EXPECT_EQ(Rx(1), (Bytes{0x25, 0x06, 0x60, 0x44}));
  EXPECT_TRUE(App().Document().IsModified());
  // The keyboard alone: down to channel 2, Enter opens its editor; below the band stores the
  // lower edge.
  ASSERT_TRUE(Grid().hasFocus());
  QTest::keyClick(&Grid(), Qt::Key_Down);
  QTest::keyClick(&Grid(), Qt::Key_Return);
  ASSERT_TRUE(FreqEditor()->hasFocus());
  QTest::keyClicks(FreqEditor(), QStringLiteral("5"));
  QTest::keyClick(FreqEditor(), Qt::Key_Return);
  EXPECT_EQ(Rx(2), (Bytes{0x00, 0x00, 0x00, 0x40}));
  EXPECT_EQ(Grid().GetCellText(2, 1).toStdString(), Doc().GetFrequencyText(2, Direction::Receive));
  EXPECT_FALSE(FreqEditor()->isVisible());
  EXPECT_FALSE(Grid().IsEditing());
}

TEST_F(FormEdit, ACommandFirstStoresWhatAnOpenEditorHolds) {
  ClickCell(3, 1);
  QTest::keyClicks(FreqEditor(), QStringLiteral("446.00625"));
  const std::string path = m_folder.File("typed.dig");
  m_prompter.ChooseSave(path);
  QTest::keyClick(FreqEditor(), Qt::Key_S, Qt::ControlModifier);
  const Bytes file = test::ReadBytes(path);
  ASSERT_EQ(file.size(), 4144u);
  EXPECT_EQ(Bytes(file.begin() + 48 + 0x30, file.begin() + 48 + 0x38),
            (Bytes{0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44}));
  EXPECT_FALSE(Grid().IsEditing());
  EXPECT_FALSE(App().Document().IsModified());
}

TEST_F(FormEdit, AListChoiceIsStoredAtOnceAndACodeWhenTheFocusLeaves) {
  CRondelDoc::Image want = Doc().image();
  QTest::keyClick(List(IDC_SQUELCH), Qt::Key_Down);
  want[0x3C1] = 4;
  EXPECT_EQ(Doc().image(), want);
  EXPECT_TRUE(App().Document().IsModified());

  auto* field = qobject_cast<QLineEdit*>(View().Control(IDC_PTT_START));
  field->setEnabled(true);
  field->show();
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClicks(field, QStringLiteral("1x2ab"));
  EXPECT_EQ(Doc().image(), want) << "nothing stored while the field has the focus";
  QTest::keyClick(field, Qt::Key_Tab);
  EXPECT_EQ(field->text(), QStringLiteral("12ab"));
  EXPECT_EQ(Bytes(Doc().image().begin() + 0x3A0, Doc().image().begin() + 0x3A5), (Bytes{1, 2, 10, 11, 0xFF}));
}

TEST_F(FormEdit, OnlyOkToTheRangeQuestionErasesTheChannels) {
  struct Case {
    PromptAnswer answer;
    bool erased;
  };
  for (const Case c : {Case{PromptAnswer::Cancel, false}, Case{PromptAnswer::Ok, true}}) {
    Doc().SetFrequencyText(1, Direction::Receive, "446.00625");
    App().Document().UpdateAllViews();
    m_prompter.prompts.clear();
    m_prompter.Answer(c.answer);
    QTest::keyClick(List(IDC_FREQ_RANGE), Qt::Key_Down);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_CONFIRM_FREQ"));
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(List(IDC_FREQ_RANGE)->currentIndex(), c.erased ? 1 : 0);
    EXPECT_EQ(Doc().IsChannelEmpty(1), c.erased);
    EXPECT_EQ(Grid().GetCellText(1, 1).isEmpty(), c.erased);
  }
}

}  // namespace
}  // namespace rondel
