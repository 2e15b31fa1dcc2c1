// A grid of known geometry inside an owner window, and a recorder of the reports it sends.
#pragma once

#include "grid/grid_ctrl.h"

#include <QWidget>

#include <memory>
#include <ostream>
#include <vector>

namespace rondel {

inline void PrintTo(const CCellID& cell, std::ostream* os) { *os << "(" << cell.row << ", " << cell.col << ")"; }

}  // namespace rondel

namespace rondel::test {

// Every row kRowH pixels, every column kColW, no frame, so positions are plain arithmetic.
inline constexpr int kRowH = 20;
inline constexpr int kColW = 50;

struct GridWindow {
  // The grid fills an owner window of the given size and is shown.
  GridWindow(int rows, int cols, int fixedRows, int fixedCols, QSize size = QSize(400, 300));

  QWidget owner;
  CGridCtrl* grid = nullptr;
  std::vector<CGridReport> reports;

  // The centre of a cell in viewport coordinates.
  QPoint CentreOf(int row, int col) const;
  void Click(int row, int col);
  void ClickAt(QPoint point);
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  void Wheel(int delta);
  int Count(int code) const;
  std::vector<CGridReport> Of(int code) const;
};

}  // namespace rondel::test
