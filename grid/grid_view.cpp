// SPDX-License-Identifier: GPL-3.0-or-later
// What the grid shows and how it answers the mouse, the keyboard and the scroll bars. Positions
// come from the running sums of the row heights and column widths, so the work of a paint or a
// hit test depends on the cells in view, never on the length of the table.
#include "grid/grid_impl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace rondel {

namespace {

QRect ClampedRect(std::int64_t x, std::int64_t y, int w, int h) {
  // Far-off or giant cells would not fit an int rectangle; what is cut off lies far outside
  // any view or page anyway.
  constexpr std::int64_t kFar = 1 << 28;
  return QRect(static_cast<int>(std::clamp<std::int64_t>(x, -kFar, kFar)),
               static_cast<int>(std::clamp<std::int64_t>(y, -kFar, kFar)), std::min<int>(w, 2 * kFar),
               std::min<int>(h, 2 * kFar));
}

}  // namespace

// --- Geometry --------------------------------------------------------------------------------

QRect CGridCtrl::GetCellRect(int row, int col) const {
  if (d->CellAt(row, col) == nullptr) return QRect();
  std::int64_t x = d->cols.Start(col);
  std::int64_t y = d->rows.Start(row);
  if (col >= d->fixedCols) x -= horizontalScrollBar()->value();
  if (row >= d->fixedRows) y -= verticalScrollBar()->value();
  return ClampedRect(x, y, d->cols.Size(col), d->rows.Size(row));
}

CCellID CGridCtrl::GetCellFromPt(const QPoint& point) const {
  if (point.x() < 0 || point.y() < 0) return CCellID{};
  const std::int64_t fixedW = d->cols.Start(d->fixedCols);
  const std::int64_t fixedH = d->rows.Start(d->fixedRows);
  const int col = d->cols.IndexAt(point.x() < fixedW ? point.x() : point.x() + std::int64_t{horizontalScrollBar()->value()});
  const int row = d->rows.IndexAt(point.y() < fixedH ? point.y() : point.y() + std::int64_t{verticalScrollBar()->value()});
  if (row < 0 || col < 0) return CCellID{};
  return CCellID{row, col};
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
  if (d->CellAt(row, col) == nullptr) return false;
  const bool rowIn = row < d->fixedRows || (d->TopRow() >= 0 && row >= d->TopRow() && row <= d->BottomRow());
  const bool colIn = col < d->fixedCols || (d->LeftCol() >= 0 && col >= d->LeftCol() && col <= d->RightCol());
  return rowIn && colIn;
}

bool CGridCtrl::EnsureVisible(int row, int col) {
  if (d->CellAt(row, col) == nullptr) return false;
  // One line at a time, as the scroll bar would; every step either moves or ends the walk.
  if (row >= d->fixedRows) {
    while (d->TopRow() >= 0 && row < d->TopRow() && d->Scroll(Qt::Vertical, Impl::Step::LineBack)) {
    }
    while (d->BottomRow() >= 0 && row > d->BottomRow() && d->Scroll(Qt::Vertical, Impl::Step::LineForward)) {
    }
  }
  if (col >= d->fixedCols) {
    while (d->LeftCol() >= 0 && col < d->LeftCol() && d->Scroll(Qt::Horizontal, Impl::Step::LineBack)) {
    }
    while (d->RightCol() >= 0 && col > d->RightCol() && d->Scroll(Qt::Horizontal, Impl::Step::LineForward)) {
    }
  }
  // A cell cut off at the right or bottom edge gets one more step.
  const QRect rect = GetCellRect(row, col);
  if (col >= d->fixedCols && rect.right() > viewport()->width() - 1) d->Scroll(Qt::Horizontal, Impl::Step::LineForward);
  if (row >= d->fixedRows && rect.bottom() > viewport()->height() - 1) d->Scroll(Qt::Vertical, Impl::Step::LineForward);
  return true;
}

int CGridCtrl::Impl::VisibleHeight() const {
  return std::max(0, q.viewport()->height() - Clamp(rows.Start(fixedRows)));
}

