// SPDX-License-Identifier: GPL-3.0-or-later
// What the grid adds on screen: the cell under a point at the cell borders, the focus cell
// under the mouse and the keys, and painting of just the update rectangle.
#include "grid_window.h"

#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace rondel {
namespace {

using test::GridWindow;
using test::kColW;
using test::kRowH;

// 40 rows under a 20-pixel heading; scrolled down `scroll` pixels.
TEST(GridHitTest, FindsTheCellOnEachSideOfItsBorders) {
  struct Case {
    int scroll;
    QPoint point;
    CCellID cell;
  };
  const Case cases[] = {
      {0, {0, 0}, {0, 0}},
      {0, {kColW - 1, kRowH - 1}, {0, 0}},
      {0, {kColW, kRowH - 1}, {0, 1}},
      {0, {kColW - 1, kRowH}, {1, 0}},
      {0, {4 * kColW - 1, 5}, {0, 3}},
      {0, {4 * kColW, 5}, {}},  // right of the last column
      {0, {-1, 5}, {}},
      {0, {5, -1}, {}},
      // The heading stays; the first pixel below it belongs to the first row in view.
      {40, {5, kRowH - 1}, {0, 0}},
      {40, {5, kRowH}, {3, 0}},
      {40, {5, 2 * kRowH - 1}, {3, 0}},
      {40, {5, 2 * kRowH}, {4, 0}},
  };
  GridWindow w(40, 4, QSize(300, 220));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.point.x()) + "," + std::to_string(c.point.y()) + " scrolled " +
                 std::to_string(c.scroll));
    w.grid->verticalScrollBar()->setValue(c.scroll);
    EXPECT_EQ(w.grid->GetCellFromPt(c.point), c.cell);
  }
  w.grid->verticalScrollBar()->setValue(w.grid->verticalScrollBar()->maximum());  // the last row ends it
  EXPECT_EQ(w.grid->GetCellFromPt(QPoint(5, w.grid->viewport()->height() - 1)), (CCellID{39, 0}));
}

