// The focus cell under the mouse and the keyboard, the reports that go with it, and scrolling
// by scroll bar and wheel.
#include "grid_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace rondel {
namespace {

using test::GridWindow;
using test::kColW;
using test::kRowH;

// --- Mouse -----------------------------------------------------------------------------------

struct ClickCase {
  const char* name;
  friend void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }
  CCellID start;    // focus cell before the click
  CCellID clicked;
  CCellID focus;    // focus cell after
  int edits;        // begin-edit reports
};

class MouseClick : public ::testing::TestWithParam<ClickCase> {};

TEST_P(MouseClick, MovesTheFocusCellAndRequestsAnEdit) {
  const ClickCase& c = GetParam();
  GridWindow w(8, 6, 1, 1);
  w.grid->SetCellState(4, 4, GVIS_READONLY);
  if (c.start.IsValid()) w.grid->SetFocusCell(c.start.row, c.start.col);
  w.reports.clear();
  w.Click(c.clicked.row, c.clicked.col);
  EXPECT_EQ(w.grid->GetFocusCell(), c.focus);
  const auto edits = w.Of(GVN_BEGINLABELEDIT);
  ASSERT_EQ(static_cast<int>(edits.size()), c.edits);
  for (const CGridReport& r : edits) {
    EXPECT_EQ(r.item.row, c.focus.row);
    EXPECT_EQ(r.item.col, c.focus.col);
    EXPECT_EQ(r.item.mask, GVIF_ALL);
    EXPECT_EQ(r.item.text, w.grid->GetCellText(c.focus.row, c.focus.col));
    const QRect client = w.grid->GetCellRect(c.focus.row, c.focus.col);
    EXPECT_EQ(r.screenRect, QRect(w.grid->viewport()->mapToGlobal(client.topLeft()), client.size()));
    EXPECT_EQ(w.grid->GetEditedRect(), client);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseClick,
    ::testing::Values(ClickCase{"OnACell", {}, {2, 3}, {2, 3}, 1},
                      ClickCase{"OnTheFocusCellAgain", {2, 3}, {2, 3}, {2, 3}, 1},
                      ClickCase{"OnAnotherCell", {2, 3}, {5, 1}, {5, 1}, 1},
                      ClickCase{"OnAColumnHeading", {5, 1}, {0, 3}, {1, 3}, 0},
                      ClickCase{"OnARowNumber", {2, 3}, {6, 0}, {6, 1}, 0},
                      ClickCase{"OnTheCorner", {2, 3}, {0, 0}, {1, 1}, 0},
                      ClickCase{"OnTheHeadingOfTheFocusColumn", {1, 3}, {0, 3}, {1, 3}, 0},
                      ClickCase{"OnAReadOnlyCell", {2, 3}, {4, 4}, {4, 4}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MouseClick, FocusReportsTellTheOldCellLeavingThenTheNewOneArriving) {
  GridWindow w(8, 6, 1, 1);
  w.Click(2, 2);
  w.reports.clear();
  w.Click(3, 4);
  ASSERT_EQ(w.reports.size(), 3u);
  EXPECT_EQ(w.reports[0].code, GVN_SELCHANGING);
  EXPECT_EQ((CCellID{w.reports[0].item.row, w.reports[0].item.col}), (CCellID{2, 2}));
  EXPECT_NE(w.reports[0].item.state & GVIS_FOCUSED, 0u);
  EXPECT_EQ(w.reports[1].code, GVN_SELCHANGED);
  EXPECT_EQ((CCellID{w.reports[1].item.row, w.reports[1].item.col}), (CCellID{3, 4}));
  EXPECT_NE(w.reports[1].item.state & GVIS_FOCUSED, 0u);
  EXPECT_EQ(w.reports[2].code, GVN_BEGINLABELEDIT);
  EXPECT_EQ(w.grid->GetCellState(2, 2) & GVIS_FOCUSED, 0u);
}

TEST(MouseClick, OutsideAllCellsEditsTheFocusCellAgain) {
  GridWindow w(3, 3, 1, 1);  // the table ends well inside the window
  w.grid->SetFocusCell(2, 1);
  w.reports.clear();
  w.ClickAt(QPoint(3 * kColW + 40, 10));
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{2, 1}));
  ASSERT_EQ(w.Count(GVN_BEGINLABELEDIT), 1);
  EXPECT_EQ(w.Of(GVN_BEGINLABELEDIT)[0].item.row, 2);
}

TEST(MouseClick, TakesTheKeyboardFocusFromAnEditor) {
  GridWindow w(5, 5, 1, 1);
  auto* editor = new QLineEdit(&w.owner);
  editor->setGeometry(0, 0, 10, 10);
  editor->show();
  editor->setFocus();
  ASSERT_TRUE(editor->hasFocus());
  w.Click(2, 2);
  EXPECT_TRUE(w.grid->hasFocus());
}

TEST(MouseClick, RightButtonDoesNothing) {
  GridWindow w(5, 5, 1, 1);
  w.grid->SetFocusCell(1, 1);
  w.reports.clear();
  QTest::mouseClick(w.grid->viewport(), Qt::RightButton, Qt::NoModifier, w.CentreOf(3, 3));
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{1, 1}));
  EXPECT_TRUE(w.reports.empty());
}