int CGridCtrl::Impl::VisibleWidth() const {
  return std::max(0, q.viewport()->width() - Clamp(cols.Start(fixedCols)));
}

int CGridCtrl::Impl::TopRow() const {
  if (fixedRows >= rows.Count()) return -1;
  return rows.IndexAt(rows.Start(fixedRows) + q.verticalScrollBar()->value());
}

int CGridCtrl::Impl::LeftCol() const {
  if (fixedCols >= cols.Count()) return -1;
  return cols.IndexAt(cols.Start(fixedCols) + q.horizontalScrollBar()->value());
}

int CGridCtrl::Impl::BottomRow() const {
  const Span span = RowsIn(0, q.viewport()->height() - 1, false);
  return span.first <= span.last ? span.last : -1;
}

int CGridCtrl::Impl::RightCol() const {
  const Span span = ColsIn(0, q.viewport()->width() - 1, false);
  return span.first <= span.last ? span.last : -1;
}

// The items of one axis that meet the screen range [p0, p1], in the fixed part or the scrolled
// part; scroll is the scrolled part's offset.
CGridCtrl::Impl::Span CGridCtrl::Impl::ItemsIn(const CGridAxis& axis, int fixedCount, int p0, int p1, bool fixedPart, int scroll) {
  Span span;
  const std::int64_t fixedSize = axis.Start(fixedCount);
  if (fixedPart) {
    if (fixedCount == 0 || p1 < 0 || p0 >= fixedSize) return span;
    span.first = axis.IndexAt(std::max(p0, 0));
    const int last = axis.IndexAt(std::min<std::int64_t>(p1, fixedSize - 1));
    span.last = last < 0 ? fixedCount - 1 : std::min(last, fixedCount - 1);
    if (span.first < 0) span = {};
    return span;
  }
  const std::int64_t a = std::max<std::int64_t>(p0, fixedSize);
  if (a > p1 || fixedCount >= axis.Count()) return span;
  const int first = axis.IndexAt(a + scroll);
  if (first < 0) return span;
  const int last = axis.IndexAt(std::int64_t{p1} + scroll);
  span.first = first;
  span.last = last < 0 ? axis.Count() - 1 : last;
  return span;
}

CGridCtrl::Impl::Span CGridCtrl::Impl::RowsIn(int y0, int y1, bool fixedPart) const {
  return ItemsIn(rows, fixedRows, y0, y1, fixedPart, q.verticalScrollBar()->value());
}

CGridCtrl::Impl::Span CGridCtrl::Impl::ColsIn(int x0, int x1, bool fixedPart) const {
  return ItemsIn(cols, fixedCols, x0, x1, fixedPart, q.horizontalScrollBar()->value());
}

bool CGridCtrl::Impl::IsCellFullyVisible(int row, int col) const {
  const QRect rect = q.GetCellRect(row, col);
  if (rect.isNull()) return false;
  const bool rowIn = row < fixedRows || (rect.top() >= Clamp(rows.Start(fixedRows)) && rect.bottom() <= q.viewport()->height() - 1);
  const bool colIn = col < fixedCols || (rect.left() >= Clamp(cols.Start(fixedCols)) && rect.right() <= q.viewport()->width() - 1);
  return rowIn && colIn;
}

// --- Scrolling -------------------------------------------------------------------------------

