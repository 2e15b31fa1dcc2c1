// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's table, its operations and its reports. Painting, input and scrolling live in
// grid_view.cpp; the accessible table in grid_accessible.cpp.
#include "grid/grid_ctrl.h"

#include "grid/grid_accessible.h"
#include "grid/grid_impl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <limits>
#include <new>

namespace rondel {

namespace {

int DefaultWheelLines() {
  // Without a running application there is no platform setting to ask.
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr ? QApplication::wheelScrollLines() : 3;
}

}  // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Impl>(*this)) {
  setFocusPolicy(Qt::WheelFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setMouseTracking(false);

  d->palette = palette();
  d->TakeColoursFrom(d->palette);
  d->ApplyFont(font());

  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { d->OnBarAction(Qt::Vertical, action); });
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { d->OnBarAction(Qt::Horizontal, action); });
  connect(verticalScrollBar(), &QAbstractSlider::sliderPressed, this, [this] { d->TakeFocus(); });
  connect(horizontalScrollBar(), &QAbstractSlider::sliderPressed, this, [this] { d->TakeFocus(); });

  d->ReadWheelLines();
  if (auto* hints = QGuiApplication::styleHints()) {
    connect(hints, &QStyleHints::wheelScrollLinesChanged, this, [this](int) { d->ReadWheelLines(); });
  }

  InstallGridAccessibility();
  d->UpdateScrollBars();
}

CGridCtrl::~CGridCtrl() = default;

// --- Table size ------------------------------------------------------------------------------

bool CGridCtrl::SetRowCount(int rows) {
  if (rows < 0) return false;
  const int old = d->rows.Count();
  if (rows == old) return true;
  if (rows > old) {
    // Everything that can fail to allocate happens before the table changes.
    std::vector<std::vector<Impl::Cell>> added;
    added.reserve(static_cast<std::size_t>(rows - old));
    const int cols = d->cols.Count();
    for (int r = old; r < rows; ++r) {
      std::vector<Impl::Cell> line(static_cast<std::size_t>(cols));
      // A new row takes the formats of the row above it, but for the first column.
      if (r > 0) {
        for (int c = 1; c < cols; ++c) {
          line[static_cast<std::size_t>(c)].format =
              (r == old) ? d->cells[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)].format
                         : added.back()[static_cast<std::size_t>(c)].format;
        }
      }
      added.push_back(std::move(line));
    }
    d->cells.reserve(static_cast<std::size_t>(rows));
    d->rows.Reserve(rows);
    std::move(added.begin(), added.end(), std::back_inserter(d->cells));
    d->rows.Resize(rows, d->defaultRowHeight);
  } else {
    d->cells.resize(static_cast<std::size_t>(rows));
    d->rows.Resize(rows, d->defaultRowHeight);
    d->fixedRows = std::min(d->fixedRows, rows);
    d->DropOutsideCells();
  }
  d->TableShapeChanged();
  return true;
}

bool CGridCtrl::SetColumnCount(int cols) {
  if (cols < 0) return false;
  const int old = d->cols.Count();
  if (cols == old) return true;
  if (cols > old) {
    const std::size_t n = static_cast<std::size_t>(cols);
    for (auto& line : d->cells) line.reserve(n);
    d->cols.Reserve(cols);
    for (std::size_t r = 0; r < d->cells.size(); ++r) {
      auto& line = d->cells[r];
      for (int c = old; c < cols; ++c) {
        Impl::Cell cell;
        if (r > 0 && c > 0) cell.format = d->cells[r - 1][static_cast<std::size_t>(c)].format;
        line.push_back(std::move(cell));
      }
    }
    d->cols.Resize(cols, d->defaultColWidth);
  } else {
    for (auto& line : d->cells) line.resize(static_cast<std::size_t>(cols));
    d->cols.Resize(cols, d->defaultColWidth);
    d->fixedCols = std::min(d->fixedCols, cols);
    d->DropOutsideCells();
  }
  d->TableShapeChanged();
  return true;
}

bool CGridCtrl::SetFixedRowCount(int rows) {
  if (rows < 0) return false;
  if (rows > d->rows.Count() && !SetRowCount(rows)) return false;
  d->fixedRows = rows;
  if (d->focus.IsValid() && d->focus.row < rows) d->DropFocusSilently();
  d->TableShapeChanged();
  return true;
}

bool CGridCtrl::SetFixedColumnCount(int cols) {
  if (cols < 0) return false;
  if (cols > d->cols.Count() && !SetColumnCount(cols)) return false;
  d->fixedCols = cols;
  if (d->focus.IsValid() && d->focus.col < cols) d->DropFocusSilently();
  d->TableShapeChanged();
  return true;
}

