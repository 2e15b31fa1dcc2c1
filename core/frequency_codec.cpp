// SPDX-License-Identifier: GPL-3.0-or-later
// Frequencies between text, 10 Hz units and packed BCD; the raster snap mirrors what the radio
// accepts, so a typed frequency is stored the way the radio would tune it.
#include "core/frequency_codec.h"

#include <cstdio>
#include <limits>

#include "platform/ascii.h"

namespace rondel {

namespace {

constexpr std::int64_t kRaster625 = 625;  // 6.25 kHz in 10 Hz units
constexpr std::int64_t kRaster500 = 500;  // 5 kHz

bool IsBlank(char c) {
  // The same blanks atoi skips, so text pasted with a leading space or tab still counts.
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The leading decimal digits of `text` after any blanks; huge numbers stop at INT32_MAX
// rather than wrapping, so an absurd entry lands above every band instead of inside one.
std::int32_t LeadingDigits(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kMax) return static_cast<std::int32_t>(kMax);
  }
  return static_cast<std::int32_t>(value);
}

std::int64_t Distance(std::int64_t a, std::int64_t b) { return a > b ? a - b : b - a; }

}  // namespace

std::int32_t FrequencyTextToInt(std::string_view text) {
  // Moving the point five places by editing the text, rather than parsing a decimal number,
  // drops every decimal past the fifth instead of rounding it.
  std::string moved(text);
  moved += moved.find('.') == std::string::npos ? ".00000" : "00000";
  const std::size_t p = moved.find('.');
  moved.insert(p + 6, 1, '.');
  moved.erase(p, 1);
  return LeadingDigits(moved);
}

std::int32_t SnapFrequency(std::int32_t value) {
  // 64 bits: the rasters are computed above the value, which may sit at INT32_MAX.
  const std::int64_t v = value;
  const std::int64_t a = (v + 75) / kRaster625 * kRaster625;
  std::int64_t b = a;
  if (v / 100 != a / 100) {
    // The 6.25 kHz step disagrees with the typed kHz, so the 5 kHz step competes with it.
    b = v / kRaster500 * kRaster500;
    if (v % kRaster500 > kRaster500 / 2) b += kRaster500;
  }
  std::int64_t r = Distance(b, v) <= Distance(v, a) ? b : a;
  // Eight BCD digits hold no more than this; a negative value cannot come from text.
  if (r > kMaxFrequency) r = kMaxFrequency;
  if (r < 0) r = 0;
  return static_cast<std::int32_t>(r);
}

FreqBytes EncodeFrequency(std::string_view text) {
  if (text.empty()) return {0xFF, 0xFF, 0xFF, 0xFF};
  std::int32_t r = SnapFrequency(FrequencyTextToInt(text));
  FreqBytes bytes{};
  // Byte 0 carries the two lowest digits.
  for (auto& byte : bytes) {
    const int low = r % 10;
    r /= 10;
    const int high = r % 10;
    r /= 10;
    byte = static_cast<std::uint8_t>(high << 4 | low);
  }
  return bytes;
}

std::string DecodeFrequency(std::span<const std::uint8_t, 4> bytes) {
  if (!IsFrequencySet(bytes)) return {};
  // Nibbles are printed as hex, so a damaged digit shows as a letter instead of vanishing.
  char text[16];
  std::snprintf(text, sizeof text, "%x%x.%x%02x%02x", unsigned{bytes[3]}, unsigned{bytes[2]} >> 4,
                unsigned{bytes[2]} & 0x0Fu, unsigned{bytes[1]}, unsigned{bytes[0]});
  return text;
}

bool IsFrequencySet(std::span<const std::uint8_t, 4> bytes) { return bytes[3] <= 0x99; }

int BandCheck(std::string_view text, std::int32_t bandLow, std::int32_t bandHigh) {
  // An empty field is a channel being cleared, never out of band.
  if (text.empty()) return 0;
  const std::int32_t value = FrequencyTextToInt(text);
  if (value > bandHigh) return 1;
  if (value < bandLow) return -1;
  return 0;
}

std::string BandEdgeText(int side, std::int32_t bandLow, std::int32_t bandHigh) {
  const std::int32_t edge = side == 1 ? bandHigh : bandLow;
  char text[32];
  std::snprintf(text, sizeof text, "%03d.%05d", static_cast<int>(edge / 100000),
                static_cast<int>(edge % 100000));
  return text;
}

}  // namespace rondel
