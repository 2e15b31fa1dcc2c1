// SPDX-License-Identifier: GPL-3.0-or-later
// Frequencies between the form's text (up to three digits, a point, five decimals), an integer
// in units of 10 Hz, and the image's 8-digit packed BCD (little-endian), with raster snapping.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rondel {

using FreqBytes = std::array<std::uint8_t, 4>;

// The largest frequency 8 BCD digits hold: 999.99999 MHz.
inline constexpr std::int32_t kMaxFrequency = 99999999;

// "446.00625" -> 44600625: the point moves five places right, further decimals are dropped,
// the number ends at the first non-digit. Leading blanks are skipped; no sign is accepted.
// A number too large for 32 bits saturates at INT32_MAX.
std::int32_t FrequencyTextToInt(std::string_view text);

// The text snapped to the 6.25 kHz or 5 kHz raster, as BCD; FF FF FF FF for empty text.
// Values beyond what 8 digits hold are stored as kMaxFrequency.
FreqBytes EncodeFrequency(std::string_view text);

// The snapped integer EncodeFrequency stores (for a non-empty text).
std::int32_t SnapFrequency(std::int32_t value);

// "%x%x.%x%02x%02x" of the bytes; empty text when the highest byte is above 0x99.
std::string DecodeFrequency(std::span<const std::uint8_t, 4> bytes);

// True when the highest byte is at most 0x99.
bool IsFrequencySet(std::span<const std::uint8_t, 4> bytes);

// -1 below bandLow, +1 above bandHigh, 0 inside (edges included) or for empty text.
int BandCheck(std::string_view text, std::int32_t bandLow, std::int32_t bandHigh);

// "%03d.%05d" of bandHigh for +1, of bandLow otherwise.
std::string BandEdgeText(int side, std::int32_t bandLow, std::int32_t bandHigh);

}  // namespace rondel