void CGridCtrl::Impl::UpdateScrollBars() {
  if (!allowDraw) return;
  const std::int64_t scrolledH = rows.Total() - rows.Start(fixedRows);
  const std::int64_t scrolledW = cols.Total() - cols.Start(fixedCols);
  QScrollBar* vbar = q.verticalScrollBar();
  QScrollBar* hbar = q.horizontalScrollBar();
  // Whether a bar is needed is judged by the room without either bar, so bars shown while
  // the grid was smaller go once it has grown; a bar's thickness may then call for the other.
  const QSize room = q.maximumViewportSize();
  const int roomH = std::max(0, room.height() - Clamp(rows.Start(fixedRows)));
  const int roomW = std::max(0, room.width() - Clamp(cols.Start(fixedCols)));
  bool needV = scrolledH > roomH;
  bool needH = scrolledW > roomW;
  if (needV && !needH) needH = scrolledW > roomW - vbar->sizeHint().width();
  if (needH && !needV) needV = scrolledH > roomH - hbar->sizeHint().height();
  const int visibleH = std::max(0, roomH - (needH ? hbar->sizeHint().height() : 0));
  const int visibleW = std::max(0, roomW - (needV ? vbar->sizeHint().width() : 0));
  vbar->setPageStep(std::max(visibleH, 1));
  hbar->setPageStep(std::max(visibleW, 1));
  vbar->setSingleStep(std::max(defaultRowHeight, 1));
  hbar->setSingleStep(std::max(defaultColWidth, 1));
  // Setting a range may show or hide a bar, which resizes the viewport and comes back here.
  vbar->setRange(0, needV ? Clamp(scrolledH - visibleH) : 0);
  hbar->setRange(0, needH ? Clamp(scrolledW - visibleW) : 0);
}

int CGridCtrl::Impl::ScrollTarget(Qt::Orientation orientation, Step step, int from) const {
  const bool vertical = orientation == Qt::Vertical;
  const CGridAxis& axis = vertical ? rows : cols;
  const int fixedCount = vertical ? fixedRows : fixedCols;
  const QScrollBar* bar = vertical ? q.verticalScrollBar() : q.horizontalScrollBar();
  const int visible = vertical ? VisibleHeight() : VisibleWidth();
  const std::int64_t fixedSize = axis.Start(fixedCount);
  std::int64_t to = from;
  switch (step) {
    case Step::LineForward: {
      // By the height of the row leaving at the top.
      const int top = axis.IndexAt(fixedSize + from);
      if (top >= fixedCount) to = from + std::int64_t{axis.Size(top)};
      break;
    }
    case Step::LineBack: {
      // By the height of the row entering at the top; rows of no height never enter.
      int top = axis.IndexAt(fixedSize + from);
      if (top < 0) top = axis.Count();
      int entering = top - 1;
      while (entering >= fixedCount && axis.Size(entering) == 0) --entering;
      to = entering >= fixedCount ? from - std::int64_t{axis.Size(entering)} : 0;
      break;
    }
    case Step::PageForward:
      to = std::int64_t{from} + visible;
      break;
    case Step::PageBack:
      to = std::int64_t{from} - visible;
      break;
    case Step::ToStart:
      to = 0;
      break;
    case Step::ToEnd:
      to = bar->maximum();
      break;
  }
  return static_cast<int>(std::clamp<std::int64_t>(to, bar->minimum(), bar->maximum()));
}

bool CGridCtrl::Impl::Scroll(Qt::Orientation orientation, Step step) {
  TakeFocus();
  QScrollBar* bar = orientation == Qt::Vertical ? q.verticalScrollBar() : q.horizontalScrollBar();
  const int from = bar->value();
  const int to = ScrollTarget(orientation, step, from);
  if (to == from) return false;
  bar->setValue(to);
  return bar->value() != from;
}

void CGridCtrl::Impl::TakeFocus() {
  // Taking the focus ends an owner's edit through its editor losing the focus.
  if (!q.hasFocus()) q.setFocus(Qt::OtherFocusReason);
}

void CGridCtrl::Impl::OnBarAction(Qt::Orientation orientation, int action) {
  TakeFocus();
  QScrollBar* bar = orientation == Qt::Vertical ? q.verticalScrollBar() : q.horizontalScrollBar();
  const int from = bar->value();
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      bar->setSliderPosition(ScrollTarget(orientation, Step::LineForward, from));
      break;
    case QAbstractSlider::SliderSingleStepSub:
      bar->setSliderPosition(ScrollTarget(orientation, Step::LineBack, from));
      break;
    case QAbstractSlider::SliderPageStepAdd:
      bar->setSliderPosition(ScrollTarget(orientation, Step::PageForward, from));
      break;
    case QAbstractSlider::SliderPageStepSub:
      bar->setSliderPosition(ScrollTarget(orientation, Step::PageBack, from));
      break;
    default:
      break;  // the thumb and the ends are the bar's own
  }
}

