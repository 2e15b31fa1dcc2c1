// The grid seen through Qt's accessibility API, as a screen reader or an AT-SPI client sees it.
#include "grid_test_support.h"

#include "grid/grid_accessible.h"

#include <QAccessible>

#include <gtest/gtest.h>

#include <vector>

namespace rondel {
namespace {

using test::GridWindow;

// Catches the grid's accessibility events for one test, as a listening assistive technology
// would: the offscreen platform has no accessibility bridge of its own to switch on.
class AccessibilityEvents {
 public:
  AccessibilityEvents() {
    m_previous = SetGridAccessibilitySink([this](QAccessibleEvent* event) { Record(event); });
  }
  ~AccessibilityEvents() { SetGridAccessibilitySink(m_previous); }
  struct Event {
    QAccessible::Event type;
    int row;
    int col;
  };
  const std::vector<Event>& Events() const { return m_events; }
  void Clear() { m_events.clear(); }

 private:
  void Record(QAccessibleEvent* event) {
    int row = -1;
    int col = -1;
    if (QAccessibleInterface* iface = event->accessibleInterface()) {
      if (QAccessibleTableCellInterface* cell = iface->tableCellInterface()) {
        row = cell->rowIndex();
        col = cell->columnIndex();
      }
    }
    m_events.push_back({event->type(), row, col});
  }

  std::vector<Event> m_events;
  GridAccessibilitySink m_previous;
};

QAccessibleTableInterface* TableOf(CGridCtrl* grid) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
  return iface != nullptr ? iface->tableInterface() : nullptr;
}

TEST(GridAccessible, IsATableOfTheGridsOwnRowsAndColumns) {
  GridWindow w(6, 4, 1, 1);
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.grid);
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->role(), QAccessible::Table);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), 6);
  EXPECT_EQ(table->columnCount(), 4);
  EXPECT_EQ(iface->childCount(), 24);
  EXPECT_EQ(table->cellAt(6, 0), nullptr);
  EXPECT_EQ(table->cellAt(0, -1), nullptr);

  struct Case {
    int row;
    int col;
    QAccessible::Role role;
  };
  for (const Case c : {Case{0, 0, QAccessible::ColumnHeader}, Case{0, 2, QAccessible::ColumnHeader},
                       Case{3, 0, QAccessible::RowHeader}, Case{3, 2, QAccessible::Cell}}) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
    QAccessibleInterface* cell = table->cellAt(c.row, c.col);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), c.role);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("%1,%2").arg(c.row).arg(c.col));
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), c.row);
    EXPECT_EQ(cell->tableCellInterface()->columnIndex(), c.col);
    EXPECT_EQ(cell->parent(), iface);
    EXPECT_EQ(table->cellAt(c.row, c.col), cell);  // the same object every time
    const int index = c.row * 4 + c.col;
    EXPECT_EQ(iface->child(index), cell);
    EXPECT_EQ(iface->indexOfChild(cell), index);
    const QRect client = w.grid->GetCellRect(c.row, c.col);
    EXPECT_EQ(cell->rect(), QRect(w.grid->viewport()->mapToGlobal(client.topLeft()), client.size()));
    EXPECT_EQ(iface->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
  }
  EXPECT_EQ(table->columnDescription(2), "0,2");
  EXPECT_EQ(table->rowDescription(3), "3,0");

  QAccessibleTableCellInterface* body = table->cellAt(3, 2)->tableCellInterface();
  ASSERT_EQ(body->columnHeaderCells().size(), 1);
  EXPECT_EQ(body->columnHeaderCells()[0], table->cellAt(0, 2));
  ASSERT_EQ(body->rowHeaderCells().size(), 1);
  EXPECT_EQ(body->rowHeaderCells()[0], table->cellAt(3, 0));
  EXPECT_EQ(body->table(), iface);
}

TEST(GridAccessible, StatesShowReadOnlyCellsAndTheFocusCell) {
  GridWindow w(6, 4, 1, 1);
  w.grid->SetCellState(2, 1, GVIS_READONLY);
  w.grid->SetFocusCell(3, 2);
  QAccessibleTableInterface* table = TableOf(w.grid);
  ASSERT_NE(table, nullptr);

  const QAccessible::State readOnly = table->cellAt(2, 1)->state();
  EXPECT_TRUE(readOnly.readOnly);
  EXPECT_FALSE(readOnly.editable);
  EXPECT_FALSE(readOnly.focused);

  const QAccessible::State focused = table->cellAt(3, 2)->state();
  EXPECT_TRUE(focused.focused);
  EXPECT_TRUE(focused.editable);
  EXPECT_FALSE(focused.readOnly);

  EXPECT_FALSE(table->cellAt(2, 2)->state().focused);
  EXPECT_FALSE(table->cellAt(0, 2)->state().editable);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(w.grid)->focusChild(), table->cellAt(3, 2));

  w.grid->SetEditable(false);
  EXPECT_FALSE(table->cellAt(3, 2)->state().editable);
}

TEST(GridAccessible, FocusMovesAndTextChangesAreAnnounced) {
  AccessibilityEvents listening;
  GridWindow w(6, 4, 1, 1);
  w.grid->SetFocusCell(1, 1);
  listening.Clear();
  w.Key(Qt::Key_Down);
  w.grid->SetCellText(4, 3, "433.00000");
  w.grid->SetCellText(4, 3, "433.00000");  // unchanged: nothing to announce

  std::vector<AccessibilityEvents::Event> seen;
  for (const auto& e : listening.Events()) {
    if (e.type == QAccessible::Focus || e.type == QAccessible::NameChanged) seen.push_back(e);
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].type, QAccessible::Focus);
  EXPECT_EQ(seen[0].row, 2);
  EXPECT_EQ(seen[0].col, 1);
  EXPECT_EQ(seen[1].type, QAccessible::NameChanged);
  EXPECT_EQ(seen[1].row, 4);
  EXPECT_EQ(seen[1].col, 3);
  EXPECT_EQ(TableOf(w.grid)->cellAt(4, 3)->text(QAccessible::Name), "433.00000");
}

TEST(GridAccessible, CellsOfRemovedRowsBecomeInvalidAndNewOnesAppear) {
  AccessibilityEvents listening;
  GridWindow w(6, 4, 1, 1);
  QAccessibleTableInterface* table = TableOf(w.grid);
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->cellAt(5, 3), nullptr);
  w.grid->SetRowCount(3);
  EXPECT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->cellAt(5, 3), nullptr);
  w.grid->SetRowCount(7);
  QAccessibleInterface* added = table->cellAt(6, 3);
  ASSERT_NE(added, nullptr);
  EXPECT_TRUE(added->isValid());
  EXPECT_EQ(added->text(QAccessible::Name), QString());
  w.grid->SetCellText(6, 3, "new");
  EXPECT_EQ(added->text(QAccessible::Name), "new");
}

}  // namespace
}  // namespace rondel