int CGridCtrl::GetRowCount() const { return d->rows.Count(); }
int CGridCtrl::GetColumnCount() const { return d->cols.Count(); }
int CGridCtrl::GetFixedRowCount() const { return d->fixedRows; }
int CGridCtrl::GetFixedColumnCount() const { return d->fixedCols; }

bool CGridCtrl::SetRowHeight(int row, int height) {
  if (row < 0 || row >= d->rows.Count() || height < 0) return false;
  d->rows.SetSize(row, height);
  d->UpdateScrollBars();
  d->Repaint();
  return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= d->cols.Count() || width < 0) return false;
  d->cols.SetSize(col, width);
  d->UpdateScrollBars();
  d->Repaint();
  return true;
}

int CGridCtrl::GetRowHeight(int row) const {
  return (row < 0 || row >= d->rows.Count()) ? -1 : d->rows.Size(row);
}

int CGridCtrl::GetColumnWidth(int col) const {
  return (col < 0 || col >= d->cols.Count()) ? -1 : d->cols.Size(col);
}

int CGridCtrl::GetFixedRowsHeight() const { return Impl::Clamp(d->rows.Start(d->fixedRows)); }
int CGridCtrl::GetTotalWidth() const { return Impl::Clamp(d->cols.Total()); }
int CGridCtrl::GetTotalHeight() const { return Impl::Clamp(d->rows.Total()); }
QSize CGridCtrl::GetCellFitSize(int row, int col, int width) const {
  const Impl::Cell* cell = d->CellAt(row, col);
  if (cell == nullptr) return {};
  const int inset = IsCellFixed(row, col) ? kFixedCellInset : kCellInset;
  // What CellTextRect keeps of a cell for its text, across and down.
  const int padX = 1 + 2 * (d->margin + inset);
  const int padY = 1 + 2 * inset;
  if (cell->text.isEmpty()) return {width, padY};
  const QFontMetrics metrics(d->font);
  const int flags = TextFlagsForFormat(cell->format);
  const auto extent = [&](int room) {
    return metrics.boundingRect(QRect(0, 0, std::max(1, room), 1 << 20), flags, cell->text).size();
  };
  QSize text = extent(width - padX);
  // Wider than the room: a word that cannot break; with room for it every line fits.
  const int fitWidth = std::max(width, text.width() + padX);
  if (fitWidth != width) text = extent(fitWidth - padX);
  return {fitWidth, text.height() + padY};
}

int CGridCtrl::GetCellMargin() const { return d->margin; }

// --- Cells -----------------------------------------------------------------------------------

bool CGridCtrl::SetCell(const GV_ITEM& item) {
  Impl::Cell* cell = d->CellAt(item.row, item.col);
  if (cell == nullptr) return false;
  const bool textChanged = (item.mask & GVIF_TEXT) && cell->text != item.text;
  if (item.mask & GVIF_TEXT) cell->text = item.text;
  if (item.mask & GVIF_BKCLR) cell->bkColour = item.bkColour;
  if (item.mask & GVIF_FGCLR) cell->textColour = item.textColour;
  if (item.mask & GVIF_FORMAT) cell->format = item.format;
  if (item.mask & GVIF_STATE) cell->state = item.state;
  d->RepaintCell(item.row, item.col);
  if (textChanged) NotifyGridCellText(this, item.row, item.col);
  return true;
}

bool CGridCtrl::GetCell(GV_ITEM& item) const {
  const Impl::Cell* cell = d->CellAt(item.row, item.col);
  if (cell == nullptr) return false;
  if (item.mask & GVIF_TEXT) item.text = cell->text;
  if (item.mask & GVIF_STATE) item.state = cell->state;
  if (item.mask & GVIF_BKCLR) item.bkColour = cell->bkColour;
  if (item.mask & GVIF_FGCLR) item.textColour = cell->textColour;
  if (item.mask & GVIF_FORMAT) item.format = cell->format;
  return true;
}

bool CGridCtrl::SetCellText(int row, int col, const QString& text) {
  GV_ITEM item;
  item.row = row;
  item.col = col;
  item.mask = GVIF_TEXT;
  item.text = text;
  return SetCell(item);
}

QString CGridCtrl::GetCellText(int row, int col) const {
  const Impl::Cell* cell = d->CellAt(row, col);
  return cell != nullptr ? cell->text : QString();
}

