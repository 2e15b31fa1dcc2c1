// SPDX-License-Identifier: GPL-3.0-or-later
// Tone lists decoded from their embedded records.
#include "core/tone_lists.h"

#include <algorithm>

#include "core/bindata.h"

namespace rondel {

namespace bindata {
std::span<const std::uint8_t> Find(int number) {
  for (std::size_t i = 0; i < kRecordCount; ++i)
    if (kRecords[i].number == number) return {kRecords[i].data, kRecords[i].size};
  return {};
}
}  // namespace bindata

std::vector<std::string> ToneList(int number) {
  const auto bytes = bindata::Find(number);
  std::vector<std::string> texts;
  for (std::size_t at = 0; at + kToneRecordSize <= bytes.size(); at += kToneRecordSize) {
    const auto* rec = reinterpret_cast<const char*>(bytes.data() + at);
    texts.emplace_back(rec, std::find(rec, rec + kToneRecordSize, '\0'));
  }
  return texts;
}

std::vector<std::string> ToneChoices(const std::string& offText) {
  std::vector<std::string> choices{offText};
  for (int number : {kToneListCtcss, kToneListDcsNormal, kToneListDcsInverted}) {
    auto list = ToneList(number);
    choices.insert(choices.end(), list.begin(), list.end());
  }
  return choices;
}

}  // namespace rondel