// --- Who hears the reports -------------------------------------------------------------------

TEST(Reports, GoOnlyWhileTheOwnerOrParentExists) {
  struct Case {
    const char* name;
    std::function<void(CGridCtrl&, QWidget& other)> setUp;
    bool heard;
  };
  const Case cases[] = {
      {"parent, no owner", [](CGridCtrl&, QWidget&) {}, true},
      {"owner set", [](CGridCtrl& g, QWidget& other) { g.SetOwner(&other); }, true},
      {"owner gone", [](CGridCtrl& g, QWidget&) {
         auto* gone = new QWidget;
         g.SetOwner(gone);
         delete gone;
       }, false},
      {"no parent, no owner", [](CGridCtrl& g, QWidget&) { g.setParent(nullptr); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(5, 5, 1, 1);
    QWidget other;
    c.setUp(*w.grid, other);
    w.grid->SetFocusCell(2, 2);
    EXPECT_TRUE(w.grid->RequestEdit(2, 2) == c.heard);
    EXPECT_EQ(w.Count(GVN_BEGINLABELEDIT), c.heard ? 1 : 0);
    EXPECT_EQ(w.Count(GVN_SELCHANGED), c.heard ? 1 : 0);
    if (w.grid->parent() == nullptr) delete w.grid;
  }
}

TEST(Reports, ReadOnlyOrUneditableCellsNeverReport) {
  struct Case {
    const char* name;
    bool readOnly;
    bool editable;
    int edits;
  };
  const Case cases[] = {{"editable cell", false, true, 2}, {"read-only cell", true, true, 0}, {"grid not editable", false, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(5, 5, 1, 1);
    w.grid->SetEditable(c.editable);
    w.grid->SetCellState(2, 2, c.readOnly ? GVIS_READONLY : 0);
    w.Click(2, 2);
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Count(GVN_BEGINLABELEDIT), c.edits);
    EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{2, 2}));
  }
}

TEST(Reports, EnterEditsTheFocusCellAndNothingWithoutOne) {
  GridWindow w(5, 5, 1, 1);
  w.Key(Qt::Key_Enter);
  EXPECT_TRUE(w.reports.empty());
  w.grid->SetFocusCell(3, 2);
  w.reports.clear();
  w.Key(Qt::Key_Enter);
  w.Key(Qt::Key_Return);
  const auto edits = w.Of(GVN_BEGINLABELEDIT);
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ((CCellID{edits[1].item.row, edits[1].item.col}), (CCellID{3, 2}));
}

TEST(Reports, RequestEditScrollsAHiddenCellIntoViewFirst) {
  GridWindow w(40, 20, 1, 1, QSize(300, 220));
  ASSERT_TRUE(w.grid->RequestEdit(30, 15));
  EXPECT_TRUE(w.grid->IsCellVisible(30, 15));
  const QRect rect = w.grid->GetCellRect(30, 15);
  EXPECT_LE(rect.bottom(), w.grid->viewport()->height() - 1);
  EXPECT_LE(rect.right(), w.grid->viewport()->width() - 1);
  ASSERT_EQ(w.Count(GVN_BEGINLABELEDIT), 1);
  EXPECT_EQ(w.Of(GVN_BEGINLABELEDIT)[0].screenRect.topLeft(), w.grid->viewport()->mapToGlobal(rect.topLeft()));
}

// --- Keyboard --------------------------------------------------------------------------------

struct KeyCase {
  const char* name;
  friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
  CCellID start;
  int key;
  Qt::KeyboardModifiers modifiers;
  CCellID focus;
};

class KeyMove : public ::testing::TestWithParam<KeyCase> {};