bool CGridCtrl::SetCellState(int row, int col, unsigned state) {
  Impl::Cell* cell = d->CellAt(row, col);
  if (cell == nullptr) return false;
  cell->state = state;
  d->RepaintCell(row, col);
  return true;
}

unsigned CGridCtrl::GetCellState(int row, int col) const {
  const Impl::Cell* cell = d->CellAt(row, col);
  return cell != nullptr ? cell->state : 0u;
}

bool CGridCtrl::SetCellFormat(int row, int col, unsigned format) {
  Impl::Cell* cell = d->CellAt(row, col);
  if (cell == nullptr) return false;
  cell->format = format;
  d->RepaintCell(row, col);
  return true;
}

unsigned CGridCtrl::GetCellFormat(int row, int col) const {
  const Impl::Cell* cell = d->CellAt(row, col);
  return cell != nullptr ? cell->format : 0u;
}

bool CGridCtrl::SetCellBackColour(int row, int col, const QColor& colour) {
  Impl::Cell* cell = d->CellAt(row, col);
  if (cell == nullptr) return false;
  cell->bkColour = colour;
  d->RepaintCell(row, col);
  return true;
}

bool CGridCtrl::SetCellTextColour(int row, int col, const QColor& colour) {
  Impl::Cell* cell = d->CellAt(row, col);
  if (cell == nullptr) return false;
  cell->textColour = colour;
  d->RepaintCell(row, col);
  return true;
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
  const Impl::Cell* cell = d->CellAt(row, col);
  return cell != nullptr && (cell->state & GVIS_READONLY) == 0;
}

bool CGridCtrl::IsCellFixed(int row, int col) const {
  return d->CellAt(row, col) != nullptr && (row < d->fixedRows || col < d->fixedCols);
}

// --- Colours, lines, font --------------------------------------------------------------------

void CGridCtrl::SetTextBkColour(const QColor& colour) { d->textBkColour.value = colour; d->Repaint(); }
void CGridCtrl::SetGridLineColour(const QColor& colour) { d->gridLineColour = colour; d->Repaint(); }
QColor CGridCtrl::GetTextColour() const { return d->textColour.value; }
QColor CGridCtrl::GetTextBkColour() const { return d->textBkColour.value; }

QFont CGridCtrl::GetGridFont() const { return d->font; }

// --- Switches --------------------------------------------------------------------------------

void CGridCtrl::EnableSelection(bool enable) { d->selectionEnabled = enable; }
bool CGridCtrl::IsSelectionEnabled() const { return d->selectionEnabled; }

void CGridCtrl::EnableResize(bool rows, bool cols) {
  d->rowResize = rows;
  d->colResize = cols;
}

void CGridCtrl::EnableRedraw(bool allow, bool resetScrollBars) {
  d->allowDraw = allow;
  if (!allow) return;
  if (resetScrollBars) d->UpdateScrollBars();
  viewport()->update();
}

void CGridCtrl::RedrawRow(int row) {
  if (row < 0 || row >= d->rows.Count() || !d->allowDraw) return;
  const QRect band = GetCellRect(row, 0);
  viewport()->update(QRect(0, band.top(), viewport()->width(), band.height()));
}

// --- Focus cell ------------------------------------------------------------------------------

CCellID CGridCtrl::GetFocusCell() const { return d->focus; }

bool CGridCtrl::SetFocusCell(int row, int col) {
  const bool none = row == -1 && col == -1;
  if (!none && d->CellAt(row, col) == nullptr) return false;
  return d->MoveFocus(CCellID{row, col});
}

void CGridCtrl::ResetSelection() { d->MoveFocus(CCellID{}); }

// --- Editing ---------------------------------------------------------------------------------

bool CGridCtrl::RequestEdit(int row, int col) {
  if (d->CellAt(row, col) == nullptr) return false;
  EnsureVisible(row, col);
  if (!IsCellEditable(row, col) || !IsCellVisible(row, col)) return false;
  return d->SendReport(GVN_BEGINLABELEDIT, row, col);
}

void CGridCtrl::SetEditing(bool editing) {
  if (d->editing == editing) return;
  d->editing = editing;
  if (!editing) d->RepaintRect(d->editedRect);
}

bool CGridCtrl::IsEditing() const { return d->editing; }
QRect CGridCtrl::GetEditedRect() const { return d->editedRect; }

void CGridCtrl::SetOwner(QWidget* owner) {
  d->owner = owner;
  d->ownerSet = owner != nullptr;
}

// --- Impl: table bookkeeping -----------------------------------------------------------------