void CGridCtrl::scrollContentsBy(int, int) {
  // The whole view is painted again rather than moved, so the edited cell's rectangle stays
  // untouched while an editor lies over it.
  d->Repaint();
}

void CGridCtrl::resizeEvent(QResizeEvent*) {
  if (isVisible()) d->TakeFocus();
  d->UpdateScrollBars();
}

void CGridCtrl::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  event->accept();
  d->TakeFocus();
  const int lines = d->wheelLines;
  // Whole notches only: a part of a notch scrolls nothing. Each step stops at the end of the
  // range, so a huge setting cannot keep the loop going.
  if (lines < 0) {
    const int pages = delta / 120;
    for (int i = 0; i < std::abs(pages); ++i) {
      if (!d->Scroll(Qt::Vertical, pages > 0 ? Impl::Step::PageBack : Impl::Step::PageForward)) break;
    }
    return;
  }
  const std::int64_t steps = std::int64_t{delta} * lines / 120;
  for (std::int64_t i = 0; i < (steps < 0 ? -steps : steps); ++i) {
    if (!d->Scroll(Qt::Vertical, steps > 0 ? Impl::Step::LineBack : Impl::Step::LineForward)) break;
  }
}

// --- Painting --------------------------------------------------------------------------------

void CGridCtrl::Impl::Repaint() {
  if (allowDraw) q.viewport()->update();
}

void CGridCtrl::Impl::RepaintRect(const QRect& rect) {
  if (allowDraw && !rect.isEmpty()) q.viewport()->update(rect);
}

void CGridCtrl::Impl::RepaintCell(int row, int col) {
  if (allowDraw && CellAt(row, col) != nullptr) RepaintRect(q.GetCellRect(row, col) & q.viewport()->rect());
}

void CGridCtrl::Impl::RepaintFocusCell(CCellID cell) {
  if (!allowDraw || CellAt(cell.row, cell.col) == nullptr) return;
  RepaintCell(cell.row, cell.col);
  // The headings of its row and column show the focus with a deeper edge.
  const QRect rect = q.GetCellRect(cell.row, cell.col);
  const int w = q.viewport()->width();
  const int h = q.viewport()->height();
  RepaintRect(QRect(rect.left(), 0, rect.width(), Clamp(rows.Start(fixedRows))) & q.viewport()->rect());
  RepaintRect(QRect(0, rect.top(), Clamp(cols.Start(fixedCols)), rect.height()) & QRect(0, 0, w, h));
}

CellLook CGridCtrl::Impl::LookOf(int row, int col, bool fixedStyle, bool printing) const {
  const Cell& cell = *CellAt(row, col);
  CellLook look;
  look.text = cell.text;
  look.format = cell.format;
  look.margin = margin;
  look.font = font;
  if (printing) {
    // Sizes in the page's own units, so the page mapping scales text like everything else.
    look.font.setPixelSize(std::max(1, QFontInfo(font).pixelSize()));
  }
  if (fixedStyle) {
    look.textColour = cell.textColour.isValid() ? cell.textColour : fixedTextColour.value;
    if (printing) {
      look.border = CellBorder::Simple;
    } else {
      look.fill = cell.bkColour.isValid() ? cell.bkColour : fixedBkColour.value;
      const bool focusLine = focus.IsValid() && (focus.row == row || focus.col == col);
      look.border = focusLine ? CellBorder::Raised : CellBorder::Simple;
    }
    return look;
  }
  look.fill = cell.bkColour.isValid() ? cell.bkColour : textBkColour.value;
  look.textColour = cell.textColour.isValid() ? cell.textColour : textColour.value;
  if (!printing) look.focusFrame = (cell.state & GVIS_FOCUSED) != 0;
  return look;
}

