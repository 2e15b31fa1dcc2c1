// The table operations: sizes, cells, formats of added rows, failures outside the table,
// fonts and colours.
#include "grid_test_support.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace rondel {
namespace {

using test::GridWindow;
using test::kColW;
using test::kRowH;

// Everything an operation could change, to compare before and after.
struct Snapshot {
  int rows, cols, fixedRows, fixedCols;
  std::vector<int> heights, widths;
  std::vector<QString> texts;
  std::vector<unsigned> states, formats;
  CCellID focus;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const CGridCtrl& g) {
  Snapshot s{g.GetRowCount(), g.GetColumnCount(), g.GetFixedRowCount(), g.GetFixedColumnCount(), {}, {}, {}, {}, {}, g.GetFocusCell()};
  for (int r = 0; r < s.rows; ++r) s.heights.push_back(g.GetRowHeight(r));
  for (int c = 0; c < s.cols; ++c) s.widths.push_back(g.GetColumnWidth(c));
  for (int r = 0; r < s.rows; ++r) {
    for (int c = 0; c < s.cols; ++c) {
      s.texts.push_back(g.GetCellText(r, c));
      s.states.push_back(g.GetCellState(r, c));
      s.formats.push_back(g.GetCellFormat(r, c));
    }
  }
  return s;
}

struct OutsideCase {
  const char* name;
  friend void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }
  std::function<bool(CGridCtrl&)> op;
};

class OutsideTheTable : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(OutsideTheTable, FailsAndChangesNothing) {
  GridWindow w(5, 4, 1, 1);
  w.grid->SetFocusCell(2, 2);
  w.reports.clear();
  const Snapshot before = Take(*w.grid);
  EXPECT_FALSE(GetParam().op(*w.grid));
  EXPECT_EQ(Take(*w.grid), before);
  EXPECT_TRUE(w.reports.empty());
}

