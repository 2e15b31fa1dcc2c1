// What the grid paints on screen, what it leaves unpainted under an editor, and what its two
// print operations draw.
#include "grid_test_support.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace rondel {
namespace {

using test::GridWindow;
using test::kColW;
using test::kRowH;

const QColor kCellRed(200, 0, 0);
const QColor kLine(0, 0, 200);
const QColor kFixedBk(0, 160, 0);
const QColor kGridBk(90, 90, 90);

// A grid without texts, with colours that tell every part apart.
struct PaintGrid : GridWindow {
  explicit PaintGrid(int rows = 8, int cols = 6, QSize size = QSize(400, 300)) : GridWindow(rows, cols, 1, 1, size) {
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Light, QColor(255, 255, 250));
    pal.setColor(QPalette::Midlight, QColor(230, 230, 220));
    pal.setColor(QPalette::Dark, QColor(120, 120, 110));
    pal.setColor(QPalette::Shadow, QColor(10, 10, 5));
    pal.setColor(QPalette::Base, QColor(255, 255, 255));
    pal.setColor(QPalette::Highlight, QColor(250, 200, 0));
    grid->setPalette(pal);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) grid->SetCellText(r, c, QString());
    }
    grid->SetTextBkColour(kCellRed);
    grid->SetGridLineColour(kLine);
    grid->SetFixedBkColour(kFixedBk);
    grid->SetGridBkColour(kGridBk);
  }
  QImage Grab() const { return grid->viewport()->grab().toImage(); }
  QColor At(const QImage& image, QPoint p) const { return image.pixelColor(p); }
  // A point well inside a cell, clear of its border and its grid lines.
  QPoint Inside(int row, int col) const { return grid->GetCellRect(row, col).bottomRight() - QPoint(4, 4); }
};

TEST(GridPaint, CellsLinesFixedAreaAndBackgroundEachInTheirColour) {
  PaintGrid w(3, 3);
  const QImage image = w.Grab();
  const QRect cell = w.grid->GetCellRect(1, 1);
  EXPECT_EQ(w.At(image, w.Inside(1, 1)), kCellRed);
  EXPECT_EQ(w.At(image, w.Inside(0, 1)), kFixedBk);
  EXPECT_EQ(w.At(image, w.Inside(1, 0)), kFixedBk);
  EXPECT_EQ(w.At(image, QPoint(cell.right(), cell.center().y())), kLine);
  EXPECT_EQ(w.At(image, QPoint(cell.center().x(), cell.bottom())), kLine);
  EXPECT_EQ(w.At(image, QPoint(3 * kColW + 10, 5)), kGridBk);
  EXPECT_EQ(w.At(image, QPoint(5, 3 * kRowH + 10)), kGridBk);
  // The fixed cell's simple border: light on top and left, dark at bottom and right.
  const QRect heading = w.grid->GetCellRect(0, 2);
  EXPECT_EQ(w.At(image, QPoint(heading.left() + 5, heading.top())), QColor(255, 255, 250));
  EXPECT_EQ(w.At(image, QPoint(heading.left() + 5, heading.bottom() - 1)), QColor(10, 10, 5));
}

TEST(GridPaint, GridLineModesDrawOnlyTheirLines) {
  struct Case {
    int mode;
    bool vertical;
    bool horizontal;
  };
  for (const Case c : {Case{GVL_NONE, false, false}, Case{GVL_HORZ, false, true}, Case{GVL_VERT, true, false}, Case{GVL_BOTH, true, true}}) {
    SCOPED_TRACE(c.mode);
    PaintGrid w(3, 3);
    w.grid->SetGridLines(c.mode);
    const QImage image = w.Grab();
    const QRect cell = w.grid->GetCellRect(1, 1);
    EXPECT_EQ(w.At(image, QPoint(cell.right(), cell.center().y())) == kLine, c.vertical);
    EXPECT_EQ(w.At(image, QPoint(cell.center().x(), cell.bottom())) == kLine, c.horizontal);
  }
}

TEST(GridPaint, FocusFrameSelectionAndTheDeeperEdgeOfTheFocusHeadings) {
  PaintGrid w(4, 4);
  w.grid->SetFocusCell(2, 2);
  w.grid->SetCellState(1, 3, GVIS_SELECTED);
  w.grid->SetCellBackColour(3, 3, QColor(0, 200, 200));
  const QImage image = w.Grab();
  const QRect focus = w.grid->GetCellRect(2, 2);
  EXPECT_EQ(w.At(image, focus.topLeft()), QColor(Qt::black));
  EXPECT_EQ(w.At(image, QPoint(focus.right() - 1, focus.bottom() - 1)), QColor(Qt::black));
  EXPECT_EQ(w.At(image, w.Inside(2, 2)), kCellRed);
  EXPECT_NE(w.At(image, w.grid->GetCellRect(2, 1).topLeft()), QColor(Qt::black));
  EXPECT_EQ(w.At(image, w.Inside(1, 3)), QColor(250, 200, 0));
  EXPECT_EQ(w.At(image, w.Inside(3, 3)), QColor(0, 200, 200));
  // Headings of the focus row and column get a second, inner edge; the others do not.
  for (const CCellID heading : {CCellID{0, 2}, CCellID{2, 0}}) {
    const QRect r = w.grid->GetCellRect(heading.row, heading.col);
    EXPECT_EQ(w.At(image, r.topLeft() + QPoint(1, 1)), QColor(255, 255, 250));
  }
  const QRect other = w.grid->GetCellRect(0, 3);
  EXPECT_EQ(w.At(image, other.topLeft() + QPoint(1, 1)), kFixedBk);
}

