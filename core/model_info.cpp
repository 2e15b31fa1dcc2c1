// SPDX-License-Identifier: GPL-3.0-or-later
// Band codes and band limits from the settings file's model entries. Nothing is validated: the
// entries are the dealer's to get right, and a bad one must not stop the program.
#include "core/model_info.h"

#include <cstdio>

#include "platform/ascii.h"

namespace rondel {

namespace {

// Hex digits as the settings file has always been read: lower and upper case letters alike,
// any other character turned into some nibble rather than refused.
int HexValue(unsigned char c) { return c < ':' ? c - 0x30 : (c - 55) & 0x0F; }

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A three-digit MHz figure read from scattered positions of the entry. Leading blanks are
// skipped and the number ends at the first non-digit or at the end of the entry, the way the
// figure was always read.
std::int32_t MegahertzAt(std::string_view entry, const std::size_t (&positions)[3]) {
  std::int32_t value = 0;
  bool started = false;
  for (const std::size_t at : positions) {
    if (at >= entry.size()) break;
    const char c = entry[at];
    if (IsDigit(c)) {
      value = value * 10 + (c - '0');
      started = true;
    } else if (started || !IsBlank(c)) {
      break;
    }
  }
  return value;
}

}  // namespace

BandCode BandCodeFromEntry(std::string_view entry) {
  // A short entry reads as if padded with "0", so a typo cannot reach beyond its text.
  const auto at = [&](std::size_t i) -> unsigned char {
    return i < entry.size() ? static_cast<unsigned char>(entry[i]) : '0';
  };
  BandCode code{};
  for (std::size_t i = 0; i < code.size(); ++i)
    code[i] = static_cast<std::uint8_t>(HexValue(at(2 * i)) * 16 + HexValue(at(2 * i + 1)));
  return code;
}

std::string BandCodeHex(const BandCode& code) {
  char text[9];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X", unsigned{code[0]}, unsigned{code[1]},
                unsigned{code[2]}, unsigned{code[3]});
  return text;
}

BandLimits BandLimitsFromEntry(std::string_view entry) {
  if (entry.empty()) return {kDefaultBandLow, kDefaultBandHigh};
  // Each edge is a little-endian BCD count of 100 kHz: the MHz digits are the high byte's two
  // and the low byte's first; the 100 kHz digit is left out.
  static constexpr std::size_t kLowDigits[3] = {2, 3, 0};
  static constexpr std::size_t kHighDigits[3] = {6, 7, 4};
  return {MegahertzAt(entry, kLowDigits) * 100000, MegahertzAt(entry, kHighDigits) * 100000};
}

int ModelCount(const ModelDataSource& source) {
  int count = 0;
  while (count < kMaxModels && !source.ModelData(count, kModelDataLookupBuffer).empty()) ++count;
  return count;
}

int FindModelEntry(const ModelDataSource& source, const BandCode& code) {
  // The scan goes on after a match: when two entries share a code, the later one is the model.
  int found = 0;
  for (int k = 0; k < kMaxModels; ++k) {
    const std::string entry = source.ModelData(k, kModelDataLookupBuffer);
    if (entry.empty()) break;
    if (BandCodeFromEntry(entry) == code) found = k;
  }
  return found;
}

}  // namespace rondel
