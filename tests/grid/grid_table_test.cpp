// SPDX-License-Identifier: GPL-3.0-or-later
// The table operations at the edges of the table: the first and last row or column are taken,
// one past either end is refused and changes nothing.
#include "grid_window.h"

#include <functional>
#include <limits>

#include <gtest/gtest.h>

namespace rondel {
namespace {

using test::GridWindow;
using test::kColW;
using test::kRowH;

// Everything an operation could change.
struct Snapshot {
  std::vector<int> heights, widths;
  std::vector<QString> texts;
  std::vector<unsigned> states, formats;
  CCellID focus;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const CGridCtrl& g) {
  Snapshot s{{}, {}, {}, {}, {}, g.GetFocusCell()};
  for (int r = 0; r < g.GetRowCount(); ++r) {
    s.heights.push_back(g.GetRowHeight(r));
    for (int c = 0; c < g.GetColumnCount(); ++c) {
      if (r == 0) s.widths.push_back(g.GetColumnWidth(c));
      s.texts.push_back(g.GetCellText(r, c));
      s.states.push_back(g.GetCellState(r, c));
      s.formats.push_back(g.GetCellFormat(r, c));
    }
  }
  return s;
}

GV_ITEM Item(int row, int col) { return GV_ITEM{row, col, GVIF_ALL, 0, 0, "x", {}, {}}; }

// An operation on row or column `i` of a 5 x 4 table (the other index inside the table).
struct EdgeOp {
  const char* name;
  bool onRows;
  std::function<bool(CGridCtrl&, int)> op;
};

TEST(GridTable, OperationsTakeTheFirstAndLastIndexAndRefuseOnePastEither) {
  const EdgeOp ops[] = {
      {"SetRowHeight", true, [](CGridCtrl& g, int i) { return g.SetRowHeight(i, 31); }},
      {"SetColumnWidth", false, [](CGridCtrl& g, int i) { return g.SetColumnWidth(i, 31); }},
      {"SetCellText row", true, [](CGridCtrl& g, int i) { return g.SetCellText(i, 2, "x"); }},
      {"SetCellText col", false, [](CGridCtrl& g, int i) { return g.SetCellText(2, i, "x"); }},
      {"SetCellState", true, [](CGridCtrl& g, int i) { return g.SetCellState(i, 2, GVIS_READONLY); }},
      {"SetCellFormat", false, [](CGridCtrl& g, int i) { return g.SetCellFormat(2, i, GV_FMT_RIGHT); }},
      {"SetCellBackColour", true, [](CGridCtrl& g, int i) { return g.SetCellBackColour(i, 1, Qt::red); }},
      {"SetCellTextColour", false, [](CGridCtrl& g, int i) { return g.SetCellTextColour(1, i, Qt::red); }},
      {"SetFocusCell row", true, [](CGridCtrl& g, int i) { return g.SetFocusCell(i, 1); }},
      {"SetFocusCell col", false, [](CGridCtrl& g, int i) { return g.SetFocusCell(1, i); }},
      {"RequestEdit", false, [](CGridCtrl& g, int i) { return g.RequestEdit(1, i); }},
      {"EnsureVisible", true, [](CGridCtrl& g, int i) { return g.EnsureVisible(i, 1); }},
      {"SetCell", true, [](CGridCtrl& g, int i) { return g.SetCell(Item(i, 1)); }},
      {"GetCell", false, [](CGridCtrl& g, int i) { GV_ITEM item = Item(1, i); return g.GetCell(item); }},
  };
  for (const EdgeOp& e : ops) {
    const int count = e.onRows ? 5 : 4;
    for (const int i : {-1, 0, count - 1, count}) {
      SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(i));
      GridWindow w(5, 4);
      const Snapshot before = Take(*w.grid);
      const bool inside = i >= 0 && i < count;
      EXPECT_EQ(e.op(*w.grid, i), inside);
      if (!inside) { EXPECT_EQ(Take(*w.grid), before); }
    }
  }
}

TEST(GridTable, ReadsOutsideTheTableGiveEmptyValues) {
  GridWindow w(5, 4);
  struct Case {
    int row, col;
    bool inside;
  };
  for (const Case c : {Case{0, 0, true}, Case{4, 3, true}, Case{-1, 0, false}, Case{5, 0, false},
                       Case{0, -1, false}, Case{0, 4, false}}) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.col));
    w.grid->SetCellText(c.row, c.col, "t");
    w.grid->SetCellState(c.row, c.col, GVIS_READONLY);
    EXPECT_EQ(w.grid->GetCellText(c.row, c.col), c.inside ? QString("t") : QString());
    EXPECT_EQ(w.grid->GetCellState(c.row, c.col), c.inside ? GVIS_READONLY : 0u);
    EXPECT_EQ(w.grid->GetCellRect(c.row, c.col).isNull(), !c.inside);
  }
  EXPECT_EQ(w.grid->GetRowHeight(-1), -1);
  EXPECT_EQ(w.grid->GetRowHeight(4), kRowH);
  EXPECT_EQ(w.grid->GetRowHeight(5), -1);
  EXPECT_EQ(w.grid->GetColumnWidth(3), kColW);
  EXPECT_EQ(w.grid->GetColumnWidth(4), -1);
  EXPECT_EQ(w.grid->GetCellRect(4, 3), QRect(3 * kColW, 4 * kRowH, kColW, kRowH));
}