void CGridCtrl::paintEvent(QPaintEvent* event) {
  if (!d->allowDraw) return;
  QRegion region = event->region();
  if (d->editing && !d->editedRect.isEmpty()) region -= d->editedRect;
  if (region.isEmpty()) return;

  QPainter painter(viewport());
  painter.setClipRegion(region);
  const QRect update = region.boundingRect();
  const int w = viewport()->width();
  const int h = viewport()->height();
  const int fixedW = Impl::Clamp(d->cols.Start(d->fixedCols));
  const int fixedH = Impl::Clamp(d->rows.Start(d->fixedRows));
  const int hpos = horizontalScrollBar()->value();
  const int vpos = verticalScrollBar()->value();
  // Last pixel of the table on screen in each direction.
  const int tableRight = d->cols.Count() > d->fixedCols ? Impl::Clamp(std::min<std::int64_t>(d->cols.Total() - hpos, w) - 1) : fixedW - 1;
  const int tableBottom = d->rows.Count() > d->fixedRows ? Impl::Clamp(std::min<std::int64_t>(d->rows.Total() - vpos, h) - 1) : fixedH - 1;

  // Backgrounds first.
  auto fill = [&](int left, int top, int right, int bottom, const QColor& colour) {
    if (left <= right && top <= bottom) painter.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), colour);
  };
  fill(tableRight + 1, 0, w - 1, h - 1, d->gridBkColour.value);
  fill(0, tableBottom + 1, tableRight, h - 1, d->gridBkColour.value);
  fill(0, 0, tableRight, fixedH - 1, d->fixedBkColour.value);
  fill(0, fixedH, fixedW - 1, tableBottom, d->fixedBkColour.value);
  fill(fixedW, fixedH, tableRight, tableBottom, d->textBkColour.value);

  const Impl::Span fixedRowSpan = d->RowsIn(update.top(), update.bottom(), true);
  const Impl::Span rowSpan = d->RowsIn(update.top(), update.bottom(), false);
  const Impl::Span fixedColSpan = d->ColsIn(update.left(), update.right(), true);
  const Impl::Span colSpan = d->ColsIn(update.left(), update.right(), false);
  const QPalette pal = palette();

  auto drawBlock = [&](const QRect& band, Impl::Span rs, Impl::Span cs, bool fixedStyle) {
    if (rs.first > rs.last || cs.first > cs.last || band.isEmpty()) return;
    painter.save();
    painter.setClipRect(band, Qt::IntersectClip);
    for (int r = rs.first; r <= rs.last; ++r) {
      for (int c = cs.first; c <= cs.last; ++c) {
        DrawGridCell(painter, GetCellRect(r, c), d->LookOf(r, c, fixedStyle, false), pal);
      }
    }
    painter.restore();
  };
  drawBlock(QRect(0, 0, fixedW, fixedH), fixedRowSpan, fixedColSpan, true);
  drawBlock(QRect(fixedW, 0, w - fixedW, fixedH), fixedRowSpan, colSpan, true);
  drawBlock(QRect(0, fixedH, fixedW, h - fixedH), rowSpan, fixedColSpan, true);
  drawBlock(QRect(fixedW, fixedH, w - fixedW, h - fixedH), rowSpan, colSpan, false);

  // Grid lines between the scrolling cells.
  if (rowSpan.first <= rowSpan.last && colSpan.first <= colSpan.last) {
    painter.setClipRect(QRect(fixedW, fixedH, w - fixedW, h - fixedH), Qt::IntersectClip);
    painter.setPen(d->gridLineColour);
    const int y0 = std::max(fixedH, update.top());
    const int y1 = std::min(tableBottom, update.bottom());
    const int x0 = std::max(fixedW, update.left());
    const int x1 = std::min(tableRight, update.right());
    if (y0 <= y1) {
      for (int c = colSpan.first; c <= colSpan.last; ++c) {
        const int x = GetCellRect(rowSpan.first, c).right();
        painter.drawLine(x, y0, x, y1);
      }
    }
    if (x0 <= x1) {
      for (int r = rowSpan.first; r <= rowSpan.last; ++r) {
        const int y = GetCellRect(r, colSpan.first).bottom();
        painter.drawLine(x0, y, x1, y);
      }
    }
  }
}

