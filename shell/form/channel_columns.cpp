// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/form/channel_columns.h"

#include "core/field_catalogue.h"

namespace rondel {
namespace {

using C = ChannelColumn;
using E = CellEditor;
constexpr auto kRx = Direction::Receive;
constexpr auto kTx = Direction::Transmit;
constexpr std::array<const char*, 2> kNoChoices{nullptr, nullptr};
constexpr std::array<const char*, 2> kYesNo{"IDS_YES", "IDS_NO"};
constexpr std::string_view Freq(Direction d) { return FrequencyField(d).name; }
constexpr std::string_view Tone(Direction d) { return ToneField(d).name; }
constexpr std::string_view Option(ChannelOption o) { return OptionField(o).name; }

}  // namespace

const std::array<ChannelColumnInfo, kChannelColumns> kChannelColumnTable = {{
    {C::Number, 40, E::None, field_names::kChannel, kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::RxFreq, 80, E::Frequency, Freq(kRx), kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::RxTone, 70, E::Tone, Tone(kRx), kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::TxFreq, 80, E::Frequency, Freq(kTx), kTx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::TxTone, 70, E::Tone, Tone(kTx), kTx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::Opt5Off, 70, E::Choice, Option(ChannelOption::Opt5Off), kRx, ChannelOption::Opt5Off, kYesNo, false},
    {C::Narrow, 60, E::Choice, Option(ChannelOption::Narrow), kRx, ChannelOption::Narrow, {"IDS_WIDE", "IDS_NARROW"},
     false},
    {C::HighPower, 70, E::Choice, Option(ChannelOption::HighPower), kRx, ChannelOption::HighPower,
     {"IDS_LOW", "IDS_HIGH"}, false},
    {C::Opt8Off, 70, E::Choice, Option(ChannelOption::Opt8Off), kRx, ChannelOption::Opt8Off, kYesNo, false},
    {C::Opt9Off, 73, E::Choice, Option(ChannelOption::Opt9Off), kRx, ChannelOption::Opt9Off, kYesNo, false},
    {C::Opt10Off, 70, E::Choice, Option(ChannelOption::Opt10Off), kRx, ChannelOption::Opt10Off, kYesNo, false},
    {C::Opt11Off, 70, E::Choice, Option(ChannelOption::Opt11Off), kRx, ChannelOption::Opt11Off, kYesNo, false},
}};

const ChannelColumnInfo& ColumnInfo(int column) {
  if (column < 0 || column >= kChannelColumns) return kChannelColumnTable[0];
  return kChannelColumnTable[static_cast<std::size_t>(column)];
}

bool IsCellEditable(const CRondelDoc& doc, int n, int column) {
  switch (ColumnInfo(column).column) {
    case C::Number: return false;
    case C::RxFreq: return CRondelDoc::IsValidChannel(n);
    case C::TxTone: return !doc.LacksFrequency(n);
    default: return !doc.IsChannelEmpty(n);
  }
}

}  // namespace rondel
