// The shared fixture of the grid tests.
#include "grid_test_support.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

namespace rondel::test {

GridWindow::GridWindow(int rows, int cols, int fixedRows, int fixedCols, QSize size) {
  owner.resize(size);
  grid = new CGridCtrl(&owner);
  grid->setFrameShape(QFrame::NoFrame);
  grid->setGeometry(0, 0, size.width(), size.height());
  grid->SetRowCount(rows);
  grid->SetColumnCount(cols);
  grid->SetFixedRowCount(fixedRows);
  grid->SetFixedColumnCount(fixedCols);
  for (int r = 0; r < rows; ++r) grid->SetRowHeight(r, kRowH);
  for (int c = 0; c < cols; ++c) grid->SetColumnWidth(c, kColW);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) grid->SetCellText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
  }
  QObject::connect(grid, &CGridCtrl::beginEdit, grid, [this](const CGridReport& r) { reports.push_back(r); });
  QObject::connect(grid, &CGridCtrl::focusLeaving, grid, [this](const CGridReport& r) { reports.push_back(r); });
  QObject::connect(grid, &CGridCtrl::focusArrived, grid, [this](const CGridReport& r) { reports.push_back(r); });
  owner.show();
  QApplication::setActiveWindow(&owner);
  QCoreApplication::processEvents();
}

QPoint GridWindow::CentreOf(int row, int col) const { return grid->GetCellRect(row, col).center(); }

void GridWindow::Click(int row, int col) { ClickAt(CentreOf(row, col)); }

void GridWindow::ClickAt(QPoint point) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, point); }

void GridWindow::Key(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(grid, static_cast<Qt::Key>(key), modifiers);
}

void GridWindow::Wheel(int delta) {
  const QPointF pos = grid->viewport()->rect().center();
  QWheelEvent event(pos, grid->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid->viewport(), &event);
}

int GridWindow::Count(int code) const { return static_cast<int>(Of(code).size()); }

std::vector<CGridReport> GridWindow::Of(int code) const {
  std::vector<CGridReport> out;
  for (const auto& r : reports) {
    if (r.code == code) out.push_back(r);
  }
  return out;
}

}  // namespace rondel::test