// --- Printing --------------------------------------------------------------------------------

void CGridCtrl::PrintFixedRows(QPainter& painter) const {
  const QPen pen = painter.pen();
  const QPalette pal = palette();
  for (int r = 0; r < d->fixedRows; ++r) {
    for (int c = 0; c < d->cols.Count(); ++c) {
      const QRect cell = ClampedRect(d->cols.Start(c), d->rows.Start(r), d->cols.Size(c), d->rows.Size(r));
      const int left = cell.left();
      const int top = cell.top();
      const int right = cell.right();
      const int bottom = cell.bottom();
      DrawGridCell(painter, cell, d->LookOf(r, c, true, true), pal);
      painter.setPen(pen);
      const int fromLeft = c > 0 ? left - 1 : left;
      painter.drawLine(fromLeft, bottom, right, bottom);
      if (r == 0) painter.drawLine(fromLeft, top, right, top);
      const int fromTop = r > 0 ? top - 1 : top;
      painter.drawLine(right, fromTop, right, bottom);
      if (c == 0) painter.drawLine(left, fromTop, left, bottom);
    }
  }
}

void CGridCtrl::PrintRowAt(QPainter& painter, int row) const {
  if (row < 0 || row >= d->rows.Count()) return;
  const QPen pen = painter.pen();
  const QPalette pal = palette();
  // The first row below the heading starts its lines on its own top; the others reach one
  // pixel up to join the line of the row above.
  const int lineTop = row == 1 ? 0 : -1;
  for (int c = 0; c < d->cols.Count(); ++c) {
    const QRect cell = ClampedRect(d->cols.Start(c), 0, d->cols.Size(c), d->rows.Size(row));
    const int left = cell.left();
    const int right = cell.right();
    const int bottom = cell.bottom();
    DrawGridCell(painter, cell, d->LookOf(row, c, false, true), pal);
    painter.setPen(pen);
    painter.drawLine(c > 0 ? left - 1 : left, bottom, right, bottom);
    painter.drawLine(right, lineTop, right, bottom);
    if (c == 0) painter.drawLine(left, lineTop, left, bottom);
  }
}

// --- Mouse and keyboard ----------------------------------------------------------------------

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    // With no range selection there is never a menu to show.
    event->accept();
    return;
  }
  event->accept();
  d->leftPressed = true;
  d->pressInFixed = false;
  QPointer<CGridCtrl> alive(this);
  setFocus(Qt::MouseFocusReason);
  if (!alive) return;
  const CCellID cell = GetCellFromPt(event->position().toPoint());
  if (!cell.IsValid()) return;
  d->pressInFixed = cell.row < d->fixedRows || cell.col < d->fixedCols;
  // A heading puts the focus on the first scrolling cell of its column, a row number on the
  // first of its row.
  const CCellID target{std::max(cell.row, d->fixedRows), std::max(cell.col, d->fixedCols)};
  if (d->CellAt(target.row, target.col) != nullptr && !(target == d->focus)) d->MoveFocus(target);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !d->leftPressed) return;
  d->leftPressed = false;
  if (!d->pressInFixed) RequestEdit(d->focus.row, d->focus.col);
}

bool CGridCtrl::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      // Tab moves the focus cell instead of the keyboard focus while there is one.
      auto* key = static_cast<QKeyEvent*>(event);
      const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
      if (tab && !(key->modifiers() & Qt::ControlModifier) && d->CellAt(d->focus.row, d->focus.col) != nullptr) {
        keyPressEvent(key);
        return true;
      }
      break;
    }
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
      d->ReadWheelLines();
      break;
    default:
      break;
  }
  return QAbstractScrollArea::event(event);
}