TEST(GridPaint, NothingIsPaintedWhileRedrawIsOffAndScrollBarsWaitForTheReset) {
  PaintGrid w(3, 3);
  const int maxBefore = w.grid->verticalScrollBar()->maximum();
  w.grid->EnableRedraw(false);
  w.grid->SetRowCount(60);
  EXPECT_NE(w.At(w.Grab(), w.Inside(1, 1)), kCellRed);
  EXPECT_EQ(w.grid->verticalScrollBar()->maximum(), maxBefore);
  w.grid->EnableRedraw(true, true);
  EXPECT_EQ(w.At(w.Grab(), w.Inside(1, 1)), kCellRed);
  EXPECT_GT(w.grid->verticalScrollBar()->maximum(), maxBefore);
}

// --- The edited cell's rectangle -------------------------------------------------------------

TEST(GridPaint, WhileEditingTheLatestReportsRectangleStaysUnpainted) {
  PaintGrid w(40, 6, QSize(400, 220));
  w.Click(2, 2);
  ASSERT_EQ(w.Count(GVN_BEGINLABELEDIT), 1);
  const QRect edited = w.grid->GetEditedRect();
  ASSERT_EQ(edited, w.grid->GetCellRect(2, 2));
  const QPoint hole = edited.bottomRight() - QPoint(4, 4);
  const QPoint neighbour = w.Inside(2, 3);
  EXPECT_EQ(w.At(w.Grab(), hole), kCellRed);

  w.grid->SetEditing(true);
  QImage image = w.Grab();
  EXPECT_NE(w.At(image, hole), kCellRed);
  EXPECT_EQ(w.At(image, neighbour), kCellRed);

  // Scrolling moves the cells, not the editor: the same rectangle stays free.
  w.Wheel(-120);
  ASSERT_GT(w.grid->verticalScrollBar()->value(), 0);
  image = w.Grab();
  EXPECT_NE(w.At(image, hole), kCellRed);
  EXPECT_EQ(w.At(image, neighbour), kCellRed);

  // A later focus report moves the rectangle to its cell.
  w.grid->verticalScrollBar()->setValue(0);
  w.grid->SetFocusCell(3, 4);
  EXPECT_EQ(w.grid->GetEditedRect(), w.grid->GetCellRect(3, 4));
  image = w.Grab();
  EXPECT_EQ(w.At(image, hole), kCellRed);
  EXPECT_NE(w.At(image, w.Inside(3, 4)), kCellRed);

  w.grid->SetEditing(false);
  EXPECT_EQ(w.At(w.Grab(), w.Inside(3, 4)), kCellRed);
}

// --- Text formats ----------------------------------------------------------------------------

// The box of the text's ink inside a 150 x 60 cell.
QRect InkOf(unsigned format, const QString& text) {
  PaintGrid w(2, 2, QSize(400, 300));
  w.grid->SetRowHeight(1, 60);
  w.grid->SetColumnWidth(1, 150);
  w.grid->SetTextBkColour(Qt::white);
  w.grid->SetTextColour(Qt::black);
  w.grid->SetCellText(1, 1, text);
  w.grid->SetCellFormat(1, 1, format);
  const QImage image = w.Grab();
  const QRect cell = w.grid->GetCellRect(1, 1).adjusted(1, 1, -2, -2);
  QRect ink;
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink.translated(-w.grid->GetCellRect(1, 1).topLeft());
}