// Six rows and five columns with one fixed of each, all in view.
TEST_P(KeyMove, MovesTheFocusCell) {
  const KeyCase& c = GetParam();
  GridWindow w(6, 5, 1, 1);
  w.grid->SetFocusCell(c.start.row, c.start.col);
  w.reports.clear();
  w.Key(c.key, c.modifiers);
  EXPECT_EQ(w.grid->GetFocusCell(), c.focus);
  const bool moved = !(c.start == c.focus);
  EXPECT_EQ(w.Count(GVN_SELCHANGING), moved ? 1 : 0);
  EXPECT_EQ(w.Count(GVN_SELCHANGED), moved ? 1 : 0);
  EXPECT_EQ(w.Count(GVN_BEGINLABELEDIT), 0);
  EXPECT_TRUE(w.grid->hasFocus());  // Tab never leaves the grid while it moves the focus cell
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyMove,
    ::testing::Values(KeyCase{"RightMoves", {2, 2}, Qt::Key_Right, kNone, {2, 3}},
                      KeyCase{"RightStopsAtLastColumn", {2, 4}, Qt::Key_Right, kNone, {2, 4}},
                      KeyCase{"LeftMoves", {2, 3}, Qt::Key_Left, kNone, {2, 2}},
                      KeyCase{"LeftNeverIntoFixedColumn", {2, 1}, Qt::Key_Left, kNone, {2, 1}},
                      KeyCase{"UpMoves", {3, 2}, Qt::Key_Up, kNone, {2, 2}},
                      KeyCase{"UpNeverIntoFixedRow", {1, 2}, Qt::Key_Up, kNone, {1, 2}},
                      KeyCase{"DownMoves", {3, 2}, Qt::Key_Down, kNone, {4, 2}},
                      KeyCase{"DownStopsAtLastRow", {5, 2}, Qt::Key_Down, kNone, {5, 2}},
                      KeyCase{"TabNextColumn", {2, 2}, Qt::Key_Tab, kNone, {2, 3}},
                      KeyCase{"TabWrapsToNextRow", {2, 4}, Qt::Key_Tab, kNone, {3, 1}},
                      KeyCase{"TabNoMoveFromLastCell", {5, 4}, Qt::Key_Tab, kNone, {5, 4}},
                      KeyCase{"ShiftTabPreviousColumn", {2, 3}, Qt::Key_Tab, Qt::ShiftModifier, {2, 2}},
                      KeyCase{"ShiftTabWrapsToPreviousRow", {3, 1}, Qt::Key_Tab, Qt::ShiftModifier, {2, 4}},
                      KeyCase{"BacktabWrapsToPreviousRow", {3, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 4}},
                      KeyCase{"ShiftTabNoMoveFromFirstCell", {1, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 1}},
                      KeyCase{"HomeFirstRowSameColumn", {4, 3}, Qt::Key_Home, kNone, {1, 3}},
                      KeyCase{"EndLastRowSameColumn", {2, 3}, Qt::Key_End, kNone, {5, 3}},
                      KeyCase{"PageDownWithoutScrollGoesToLastRow", {2, 2}, Qt::Key_PageDown, kNone, {5, 2}},
                      KeyCase{"PageUpWithoutScrollGoesToFirstRow", {4, 2}, Qt::Key_PageUp, kNone, {1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyMove, TabWithoutTabHandlingOrWithCtrlIsNotTheGrids) {
  GridWindow w(6, 5, 1, 1);
  auto* next = new QLineEdit(&w.owner);
  next->setGeometry(0, 0, 10, 10);
  next->show();
  w.grid->setFocus();
  w.grid->SetFocusCell(2, 2);
  w.Key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{2, 2}));
  w.grid->setFocus();
  w.grid->SetHandleTabKey(false);
  w.Key(Qt::Key_Tab);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{2, 2}));
  EXPECT_TRUE(next->hasFocus());
}

TEST(KeyMove, ArrowsWithoutAFocusCellAreLeftToOthers) {
  GridWindow w(6, 5, 1, 1);
  const int before = w.grid->verticalScrollBar()->value();
  w.Key(Qt::Key_Down);
  EXPECT_FALSE(w.grid->GetFocusCell().IsValid());
  EXPECT_EQ(w.grid->verticalScrollBar()->value(), before);
  EXPECT_TRUE(w.reports.empty());
}

// 40 rows of 20 pixels under a 20-pixel heading in a 220-pixel view: ten rows in view.
struct ScrollKeyCase {
  const char* name;
  friend void PrintTo(const ScrollKeyCase& c, std::ostream* os) { *os << c.name; }
  int startScroll;  // vertical position before
  CCellID start;
  int key;
  CCellID focus;
  int scroll;       // vertical position after
};

class KeyScroll : public ::testing::TestWithParam<ScrollKeyCase> {};