void CGridCtrl::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::PaletteChange:
      d->FollowPalette(palette());
      d->Repaint();
      break;
    case QEvent::FontChange:
      d->ApplyFont(font());
      d->UpdateScrollBars();
      d->Repaint();
      break;
    default:
      break;
  }
  QAbstractScrollArea::changeEvent(event);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) { d->HandleKey(event); }

void CGridCtrl::Impl::HandleKey(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    event->accept();
    q.RequestEdit(focus.row, focus.col);
    return;
  }
  if (CellAt(focus.row, focus.col) == nullptr) {
    event->ignore();
    return;
  }
  const bool shiftTab = key == Qt::Key_Backtab || (key == Qt::Key_Tab && (event->modifiers() & Qt::ShiftModifier));
  const bool tab = key == Qt::Key_Tab && !shiftTab;
  if ((tab || shiftTab) && (event->modifiers() & Qt::ControlModifier)) {
    event->ignore();
    return;
  }
  const int lastRow = rows.Count() - 1;
  const int lastCol = cols.Count() - 1;
  CCellID next = focus;
  bool wrapped = false;
  if (key == Qt::Key_Left) {
    if (next.col > fixedCols) --next.col;
  } else if (key == Qt::Key_Right) {
    if (next.col < lastCol) ++next.col;
  } else if (key == Qt::Key_Up) {
    if (next.row > fixedRows) --next.row;
  } else if (key == Qt::Key_Down) {
    if (next.row < lastRow) ++next.row;
  } else if (tab) {
    if (next.col < lastCol) {
      ++next.col;
    } else if (next.row < lastRow) {
      ++next.row;
      next.col = fixedCols;
      wrapped = true;
    }
  } else if (shiftTab) {
    if (next.col > fixedCols) {
      --next.col;
    } else if (next.row > fixedRows) {
      --next.row;
      next.col = lastCol;
      wrapped = true;
    }
  } else if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
    const bool down = key == Qt::Key_PageDown;
    const int before = TopRow();
    Scroll(Qt::Vertical, down ? Step::PageForward : Step::PageBack);
    const int after = TopRow();
    if (after != before && before >= 0 && after >= 0) {
      next.row = std::clamp(next.row + (after - before), fixedRows, lastRow);
    } else {
      next.row = down ? lastRow : fixedRows;
    }
  } else if (key == Qt::Key_Home) {
    Scroll(Qt::Vertical, Step::ToStart);
    next.row = fixedRows;
  } else if (key == Qt::Key_End) {
    Scroll(Qt::Vertical, Step::ToEnd);
    next.row = lastRow;
  } else {
    event->ignore();
    return;
  }
  event->accept();
  if (next == focus) return;

  QPointer<CGridCtrl> alive(&q);
  MoveFocus(next);
  // The owner heard the focus reports and may have changed the table meanwhile.
  if (!alive || !(focus == next)) return;
  if (IsCellFullyVisible(next.row, next.col)) return;
  q.EnsureVisible(next.row, next.col);
  // One step further in the direction of the move, so the next move shows what comes.
  if (key == Qt::Key_Right) {
    Scroll(Qt::Horizontal, Step::LineForward);
  } else if (key == Qt::Key_Left) {
    Scroll(Qt::Horizontal, Step::LineBack);
  } else if (key == Qt::Key_Down) {
    Scroll(Qt::Vertical, Step::LineForward);
  } else if (key == Qt::Key_Up) {
    Scroll(Qt::Vertical, Step::LineBack);
  } else if (tab) {
    if (wrapped) {
      Scroll(Qt::Vertical, Step::LineForward);
      q.horizontalScrollBar()->setValue(0);
    } else {
      Scroll(Qt::Horizontal, Step::LineForward);
    }
  } else if (shiftTab) {
    if (wrapped) {
      Scroll(Qt::Vertical, Step::LineBack);
      q.horizontalScrollBar()->setValue(q.horizontalScrollBar()->maximum());
    } else {
      Scroll(Qt::Horizontal, Step::LineBack);
    }
  }
  Repaint();
}

}  // namespace rondel
