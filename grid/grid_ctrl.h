// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: a table of text cells with fixed heading rows and columns that stay put while the
// rest scrolls. It paints, scrolls and moves its focus cell itself, and hands editing to its owner.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;

namespace rondel {

// Cell state bits.
inline constexpr unsigned GVIS_FOCUSED = 0x1;
inline constexpr unsigned GVIS_READONLY = 0x8;

// Cell format bits: the flags of the text drawing call the cells were laid out for; none is
// left-aligned at the top.
inline constexpr unsigned GV_FMT_CENTER = 0x1;      // centred horizontally
inline constexpr unsigned GV_FMT_RIGHT = 0x2;       // right-aligned
inline constexpr unsigned GV_FMT_VCENTER = 0x4;     // centred vertically, only with GV_FMT_SINGLELINE
inline constexpr unsigned GV_FMT_WORDBREAK = 0x10;  // wrapped at word breaks
inline constexpr unsigned GV_FMT_SINGLELINE = 0x20; // one line, line breaks shown as spaces

// Field mask of a cell item: which fields SetCell copies in and GetCell copies out.
inline constexpr unsigned GVIF_TEXT = 0x1;
inline constexpr unsigned GVIF_STATE = 0x8;
inline constexpr unsigned GVIF_BKCLR = 0x10;
inline constexpr unsigned GVIF_FGCLR = 0x20;
inline constexpr unsigned GVIF_FORMAT = 0x40;
inline constexpr unsigned GVIF_ALL = 0xFFFFFFFFu;

// Report codes, as the owner's handlers know them.
inline constexpr int GVN_BEGINLABELEDIT = -105;
inline constexpr int GVN_SELCHANGING = -104;  // the focus is about to leave a cell
inline constexpr int GVN_SELCHANGED = -103;   // the focus has arrived on a cell

// The colour value that stands for "the grid's own colour" in a cell (an invalid QColor).
inline QColor GridDefaultColour() { return QColor(); }
inline bool IsGridDefaultColour(const QColor& colour) { return !colour.isValid(); }

// A cell position; (-1, -1) is none.
struct CCellID {
  int row = -1;
  int col = -1;
  bool IsValid() const { return row >= 0 && col >= 0; }
  friend bool operator==(const CCellID&, const CCellID&) = default;
};

// One cell's fields, in and out of SetCell/GetCell and inside every report.
struct GV_ITEM {
  int row = 0;
  int col = 0;
  unsigned mask = 0;        // GVIF_*
  unsigned state = 0;       // GVIS_*
  unsigned format = 0;      // GV_FMT_*
  QString text;
  QColor bkColour;          // invalid: the grid's own colour
  QColor textColour;        // invalid: the grid's own colour
};

// What the grid tells its owner: the code, the whole cell (mask GVIF_ALL) and the cell's
// rectangle in screen coordinates.
struct CGridReport {
  int code = 0;
  GV_ITEM item;
  QRect screenRect;
};

class CGridCtrl : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit CGridCtrl(QWidget* parent = nullptr);
  ~CGridCtrl() override;

  // Table size. Every operation on a row or column outside the table fails and changes nothing.
  bool SetRowCount(int rows);
  bool SetColumnCount(int cols);
  bool SetFixedRowCount(int rows);
  bool SetFixedColumnCount(int cols);
  int GetRowCount() const;
  int GetColumnCount() const;
  int GetFixedRowCount() const;
  int GetFixedColumnCount() const;

  bool SetRowHeight(int row, int height);
  bool SetColumnWidth(int col, int width);
  int GetRowHeight(int row) const;    // -1 outside the table
  int GetColumnWidth(int col) const;  // -1 outside the table
  int GetFixedRowsHeight() const;
  int GetTotalWidth() const;
  int GetTotalHeight() const;
  // The size a cell needs to show its whole text in the grid's font and its format: at least `width`
  // wide, wider when a word (or, for single-line text, the line) would not fit; the height is
  // that of the text at that width with the cell's border and margins.
  QSize GetCellFitSize(int row, int col, int width) const;
  int GetCellMargin() const;

  // Cells.
  bool SetCell(const GV_ITEM& item);
  bool GetCell(GV_ITEM& item) const;  // item.row, item.col and item.mask say what to fetch
  bool SetCellText(int row, int col, const QString& text);
  QString GetCellText(int row, int col) const;  // empty outside the table
  bool SetCellState(int row, int col, unsigned state);
  unsigned GetCellState(int row, int col) const;  // 0 outside the table
  bool SetCellFormat(int row, int col, unsigned format);
  unsigned GetCellFormat(int row, int col) const;
  bool SetCellBackColour(int row, int col, const QColor& colour);
  bool SetCellTextColour(int row, int col, const QColor& colour);
  bool IsCellEditable(int row, int col) const;
  bool IsCellVisible(int row, int col) const;
  bool IsCellFixed(int row, int col) const;

  // Geometry: the cell's rectangle in viewport coordinates (right = left + width - 1), and the
  // cell under a viewport point ((-1, -1) when none).
  QRect GetCellRect(int row, int col) const;
  CCellID GetCellFromPt(const QPoint& point) const;

  // Colours, taken from the palette; a palette change moves every one still equal to the
  // palette colour it came from. The grid lines' colour is the palette's dark one.
  void SetTextBkColour(const QColor& colour);
  void SetGridLineColour(const QColor& colour);
  QColor GetTextColour() const;
  QColor GetTextBkColour() const;

  // The widget's font, in every cell; it measures margin, default row height and column width.
  QFont GetGridFont() const;

  // Behaviour switches. The grid selects no cells and resizes nothing by the mouse:
  // EnableResize only records the owner's choice, EnableSelection what assistive technology
  // is told of the cells.
  void EnableSelection(bool enable);
  bool IsSelectionEnabled() const;
  void EnableResize(bool rows, bool cols);

  // Painting and scroll bars are left alone while redraw is off; switching it back on repaints,
  // and with resetScrollBars recomputes the scroll bars.
  void EnableRedraw(bool allow, bool resetScrollBars = false);
  void RedrawRow(int row);

  // Focus cell. SetFocusCell sends the leaving and arriving reports; ResetSelection moves the
  // focus off every cell.
  CCellID GetFocusCell() const;
  bool SetFocusCell(int row, int col);
  void ResetSelection();

  // Scrolls the cell into view and, when it is editable and visible, reports beginEdit.
  bool RequestEdit(int row, int col);
  bool EnsureVisible(int row, int col);

  // Set by the owner while its editor lies over the cell of the latest report; the grid then
  // leaves that rectangle unpainted.
  void SetEditing(bool editing);
  bool IsEditing() const;
  QRect GetEditedRect() const;  // viewport coordinates

  // Reports go out only while the owner (or, when none is set, the parent) exists.
  void SetOwner(QWidget* owner);

  // Printing at the painter's current origin, in printing style: no focus frame, fixed cells
  // unfilled with a two-line border; lines use the painter's pen.
  void PrintFixedRows(QPainter& painter) const;
  void PrintRowAt(QPainter& painter, int row) const;

 signals:
  void beginEdit(const CGridReport& report);     // GVN_BEGINLABELEDIT
  void focusLeaving(const CGridReport& report);  // GVN_SELCHANGING
  void focusArrived(const CGridReport& report);  // GVN_SELCHANGED

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

}  // namespace rondel
