// SPDX-License-Identifier: GPL-3.0-or-later
// A date line, the grid's heading row and the rows of the channels in use, 35 to a page,
// scaled so that the grid's full width fills the page between two small margins, and a footer
// naming the file, the model and the page.
#include "view/channel_print.h"

#include <QFontInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>

#include <QFontMetrics>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ctime>
#include <utility>

#include "grid/grid_cell_draw.h"
#include "grid/grid_ctrl.h"
#include "shell/form/form_texts.h"
#include "shell/language.h"
#include "shell/qt/rondel_app.h"
#include "shell/document/rondel_document.h"
#include "view/channel_grid.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

// The language's own face first (IDS_PRINT_FACE: for Chinese the Simplified Chinese one, which
// fontconfig would not pick by itself), then the face the list was laid out for; on Linux
// fontconfig resolves that to a face of the same metrics (Liberation Serif), so the margins
// come out as they were meant to.
QFont PrinterFont(int height) {
  QFont font;
  // By the face fontconfig makes of the name: in a list, an alias would not be looked up.
  font.setFamilies(LanguageFamilies({QFontInfo(QFont(QString::fromLatin1(kPrinterFontFace))).family()}));
  // A pixel size is the character height in the units of the context, as the list's heights
  // are meant: device pixels while measuring, grid units on the page.
  font.setPixelSize(height);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

std::string CurrentDateLine() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) return {};
  return LanguageDateLine(local);
}

// Puts the logical point (originX, originY) at the paper's top left corner.
void SetWindowOrigin(QPainter& painter, const PrintPageGeometry& page, int originX, int originY) {
  painter.setWindow(originX, originY, page.logicalWidth, page.logicalHeight);
}

// The rows and columns of the printed cells as large as their text needs on paper, for one
// print step; the grid gets its own sizes back afterwards. The grid prints in its own sizes,
// and a face with taller lines (a CJK face) or a longer translation must not be cut off.
// Sizes only ever grow: what the form shows already fitting stays as it is.
class CPrintFit {
 public:
  CPrintFit(CGridCtrl* grid, const std::vector<int>& channels) : m_grid(grid) {
    if (m_grid == nullptr) return;
    QFont font = m_grid->GetGridFont();
    // The size the cells are printed in (see the grid's printing style).
    font.setPixelSize(std::max(1, QFontInfo(font).pixelSize()));
    const QFontMetrics metrics(font);
    // Besides the text: both margins, a border of up to two pixels each side, the grid line.
    const int frame = 2 * 2 + 1;
    const int margin = m_grid->GetCellMargin();
    std::vector<int> rows{0};
    rows.insert(rows.end(), channels.begin(), channels.end());
    const int columns = m_grid->GetColumnCount();
    std::vector<int> widths(static_cast<std::size_t>(std::max(columns, 0)));
    for (int c = 0; c < columns; ++c) widths[static_cast<std::size_t>(c)] = m_grid->GetColumnWidth(c);
    // Single-line texts widen their column; wrapped ones then make their row taller.
    for (int r : rows) {
      for (int c = 0; c < columns; ++c) {
        const int flags = TextFlagsForFormat(m_grid->GetCellFormat(r, c));
        if (!(flags & Qt::TextSingleLine)) continue;
        const int need = metrics.horizontalAdvance(m_grid->GetCellText(r, c)) + 2 * margin + frame;
        int& width = widths[static_cast<std::size_t>(c)];
        width = std::max(width, need);
      }
    }
    for (int c = 0; c < columns; ++c) Grow(c, widths[static_cast<std::size_t>(c)], m_columns, true);
    for (int r : rows) {
      int need = 0;
      for (int c = 0; c < columns; ++c) {
        const QString text = m_grid->GetCellText(r, c);
        if (text.isEmpty()) continue;
        const int inner = std::max(1, m_grid->GetColumnWidth(c) - 2 * margin - frame);
        const QRect box = metrics.boundingRect(QRect(0, 0, inner, INT_MAX / 2),
                                               TextFlagsForFormat(m_grid->GetCellFormat(r, c)), text);
        need = std::max(need, box.height() + frame);
      }
      Grow(r, need, m_rows, false);
    }
  }
  ~CPrintFit() {
    if (m_grid == nullptr) return;
    for (const auto& [c, width] : m_columns) m_grid->SetColumnWidth(c, width);
    for (const auto& [r, height] : m_rows) m_grid->SetRowHeight(r, height);
  }
  CPrintFit(const CPrintFit&) = delete;
  CPrintFit& operator=(const CPrintFit&) = delete;

 private:
  void Grow(int index, int need, std::vector<std::pair<int, int>>& kept, bool column) {
    const int now = column ? m_grid->GetColumnWidth(index) : m_grid->GetRowHeight(index);
    if (now < 0 || need <= now) return;
    kept.emplace_back(index, now);
    if (column) {
      m_grid->SetColumnWidth(index, need);
    } else {
      m_grid->SetRowHeight(index, need);
    }
  }

