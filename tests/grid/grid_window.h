// SPDX-License-Identifier: GPL-3.0-or-later
// A grid of known geometry inside a shown owner window, and the reports it sends.
#pragma once

#include "grid/grid_ctrl.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <ostream>
#include <vector>

namespace rondel {

inline void PrintTo(const CCellID& cell, std::ostream* os) { *os << "(" << cell.row << ", " << cell.col << ")"; }
namespace test {

// Every row kRowH pixels, every column kColW, no frame, so positions are plain arithmetic.
inline constexpr int kRowH = 20;
inline constexpr int kColW = 50;

struct GridWindow {
  GridWindow(int rows, int cols, QSize size = QSize(400, 300)) {
    owner.resize(size);
    grid = new CGridCtrl(&owner);
    grid->setFrameShape(QFrame::NoFrame);
    grid->setGeometry(0, 0, size.width(), size.height());
    grid->SetRowCount(rows);
    grid->SetColumnCount(cols);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    for (int r = 0; r < rows; ++r) grid->SetRowHeight(r, kRowH);
    for (int c = 0; c < cols; ++c) grid->SetColumnWidth(c, kColW);
    for (auto signal : {&CGridCtrl::beginEdit, &CGridCtrl::focusLeaving, &CGridCtrl::focusArrived})
      QObject::connect(grid, signal, grid, [this](const CGridReport& r) { reports.push_back(r.code); });
    owner.show();
    QApplication::setActiveWindow(&owner);
  }
  void Click(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->GetCellRect(row, col).center());
  }
  int Count(int code) const { return static_cast<int>(std::count(reports.begin(), reports.end(), code)); }

  QWidget owner;
  CGridCtrl* grid = nullptr;
  std::vector<int> reports;  // report codes in order
};

}  // namespace test
}  // namespace rondel
