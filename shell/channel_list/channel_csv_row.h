// SPDX-License-Identifier: GPL-3.0-or-later
// The row every channel list becomes before it is imported: for each grid column the text
// the file gives for it and the heading it came from, so that a refusal or a warning names the
// column the user sees. Shared by our own list and the common channel list.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/language.h"

namespace rondel {

struct CsvCell {
  std::string text;
  std::string column;
};

struct ChannelCsvRow {
  int line = 0;
  CsvCell channel;
  // By grid column (1..11); none where the file has no such column: the field stays as it is.
  std::array<std::optional<CsvCell>, kChannelColumns> cells;
  // The transmit frequency is whatever the receive frequency became (snapped or clamped):
  // the cell's own text is not used.
  bool txIsRx = false;
};

// A frequency in MHz as a file writes it ("446.00625", "146.520000", "446"), exactly, in Hz.
struct Megahertz {
  std::int64_t hz = 0;
  bool finer = false;  // digits below 1 Hz that were not zero
};
std::optional<Megahertz> ParseMegahertz(std::string_view text);

// The shortest text the frequency editor takes for `hz`: 10 Hz units, as the editor stores
// them ("446.00625", "446.1", "446").
std::string TypedFrequencyText(std::int64_t hz);

// Blanks, tabs and line breaks at both ends dropped: a spreadsheet user does not see them.
std::string_view TrimBlanks(std::string_view text);

}  // namespace rondel