CGridCtrl::Impl::Impl(CGridCtrl& grid) : q(grid) {}

int CGridCtrl::Impl::Clamp(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

CGridCtrl::Impl::Cell* CGridCtrl::Impl::CellAt(int row, int col) {
  if (row < 0 || col < 0 || row >= rows.Count() || col >= cols.Count()) return nullptr;
  return &cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

const CGridCtrl::Impl::Cell* CGridCtrl::Impl::CellAt(int row, int col) const {
  return const_cast<Impl*>(this)->CellAt(row, col);
}

void CGridCtrl::Impl::DropOutsideCells() {
  if (focus.IsValid() && (focus.row >= rows.Count() || focus.col >= cols.Count())) focus = CCellID{};
}

void CGridCtrl::Impl::DropFocusSilently() {
  if (Cell* cell = CellAt(focus.row, focus.col)) cell->state &= ~GVIS_FOCUSED;
  focus = CCellID{};
}

void CGridCtrl::Impl::TableShapeChanged() {
  UpdateScrollBars();
  Repaint();
  NotifyGridShape(&q);
}

void CGridCtrl::Impl::ApplyFont(const QFont& newFont) {
  font = newFont;
  const QFontMetrics metrics(newFont);
  margin = metrics.horizontalAdvance(QLatin1Char(' '));
  defaultRowHeight = metrics.height() + std::max(metrics.leading(), 0) + 2 * margin;
  defaultColWidth = 2 * (margin + 6 * metrics.averageCharWidth());
}

void CGridCtrl::Impl::TakeColoursFrom(const QPalette& pal) {
  for (TrackedColour* colour : {&textColour, &textBkColour, &fixedTextColour, &fixedBkColour, &gridBkColour}) {
    colour->value = pal.color(QPalette::Active, colour->role);
  }
  gridLineColour = pal.color(QPalette::Active, QPalette::Dark);
}

void CGridCtrl::Impl::FollowPalette(const QPalette& newPalette) {
  // A colour follows the palette only while it is still the one it was taken from, so colours
  // the owner set stay as they are.
  for (TrackedColour* colour : {&textColour, &textBkColour, &fixedTextColour, &fixedBkColour, &gridBkColour}) {
    if (colour->value == palette.color(QPalette::Active, colour->role)) {
      colour->value = newPalette.color(QPalette::Active, colour->role);
    }
  }
  palette = newPalette;
}

void CGridCtrl::Impl::ReadWheelLines() { wheelLines = DefaultWheelLines(); }

bool CGridCtrl::Impl::MoveFocus(CCellID next) {
  if (next == focus) return true;
  QPointer<CGridCtrl> alive(&q);
  const CCellID old = focus;
  if (CellAt(old.row, old.col) != nullptr) {
    SendReport(GVN_SELCHANGING, old.row, old.col);
    if (!alive) return false;
    if (Cell* cell = CellAt(old.row, old.col)) cell->state &= ~GVIS_FOCUSED;
    RepaintFocusCell(old);
  }
  focus = CCellID{};
  // The owner may have reshaped the table while it heard the first report.
  if (next.IsValid() && CellAt(next.row, next.col) == nullptr) return false;
  focus = next;
  if (!next.IsValid()) return true;
  CellAt(next.row, next.col)->state |= GVIS_FOCUSED;
  RepaintFocusCell(next);
  SendReport(GVN_SELCHANGED, next.row, next.col);
  if (!alive) return false;
  if (focus == next) NotifyGridFocus(&q, next.row, next.col);
  return true;
}

bool CGridCtrl::Impl::SendReport(int code, int row, int col) {
  const Cell* cell = CellAt(row, col);
  if (cell == nullptr) return false;
  // Nobody to tell: the owner was set and is gone, or there is neither owner nor parent.
  if (ownerSet ? owner.isNull() : q.parentWidget() == nullptr) return false;
  CGridReport report;
  report.code = code;
  report.item.row = row;
  report.item.col = col;
  report.item.mask = GVIF_ALL;
  q.GetCell(report.item);
  const QRect client = q.GetCellRect(row, col);
  editedRect = client;
  report.screenRect = QRect(q.viewport()->mapToGlobal(client.topLeft()), client.size());
  switch (code) {
    case GVN_BEGINLABELEDIT:
      emit q.beginEdit(report);
      break;
    case GVN_SELCHANGING:
      emit q.focusLeaving(report);
      break;
    default:
      emit q.focusArrived(report);
      break;
  }
  return true;
}

}  // namespace rondel
