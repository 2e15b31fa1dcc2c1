// SPDX-License-Identifier: GPL-3.0-or-later
// The printed channel list's arithmetic: pages and the channels on each at the 35-channel
// edges, the rounded multiply-divide, the page in grid units, and the date line.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <ctime>
#include <numeric>
#include "shell/channel_list/channel_print_layout.h"

namespace rondel {
namespace {
TEST(PrintLayout, ThirtyFiveChannelsToAPageAndNoneLeftOver) {
  const std::pair<int, std::vector<int>> cases[] = {{-5, {0}}, {0, {0}}, {1, {1}}, {35, {35}}, {36, {35, 1}},
                                                    {70, {35, 35}}, {71, {35, 35, 1}}, {96, {35, 35, 26}}};
  for (const auto& [existing, rows] : cases) {
    EXPECT_EQ(PrintPageCount(existing), int(rows.size())) << existing;
    std::vector<int> channels(std::max(existing, 0)), printed, counts;
    std::iota(channels.begin(), channels.end(), 3);  // channels 1 and 2 empty
    for (int page = 0; page <= int(rows.size()) + 1; ++page) {
      const std::vector<int> on = ChannelsOnPage(channels, page);
      if (page >= 1 && page <= int(rows.size())) counts.push_back(int(on.size()));
      printed.insert(printed.end(), on.begin(), on.end());
    }
    EXPECT_EQ(counts, rows) << existing;
    EXPECT_EQ(printed, channels) << existing;  // also: nothing on page 0 or after the last
  }
  EXPECT_TRUE(ChannelsOnPage({1, 2}, INT_MIN).empty());
}

TEST(PrintLayout, MulDivRoundsHalvesAwayFromZeroThroughA64BitProduct) {
  const int cases[][4] = {{10, 3, 4, 8}, {10, 1, 4, 3}, {-10, 1, 4, -3}, {10, -1, 4, -3}, {10, 1, -4, -3},
                          {-10, -1, -4, -3}, {7, 1, 3, 2}, {5, 1, 3, 2}, {4, 1, 3, 1}, {0, 5, 7, 0},
                          {100000, 100000, 100000, 100000}, {INT_MAX, 2, 2, INT_MAX}, {1, 5, 0, -1},
                          {INT_MAX, 2, 1, -1}, {INT_MIN, 1, 1, -1}, {INT_MIN + 1, 1, 1, INT_MIN + 1}};
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c[0], c[1], c[2]), c[3]) << c[0] << "*" << c[1] << "/" << c[2];
}

TEST(PrintLayout, TheGridAndBothMarginsFillThePaperWidth) {
  const int cases[][7] = {  // grid, letters, paper w, h -> char width, logical w, h
      {823, 230, 4960, 7016, 4, 855, 1209}, {823, 230, 7016, 4960, 4, 855, 604},
      {823, 520, 9600, 6300, 10, 903, 593}, {823, 51, 4960, 7016, 0, 823, 1164}};
  for (const auto& c : cases) {
    const PrintPageGeometry g = ComputePrintGeometry(c[0], c[1], c[2], c[3]);
    EXPECT_EQ((std::vector<int>{g.charWidth, g.logicalWidth, g.logicalHeight, g.DrawWidth(), g.OriginX(), g.Drawable()}),
              (std::vector<int>{c[4], c[5], c[6], c[0], -kPrintMargin * c[4], true}));
  }
  EXPECT_EQ((std::vector<bool>{ComputePrintGeometry(823, 230, 0, 7016).Drawable(), ComputePrintGeometry(823, 230, 4960, 0).Drawable(),
                               ComputePrintGeometry(823, 230, 1, 1).Drawable(), ComputePrintGeometry(INT_MAX, 5200, 4960, 7016).Drawable()}),
            (std::vector<bool>{false, false, true, false}));
}

TEST(PrintLayout, TheDateLineIsWrittenWithTheNamesAndPatternItIsGiven) {
  const PrintDateNames english{{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
                               {"January", "February", "March", "April", "May", "June", "July", "August",
                                "September", "October", "November", "December"}};
  const PrintDateNames chinese{{"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"},
                               {"一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "十一月", "十二月"}};
  struct Case {
    std::time_t seconds;
    const char* pattern;
    const PrintDateNames* names;
    const char* text;
  };
  const Case cases[] = {
      {946684800, "%Y-%m-%d %A %H:%M", &english, "2000-01-01 Saturday 00:00"},
      {1709251199, "%Y-%m-%d %A %H:%M", &english, "2024-02-29 Thursday 23:59"},
      {1709251199, "%Y年%m月%d日 %A %H:%M", &chinese, "2024年02月29日 星期四 23:59"},
      {1733788800, "%A, %d %B %Y", &english, "Tuesday, 10 December 2024"},
      {1733788800, "%B %% %q %", &chinese, "十二月 % %q %"},
  };
  for (const Case& c : cases) {
    std::tm t{};
    EXPECT_EQ(FormatPrintDate(*::gmtime_r(&c.seconds, &t), c.pattern, *c.names), c.text) << c.pattern;
  }
  std::tm odd{};
  odd.tm_wday = 7;
  odd.tm_mon = -1;
  EXPECT_EQ(FormatPrintDate(odd, "[%A][%B]", english), "[][]");
}

TEST(PrintLayout, ThePageTextNamesThePageAndTheCount) {
  EXPECT_EQ(FormatPageOf("page %d of %d", 2, 3), "page 2 of 3");
  EXPECT_EQ(FormatPageOf("第 %d 页，共 %d 页", 1, 1), "第 1 页，共 1 页");
  EXPECT_EQ(FormatPageOf("%d", 4, 9), "4");
}
}  // namespace
}  // namespace rondel
