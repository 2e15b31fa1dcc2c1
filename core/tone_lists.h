// SPDX-License-Identifier: GPL-3.0-or-later
// The three fixed tone lists offered by the channel grid, kept as 8-byte zero-padded records.
#pragma once

#include <string>
#include <vector>

namespace rondel {

inline constexpr int kToneListCtcss = 136;        // 50 CTCSS tones
inline constexpr int kToneListDcsNormal = 135;    // 104 DCS codes, normal
inline constexpr int kToneListDcsInverted = 134;  // 104 DCS codes, inverted
inline constexpr std::size_t kToneRecordSize = 8;

// The texts of one list, in resource order.
std::vector<std::string> ToneList(int number);

// The grid's tone choices: `offText` first, then the lists 136, 135 and 134.
std::vector<std::string> ToneChoices(const std::string& offText);

}  // namespace rondel
