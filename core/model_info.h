// SPDX-License-Identifier: GPL-3.0-or-later
// The model list of the settings file ([ModelInfo] "data%d"): band codes and band limits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rondel {

inline constexpr int kMaxModels = 16;
inline constexpr std::size_t kModelDataLookupBuffer = 32;  // select model, find model entry
inline constexpr std::size_t kModelDataBandBuffer = 60;    // compute band limits
inline constexpr std::int32_t kDefaultBandLow = 10000000;  // 100 MHz, no model entry
inline constexpr std::int32_t kDefaultBandHigh = 52000000;  // 520 MHz

using BandCode = std::array<std::uint8_t, 4>;

// Where the document reads the model entries from; the settings file in the program, a table
// in tests. Each call reads afresh.
class ModelDataSource {
 public:
  virtual ~ModelDataSource() = default;
  // The text of "data%d" for k, cut to bufSize - 1 bytes; empty when missing.
  virtual std::string ModelData(int k, std::size_t bufSize) const = 0;
};

// The first eight characters of an entry as four bytes, byte 0 first. A character below ":"
// counts as its value minus 0x30, any other as (value - 55) AND 0x0F; characters missing from
// a short entry count as "0".
BandCode BandCodeFromEntry(std::string_view entry);

// Eight upper-case hex digits of the band code, byte 0 first.
std::string BandCodeHex(const BandCode& code);

// Band limits of an entry: characters 2, 3, 0 and 6, 7, 4 read as MHz (up to the first
// non-digit; missing characters end the number), times 100000. Empty entry: 100 and 520 MHz.
struct BandLimits {
  std::int32_t low;
  std::int32_t high;
};
BandLimits BandLimitsFromEntry(std::string_view entry);

// The number of entries of the model list: "data0", "data1", ... up to the first missing or
// empty one, at most 16.
int ModelCount(const ModelDataSource& source);

// The index of the last "data%d" entry (before the first missing or empty one) whose band
// code equals `code`; 0 when none does.
int FindModelEntry(const ModelDataSource& source, const BandCode& code);

}  // namespace rondel