  CGridCtrl* m_grid;
  std::vector<std::pair<int, int>> m_columns;  // the sizes to give back
  std::vector<std::pair<int, int>> m_rows;
};

}  // namespace

std::vector<int> CChannelPrint::PrintedChannels() const {
  std::vector<int> channels;
  const CGridCtrl* grid = m_grid.Grid();
  if (grid == nullptr) return channels;
  // Column 1 holds the receive frequency: empty exactly when the channel is not in use.
  // Rows the grid does not have read as empty.
  for (int n = 1; n <= kLastPrintableChannel; ++n)
    if (!grid->GetCellText(n, 1).isEmpty()) channels.push_back(n);
  return channels;
}

bool CChannelPrint::OnPreparePrinting(CPrintInfo& info) {
  info.maxPage = PrintPageCount(static_cast<int>(PrintedChannels().size()));
  info.previewPages = 1;
  m_leftMargin = kPrintMargin;
  m_rightMargin = kPrintMargin;
  return DoPreparePrinting(info);
}

void CChannelPrint::OnBeginPrinting(QPainter& painter, CPrintInfo&) {
  CGridCtrl* grid = m_grid.Grid();
  // The page's width is the grid's as it prints.
  const CPrintFit fit(grid, PrintedChannels());
  m_printerFont = PrinterFont(kMeasuringFontHeight);
  const QFont previous = painter.font();
  painter.setFont(*m_printerFont);
  const int measured = painter.fontMetrics().horizontalAdvance(QString::fromLatin1(kMeasureLetters));
  const QPaintDevice* paper = painter.device();
  m_printPage = ComputePrintGeometry(grid != nullptr ? grid->GetTotalWidth() : 0, measured,
                                     paper != nullptr ? paper->width() : 0,
                                     paper != nullptr ? paper->height() : 0, m_leftMargin,
                                     m_rightMargin);
  painter.setFont(previous);
}

void CChannelPrint::OnPrint(QPainter& painter, CPrintInfo& info) {
  m_printerFont = PrinterFont(kPageFontHeight);
  CGridCtrl* grid = m_grid.Grid();
  if (grid == nullptr || !m_printPage.Drawable()) return;
  const CPrintFit fit(grid, PrintedChannels());
  const QFont previous = painter.font();
  painter.setFont(*m_printerFont);
  const PrintPageGeometry& page = m_printPage;
  // One grid unit is paperWidth ÷ logicalWidth device pixels both ways, whatever the shape of
  // the printer's pixels: the grid's whole width always fills the paper's.
  painter.setViewport(0, 0, page.paperWidth, page.paperHeight);
  SetWindowOrigin(painter, page, page.OriginX(), 0);

  const int bandHeight = grid->GetFixedRowsHeight();
  painter.drawText(QRect(0, 0, page.DrawWidth(), bandHeight),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromStdString(CurrentDateLine()));

  std::int64_t top = bandHeight;
  SetWindowOrigin(painter, page, page.OriginX(), -bandHeight);
  grid->PrintFixedRows(painter);
  int lineHeight = bandHeight;
  for (int n : ChannelsOnPage(PrintedChannels(), info.currentPage)) {
    top += lineHeight;
    // Rows of giant heights run off the paper long before this; the origin must stay an int.
    if (top > INT_MAX) break;
    SetWindowOrigin(painter, page, page.OriginX(), -static_cast<int>(top));
    grid->PrintRowAt(painter, n);
    lineHeight = grid->GetRowHeight(n);
  }

  SetWindowOrigin(painter, page, page.OriginX(), 0);
  PrintFooter(painter, info, bandHeight);
  SetWindowOrigin(painter, page, 0, 0);
  painter.setFont(previous);
}

void CChannelPrint::PrintFooter(QPainter& painter, const CPrintInfo& info, int bandHeight) const {
  const PrintPageGeometry& page = m_printPage;
  // The last band of the page, one line high at its foot: the file (or the new document's
  // title) left, the model in the middle, the page right.
  const QRect band(0, page.logicalHeight - bandHeight, page.DrawWidth(), bandHeight);
  const int flags = Qt::AlignBottom | Qt::TextSingleLine;
  painter.drawText(band, flags | Qt::AlignLeft, QString::fromStdString(m_app.Document().GetTitle()));
  const std::string model = ModelNameOf(m_app.Core().Doc(), m_app.Settings());
  painter.drawText(band, flags | Qt::AlignHCenter,
                   QString::fromStdString(FillIn(GetLangString("IDS_PRINT_MODEL"), "%s", model)));
  painter.drawText(band, flags | Qt::AlignRight,
                   QString::fromStdString(
                       FormatPageOf(GetLangString("IDS_PRINT_PAGE"), info.currentPage, info.maxPage)));
}

void CChannelPrint::OnEndPrinting(QPainter&, CPrintInfo&) { m_printerFont.reset(); }

}  // namespace rondel