TEST(GridTable, CountsAndSizesRefuseNegativesAndTakeZero) {
  GridWindow w(5, 4);
  EXPECT_FALSE(w.grid->SetRowCount(-1) || w.grid->SetColumnCount(-1) || w.grid->SetFixedRowCount(-1) ||
               w.grid->SetFixedColumnCount(-1) || w.grid->SetRowHeight(1, -1) || w.grid->SetColumnWidth(1, -1));
  EXPECT_EQ(w.grid->GetRowCount(), 5);
  EXPECT_TRUE(w.grid->SetRowHeight(1, 0));
  EXPECT_EQ(w.grid->GetTotalHeight(), 4 * kRowH);
  EXPECT_TRUE(w.grid->SetFixedColumnCount(6));  // a fixed part beyond the table grows it
  EXPECT_EQ(w.grid->GetColumnCount(), 6);
  EXPECT_TRUE(w.grid->SetRowCount(0));  // a table smaller than its fixed part shrinks that
  EXPECT_EQ(w.grid->GetFixedRowCount(), 0);
}

TEST(GridTable, TheFocusCellGoesWhenTheTableShrinksPastItOrTheFixedPartCoversIt) {
  struct Case {
    const char* name;
    std::function<void(CGridCtrl&)> change;
    bool cleared;
  };
  const Case cases[] = {
      {"row below it dropped", [](CGridCtrl& g) { g.SetRowCount(4); }, false},
      {"its row dropped", [](CGridCtrl& g) { g.SetRowCount(3); }, true},
      {"column after it dropped", [](CGridCtrl& g) { g.SetColumnCount(3); }, false},
      {"its column dropped", [](CGridCtrl& g) { g.SetColumnCount(2); }, true},
      {"fixed rows stop above it", [](CGridCtrl& g) { g.SetFixedRowCount(3); }, false},
      {"fixed rows reach it", [](CGridCtrl& g) { g.SetFixedRowCount(4); }, true},
      {"fixed columns reach it", [](CGridCtrl& g) { g.SetFixedColumnCount(3); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GridWindow w(6, 5);
    ASSERT_TRUE(w.grid->SetFocusCell(3, 2));
    c.change(*w.grid);
    EXPECT_EQ(w.grid->GetFocusCell(), (c.cleared ? CCellID{} : CCellID{3, 2}));
    EXPECT_EQ(w.grid->GetCellState(3, 2) & GVIS_FOCUSED, c.cleared ? 0u : GVIS_FOCUSED);
  }
}

TEST(GridTable, SizesBeyondTheIntRangeSaturateInsteadOfWrapping) {
  GridWindow w(6, 5);
  ASSERT_TRUE(w.grid->SetColumnWidth(2, std::numeric_limits<int>::max()));
  ASSERT_TRUE(w.grid->SetColumnWidth(3, std::numeric_limits<int>::max()));
  EXPECT_EQ(w.grid->GetTotalWidth(), std::numeric_limits<int>::max());
}

}  // namespace
}  // namespace rondel
