// The channel grid's cell editors on their own: what the frequency field lets through, how
// Enter and Escape hand the focus back, and when an edit counts as done.
#include <gtest/gtest.h>

#include <ostream>

#include <QAbstractItemView>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "view/cell_editors.h"

namespace rondel {
namespace {

// A window with an owner (standing for the grid) and one editor, shown and focused.
template <typename Editor>
struct EditorRig {
  QWidget window;
  QWidget* owner = new QWidget(&window);
  Editor* editor = new Editor(&window);
  EditorRig() {
    owner->setFocusPolicy(Qt::StrongFocus);
    owner->setGeometry(0, 0, 100, 20);
    editor->setGeometry(0, 30, 100, 20);
    editor->SetOwner(owner);
    window.resize(200, 80);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    editor->setFocus();
  }
};

struct KeyCase {
  const char* name;
  const char* opening;
  // Keys, one character each, typed after the opening text was selected and the caret sent
  // to the end: printable characters as themselves, 'B' backspace, 'V' Ctrl+V, 'Z' Ctrl+Z,
  // 'I' Shift+Insert, 'H' Home, 'X' Delete.
  const char* keys;
  const char* expected;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

void Press(QWidget* w, char k) {
  switch (k) {
    case 'B': QTest::keyClick(w, Qt::Key_Backspace); break;
    case 'V': QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier); break;
    case 'Z': QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier); break;
    case 'I': QTest::keyClick(w, Qt::Key_Insert, Qt::ShiftModifier); break;
    case 'H': QTest::keyClick(w, Qt::Key_Home); break;
    case 'X': QTest::keyClick(w, Qt::Key_Delete); break;
    default: QTest::keyClick(w, k); break;
  }
}

class FrequencyKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(FrequencyKeys, LetOnlyDigitsOnePointAndBackspaceThrough) {
  const KeyCase& c = GetParam();
  EditorRig<CFreqCellEdit> rig;
  rig.editor->Open(QString::fromLatin1(c.opening));
  rig.editor->end(false);
  for (const char* k = c.keys; *k; ++k) Press(rig.editor, *k);
  EXPECT_EQ(rig.editor->text().toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrequencyKeys,
    ::testing::Values(
        KeyCase{"Digits", "", "446", "446"},
        KeyCase{"OnePoint", "", "446.00625", "446.00625"},
        KeyCase{"SecondPointRefused", "", "446.0.1", "446.01"},
        KeyCase{"PointRefusedWhileTextHoldsOne", "1.5", "H.", "1.5"},
        KeyCase{"TenthCharacterRefused", "", "446.006251", "446.00625"},
        KeyCase{"LettersAndSignsRefused", "", "4a-4 6,+e", "446"},
        KeyCase{"Backspace", "446.5", "BB", "446"},
        KeyCase{"DeleteAtTheCaret", "446", "HX", "46"},
        KeyCase{"ClipboardAndUndoRefused", "12", "VIZ", "12"},
        KeyCase{"TypingKeepsTheCaretWhereItIs", "", "12H3", "312"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrequencyEditor, OpensWithTheWholeTextSelectedSoTypingReplacesIt) {
  EditorRig<CFreqCellEdit> rig;
  rig.editor->Open(QStringLiteral("446.00625"));
  EXPECT_EQ(rig.editor->selectedText(), QStringLiteral("446.00625"));
  QTest::keyClicks(rig.editor, QStringLiteral("5"));
  EXPECT_EQ(rig.editor->text(), QStringLiteral("5"));
}

struct HandBackCase {
  const char* name;
  Qt::Key key;
  const char* expected;  // text left in the field
};

void PrintTo(const HandBackCase& c, std::ostream* os) { *os << c.name; }

class FrequencyHandBack : public ::testing::TestWithParam<HandBackCase> {};

TEST_P(FrequencyHandBack, GivesTheFocusToTheOwnerAndReportsTheEditDoneOnce) {
  EditorRig<CFreqCellEdit> rig;
  QSignalSpy done(rig.editor, &CFreqCellEdit::editDone);
  rig.editor->Open(QStringLiteral("446.00300"));
  QTest::keyClicks(rig.editor, QStringLiteral("147"));
  QTest::keyClick(rig.editor, GetParam().key);
  EXPECT_TRUE(rig.owner->hasFocus());
  EXPECT_EQ(done.count(), 1);
  EXPECT_EQ(rig.editor->text().toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, FrequencyHandBack,
                         ::testing::Values(HandBackCase{"Enter", Qt::Key_Return, "147"},
                                           HandBackCase{"KeypadEnter", Qt::Key_Enter, "147"},
                                           HandBackCase{"EscapeRestores", Qt::Key_Escape, "446.00300"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrequencyEditor, ReportsNothingWhileItKeepsTheFocus) {
  EditorRig<CFreqCellEdit> rig;
  QSignalSpy done(rig.editor, &CFreqCellEdit::editDone);
  QTest::keyClicks(rig.editor, QStringLiteral("1"));
  EXPECT_EQ(done.count(), 0);
  rig.owner->setFocus();
  EXPECT_EQ(done.count(), 1);
}

TEST(ToneEditor, ShowsItsItemsInUpperCaseAndSelectsByPrefixWithoutAReport) {
  EditorRig<CToneCellCombo> rig;
  QSignalSpy changed(rig.editor, &QComboBox::currentIndexChanged);
  rig.editor->SetItems({QStringLiteral("Off"), QStringLiteral("67.0"), QStringLiteral("D023n")});
  EXPECT_EQ(rig.editor->itemText(0), QStringLiteral("OFF"));
  EXPECT_EQ(rig.editor->itemText(2), QStringLiteral("D023N"));
  rig.editor->SelectByPrefix(QStringLiteral("d0"));
  EXPECT_EQ(rig.editor->currentIndex(), 2);
  rig.editor->SelectByPrefix(QStringLiteral("254.1"));
  EXPECT_EQ(rig.editor->currentIndex(), -1);
  EXPECT_EQ(changed.count(), 0);
}

struct ChoiceCase {
  const char* name;
  Qt::Key key;
  int selection;  // left in the list
  int reports;    // choiceSelected
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChoiceKeys : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceKeys, ReportEachChangeAtOnceAndEscapePutsTheOpeningItemBackSilently) {
  EditorRig<CChoiceCellCombo> rig;
  QSignalSpy chosen(rig.editor, &CChoiceCellCombo::choiceSelected);
  QSignalSpy done(rig.editor, &CChoiceCellCombo::editDone);
  rig.editor->Open({QStringLiteral("Low"), QStringLiteral("High")}, QStringLiteral("Low"));
  EXPECT_EQ(chosen.count(), 0);
  QTest::keyClick(rig.editor, Qt::Key_Down);
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toInt(), 1);
  QTest::keyClick(rig.editor, GetParam().key);
  EXPECT_EQ(rig.editor->currentIndex(), GetParam().selection);
  EXPECT_EQ(chosen.count(), GetParam().reports);
  EXPECT_TRUE(rig.owner->hasFocus());
  EXPECT_EQ(done.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, ChoiceKeys,
                         ::testing::Values(ChoiceCase{"Enter", Qt::Key_Return, 1, 1},
                                           ChoiceCase{"Escape", Qt::Key_Escape, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChoiceEditor, RefillsAtEachOpeningWithoutReportingTheFill) {
  EditorRig<CChoiceCellCombo> rig;
  QSignalSpy chosen(rig.editor, &CChoiceCellCombo::choiceSelected);
  rig.editor->Open({QStringLiteral("Yes"), QStringLiteral("No")}, QStringLiteral("No"));
  EXPECT_EQ(rig.editor->currentIndex(), 1);
  rig.editor->Open({QStringLiteral("Wide"), QStringLiteral("Narrow")}, QStringLiteral("Wide"));
  EXPECT_EQ(rig.editor->count(), 2);
  EXPECT_EQ(rig.editor->itemText(1), QStringLiteral("Narrow"));
  EXPECT_EQ(rig.editor->currentIndex(), 0);
  EXPECT_EQ(chosen.count(), 0);
}

}  // namespace
}  // namespace rondel