GV_ITEM Item(int row, int col, unsigned mask) {
  GV_ITEM item;
  item.row = row;
  item.col = col;
  item.mask = mask;
  item.text = "x";
  item.format = GV_FMT_RIGHT;
  item.state = GVIS_READONLY;
  return item;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, OutsideTheTable,
    ::testing::Values(
        OutsideCase{"SetRowCountNegative", [](CGridCtrl& g) { return g.SetRowCount(-1); }},
        OutsideCase{"SetColumnCountNegative", [](CGridCtrl& g) { return g.SetColumnCount(-3); }},
        OutsideCase{"SetFixedRowCountNegative", [](CGridCtrl& g) { return g.SetFixedRowCount(-1); }},
        OutsideCase{"SetFixedColumnCountNegative", [](CGridCtrl& g) { return g.SetFixedColumnCount(-1); }},
        OutsideCase{"SetRowHeightPastEnd", [](CGridCtrl& g) { return g.SetRowHeight(5, 30); }},
        OutsideCase{"SetRowHeightNegativeIndex", [](CGridCtrl& g) { return g.SetRowHeight(-1, 30); }},
        OutsideCase{"SetRowHeightNegativeSize", [](CGridCtrl& g) { return g.SetRowHeight(1, -30); }},
        OutsideCase{"SetColumnWidthPastEnd", [](CGridCtrl& g) { return g.SetColumnWidth(4, 30); }},
        OutsideCase{"SetColumnWidthNegativeSize", [](CGridCtrl& g) { return g.SetColumnWidth(0, -1); }},
        OutsideCase{"SetCellRowPastEnd", [](CGridCtrl& g) { return g.SetCell(Item(5, 0, GVIF_ALL)); }},
        OutsideCase{"SetCellNegativeColumn", [](CGridCtrl& g) { return g.SetCell(Item(0, -1, GVIF_ALL)); }},
        OutsideCase{"GetCellPastEnd",
                    [](CGridCtrl& g) {
                      GV_ITEM item = Item(0, 4, GVIF_ALL);
                      return g.GetCell(item);
                    }},
        OutsideCase{"SetCellText", [](CGridCtrl& g) { return g.SetCellText(9, 9, "x"); }},
        OutsideCase{"SetCellState", [](CGridCtrl& g) { return g.SetCellState(-1, 0, GVIS_READONLY); }},
        OutsideCase{"SetCellFormat", [](CGridCtrl& g) { return g.SetCellFormat(0, 99, GV_FMT_CENTER); }},
        OutsideCase{"SetCellBackColour", [](CGridCtrl& g) { return g.SetCellBackColour(5, 0, Qt::red); }},
        OutsideCase{"SetCellTextColour", [](CGridCtrl& g) { return g.SetCellTextColour(0, 4, Qt::red); }},
        OutsideCase{"SetFocusCell", [](CGridCtrl& g) { return g.SetFocusCell(5, 1); }},
        OutsideCase{"SetFocusCellHalfNone", [](CGridCtrl& g) { return g.SetFocusCell(-1, 1); }},
        OutsideCase{"RequestEdit", [](CGridCtrl& g) { return g.RequestEdit(1, 4); }},
        OutsideCase{"EnsureVisible", [](CGridCtrl& g) { return g.EnsureVisible(-1, -1); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridReads, OutsideTheTableGiveEmptyValues) {
  GridWindow w(5, 4, 1, 1);
  EXPECT_EQ(w.grid->GetRowHeight(-1), -1);
  EXPECT_EQ(w.grid->GetRowHeight(5), -1);
  EXPECT_EQ(w.grid->GetColumnWidth(4), -1);
  EXPECT_EQ(w.grid->GetCellText(5, 0), QString());
  EXPECT_EQ(w.grid->GetCellText(0, -1), QString());
  EXPECT_EQ(w.grid->GetCellState(0, 4), 0u);
  EXPECT_FALSE(w.grid->GetCellFromPt(QPoint(-1, 5)).IsValid());
  EXPECT_FALSE(w.grid->GetCellFromPt(QPoint(4 * kColW, 5)).IsValid());
  EXPECT_TRUE(w.grid->GetCellRect(5, 0).isNull());
}

TEST(GridSizes, SumsOfHeightsAndWidths) {
  GridWindow w(5, 4, 2, 1);
  w.grid->SetRowHeight(0, 28);
  w.grid->SetColumnWidth(3, 7);
  EXPECT_EQ(w.grid->GetFixedRowsHeight(), 28 + kRowH);
  EXPECT_EQ(w.grid->GetTotalWidth(), 3 * kColW + 7);
  EXPECT_EQ(w.grid->GetRowHeight(0), 28);
}

TEST(GridSizes, AddedRowsAndColumnsTakeTheDefaultSizes) {
  GridWindow w(2, 2, 0, 0);
  w.grid->SetRowCount(4);
  w.grid->SetColumnCount(3);
  EXPECT_EQ(w.grid->GetRowHeight(3), w.grid->GetDefaultRowHeight());
  EXPECT_EQ(w.grid->GetColumnWidth(2), w.grid->GetDefaultColumnWidth());
  EXPECT_EQ(w.grid->GetRowHeight(1), kRowH);
  EXPECT_EQ(w.grid->GetCellText(3, 2), QString());
  EXPECT_EQ(w.grid->GetCellText(1, 1), "1,1");
}

TEST(GridSizes, FixedCountsGrowTheTableAndNeverExceedIt) {
  GridWindow w(3, 3, 0, 0);
  EXPECT_TRUE(w.grid->SetFixedRowCount(5));
  EXPECT_EQ(w.grid->GetRowCount(), 5);
  EXPECT_TRUE(w.grid->SetFixedColumnCount(4));
  EXPECT_EQ(w.grid->GetColumnCount(), 4);
  EXPECT_TRUE(w.grid->SetRowCount(2));
  EXPECT_EQ(w.grid->GetFixedRowCount(), 2);
  EXPECT_TRUE(w.grid->SetColumnCount(1));
  EXPECT_EQ(w.grid->GetFixedColumnCount(), 1);
}

TEST(GridFocusCell, ClearedWhenTheTableShrinksPastItOrTheFixedPartCoversIt) {
  struct Case {
    const char* name;
    std::function<void(CGridCtrl&)> change;
    bool cleared;
  };
  const Case cases[] = {
      {"rows below it dropped", [](CGridCtrl& g) { g.SetRowCount(4); }, false},
      {"its row dropped", [](CGridCtrl& g) { g.SetRowCount(3); }, true},
      {"its column dropped", [](CGridCtrl& g) { g.SetColumnCount(2); }, true},
      {"fixed rows reach it", [](CGridCtrl& g) { g.SetFixedRowCount(4); }, true},
      {"fixed rows stop above it", [](CGridCtrl& g) { g.SetFixedRowCount(3); }, false},
      {"fixed columns reach it", [](CGridCtrl& g) { g.SetFixedColumnCount(3); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(6, 5, 1, 1);
    ASSERT_TRUE(w.grid->SetFocusCell(3, 2));
    c.change(*w.grid);
    EXPECT_EQ(w.grid->GetFocusCell().IsValid(), !c.cleared);
    if (c.cleared) {
      // Growing back does not bring back a stale focus mark.
      w.grid->SetRowCount(6);
      w.grid->SetColumnCount(5);
      w.grid->SetFixedRowCount(1);
      w.grid->SetFixedColumnCount(1);
      EXPECT_EQ(w.grid->GetCellState(3, 2) & GVIS_FOCUSED, 0u);
    }
  }
}

TEST(GridCells, SetCellCopiesOnlyTheMaskedFields) {
  GridWindow w(3, 3, 1, 1);
  GV_ITEM in;
  in.row = 1;
  in.col = 2;
  in.mask = GVIF_TEXT | GVIF_FORMAT;
  in.text = "433.00000";
  in.format = GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE;
  in.state = GVIS_READONLY;
  in.userValue = 77;
  in.bkColour = Qt::red;
  ASSERT_TRUE(w.grid->SetCell(in));

  GV_ITEM out;
  out.row = 1;
  out.col = 2;
  out.mask = GVIF_ALL;
  ASSERT_TRUE(w.grid->GetCell(out));
  EXPECT_EQ(out.text, "433.00000");
  EXPECT_EQ(out.format, in.format);
  EXPECT_EQ(out.state, 0u);
  EXPECT_EQ(out.userValue, 0);
  EXPECT_TRUE(IsGridDefaultColour(out.bkColour));
  EXPECT_TRUE(IsGridDefaultColour(out.textColour));
  EXPECT_EQ(out.image, -1);
  EXPECT_EQ(out.font, w.grid->GetGridFont());

  GV_ITEM textOnly;
  textOnly.row = 1;
  textOnly.col = 2;
  textOnly.mask = GVIF_TEXT;
  textOnly.format = 0xFFFF;
  ASSERT_TRUE(w.grid->GetCell(textOnly));
  EXPECT_EQ(textOnly.format, 0xFFFFu);

  in.mask = GVIF_STATE | GVIF_PARAM | GVIF_BKCLR | GVIF_FGCLR | GVIF_IMAGE;
  in.image = 4;
  in.textColour = Qt::blue;
  ASSERT_TRUE(w.grid->SetCell(in));
  ASSERT_TRUE(w.grid->GetCell(out));
  EXPECT_EQ(out.state, GVIS_READONLY);
  EXPECT_EQ(out.userValue, 77);
  EXPECT_EQ(out.bkColour, QColor(Qt::red));
  EXPECT_EQ(out.textColour, QColor(Qt::blue));
  EXPECT_EQ(out.image, 4);
  EXPECT_EQ(out.text, "433.00000");
}

TEST(GridCells, SelectedBitKeepsTheSelectedCellsInStep) {
  GridWindow w(4, 4, 1, 1);
  w.grid->SetCellState(1, 1, GVIS_SELECTED);
  w.grid->SetCellState(2, 3, GVIS_SELECTED | GVIS_READONLY);
  EXPECT_EQ(w.grid->GetSelectedCount(), 2);
  w.grid->SetCellState(1, 1, 0);
  ASSERT_EQ(w.grid->GetSelectedCount(), 1);
  EXPECT_EQ(w.grid->GetSelectedCells()[0], (CCellID{2, 3}));
  w.grid->SetRowCount(2);
  EXPECT_EQ(w.grid->GetSelectedCount(), 0);
}

TEST(GridCells, ResetSelectionEmptiesTheSelectionOnlyWhileEnabledAndAlwaysDropsTheFocus) {
  for (const bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "selection on" : "selection off");
    GridWindow w(4, 4, 1, 1);
    w.grid->SetCellState(2, 2, GVIS_SELECTED);
    w.grid->SetFocusCell(1, 1);
    w.grid->EnableSelection(enabled);
    w.reports.clear();
    w.grid->ResetSelection();
    EXPECT_EQ(w.grid->GetSelectedCount(), enabled ? 0 : 1);
    EXPECT_FALSE(w.grid->GetFocusCell().IsValid());
    EXPECT_EQ(w.grid->GetCellState(1, 1) & GVIS_FOCUSED, 0u);
    ASSERT_EQ(w.reports.size(), 1u);
    EXPECT_EQ(w.reports[0].code, GVN_SELCHANGING);
  }
}

// Format bits of each column in the last row before rows are added.
constexpr unsigned kFormats[] = {GV_FMT_CENTER, GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE, GV_FMT_RIGHT,
                                 GV_FMT_WORDBREAK | GV_FMT_CENTER};

TEST(GridFormats, AddedRowsTakeTheFormatOfTheCellAboveExceptInColumnZero) {
  GridWindow w(3, 4, 1, 1);
  for (int c = 0; c < 4; ++c) w.grid->SetCellFormat(2, c, kFormats[c]);
  w.grid->SetCellFormat(1, 2, GV_FMT_SINGLELINE);  // rows above the last do not matter
  ASSERT_TRUE(w.grid->SetRowCount(6));
  for (int r = 3; r < 6; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(w.grid->GetCellFormat(r, 0), 0u);
    for (int c = 1; c < 4; ++c) EXPECT_EQ(w.grid->GetCellFormat(r, c), kFormats[c]) << "column " << c;
  }
}

TEST(GridFormats, AddedColumnsTakeTheFormatOfTheNewCellAbove) {
  GridWindow w(3, 2, 1, 1);
  w.grid->SetCellFormat(2, 1, GV_FMT_RIGHT);
  ASSERT_TRUE(w.grid->SetColumnCount(3));
  for (int r = 0; r < 3; ++r) EXPECT_EQ(w.grid->GetCellFormat(r, 2), 0u);
}

TEST(GridFormats, TheFirstRowsOfAnEmptyGridStartWithoutFormat) {
  CGridCtrl grid;
  grid.SetColumnCount(3);
  grid.SetRowCount(2);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(grid.GetCellFormat(0, c), 0u);
    EXPECT_EQ(grid.GetCellFormat(1, c), 0u);
  }
}

TEST(GridFont, SettingItReachesEveryCellAndTheDefaultSizes) {
  GridWindow w(3, 3, 1, 1);
  QFont small = w.grid->GetGridFont();
  small.setPixelSize(10);
  QFont big = small;
  big.setPixelSize(30);

  w.grid->SetGridFont(small);
  const int smallRow = w.grid->GetDefaultRowHeight();
  const int smallCol = w.grid->GetDefaultColumnWidth();
  const int smallMargin = w.grid->GetCellMargin();
  w.grid->SetGridFont(big);
  EXPECT_GT(w.grid->GetDefaultRowHeight(), smallRow);
  EXPECT_GT(w.grid->GetDefaultColumnWidth(), smallCol);
  EXPECT_GT(w.grid->GetCellMargin(), smallMargin);
  EXPECT_GE(w.grid->GetDefaultRowHeight(), QFontMetrics(big).height() + 2 * w.grid->GetCellMargin());
  EXPECT_EQ(w.grid->GetRowHeight(1), test::kRowH);  // rows already there keep their height

  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      GV_ITEM item;
      item.row = r;
      item.col = c;
      item.mask = GVIF_FONT;
      ASSERT_TRUE(w.grid->GetCell(item));
      EXPECT_EQ(item.font, big);
    }
  }
  w.grid->SetRowCount(4);
  EXPECT_EQ(w.grid->GetRowHeight(3), w.grid->GetDefaultRowHeight());

  // The widget's own font message takes the same road.
  w.grid->setFont(small);
  EXPECT_EQ(w.grid->GetGridFont(), small);
  EXPECT_EQ(w.grid->GetDefaultRowHeight(), smallRow);
}

TEST(GridColours, ComeFromThePaletteAndFollowItUnlessSetExplicitly) {
  GridWindow w(3, 3, 1, 1);
  const QPalette start = w.grid->palette();
  EXPECT_EQ(w.grid->GetTextColour(), start.color(QPalette::WindowText));
  EXPECT_EQ(w.grid->GetTextBkColour(), start.color(QPalette::Base));
  EXPECT_EQ(w.grid->GetFixedBkColour(), start.color(QPalette::Button));
  EXPECT_EQ(w.grid->GetGridBkColour(), start.color(QPalette::Dark));

  w.grid->SetFixedBkColour(QColor(1, 2, 3));
  QPalette next = start;
  next.setColor(QPalette::WindowText, QColor(10, 20, 30));
  next.setColor(QPalette::Base, QColor(40, 50, 60));
  next.setColor(QPalette::Button, QColor(70, 80, 90));
  next.setColor(QPalette::Dark, QColor(100, 110, 120));
  w.grid->setPalette(next);

  EXPECT_EQ(w.grid->GetTextColour(), QColor(10, 20, 30));
  EXPECT_EQ(w.grid->GetFixedTextColour(), QColor(10, 20, 30));
  EXPECT_EQ(w.grid->GetTextBkColour(), QColor(40, 50, 60));
  EXPECT_EQ(w.grid->GetGridBkColour(), QColor(100, 110, 120));
  EXPECT_EQ(w.grid->GetFixedBkColour(), QColor(1, 2, 3));

  // A second change still follows from the colours the first one gave.
  next.setColor(QPalette::Base, QColor(5, 5, 5));
  w.grid->setPalette(next);
  EXPECT_EQ(w.grid->GetTextBkColour(), QColor(5, 5, 5));
}

}  // namespace
}  // namespace rondel

