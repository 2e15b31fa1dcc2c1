#include "shell/channel_print_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iomanip>
#include <locale>
#include <sstream>

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

std::string FormatPrintDate(const std::tm& time) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << std::put_time(&time, "%Y-%m-%d %A %H:%M");
  return text.str();
}

}  // namespace rondel
