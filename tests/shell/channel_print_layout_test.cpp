// The printed channel list's arithmetic: pages and the channels on each at the 35-channel
// edges, the rounded multiply-divide, the page in grid units, and the date line.
#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <vector>

#include "shell/channel_print_layout.h"

namespace rondel {
namespace {

std::vector<int> Range(int first, int last) {
  std::vector<int> v;
  for (int n = first; n <= last; ++n) v.push_back(n);
  return v;
}

TEST(PrintPages, ThirtyFiveChannelsToAPageAndNoneLeftOver) {
  const std::pair<int, std::vector<int>> cases[] = {
      {-5, {0}}, {0, {0}}, {1, {1}}, {35, {35}}, {36, {35, 1}}, {70, {35, 35}}, {71, {35, 35, 1}},
      {96, {35, 35, 26}}};
  for (const auto& [existing, rows] : cases) {
    EXPECT_EQ(PrintPageCount(existing), static_cast<int>(rows.size())) << existing;
    const std::vector<int> channels = Range(3, existing + 2);  // channels 1 and 2 empty
    std::vector<int> printed, counts;
    for (int page = 0; page <= static_cast<int>(rows.size()) + 1; ++page) {
      const std::vector<int> on = ChannelsOnPage(channels, page);
      if (page >= 1 && page <= static_cast<int>(rows.size())) {
        counts.push_back(int(on.size()));
      } else {
        EXPECT_TRUE(on.empty()) << existing << " page " << page;
      }
      printed.insert(printed.end(), on.begin(), on.end());
    }
    EXPECT_EQ(counts, rows) << existing;
    EXPECT_EQ(printed, channels) << existing;
  }
  EXPECT_TRUE(ChannelsOnPage(Range(1, 96), INT_MAX).empty());
  EXPECT_TRUE(ChannelsOnPage(Range(1, 96), INT_MIN).empty());
}

TEST(MulDiv, RoundsHalvesAwayFromZeroThroughA64BitProduct) {
  const int cases[][4] = {
      {10, 3, 4, 8},       {10, 1, 4, 3},   {-10, 1, 4, -3}, {10, -1, 4, -3}, {10, 1, -4, -3},
      {-10, -1, -4, -3},   {7, 1, 3, 2},    {5, 1, 3, 2},    {4, 1, 3, 1},    {0, 5, 7, 0},
      {100000, 100000, 100000, 100000},     {INT_MAX, 2, 2, INT_MAX},         {1, 5, 0, -1},
      {INT_MAX, 2, 1, -1}, {INT_MIN, 1, 1, -1}, {INT_MIN + 1, 1, 1, INT_MIN + 1},
  };
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c[0], c[1], c[2]), c[3]) << c[0] << "*" << c[1] << "/" << c[2];
}

TEST(PrintPages, TheGridAndBothMarginsFillThePaperWidth) {
  const int cases[][7] = {  // grid, letters, paper w, h -> char width, logical w, h
      {823, 230, 4960, 7016, 4, 855, 1209}, {823, 230, 7016, 4960, 4, 855, 604},
      {823, 520, 9600, 6300, 10, 903, 593}, {823, 51, 4960, 7016, 0, 823, 1164}};
  for (const auto& c : cases) {
    const PrintPageGeometry g = ComputePrintGeometry(c[0], c[1], c[2], c[3]);
    EXPECT_EQ((std::vector<int>{g.charWidth, g.logicalWidth, g.logicalHeight, g.DrawWidth(), g.OriginX()}),
              (std::vector<int>{c[4], c[5], c[6], c[0], -kPrintMargin * c[4]}));
    EXPECT_TRUE(g.Drawable());
  }
  for (const auto& [w, h] : {std::pair{0, 7016}, std::pair{4960, 0}, std::pair{-1, 100}})
    EXPECT_FALSE(ComputePrintGeometry(823, 230, w, h).Drawable()) << w << "x" << h;
  EXPECT_TRUE(ComputePrintGeometry(823, 230, 1, 1).Drawable());
  EXPECT_FALSE(ComputePrintGeometry(INT_MAX, 5200, 4960, 7016).Drawable());
}

TEST(PrintDate, YearMonthDayEnglishWeekdayAnd24HourClock) {
  const std::pair<std::time_t, const char*> cases[] = {
      {946684800, "2000-01-01 Saturday 00:00"}, {1709251199, "2024-02-29 Thursday 23:59"}};
  for (const auto& [seconds, text] : cases) {
    std::tm t{};
    ::gmtime_r(&seconds, &t);
    EXPECT_EQ(FormatPrintDate(t), text);
  }
}

}  // namespace
}  // namespace rondel
