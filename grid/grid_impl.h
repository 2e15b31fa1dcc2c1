// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's inner state, shared by its table operations (grid_ctrl.cpp) and its painting and
// input handling (grid_view.cpp). Not for use outside grid/.
#pragma once

#include "grid/grid_axis.h"
#include "grid/grid_cell_draw.h"
#include "grid/grid_ctrl.h"

#include <QPalette>
#include <QPointer>

#include <vector>

namespace rondel {

struct CGridCtrl::Impl {
  explicit Impl(CGridCtrl& grid);

  struct Cell {
    unsigned state = 0;
    unsigned format = 0;
    QString text;
    QColor bkColour;    // invalid: the grid's colour
    QColor textColour;  // invalid: the grid's colour
  };

  // A grid colour and the palette role it came from.
  struct TrackedColour {
    QPalette::ColorRole role;
    QColor value;
  };

  enum class Step { LineBack, LineForward, PageBack, PageForward, ToStart, ToEnd };

  // A run of rows or columns, first..last inclusive; empty when first > last.
  struct Span {
    int first = 0;
    int last = -1;
  };

  static int Clamp(std::int64_t value);

  // Table bookkeeping (grid_ctrl.cpp).
  Cell* CellAt(int row, int col);
  const Cell* CellAt(int row, int col) const;
  void DropOutsideCells();
  void DropFocusSilently();
  void TableShapeChanged();
  void ApplyFont(const QFont& font);
  void TakeColoursFrom(const QPalette& palette);
  void FollowPalette(const QPalette& newPalette);
  void ReadWheelLines();
  bool MoveFocus(CCellID next);
  bool SendReport(int code, int row, int col);

  // View (grid_view.cpp).
  int VisibleHeight() const;  // of the non-fixed part
  int VisibleWidth() const;
  int TopRow() const;         // first non-fixed row in view, -1 when none
  int LeftCol() const;
  int BottomRow() const;      // last non-fixed row at least partly in view, -1 when none
  int RightCol() const;
  static Span ItemsIn(const CGridAxis& axis, int fixedCount, int p0, int p1, bool fixedPart, int scroll);
  Span RowsIn(int y0, int y1, bool fixedPart) const;
  Span ColsIn(int x0, int x1, bool fixedPart) const;
  bool IsCellFullyVisible(int row, int col) const;
  void UpdateScrollBars();
  int ScrollTarget(Qt::Orientation orientation, Step step, int from) const;
  // Returns whether the position moved.
  bool Scroll(Qt::Orientation orientation, Step step);
  void TakeFocus();
  void OnBarAction(Qt::Orientation orientation, int action);
  void Repaint();
  void RepaintRect(const QRect& rect);
  void RepaintCell(int row, int col);
  void RepaintFocusCell(CCellID cell);
  CellLook LookOf(int row, int col, bool fixedStyle, bool printing) const;
  void HandleKey(QKeyEvent* event);

  CGridCtrl& q;

  CGridAxis rows;
  CGridAxis cols;
  std::vector<std::vector<Cell>> cells;  // [row][col]
  int fixedRows = 0;
  int fixedCols = 0;

  QFont font;  // of every cell
  int margin = 0;
  int defaultRowHeight = 0;
  int defaultColWidth = 0;

  QPalette palette;  // the palette the tracked colours were last taken from
  TrackedColour textColour{QPalette::Text, {}};
  TrackedColour textBkColour{QPalette::Base, {}};
  TrackedColour fixedTextColour{QPalette::ButtonText, {}};
  TrackedColour fixedBkColour{QPalette::Button, {}};
  // Beyond the last row and column the grid is empty table, as Qt's item views show it: a
  // grid that fills a large window then shows no grey block around its cells.
  TrackedColour gridBkColour{QPalette::Base, {}};
  QColor gridLineColour;

  bool allowDraw = true;
  bool selectionEnabled = true;
  bool rowResize = true;
  bool colResize = true;

  int wheelLines = 3;  // lines per wheel notch; -1 is a page per notch

  CCellID focus;

  bool editing = false;
  QRect editedRect;

  QPointer<QWidget> owner;
  bool ownerSet = false;

  // The left-button press the next release belongs to.
  bool leftPressed = false;
  bool pressInFixed = false;
};

}  // namespace rondel
