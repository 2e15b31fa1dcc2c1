// SPDX-License-Identifier: GPL-3.0-or-later
// A cell sized to its text shows the whole text where the grid draws it, and the scroll bars
// follow the table's size whichever way the grid was resized before.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "grid/grid_cell_draw.h"
#include "grid_window.h"

namespace rondel::test {
namespace {

struct FitCase {
  const char* text;
  unsigned format;
  int row;  // 0: a heading
};

TEST(GridFit, ACellSizedToItsTextShowsTheWholeText) {
  const FitCase cases[] = {
      {"Bandwidth", GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE, 0},
      {"RX frequency (MHz)", GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_WORDBREAK, 0},
      {"Compander", GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE, 1},
      {"446.00625", GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE, 2},
      {"接收频率 (MHz)", GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_WORDBREAK, 0},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.text);
    GridWindow w(4, 3);
    w.grid->SetCellText(c.row, 1, QString::fromUtf8(c.text));
    w.grid->SetCellFormat(c.row, 1, c.format);
    // Narrower than any of the texts: the fit widens it.
    const QSize fit = w.grid->GetCellFitSize(c.row, 1, 30);
    EXPECT_GT(fit.width(), 30);
    w.grid->SetColumnWidth(1, fit.width());
    w.grid->SetRowHeight(c.row, fit.height());
    // The room the cell draws its text in, in its deepest border, holds the text's extent.
    const int inset = c.row == 0 ? kFixedCellInset : kCellInset;
    const QRect room = CellTextRect(w.grid->GetCellRect(c.row, 1), w.grid->GetCellMargin(), inset);
    const QFontMetrics fm(w.grid->GetGridFont());
    const QRect extent = fm.boundingRect(QRect(room.left(), room.top(), room.width(), 100000),
                                         TextFlagsForFormat(c.format), QString::fromUtf8(c.text));
    EXPECT_LE(extent.width(), room.width());
    EXPECT_LE(extent.height(), room.height());
    // A width that already fits is kept.
    EXPECT_EQ(w.grid->GetCellFitSize(c.row, 1, fit.width() + 40).width(), fit.width() + 40);
  }
  GridWindow w(2, 2);
  EXPECT_EQ(w.grid->GetCellFitSize(5, 1, 30), QSize()) << "outside the table";
}

TEST(GridFit, TheScrollBarsGoOnceTheGridHasGrownToHoldTheTable) {
  GridWindow w(10, 6, QSize(120, 80));
  QApplication::processEvents();
  EXPECT_TRUE(w.grid->verticalScrollBar()->isVisible());
  EXPECT_TRUE(w.grid->horizontalScrollBar()->isVisible());
  // Exactly the table's size: room for every row and column only without the bars.
  w.owner.resize(6 * kColW, 10 * kRowH);
  w.grid->setGeometry(0, 0, 6 * kColW, 10 * kRowH);
  QApplication::processEvents();
  EXPECT_FALSE(w.grid->verticalScrollBar()->isVisible());
  EXPECT_FALSE(w.grid->horizontalScrollBar()->isVisible());
  // One pixel short in height: the vertical bar, and with its width the horizontal one too.
  w.grid->setGeometry(0, 0, 6 * kColW, 10 * kRowH - 1);
  QApplication::processEvents();
  EXPECT_TRUE(w.grid->verticalScrollBar()->isVisible());
  EXPECT_TRUE(w.grid->horizontalScrollBar()->isVisible());
}

}  // namespace
}  // namespace rondel::test
