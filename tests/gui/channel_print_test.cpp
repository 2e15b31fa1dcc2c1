// Printing the channel list, read back from the PDF as a person reads the paper: the date
// line, the headings, only the channels in use in ascending order without gaps, the cells as
// the grid shows them, the table between two equal margins across the whole width (also on a
// device with non-square pixels), 35 channels to a page, and the preview one page at a time.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <ostream>
#include <regex>
#include <sstream>

#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "pdf_reading.h"
#include "shell/channel_columns.h"
#include "shell/channel_print_layout.h"
#include "shell/form_edits.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::InkBox;
using test::PdfLine;
using test::PdfPage;

std::string DateLineNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return FormatPrintDate(local);
}

std::vector<std::string> Words(const QString& text) {
  std::vector<std::string> words;
  std::istringstream in(text.toStdString());
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

class ChannelPrint : public test::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    App().Printer().setOutputFormat(QPrinter::PdfFormat);
    App().Printer().setOutputFileName(QString::fromStdString(m_pdf));
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CGridCtrl& Grid() { return *View().Grid(); }

  // Channel n as a user fills it in, through the form's edit rules.
  void SetChannel(int n, const char* rx, const char* tx, const char* rxTone, const char* txTone) {
    App().Document().ApplyEdit(FrequencyEdit{n, 1, rx});
    App().Document().ApplyEdit(FrequencyEdit{n, 3, tx});
    if (rxTone) App().Document().ApplyEdit(ToneEdit{n, 2, std::string(rxTone)});
    if (txTone) App().Document().ApplyEdit(ToneEdit{n, 4, std::string(txTone)});
  }

  // What the grid shows in row n, its empty cells left out: what a row of the paper holds.
  std::vector<std::string> RowAsShown(int n) {
    std::vector<std::string> texts;
    for (int c = 0; c < Grid().GetColumnCount(); ++c)
      for (const std::string& w : Words(Grid().GetCellText(n, c))) texts.push_back(w);
    return texts;
  }

  // Grid rows beyond the sixteen channels, with texts of their own in the number and receive
  // columns: how the printout pages a longer list. `inUse` rows get a receive frequency.
  void GrowGrid(const std::vector<int>& inUse) {
    ASSERT_TRUE(Grid().SetRowCount(kLastPrintableChannel + 1));
    for (int n = 1; n <= kLastPrintableChannel; ++n) {
      Grid().SetRowHeight(n, kChannelRowHeight);
      Grid().SetCellText(n, 0, QString::number(n));
      Grid().SetCellText(n, 1, QString());
    }
    for (int n : inUse) Grid().SetCellText(n, 1, QStringLiteral("%1.12500").arg(300 + n));
  }

  // File > Print with the print dialog accepted, into a PDF; the dialog's page range is checked.
  std::string PrintThroughMenu(int expectedPages = 1) {
    m_modals.Then([expectedPages](QDialog& d) {
      auto* dialog = qobject_cast<QPrintDialog*>(&d);
      EXPECT_NE(dialog, nullptr);
      if (dialog != nullptr) {
        EXPECT_EQ(dialog->minPage(), 1);
        EXPECT_EQ(dialog->maxPage(), expectedPages);
      }
      return int(QDialog::Accepted);
    });
    Frame().OnCommand(cmd::kFilePrint);
    return m_pdf;
  }

  // The printout's lines split into the date line, the heading band and the last `rows` lines.
  struct Split {
    PdfLine date;
    std::vector<PdfLine> headings;
    std::vector<PdfLine> rows;
  };
  static Split SplitPage(const PdfPage& page, std::size_t rows) {
    std::vector<PdfLine> lines = page.Lines();
    Split split;
    if (lines.size() < rows + 2) {
      ADD_FAILURE() << "only " << lines.size() << " lines on the page";
      return split;
    }
    split.date = lines.front();
    split.rows.assign(lines.end() - static_cast<long>(rows), lines.end());
    split.headings.assign(lines.begin() + 1, lines.end() - static_cast<long>(rows));
    return split;
  }

  const std::string m_pdf = m_folder.File("printout.pdf");

  void ExpectHeadings(const std::vector<PdfLine>& band) {
    std::vector<std::string> shown;
    for (const PdfLine& line : band)
      for (const std::string& w : line.Texts()) shown.push_back(w);
    // A heading may wrap inside a word ("CTCSS/" "DCS"): compared without blanks.
    std::vector<std::string> headings;
    for (int c = 0; c < kChannelColumns; ++c) {
      std::string text = Grid().GetCellText(0, c).toStdString();
      std::erase(text, ' ');
      ASSERT_FALSE(text.empty()) << "heading " << c;
      headings.push_back(text);
    }
    // Every heading begins on the paper: each has a piece of its own that starts it.
    std::vector<bool> used(shown.size(), false);
    for (const std::string& heading : headings) {
      bool found = false;
      for (std::size_t i = 0; i < shown.size() && !found; ++i) {
        if (used[i] || heading.rfind(shown[i], 0) != 0) continue;
        used[i] = found = true;
      }
      EXPECT_TRUE(found) << heading << " does not begin in " << ::testing::PrintToString(shown);
    }
    // Nothing but the headings is in their band (a long heading keeps to the row's height, as
    // it does on the screen).
    for (const std::string& w : shown) {
      EXPECT_TRUE(std::any_of(headings.begin(), headings.end(),
                              [&w](const std::string& h) { return h.find(w) != std::string::npos; }))
          << w;
    }
  }

  void ExpectRows(const std::vector<PdfLine>& rows, const std::vector<int>& channels) {
    ASSERT_EQ(rows.size(), channels.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(rows[i].Texts(), RowAsShown(channels[i])) << "row " << i << " is channel " << channels[i];
    // One row below the other: the same step from each row to the next, none left out. The
    // receive frequency is in every row, always set the same way in its cell.
    const auto top = [&rows](std::size_t i) { return rows[i].words.at(1).yMin; };
    for (std::size_t i = 2; i < rows.size(); ++i)
      EXPECT_NEAR(top(i) - top(i - 1), top(1) - top(0), 0.3) << "row " << i;
  }
};

TEST_F(ChannelPrint, DateLineHeadingsAndOnlyTheChannelsInUseInOrderWithoutGaps) {
  SetChannel(3, "446.00625", "446.00625", nullptr, "67.0");
  SetChannel(5, "433.55000", "", nullptr, nullptr);  // no transmit frequency: an empty tone cell
  SetChannel(6, "438.50000", "430.90000", "88.5", "D023N");
  SetChannel(16, "462.56250", "467.56250", "D754I", "141.3");
  const std::string before = DateLineNow();
  const std::string pdf = PrintThroughMenu();
  const std::string after = DateLineNow();

  const std::vector<PdfPage> pages = test::ReadPdfPages(pdf);
  ASSERT_EQ(pages.size(), 1u);
  const Split split = SplitPage(pages[0], 4);
  EXPECT_TRUE(split.date.Joined() == before || split.date.Joined() == after) << split.date.Joined();
  ExpectHeadings(split.headings);
  ExpectRows(split.rows, {3, 5, 6, 16});
  // The rows carry their channel numbers and what the user typed, as the grid shows it.
  EXPECT_EQ(split.rows[0].Texts().front(), "3");
  EXPECT_EQ(split.rows[3].Texts().front(), "16");
  for (const char* typed : {"446.00625", "67.0"}) {
    const std::vector<std::string> row = split.rows[0].Texts();
    EXPECT_NE(std::find(row.begin(), row.end(), typed), row.end()) << typed;
  }
  // The first channel row sits right under the heading row.
  const double step = split.rows[1].yMin - split.rows[0].yMin;
  EXPECT_GT(step, 0);
  EXPECT_LT(split.rows[0].yMin - split.headings.back().yMax, step);
}

TEST_F(ChannelPrint, NoChannelInUseGivesOnePageWithTheDateLineAndTheHeadingRow) {
  const std::string pdf = PrintThroughMenu();
  const std::vector<PdfPage> pages = test::ReadPdfPages(pdf);
  ASSERT_EQ(pages.size(), 1u);
  const Split split = SplitPage(pages[0], 0);
  EXPECT_TRUE(std::regex_match(split.date.Joined(),
                               std::regex(R"(\d{4}-\d\d-\d\d [A-Z][a-z]+day \d\d:\d\d)")))
      << split.date.Joined();
  ExpectHeadings(split.headings);
}

// The page's date line and headings are set in a face with the metrics of Times New Roman.
TEST_F(ChannelPrint, TimesNewRomanResolvesToAMetricCompatibleFace) {
  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(kPageFontHeight);
  const QString family = QFontInfo(font).family();
  EXPECT_TRUE(family == QStringLiteral("Liberation Serif") || family == QStringLiteral("Times New Roman"))
      << family.toStdString() << " (is fonts-liberation installed?)";
  const std::string fonts = test::PdfFonts(PrintThroughMenu());
  EXPECT_TRUE(fonts.find("LiberationSerif") != std::string::npos ||
              fonts.find("TimesNewRoman") != std::string::npos)
      << fonts;
}

struct PagingCase {
  int inUse;
  std::vector<int> rowsPerPage;
};

std::ostream& operator<<(std::ostream& os, const PagingCase& c) { return os << c.inUse << " channels"; }

class ChannelPaging : public ChannelPrint, public ::testing::WithParamInterface<PagingCase> {};

TEST_P(ChannelPaging, ThirtyFiveChannelsToAPageEachUnderItsOwnDateLineAndHeadings) {
  const PagingCase& c = GetParam();
  // Below 96 the rows in use skip rows 1 and 40: gaps the pages must not show.
  std::vector<int> inUse;
  for (int n = 1; n <= kLastPrintableChannel && static_cast<int>(inUse.size()) < c.inUse; ++n)
    if (c.inUse == kLastPrintableChannel || (n != 1 && n != 40)) inUse.push_back(n);
  ASSERT_EQ(static_cast<int>(inUse.size()), c.inUse);
  GrowGrid(inUse);
  const int pages = static_cast<int>(c.rowsPerPage.size());
  const std::string pdf = PrintThroughMenu(pages);
  const std::vector<PdfPage> printed = test::ReadPdfPages(pdf);
  ASSERT_EQ(printed.size(), c.rowsPerPage.size());
  std::size_t next = 0;
  for (int p = 0; p < pages; ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    const std::size_t count = static_cast<std::size_t>(c.rowsPerPage[static_cast<std::size_t>(p)]);
    const Split split = SplitPage(printed[static_cast<std::size_t>(p)], count);
    EXPECT_EQ(split.date.words.size(), 3u) << split.date.Joined();
    ExpectHeadings(split.headings);
    ExpectRows(split.rows, std::vector<int>(inUse.begin() + static_cast<long>(next),
                                            inUse.begin() + static_cast<long>(next + count)));
    next += count;
  }
  EXPECT_EQ(next, inUse.size());
}

INSTANTIATE_TEST_SUITE_P(Counts, ChannelPaging,
                         ::testing::Values(PagingCase{0, {0}}, PagingCase{35, {35}},
                                           PagingCase{36, {35, 1}}, PagingCase{70, {35, 35}},
                                           PagingCase{71, {35, 35, 1}}, PagingCase{96, {35, 35, 26}}));

struct PaperCase {
  const char* name;
  QPageSize::PageSizeId size;
  QPageLayout::Orientation orientation;
};

std::ostream& operator<<(std::ostream& os, const PaperCase& c) { return os << c.name; }

class ChannelPrintPaper : public ChannelPrint, public ::testing::WithParamInterface<PaperCase> {};

TEST_P(ChannelPrintPaper, TheTableSpansThePrintableWidthBetweenTwoEqualMargins) {
  for (int n = 1; n <= 16; ++n) SetChannel(n, "446.00625", "446.00625", "67.0", "67.0");
  App().Printer().setPageSize(QPageSize(GetParam().size));
  App().Printer().setPageOrientation(GetParam().orientation);
  const std::string pdf = PrintThroughMenu();
  // At 72 dots per inch a pixel is a point.
  const test::GrayImage page = test::RenderPdfPage(pdf, 1, 72);
  const QRectF area = App().Printer().pageLayout().paintRect(QPageLayout::Point);
  ASSERT_NEAR(page.width, App().Printer().pageLayout().fullRect(QPageLayout::Point).width(), 1.0);
  const InkBox ink = test::FindInk(page);
  ASSERT_FALSE(ink.Empty());
  const double leftMargin = ink.left - area.left();
  const double rightMargin = area.right() - ink.right;
  EXPECT_NEAR(leftMargin, rightMargin, 2.5);
  EXPECT_GT(leftMargin, 1.0);
  EXPECT_LT(leftMargin, 0.05 * area.width());
  EXPECT_GT(ink.right - ink.left, 0.9 * area.width());
}

INSTANTIATE_TEST_SUITE_P(
    Papers, ChannelPrintPaper,
    ::testing::Values(PaperCase{"A4Portrait", QPageSize::A4, QPageLayout::Portrait},
                      PaperCase{"A4Landscape", QPageSize::A4, QPageLayout::Landscape},
                      PaperCase{"LetterPortrait", QPageSize::Letter, QPageLayout::Portrait}),
    [](const auto& info) { return std::string(info.param.name); });

struct PixelCase {
  const char* name;
  int width, height;   // device pixels
  int dpiX, dpiY;
};

std::ostream& operator<<(std::ostream& os, const PixelCase& c) { return os << c.name; }

class ChannelPrintPixels : public ChannelPrint, public ::testing::WithParamInterface<PixelCase> {};

// A printer whose horizontal and vertical resolutions differ: the grid still fills the width,
// and a grid unit covers as many pixels down as across.
TEST_P(ChannelPrintPixels, TheFullWidthOnAnyShapeOfPixel) {
  const PixelCase& c = GetParam();
  for (int n = 1; n <= 6; ++n) SetChannel(n, "446.00625", "446.00625", "67.0", "67.0");
  QImage paper(c.width, c.height, QImage::Format_RGB32);
  paper.fill(Qt::white);
  paper.setDotsPerMeterX(static_cast<int>(std::lround(c.dpiX / 0.0254)));
  paper.setDotsPerMeterY(static_cast<int>(std::lround(c.dpiY / 0.0254)));
  CPrintInfo info;
  info.direct = true;
  ASSERT_TRUE(View().OnPreparePrinting(info));
  EXPECT_EQ(info.maxPage, 1);
  {
    QPainter painter(&paper);
    View().OnBeginPrinting(painter, info);
    info.currentPage = 1;
    View().OnPrint(painter, info);
    View().OnEndPrinting(painter, info);
  }
  const test::GrayImage image = test::FromQImage(paper);
  const InkBox ink = test::FindInk(image);
  ASSERT_FALSE(ink.Empty());
  const double unit = (ink.right - ink.left + 1) / double(Grid().GetTotalWidth());
  const int leftMargin = ink.left;
  const int rightMargin = c.width - 1 - ink.right;
  // The outer lines are a grid unit wide, centred on the table's first and last unit.
  EXPECT_NEAR(leftMargin, rightMargin, 1.5 * unit + 1);
  EXPECT_GT(leftMargin, 0);
  EXPECT_GT(ink.right - ink.left, 0.9 * c.width);

  // The table's horizontal lines: the heading's top and bottom, then one under each channel.
  const std::vector<int> dark = test::HorizontalLines(image, ink.left, ink.right, 0.9);
  std::vector<double> lines;  // the middle of each run of dark rows
  for (std::size_t i = 0; i < dark.size();) {
    std::size_t j = i;
    while (j + 1 < dark.size() && dark[j + 1] == dark[j] + 1) ++j;
    lines.push_back((dark[i] + dark[j]) / 2.0);
    i = j + 1;
  }
  ASSERT_GE(lines.size(), 7u);
  const std::vector<double> rowLines(lines.end() - 6, lines.end());
  for (std::size_t i = 1; i < rowLines.size(); ++i)
    EXPECT_NEAR(rowLines[i] - rowLines[i - 1], Grid().GetRowHeight(static_cast<int>(i)) * unit, 2.0)
        << "row " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ChannelPrintPixels,
    ::testing::Values(PixelCase{"Square", 2000, 2800, 240, 240},
                      PixelCase{"TwiceAsWide", 2000, 1400, 240, 120},
                      PixelCase{"TwiceAsTall", 1000, 2800, 120, 240},
                      PixelCase{"Landscape", 2800, 1000, 240, 120}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelPrint, PreviewShowsOnePageAtATimeAndPagesAndZoomsThroughThem) {
  std::vector<int> inUse;
  for (int n = 1; n <= 71; ++n) inUse.push_back(n);
  GrowGrid(inUse);
  m_modals.Then([](QDialog& d) {
    EXPECT_NE(qobject_cast<QPrintPreviewDialog*>(&d), nullptr);
    auto* pages = d.findChild<QPrintPreviewWidget*>();
    EXPECT_NE(pages, nullptr);
    if (pages == nullptr) return int(QDialog::Rejected);
    EXPECT_TRUE(QTest::qWaitFor([pages] { return pages->pageCount() == 3; }, 5000)) << pages->pageCount();
    EXPECT_EQ(pages->viewMode(), QPrintPreviewWidget::SinglePageView);
    EXPECT_EQ(pages->currentPage(), 1);
    pages->setCurrentPage(3);
    EXPECT_EQ(pages->currentPage(), 3);
    const qreal zoom = pages->zoomFactor();
    pages->zoomIn();
    EXPECT_GT(pages->zoomFactor(), zoom);
    pages->zoomOut();
    pages->zoomOut();
    EXPECT_LT(pages->zoomFactor(), zoom);
    return int(QDialog::Accepted);
  });
  Frame().CommandAction(cmd::kFilePrintPreview)->trigger();
}

TEST_F(ChannelPrint, TheToolbarsPrintButtonOffersThePagesOfTheList) {
  std::vector<int> inUse;
  for (int n = 1; n <= 36; ++n) inUse.push_back(n);
  GrowGrid(inUse);
  m_modals.Then([](QDialog& d) {
    auto* dialog = qobject_cast<QPrintDialog*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
      EXPECT_EQ(dialog->maxPage(), 2);
    }
    return int(QDialog::Rejected);
  });
  QWidget* button = Frame().ToolBar()->widgetForAction(Frame().CommandAction(cmd::kFilePrint));
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(m_modals.shown, std::vector<int>{-1});
}

}  // namespace
}  // namespace rondel
