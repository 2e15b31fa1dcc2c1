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

// rect is the whole cell, its right column and bottom row included.
void DrawGridCell(QPainter& painter, const QRect& rect, const CellLook& look, const QPalette& palette);

}  // namespace rondel
