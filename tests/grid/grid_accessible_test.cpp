// SPDX-License-Identifier: GPL-3.0-or-later
// Assistive technology sees the grid as a table: its shape, headings, cell texts and focus.
#include "grid/grid_accessible.h"

#include <gtest/gtest.h>

#include <QAccessible>

#include "grid_window.h"

namespace rondel::test {
namespace {

TEST(GridAccessible, ATableOfCellsWithHeadingsAndFocusEvents) {
  GridWindow w(4, 3);
  w.grid->SetCellText(0, 2, "Rx");
  w.grid->SetCellText(3, 0, "3");
  w.grid->SetCellText(3, 2, "446.00625");
  std::vector<std::pair<QAccessible::Event, QString>> events;
  const auto old = SetGridAccessibilitySink([&](QAccessibleEvent* e) {
    QAccessibleInterface* iface = e->accessibleInterface();
    events.emplace_back(e->type(), iface ? iface->text(QAccessible::Name) : QString());
  });
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.grid);
  ASSERT_NE(iface, nullptr);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), 4);
  EXPECT_EQ(table->columnCount(), 3);
  // The last cell and one past each edge.
  for (const auto& [row, col, exists] : {std::tuple{3, 2, true}, {4, 2, false}, {3, 3, false}, {-1, 0, false}})
    EXPECT_EQ(table->cellAt(row, col) != nullptr, exists) << row << "," << col;
  QAccessibleInterface* cell = table->cellAt(3, 2);
  EXPECT_EQ(cell->text(QAccessible::Name), "446.00625");
  EXPECT_EQ(iface->indexOfChild(cell), 3 * 3 + 2);
  QAccessibleTableCellInterface* c = cell->tableCellInterface();
  ASSERT_EQ(c->columnHeaderCells().size(), 1);
  EXPECT_EQ(c->columnHeaderCells()[0]->text(QAccessible::Name), "Rx");
  ASSERT_EQ(c->rowHeaderCells().size(), 1);
  EXPECT_EQ(c->rowHeaderCells()[0]->text(QAccessible::Name), "3");

  w.Click(3, 2);
  w.grid->SetRowCount(2);  // the shape change drops the cells outside
  EXPECT_EQ(table->cellAt(3, 2), nullptr);
  SetGridAccessibilitySink(old);
  ASSERT_FALSE(events.empty());
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair{QAccessible::Focus, QString("446.00625")}), events.end());
  EXPECT_EQ(events.back().first, QAccessible::TableModelChanged);
}

}  // namespace
}  // namespace rondel::test
