// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing one grid cell: the fill, the border or focus frame and the text, for the screen and
// for printing alike; the grid decides how the cell should look, this draws it.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;

namespace rondel {

// Qt text flags for a cell's format bits.
int TextFlagsForFormat(unsigned format);

enum class CellBorder { None, Simple, Raised };

struct CellLook {
  QColor fill;          // invalid: not filled
  QColor textColour;
  CellBorder border = CellBorder::None;
  bool focusFrame = false;
  int margin = 0;       // text inset left and right
  unsigned format = 0;
  QFont font;
  QString text;
};

// Pixels of border a cell keeps clear inside its edges: a fixed cell's edge is raised twice
// as deep in the focus cell's row and column, so its text always stays clear of the deeper one.
inline constexpr int kFixedCellInset = 2;
inline constexpr int kCellInset = 1;  // the focus frame

// Where a cell drawn into `rect` puts its text: inside the border and `margin` pixels in from
// left and right, the grid line's column and row left out.
QRect CellTextRect(const QRect& rect, int margin, int inset);

// rect is the whole cell, its right column and bottom row included.
void DrawGridCell(QPainter& painter, const QRect& rect, const CellLook& look, const QPalette& palette);

}  // namespace rondel