TEST_P(KeyScroll, ScrollsAndMovesTheFocusRow) {
  const ScrollKeyCase& c = GetParam();
  GridWindow w(40, 4, 1, 1, QSize(300, 220));
  ASSERT_EQ(w.grid->viewport()->height(), 220);
  w.grid->verticalScrollBar()->setValue(c.startScroll);
  w.grid->SetFocusCell(c.start.row, c.start.col);
  w.Key(c.key);
  EXPECT_EQ(w.grid->GetFocusCell(), c.focus);
  EXPECT_EQ(w.grid->verticalScrollBar()->value(), c.scroll);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyScroll,
    ::testing::Values(
        // A page is the ten rows in view; the focus row moves as far as the top row did.
        ScrollKeyCase{"PageDown", 0, {3, 1}, Qt::Key_PageDown, {13, 1}, 200},
        ScrollKeyCase{"PageDownNearTheEnd", 500, {30, 2}, Qt::Key_PageDown, {34, 2}, 580},
        ScrollKeyCase{"PageDownAtTheEnd", 580, {30, 2}, Qt::Key_PageDown, {39, 2}, 580},
        ScrollKeyCase{"PageUp", 300, {20, 1}, Qt::Key_PageUp, {10, 1}, 100},
        ScrollKeyCase{"PageUpAtTheTop", 0, {8, 1}, Qt::Key_PageUp, {1, 1}, 0},
        ScrollKeyCase{"Home", 300, {20, 1}, Qt::Key_Home, {1, 1}, 0},
        ScrollKeyCase{"End", 0, {2, 3}, Qt::Key_End, {39, 3}, 580},
        // Down from the last row in view: into view, then one row further.
        ScrollKeyCase{"DownPastTheBottom", 0, {10, 1}, Qt::Key_Down, {11, 1}, 40},
        ScrollKeyCase{"DownInsideTheView", 0, {5, 1}, Qt::Key_Down, {6, 1}, 0},
        ScrollKeyCase{"UpPastTheTop", 100, {6, 1}, Qt::Key_Up, {5, 1}, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyScroll, TabWrapsToTheNextRowAndTheStartOfIt) {
  // Twenty columns of 50 pixels in a 300-pixel view: the last column needs horizontal scrolling.
  GridWindow w(40, 20, 1, 1, QSize(300, 220));
  w.grid->SetFocusCell(10, 19);
  w.grid->EnsureVisible(10, 19);
  ASSERT_GT(w.grid->horizontalScrollBar()->value(), 0);
  w.Key(Qt::Key_Tab);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{11, 1}));
  EXPECT_EQ(w.grid->horizontalScrollBar()->value(), 0);
  EXPECT_TRUE(w.grid->IsCellVisible(11, 1));

  w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{10, 19}));
  EXPECT_EQ(w.grid->horizontalScrollBar()->value(), w.grid->horizontalScrollBar()->maximum());
}

// --- Scroll bars and wheel -------------------------------------------------------------------