TEST(GridMouse, AClickMovesTheFocusAndAsksForAnEditOfEditableScrollingCellsOnly) {
  struct Case {
    const char* name;
    CCellID clicked, focus;
    int edits;
  };
  const Case cases[] = {
      {"cell", {2, 3}, {2, 3}, 1},
      {"column heading", {0, 3}, {1, 3}, 0},
      {"row number", {4, 0}, {4, 1}, 0},
      {"read-only cell", {5, 5}, {5, 5}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(8, 6);
    w.grid->SetCellState(5, 5, GVIS_READONLY);
    w.Click(c.clicked.row, c.clicked.col);
    EXPECT_EQ(w.grid->GetFocusCell(), c.focus);
    EXPECT_EQ(w.Count(GVN_BEGINLABELEDIT), c.edits);
  }
}

// Six rows and five columns, one fixed of each, all in view.
TEST(GridKeys, MoveTheFocusWithinTheScrollingCellsAndTabWrapsAtTheRowEnds) {
  struct Case {
    const char* name;
    CCellID start;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    CCellID focus;
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Case cases[] = {
      {"Right", {2, 3}, Qt::Key_Right, none, {2, 4}},
      {"Right at the last column", {2, 4}, Qt::Key_Right, none, {2, 4}},
      {"Left", {2, 2}, Qt::Key_Left, none, {2, 1}},
      {"Left at the first scrolling column", {2, 1}, Qt::Key_Left, none, {2, 1}},
      {"Up", {2, 2}, Qt::Key_Up, none, {1, 2}},
      {"Up at the first scrolling row", {1, 2}, Qt::Key_Up, none, {1, 2}},
      {"Down", {4, 2}, Qt::Key_Down, none, {5, 2}},
      {"Down at the last row", {5, 2}, Qt::Key_Down, none, {5, 2}},
      {"Tab", {2, 3}, Qt::Key_Tab, none, {2, 4}},
      {"Tab wraps to the next row", {2, 4}, Qt::Key_Tab, none, {3, 1}},
      {"Tab at the last cell", {5, 4}, Qt::Key_Tab, none, {5, 4}},
      {"Shift+Tab", {2, 2}, Qt::Key_Tab, Qt::ShiftModifier, {2, 1}},
      {"Shift+Tab wraps to the row before", {3, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 4}},
      {"Shift+Tab at the first cell", {1, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 1}},
      {"Ctrl+Tab is not the grid's", {2, 2}, Qt::Key_Tab, Qt::ControlModifier, {2, 2}},
      {"Home", {4, 3}, Qt::Key_Home, none, {1, 3}},
      {"End", {2, 3}, Qt::Key_End, none, {5, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(6, 5);
    w.grid->SetFocusCell(c.start.row, c.start.col);
    w.reports.clear();
    QTest::keyClick(w.grid, c.key, c.mods);
    EXPECT_EQ(w.grid->GetFocusCell(), c.focus);
    const std::vector<int> moved{GVN_SELCHANGING, GVN_SELCHANGED};
    EXPECT_EQ(w.reports, c.start == c.focus ? std::vector<int>{} : moved);
  }
}

// --- Painting --------------------------------------------------------------------------------

const QColor kCell(200, 0, 0);
const QColor kLine(0, 0, 200);
const QColor kUntouched(1, 2, 3);

struct PaintGrid : GridWindow {
  PaintGrid() : GridWindow(8, 6) {
    grid->SetTextBkColour(kCell);
    grid->SetGridLineColour(kLine);
  }
  // Only `region` of the viewport painted onto a page of a colour the grid never uses.
  QImage Paint(const QRegion& region) const {
    QImage page(grid->viewport()->size(), QImage::Format_RGB32);
    page.fill(kUntouched);
    grid->viewport()->render(&page, region.boundingRect().topLeft(), region);
    return page;
  }
};

// Cell (2, 2) spans x 100..149 and y 40..59; its grid lines are its last column and row.
TEST(GridPaint, AnUpdateRectangleGetsItsCellsAndLinesAndNothingBeyondIt) {
  struct Case {
    const char* name;
    QRect update;
    QPoint inside;
    QColor colour;
    QPoint outside;
  };
  const Case cases[] = {
      {"a cell's last column is its line", QRect(149, 45, 1, 5), {149, 47}, kLine, {150, 47}},
      {"the next cell's first column", QRect(150, 45, 1, 5), {150, 47}, kCell, {149, 47}},
      {"a row line across the first column", QRect(150, 55, 1, 10), {150, 59}, kLine, {151, 59}},
      {"a cell's last row is its line", QRect(110, 59, 5, 1), {112, 59}, kLine, {112, 60}},
      {"the next row's first row", QRect(110, 60, 5, 1), {112, 60}, kCell, {112, 59}},
      {"one pixel", QRect(120, 50, 1, 1), {120, 50}, kCell, {121, 50}},
  };
  PaintGrid w;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QImage page = w.Paint(QRegion(c.update));
    EXPECT_EQ(page.pixelColor(c.inside), c.colour);
    EXPECT_EQ(page.pixelColor(c.outside), kUntouched);
  }
}

TEST(GridPaint, WhileAnEditorIsOpenItsCellIsLeftUnpainted) {
  PaintGrid w;
  w.Click(2, 2);
  ASSERT_EQ(w.grid->GetEditedRect(), QRect(100, 40, kColW, kRowH));
  const QRegion all(w.grid->viewport()->rect());
  EXPECT_EQ(w.Paint(all).pixelColor(120, 50), kCell);
  w.grid->SetEditing(true);
  const QImage page = w.Paint(all);
  EXPECT_NE(page.pixelColor(120, 50), kCell);
  EXPECT_NE(page.pixelColor(100, 40), kCell);
  EXPECT_EQ(page.pixelColor(99, 50), kLine);
  EXPECT_EQ(page.pixelColor(170, 50), kCell);
  w.grid->SetEditing(false);
  EXPECT_EQ(w.Paint(all).pixelColor(120, 50), kCell);
}

}  // namespace
}  // namespace rondel
