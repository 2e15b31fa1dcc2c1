#include "shell/channel_columns.h"

namespace rondel {
namespace {

using C = ChannelColumn;
using E = CellEditor;
constexpr auto kRx = Direction::Receive;
constexpr auto kTx = Direction::Transmit;
constexpr std::array<const char*, 2> kNoChoices{nullptr, nullptr};
constexpr std::array<const char*, 2> kYesNo{"IDS_YES", "IDS_NO"};

}  // namespace

const std::array<ChannelColumnInfo, kChannelColumns> kChannelColumnTable = {{
    {C::Number, 40, E::None, "channel", kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::RxFreq, 80, E::Frequency, "rxFreq", kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::RxTone, 70, E::Tone, "rxTone", kRx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::TxFreq, 80, E::Frequency, "txFreq", kTx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::TxTone, 70, E::Tone, "txTone", kTx, ChannelOption::Opt5Off, kNoChoices, true},
    {C::Opt5Off, 70, E::Choice, "opt5Off", kRx, ChannelOption::Opt5Off, kYesNo, false},
    {C::Narrow, 60, E::Choice, "narrow", kRx, ChannelOption::Narrow, {"IDS_WIDE", "IDS_NARROW"},
     false},
    {C::HighPower, 70, E::Choice, "highPower", kRx, ChannelOption::HighPower,
     {"IDS_LOW", "IDS_HIGH"}, false},
    {C::Opt8Off, 70, E::Choice, "opt8Off", kRx, ChannelOption::Opt8Off, kYesNo, false},
    {C::Opt9Off, 73, E::Choice, "opt9Off", kRx, ChannelOption::Opt9Off, kYesNo, false},
    {C::Opt10Off, 70, E::Choice, "opt10Off", kRx, ChannelOption::Opt10Off, kYesNo, false},
    {C::Opt11Off, 70, E::Choice, "opt11Off", kRx, ChannelOption::Opt11Off, kYesNo, false},
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