TEST(GridPaint, FormatBitsPlaceTheText) {
  const QRect topLeft = InkOf(GV_FMT_LEFT, "WM");
  ASSERT_FALSE(topLeft.isEmpty());
  EXPECT_LT(topLeft.left(), 20);
  EXPECT_LT(topLeft.top(), 15);

  const QRect right = InkOf(GV_FMT_RIGHT, "WM");
  EXPECT_GT(right.left(), 100);
  EXPECT_LT(right.top(), 15);

  const QRect centred = InkOf(GV_FMT_CENTER, "WM");
  EXPECT_NEAR(centred.center().x(), 75, 4);
  EXPECT_LT(centred.top(), 15);

  const QRect middle = InkOf(GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE, "WM");
  EXPECT_NEAR(middle.center().y(), 30, 5);

  // Without the single-line bit the vertical centring is not honoured.
  const QRect wrappedTop = InkOf(GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_WORDBREAK, "WM");
  EXPECT_EQ(wrappedTop.top(), centred.top());

  const QString words = "WWWW MMMM WWWW MMMM";
  const QRect oneLine = InkOf(GV_FMT_SINGLELINE, words);
  const QRect wrapped = InkOf(GV_FMT_WORDBREAK, words);
  EXPECT_GT(wrapped.height(), oneLine.height() + 5);
}

// --- Printing --------------------------------------------------------------------------------

constexpr QPoint kOrigin(10, 30);

// Prints onto a white page with its origin moved, as the printing view does.
template <typename Print>
QImage PrintPage(Print print) {
  QImage page(500, 200, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  painter.translate(kOrigin);
  painter.setPen(QColor(Qt::black));
  print(painter);
  return page;
}

TEST(GridPrint, RowOneStartsItsVerticalLinesAtZeroOtherRowsOnePixelHigher) {
  struct Case {
    int row;
    bool lineAboveTop;
  };
  for (const Case c : {Case{1, false}, Case{2, true}, Case{5, true}, Case{0, true}}) {
    SCOPED_TRACE(c.row);
    PaintGrid w(8, 4);
    w.grid->SetTextBkColour(Qt::white);
    const QImage page = PrintPage([&](QPainter& p) { w.grid->PrintRowAt(p, c.row); });
    for (const int x : {0, kColW - 1, 2 * kColW - 1}) {
      SCOPED_TRACE(x);
      EXPECT_EQ(page.pixelColor(kOrigin + QPoint(x, 0)), QColor(Qt::black));
      EXPECT_EQ(page.pixelColor(kOrigin + QPoint(x, -1)) == QColor(Qt::black), c.lineAboveTop);
      EXPECT_EQ(page.pixelColor(kOrigin + QPoint(x, kRowH - 1)), QColor(Qt::black));
      EXPECT_EQ(page.pixelColor(kOrigin + QPoint(x, kRowH)), QColor(Qt::white));
    }
    // The bottom line; nothing above the row but the vertical lines.
    EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, kRowH - 1)), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, -1)), QColor(Qt::white));
  }
}

TEST(GridPrint, PrintRowAtLeavesOutFocusAndSelectionButKeepsCellBackgrounds) {
  PaintGrid w(4, 4);
  const QColor grey(160, 160, 160);
  w.grid->SetTextBkColour(Qt::white);
  w.grid->SetFocusCell(2, 1);
  w.grid->SetCellState(2, 2, GVIS_SELECTED);
  w.grid->SetCellBackColour(2, 3, grey);
  const QImage page = PrintPage([&](QPainter& p) { w.grid->PrintRowAt(p, 2); });
  // Column 1's focus frame would sit one pixel inside its left line.
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW + 5, 0)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(2 * kColW - 2, 5)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(2 * kColW + 25, 10)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(3 * kColW + 25, 10)), grey);
  // The fixed column prints like any other cell, in the cells' background.
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, 10)), QColor(Qt::white));
}

TEST(GridPrint, FixedRowsPrintUnfilledWithTheirBorderAndLines) {
  PaintGrid w(5, 3);
  w.grid->SetFixedRowCount(2);
  w.grid->SetFocusCell(3, 1);
  const QImage page = PrintPage([&](QPainter& p) { w.grid->PrintFixedRows(p); });
  // Unfilled: the fixed background colour appears nowhere.
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, 10)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW + 25, kRowH + 10)), QColor(Qt::white));
  // The simple border's dark side, even in the focus cell's column.
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW + 25, kRowH - 2)), QColor(10, 10, 5));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW + 2, 2)), QColor(Qt::white));
  // Row 0's top line and column 0's left line; row 1's vertical lines join row 0's.
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, 0)), QColor(Qt::black));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(0, 10)), QColor(Qt::black));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW - 1, kRowH - 1)), QColor(Qt::black));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(-1, 0)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, -1)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, 2 * kRowH - 1)), QColor(Qt::black));
  EXPECT_EQ(page.pixelColor(kOrigin + QPoint(25, 2 * kRowH)), QColor(Qt::white));
}

TEST(GridPrint, NothingForARowOutsideTheTable) {
  PaintGrid w(3, 3);
  for (const int row : {-1, 3}) {
    const QImage page = PrintPage([&](QPainter& p) { w.grid->PrintRowAt(p, row); });
    EXPECT_EQ(page.pixelColor(kOrigin), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(kOrigin + QPoint(kColW - 1, 5)), QColor(Qt::white));
  }
}

}  // namespace
}  // namespace rondel
