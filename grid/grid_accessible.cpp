// SPDX-License-Identifier: GPL-3.0-or-later
// The accessible table reads everything through the grid's public operations at the moment it
// is asked, so it never holds a copy that could go stale. Cell objects are made on demand and
// kept per position, as assistive technology expects a cell to stay the same object.
#include "grid/grid_accessible.h"

#include "grid/grid_ctrl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <limits>
#include <map>
#include <utility>

namespace rondel {

namespace {

class CGridAccessibleCell;

class CGridAccessibleTable : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit CGridAccessibleTable(CGridCtrl* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~CGridAccessibleTable() override {
    for (const auto& entry : m_cells) QAccessible::deleteAccessibleInterface(entry.second);
  }

  CGridCtrl* Grid() const { return static_cast<CGridCtrl*>(widget()); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // Children are the cells, row by row.
  int childCount() const override {
    const std::int64_t count = std::int64_t{Grid()->GetRowCount()} * Grid()->GetColumnCount();
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(count);
  }
  QAccessibleInterface* child(int index) const override {
    const int cols = Grid()->GetColumnCount();
    if (index < 0 || cols == 0) return nullptr;
    return cellAt(index / cols, index % cols);
  }
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override {
    const CCellID cell = Grid()->GetCellFromPt(Grid()->viewport()->mapFromGlobal(QPoint(x, y)));
    return cell.IsValid() ? cellAt(cell.row, cell.col) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    const CCellID focus = Grid()->GetFocusCell();
    return focus.IsValid() ? cellAt(focus.row, focus.col) : nullptr;
  }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  // The grid selects no cells.
  int selectedCellCount() const override { return 0; }
  QList<QAccessibleInterface*> selectedCells() const override { return {}; }
  QString columnDescription(int column) const override {
    return Grid()->GetFixedRowCount() > 0 ? Grid()->GetCellText(0, column) : QString();
  }
  QString rowDescription(int row) const override {
    return Grid()->GetFixedColumnCount() > 0 ? Grid()->GetCellText(row, 0) : QString();
  }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return Grid()->GetColumnCount(); }
  int rowCount() const override { return Grid()->GetRowCount(); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { DropOutsideCells(); }

  void DropOutsideCells() {
    const int rows = Grid()->GetRowCount();
    const int cols = Grid()->GetColumnCount();
    for (auto it = m_cells.begin(); it != m_cells.end();) {
      if (it->first.first >= rows || it->first.second >= cols) {
        QAccessible::deleteAccessibleInterface(it->second);
        it = m_cells.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

class CGridAccessibleCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  CGridAccessibleCell(CGridCtrl* grid, int row, int col) : m_grid(grid), m_row(row), m_col(col) {}

  bool isValid() const override {
    return !m_grid.isNull() && m_row < m_grid->GetRowCount() && m_col < m_grid->GetColumnCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return Table() != nullptr ? Table()->window() : nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return Table(); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text kind) const override {
    if (!isValid() || kind != QAccessible::Name) return QString();
    return m_grid->GetCellText(m_row, m_col);
  }
  // The grid's texts are the owner's to change.
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return QRect();
    const QRect client = m_grid->GetCellRect(m_row, m_col);
    return QRect(m_grid->viewport()->mapToGlobal(client.topLeft()), client.size());
  }

  QAccessible::Role role() const override {
    if (!isValid()) return QAccessible::Cell;
    if (m_row < m_grid->GetFixedRowCount()) return QAccessible::ColumnHeader;
    if (m_col < m_grid->GetFixedColumnCount()) return QAccessible::RowHeader;
    return QAccessible::Cell;
  }

  QAccessible::State state() const override {
    QAccessible::State st;
    if (!isValid()) {
      st.invalid = true;
      return st;
    }
    const bool fixed = m_grid->IsCellFixed(m_row, m_col);
    st.focusable = !fixed;
    st.focused = m_grid->GetFocusCell() == CCellID{m_row, m_col};
    st.selectable = !fixed && m_grid->IsSelectionEnabled();
    st.editable = !fixed && m_grid->IsCellEditable(m_row, m_col);
    st.readOnly = !st.editable;
    st.offscreen = !m_grid->IsCellVisible(m_row, m_col);
    return st;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return false; }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QList<QAccessibleInterface*> cells;
    if (!isValid() || Table() == nullptr) return cells;
    for (int r = 0; r < m_grid->GetFixedRowCount() && r != m_row; ++r) cells.append(Table()->cellAt(r, m_col));
    return cells;
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override {
    QList<QAccessibleInterface*> cells;
    if (!isValid() || Table() == nullptr) return cells;
    for (int c = 0; c < m_grid->GetFixedColumnCount() && c != m_col; ++c) cells.append(Table()->cellAt(m_row, c));
    return cells;
  }
  int columnIndex() const override { return m_col; }
  int rowIndex() const override { return m_row; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return Table(); }

 private:
  CGridAccessibleTable* Table() const {
    if (m_grid.isNull()) return nullptr;
    return static_cast<CGridAccessibleTable*>(QAccessible::queryAccessibleInterface(m_grid.data()));
  }

  QPointer<CGridCtrl> m_grid;
  int m_row;
  int m_col;
};

QAccessibleInterface* CGridAccessibleTable::cellAt(int row, int column) const {
  if (row < 0 || column < 0 || row >= Grid()->GetRowCount() || column >= Grid()->GetColumnCount()) return nullptr;
  const auto key = std::make_pair(row, column);
  const auto found = m_cells.find(key);
  if (found != m_cells.end()) return QAccessible::accessibleInterface(found->second);
  auto* cell = new CGridAccessibleCell(Grid(), row, column);
  m_cells.emplace(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

int CGridAccessibleTable::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr || child->parent() != this) return -1;
  QAccessibleTableCellInterface* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
  if (cell == nullptr) return -1;
  return cell->rowIndex() * Grid()->GetColumnCount() + cell->columnIndex();
}

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<CGridCtrl*>(object)) return new CGridAccessibleTable(grid);
  return nullptr;
}

GridAccessibilitySink& Sink() {
  static GridAccessibilitySink sink;
  return sink;
}

// With nobody listening there is nobody to tell, and no cell object needs making.
CGridAccessibleTable* TableOf(CGridCtrl* grid) {
  if (grid == nullptr || (!Sink() && !QAccessible::isActive())) return nullptr;
  return static_cast<CGridAccessibleTable*>(QAccessible::queryAccessibleInterface(grid));
}

void Send(QAccessibleEvent* event) {
  if (Sink()) {
    Sink()(event);
  } else {
    QAccessible::updateAccessibility(event);
  }
}

}  // namespace

GridAccessibilitySink SetGridAccessibilitySink(GridAccessibilitySink sink) {
  std::swap(Sink(), sink);
  return sink;
}

void InstallGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(GridFactory);
    return true;
  }();
  (void)installed;
}

void NotifyGridShape(CGridCtrl* grid) {
  CGridAccessibleTable* table = TableOf(grid);
  if (table == nullptr) return;
  table->DropOutsideCells();
  QAccessibleTableModelChangeEvent event(grid, QAccessibleTableModelChangeEvent::ModelReset);
  Send(&event);
}

void NotifyGridFocus(CGridCtrl* grid, int row, int col) {
  CGridAccessibleTable* table = TableOf(grid);
  if (table == nullptr) return;
  if (QAccessibleInterface* cell = table->cellAt(row, col)) {
    QAccessibleEvent event(cell, QAccessible::Focus);
    Send(&event);
  }
}

void NotifyGridCellText(CGridCtrl* grid, int row, int col) {
  CGridAccessibleTable* table = TableOf(grid);
  if (table == nullptr) return;
  if (QAccessibleInterface* cell = table->cellAt(row, col)) {
    QAccessibleEvent event(cell, QAccessible::NameChanged);
    Send(&event);
  }
}

}  // namespace rondel