namespace rondel {
namespace {

TEST(GridSizes, GiantRowsAndColumnsNeitherCrashNorWrapAround) {
  GridWindow w(6, 5, 1, 1);
  constexpr int kHuge = std::numeric_limits<int>::max();
  ASSERT_TRUE(w.grid->SetRowHeight(2, kHuge));
  ASSERT_TRUE(w.grid->SetColumnWidth(2, kHuge));
  ASSERT_TRUE(w.grid->SetColumnWidth(3, kHuge));
  EXPECT_EQ(w.grid->GetRowHeight(2), kHuge);
  EXPECT_EQ(w.grid->GetTotalWidth(), kHuge);  // the true sum does not fit; it saturates
  EXPECT_GT(w.grid->GetTotalHeight(), 0);

  EXPECT_FALSE(w.grid->viewport()->grab().isNull());
  w.Click(2, 2);
  EXPECT_EQ(w.grid->GetFocusCell(), (CCellID{2, 2}));
  // Beyond the reach of the scroll bar, a cell can still never be reported unseen.
  EXPECT_EQ(w.grid->RequestEdit(5, 4), w.grid->IsCellVisible(5, 4));
  w.Key(Qt::Key_End);
  w.Key(Qt::Key_Home);
  w.Wheel(-240);
  QImage page(200, 100, QImage::Format_RGB32);
  QPainter painter(&page);
  w.grid->PrintFixedRows(painter);
  for (int r = 0; r < 6; ++r) w.grid->PrintRowAt(painter, r);
}

}  // namespace
}  // namespace rondel
