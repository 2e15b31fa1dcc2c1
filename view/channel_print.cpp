// Printing the channel list: a date line, the grid's heading row and the rows of the channels
// in use, 35 to a page, scaled so that the grid's full width fills the page between two small
// margins, and a footer naming the file, the model and the page. The grid draws the cells
// itself, so the paper shows what the form shows.
#include <QFontInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>

#include <climits>
#include <cstdint>
#include <ctime>

#include "grid/grid_ctrl.h"
#include "shell/form_texts.h"
#include "shell/language.h"
#include "shell/qt/rondel_app.h"
#include "shell/rondel_document.h"
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

}  // namespace

std::vector<int> CRondelView::PrintedChannels() const {
  std::vector<int> channels;
  if (m_grid == nullptr) return channels;
  // Column 1 holds the receive frequency: empty exactly when the channel is not in use.
  // Rows the grid does not have read as empty.
  for (int n = 1; n <= kLastPrintableChannel; ++n)
    if (!m_grid->GetCellText(n, 1).isEmpty()) channels.push_back(n);
  return channels;
}

bool CRondelView::OnPreparePrinting(CPrintInfo& info) {
  info.maxPage = PrintPageCount(static_cast<int>(PrintedChannels().size()));
  info.previewPages = 1;
  m_leftMargin = kPrintMargin;
  m_rightMargin = kPrintMargin;
  return DoPreparePrinting(info);
}

void CRondelView::OnBeginPrinting(QPainter& painter, CPrintInfo&) {
  m_printerFont = PrinterFont(kMeasuringFontHeight);
  const QFont previous = painter.font();
  painter.setFont(*m_printerFont);
  const int measured = painter.fontMetrics().horizontalAdvance(QString::fromLatin1(kMeasureLetters));
  const QPaintDevice* paper = painter.device();
  m_printPage = ComputePrintGeometry(m_grid != nullptr ? m_grid->GetTotalWidth() : 0, measured,
                                     paper != nullptr ? paper->width() : 0,
                                     paper != nullptr ? paper->height() : 0, m_leftMargin,
                                     m_rightMargin);
  painter.setFont(previous);
}

void CRondelView::OnPrint(QPainter& painter, CPrintInfo& info) {
  m_printerFont = PrinterFont(kPageFontHeight);
  if (m_grid == nullptr || !m_printPage.Drawable()) return;
  const QFont previous = painter.font();
  painter.setFont(*m_printerFont);
  const PrintPageGeometry& page = m_printPage;
  // One grid unit is paperWidth ÷ logicalWidth device pixels both ways, whatever the shape of
  // the printer's pixels: the grid's whole width always fills the paper's.
  painter.setViewport(0, 0, page.paperWidth, page.paperHeight);
  SetWindowOrigin(painter, page, page.OriginX(), 0);

  const int bandHeight = m_grid->GetFixedRowsHeight();
  painter.drawText(QRect(0, 0, page.DrawWidth(), bandHeight),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromStdString(CurrentDateLine()));

  std::int64_t top = bandHeight;
  SetWindowOrigin(painter, page, page.OriginX(), -bandHeight);
  m_grid->PrintFixedRows(painter);
  int lineHeight = bandHeight;
  for (int n : ChannelsOnPage(PrintedChannels(), info.currentPage)) {
    top += lineHeight;
    // Rows of giant heights run off the paper long before this; the origin must stay an int.
    if (top > INT_MAX) break;
    SetWindowOrigin(painter, page, page.OriginX(), -static_cast<int>(top));
    m_grid->PrintRowAt(painter, n);
    lineHeight = m_grid->GetRowHeight(n);
  }

  SetWindowOrigin(painter, page, page.OriginX(), 0);
  PrintFooter(painter, info, bandHeight);
  SetWindowOrigin(painter, page, 0, 0);
  painter.setFont(previous);
}

void CRondelView::PrintFooter(QPainter& painter, const CPrintInfo& info, int bandHeight) const {
  const PrintPageGeometry& page = m_printPage;
  // The last band of the page, one line high at its foot: the file (or the new document's
  // title) left, the model in the middle, the page right.
  const QRect band(0, page.logicalHeight - bandHeight, page.DrawWidth(), bandHeight);
  const int flags = Qt::AlignBottom | Qt::TextSingleLine;
  painter.drawText(band, flags | Qt::AlignLeft, QString::fromStdString(m_app.Document().GetTitle()));
  const std::string model = ModelNameOf(m_app.Core().doc(), m_app.Settings());
  painter.drawText(band, flags | Qt::AlignHCenter,
                   QString::fromStdString(FillIn(GetLangString("IDS_PRINT_MODEL"), "%s", model)));
  painter.drawText(band, flags | Qt::AlignRight,
                   QString::fromStdString(
                       FormatPageOf(GetLangString("IDS_PRINT_PAGE"), info.currentPage, info.maxPage)));
}

void CRondelView::OnEndPrinting(QPainter&, CPrintInfo&) { m_printerFont.reset(); }

}  // namespace rondel
