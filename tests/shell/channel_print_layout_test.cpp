// The printed channel list's arithmetic: pages for a number of channels, the channels of each
// page, the rounded multiply-divide, the page in grid units for square and non-square pixels,
// and the date line.
#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "shell/channel_print_layout.h"

namespace rondel {
namespace {

std::vector<int> Range(int first, int last) {
  std::vector<int> v;
  for (int n = first; n <= last; ++n) v.push_back(n);
  return v;
}

struct PageCase {
  int existing;
  int pages;
  std::vector<int> rowsPerPage;  // rows on pages 1, 2, ...
};

std::ostream& operator<<(std::ostream& os, const PageCase& c) { return os << c.existing << " channels"; }

class PageCount : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageCount, PagesAndTheRowsOnEach) {
  const PageCase& c = GetParam();
  EXPECT_EQ(PrintPageCount(c.existing), c.pages);
  const std::vector<int> existing = Range(1, c.existing);
  std::vector<int> rows;
  std::vector<int> printed;
  for (int page = 1; page <= c.pages; ++page) {
    const std::vector<int> on = ChannelsOnPage(existing, page);
    rows.push_back(static_cast<int>(on.size()));
    printed.insert(printed.end(), on.begin(), on.end());
  }
  EXPECT_EQ(rows, c.rowsPerPage);
  // Every channel once, in order, none left over for a page after the last.
  EXPECT_EQ(printed, existing);
  EXPECT_TRUE(ChannelsOnPage(existing, c.pages + 1).empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, PageCount,
                         ::testing::Values(PageCase{0, 1, {0}}, PageCase{1, 1, {1}},
                                           PageCase{35, 1, {35}}, PageCase{36, 2, {35, 1}},
                                           PageCase{70, 2, {35, 35}}, PageCase{71, 3, {35, 35, 1}},
                                           PageCase{96, 3, {35, 35, 26}}));

TEST(PageCount, ANegativeCountIsOnePage) { EXPECT_EQ(PrintPageCount(-5), 1); }

TEST(ChannelsOnPage, SkippedChannelsTakeNoPlaceAndOrdinalsCountOnlyTheExisting) {
  // Channels 1 and 2 empty: channel 3 is the first printed.
  EXPECT_EQ(ChannelsOnPage({3, 7, 16}, 1), (std::vector<int>{3, 7, 16}));
  std::vector<int> existing = Range(3, 40);  // 38 channels, the 36th is channel 38
  existing.push_back(90);
  EXPECT_EQ(ChannelsOnPage(existing, 1).front(), 3);
  EXPECT_EQ(ChannelsOnPage(existing, 1).back(), 37);
  EXPECT_EQ(ChannelsOnPage(existing, 2), (std::vector<int>{38, 39, 40, 90}));
}

TEST(ChannelsOnPage, PagesOutsideTheDocumentHoldNothing) {
  const std::vector<int> existing = Range(1, 96);
  for (int page : {0, -1, 4, INT_MAX, INT_MIN}) EXPECT_TRUE(ChannelsOnPage(existing, page).empty()) << page;
}

struct MulDivCase {
  int a, b, c, result;
};

TEST(MulDiv, RoundsToNearestThroughA64BitProduct) {
  const MulDivCase cases[] = {
      {10, 3, 4, 8},            // 7.5 rounds up
      {10, 1, 4, 3},            // 2.5 rounds away from zero
      {-10, 1, 4, -3},          // and so does -2.5
      {10, -1, 4, -3},
      {10, 1, -4, -3},
      {-10, -1, -4, -3},
      {7, 1, 3, 2},             // 2.33
      {5, 1, 3, 2},             // 1.67
      {4, 1, 3, 1},             // 1.33
      {0, 5, 7, 0},
      {839, 7016, 4960, 1187},  // A4 at 600 dpi: 1186.77
      {100000, 100000, 100000, 100000},  // the product alone would not fit 32 bits
      {INT_MAX, 2, 2, INT_MAX},
      {1, 5, 0, -1},            // no divisor
      {INT_MAX, 2, 1, -1},      // a result beyond int
      {INT_MIN, 1, 1, -1},
  };
  for (const MulDivCase& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " * " << c.b << " / " << c.c;
}

struct GeometryCase {
  const char* name;
  int gridWidth, measured, paperWidth, paperHeight;
  int charWidth, logicalWidth, logicalHeight;
};

std::ostream& operator<<(std::ostream& os, const GeometryCase& c) { return os << c.name; }

class PageGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(PageGeometry, TheGridAndBothMarginsFillThePaperWidth) {
  const GeometryCase& c = GetParam();
  const PrintPageGeometry g = ComputePrintGeometry(c.gridWidth, c.measured, c.paperWidth, c.paperHeight);
  EXPECT_EQ(g.charWidth, c.charWidth);
  EXPECT_EQ(g.logicalWidth, c.logicalWidth);
  EXPECT_EQ(g.logicalHeight, c.logicalHeight);
  EXPECT_TRUE(g.Drawable());
  // The drawing rectangle is the grid; the left margin lies left of x = 0.
  EXPECT_EQ(g.DrawWidth(), c.gridWidth);
  EXPECT_EQ(g.OriginX(), -kPrintMargin * c.charWidth);
  // One grid unit is the same number of device pixels across and down.
  const double across = double(g.paperWidth) / g.logicalWidth;
  const double down = double(g.paperHeight) / g.logicalHeight;
  EXPECT_NEAR(across / down, 1.0, 1.0 / g.logicalHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Papers, PageGeometry,
    ::testing::Values(
        // 52 letters of 4.4 pixels: the division drops the fraction.
        GeometryCase{"A4Portrait600Dpi", 823, 230, 4960, 7016, 4, 855, 1209},
        GeometryCase{"A4Landscape600Dpi", 823, 230, 7016, 4960, 4, 855, 604},
        GeometryCase{"LetterAt1200Dpi", 823, 520, 9600, 12600, 10, 903, 1185},
        // 1200 × 600 dpi: half as many rows of pixels as columns for the same paper.
        GeometryCase{"NonSquarePixels", 823, 520, 9600, 6300, 10, 903, 593},
        GeometryCase{"TinyFontNoWidth", 823, 51, 4960, 7016, 0, 823, 1164}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageGeometry, APaperWithoutPrintableAreaIsNotDrawnOn) {
  for (auto [w, h] : {std::pair{0, 7016}, std::pair{4960, 0}, std::pair{-1, 100}, std::pair{0, 0}}) {
    const PrintPageGeometry g = ComputePrintGeometry(823, 230, w, h);
    EXPECT_FALSE(g.Drawable()) << w << " x " << h;
  }
  // A grid wider than a page can be mapped.
  EXPECT_FALSE(ComputePrintGeometry(INT_MAX, 5200, 4960, 7016).Drawable());
}

std::tm Moment(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = 59;
  t.tm_isdst = 0;
  // Fills in the weekday.
  const std::time_t seconds = ::timegm(&t);
  std::tm out{};
  ::gmtime_r(&seconds, &out);
  return out;
}

TEST(PrintDate, YearMonthDayFullEnglishWeekdayAnd24HourClock) {
  const std::pair<std::tm, const char*> cases[] = {
      {Moment(2013, 5, 7, 14, 5), "2013-05-07 Tuesday 14:05"},
      {Moment(2000, 1, 1, 0, 0), "2000-01-01 Saturday 00:00"},
      {Moment(2024, 2, 29, 23, 59), "2024-02-29 Thursday 23:59"},
      {Moment(1999, 12, 26, 9, 30), "1999-12-26 Sunday 09:30"},
      {Moment(2038, 1, 20, 12, 0), "2038-01-20 Wednesday 12:00"},
  };
  for (const auto& [time, text] : cases) EXPECT_EQ(FormatPrintDate(time), text);
}

}  // namespace
}  // namespace rondel
