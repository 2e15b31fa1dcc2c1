// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/channel_list/channel_print_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "shell/language.h"

namespace rondel {

int PrintPageCount(int existing) {
  if (existing <= kChannelsPerPage) return 1;
  return (existing + kChannelsPerPage - 1) / kChannelsPerPage;
}

std::vector<int> ChannelsOnPage(const std::vector<int>& existing, int page) {
  if (page < 1) return {};
  // In 64 bits: a page number from a print dialog may be anything.
  const std::int64_t first = std::int64_t{kChannelsPerPage} * (page - 1);
  const std::int64_t count = static_cast<std::int64_t>(existing.size());
  if (first >= count) return {};
  const std::int64_t last = std::min(count, first + kChannelsPerPage);
  using Offset = std::vector<int>::difference_type;
  return std::vector<int>(existing.begin() + static_cast<Offset>(first),
                          existing.begin() + static_cast<Offset>(last));
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t product = std::int64_t{a} * b;
  std::int64_t divisor = c;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (result > INT_MAX || result < -INT_MAX) return -1;
  return static_cast<int>(result);
}

PrintPageGeometry ComputePrintGeometry(int gridWidth, int measuredLetters, int paperWidth,
                                       int paperHeight, int leftMargin, int rightMargin) {
  PrintPageGeometry g;
  g.leftMargin = leftMargin;
  g.rightMargin = rightMargin;
  g.charWidth = measuredLetters / kMeasureLetterCount;
  g.paperWidth = paperWidth;
  g.paperHeight = paperHeight;
  const std::int64_t width =
      std::int64_t{gridWidth} + (std::int64_t{leftMargin} + rightMargin) * g.charWidth;
  // A page too wide to be mapped is left undrawn rather than wrapped round.
  g.logicalWidth = width > INT_MAX || width < 0 ? -1 : static_cast<int>(width);
  g.logicalHeight = g.logicalWidth > 0 ? MulDiv(g.logicalWidth, paperHeight, paperWidth) : -1;
  return g;
}

namespace {

std::string TwoDigits(int value) {
  const char text[] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), 0};
  return value >= 0 ? text : std::string();
}

template <std::size_t N>
const std::string& NameAt(const std::array<std::string, N>& names, int index) {
  static const std::string none;
  return index >= 0 && static_cast<std::size_t>(index) < N ? names[static_cast<std::size_t>(index)] : none;
}

}  // namespace

std::string FormatPrintDate(const std::tm& time, const std::string& pattern, const PrintDateNames& names) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    switch (pattern[++i]) {
      case 'Y': out += std::to_string(std::int64_t{time.tm_year} + 1900); break;
      case 'm': out += TwoDigits(time.tm_mon + 1); break;
      case 'd': out += TwoDigits(time.tm_mday); break;
      case 'H': out += TwoDigits(time.tm_hour); break;
      case 'M': out += TwoDigits(time.tm_min); break;
      case 'A': out += NameAt(names.weekdays, time.tm_wday); break;
      case 'B': out += NameAt(names.months, time.tm_mon); break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += pattern[i];
        break;
    }
  }
  return out;
}

PrintDateNames LanguageDateNames() {
  PrintDateNames names;
  for (std::size_t i = 0; i < names.weekdays.size(); ++i)
    names.weekdays[i] = GetLangString(FillIn("IDS_PRINT_WEEKDAY%d", "%d", std::to_string(i)));
  for (std::size_t i = 0; i < names.months.size(); ++i)
    names.months[i] = GetLangString(FillIn("IDS_PRINT_MONTH%d", "%d", std::to_string(i + 1)));
  return names;
}

std::string LanguageDateLine(const std::tm& time) {
  return FormatPrintDate(time, GetLangString("IDS_PRINT_DATE"), LanguageDateNames());
}

std::string FormatPageOf(const std::string& pattern, int page, int pages) {
  return FillIn(FillIn(pattern, "%d", std::to_string(page)), "%d", std::to_string(pages));
}

}  // namespace rondel