TEST(Scrolling, RangesCoverTheScrollingPartBeyondTheView) {
  GridWindow w(40, 20, 1, 1, QSize(300, 220));
  const int vpH = w.grid->viewport()->height();
  const int vpW = w.grid->viewport()->width();
  EXPECT_EQ(w.grid->verticalScrollBar()->maximum(), 39 * kRowH - (vpH - kRowH));
  EXPECT_EQ(w.grid->verticalScrollBar()->pageStep(), vpH - kRowH);
  EXPECT_EQ(w.grid->horizontalScrollBar()->maximum(), 19 * kColW - (vpW - kColW));

  GridWindow small(3, 3, 1, 1);
  EXPECT_EQ(small.grid->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(small.grid->horizontalScrollBar()->maximum(), 0);
}

TEST(Scrolling, ALineIsTheHeightOfTheRowLeavingOrEnteringAtTheTop) {
  GridWindow w(40, 4, 1, 1, QSize(300, 220));
  w.grid->SetRowHeight(1, 35);
  w.grid->SetRowHeight(2, 12);
  QScrollBar* bar = w.grid->verticalScrollBar();
  struct Step {
    QAbstractSlider::SliderAction action;
    int value;
  };
  const Step steps[] = {{QAbstractSlider::SliderSingleStepAdd, 35}, {QAbstractSlider::SliderSingleStepAdd, 47},
                        {QAbstractSlider::SliderSingleStepSub, 35}, {QAbstractSlider::SliderSingleStepSub, 0},
                        {QAbstractSlider::SliderSingleStepSub, 0},  {QAbstractSlider::SliderPageStepAdd, 200},
                        {QAbstractSlider::SliderPageStepSub, 0}};
  for (const Step& s : steps) {
    bar->triggerAction(s.action);
    EXPECT_EQ(bar->value(), s.value);
  }
}

TEST(Scrolling, EveryScrollActionAndResizeTakesTheKeyboardFocus) {
  struct Case {
    const char* name;
    std::function<void(GridWindow&)> act;
  };
  const Case cases[] = {
      {"scroll bar line", [](GridWindow& w) { w.grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd); }},
      {"scroll bar page", [](GridWindow& w) { w.grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd); }},
      {"wheel", [](GridWindow& w) { w.Wheel(-120); }},
      {"resize", [](GridWindow& w) { w.grid->resize(250, 200); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(40, 20, 1, 1, QSize(300, 220));
    auto* editor = new QLineEdit(&w.owner);
    editor->setGeometry(0, 0, 10, 10);
    editor->show();
    editor->setFocus();
    ASSERT_FALSE(w.grid->hasFocus());
    c.act(w);
    EXPECT_TRUE(w.grid->hasFocus());
  }
}

struct WheelCase {
  const char* name;
  friend void PrintTo(const WheelCase& c, std::ostream* os) { *os << c.name; }
  int lines;       // the platform's wheel setting
  int startScroll;
  int delta;
  int scroll;      // vertical position after
};

class Wheel : public ::testing::TestWithParam<WheelCase> {};

// 40 rows of 20 pixels, ten in view, so a page is 200 pixels.
TEST_P(Wheel, ScrollsLinesOrPagesPerNotch) {
  const WheelCase& c = GetParam();
  GridWindow w(40, 4, 1, 1, QSize(300, 220));
  w.grid->SetWheelLinesSource([&c] { return c.lines; });
  w.grid->verticalScrollBar()->setValue(c.startScroll);
  w.Wheel(c.delta);
  EXPECT_EQ(w.grid->verticalScrollBar()->value(), c.scroll);
}

INSTANTIATE_TEST_SUITE_P(Cases, Wheel,
                         ::testing::Values(WheelCase{"ThreeLinesDown", 3, 0, -120, 60},
                                           WheelCase{"ThreeLinesUp", 3, 200, 120, 140},
                                           WheelCase{"TwoNotches", 3, 0, -240, 120},
                                           WheelCase{"FiveLines", 5, 0, -120, 100},
                                           WheelCase{"QuarterNotchIsNothing", 3, 100, -30, 100},
                                           WheelCase{"HalfNotchOfThreeIsOneLine", 3, 100, -60, 120},
                                           WheelCase{"PageDown", -1, 0, -120, 200},
                                           WheelCase{"PageUp", -1, 300, 120, 100},
                                           WheelCase{"TwoPages", -1, 0, -240, 400},
                                           WheelCase{"LessThanANotchOfPagesIsNothing", -1, 100, -119, 100},
                                           WheelCase{"HugeSettingStopsAtTheEnd", 1'000'000'000, 0, -1200, 580},
                                           WheelCase{"ZeroLines", 0, 100, -120, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Wheel, LinesComeFromThePlatformAndAreReadAgainOnASettingsChange) {
  GridWindow w(40, 4, 1, 1, QSize(300, 220));
  EXPECT_EQ(w.grid->GetWheelLines(), QApplication::wheelScrollLines());
  int setting = 7;
  w.grid->SetWheelLinesSource([&setting] { return setting; });
  EXPECT_EQ(w.grid->GetWheelLines(), 7);
  setting = -1;
  EXPECT_EQ(w.grid->GetWheelLines(), 7);  // read when told, not at every notch
  QEvent change(QEvent::ThemeChange);
  QApplication::sendEvent(w.grid, &change);
  EXPECT_EQ(w.grid->GetWheelLines(), -1);
  w.grid->SetWheelLinesSource(nullptr);
  EXPECT_EQ(w.grid->GetWheelLines(), QApplication::wheelScrollLines());
}

// --- The owner changing the grid while it hears a report --------------------------------------

TEST(Reports, AnOwnerShrinkingTheTableWhileHearingAReportLeavesTheGridSound) {
  GridWindow w(8, 6, 1, 1);
  w.grid->SetFocusCell(2, 2);
  QObject::connect(w.grid, &CGridCtrl::focusLeaving, w.grid, [&w](const CGridReport&) { w.grid->SetRowCount(2); });
  w.Key(Qt::Key_Down);
  EXPECT_EQ(w.grid->GetRowCount(), 2);
  EXPECT_FALSE(w.grid->GetFocusCell().IsValid());
  w.Key(Qt::Key_Down);
  w.Click(1, 1);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{1, 1}));
}

}  // namespace
}  // namespace rondel
