// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid's columns in one table: what each shows, how wide it is, which editor
// opens on it, the two choices of an option column, and which cells a channel's state lets
// the user edit. The grid, the printout, the listing and the edit rules all read it here.
#pragma once

#include <array>
#include <string_view>

#include "core/rondel_doc.h"
#include "shell/language.h"

namespace rondel {

enum class ChannelColumn {
  Number, RxFreq, RxTone, TxFreq, TxTone, Opt5Off, Narrow, HighPower, Opt8Off, Opt9Off,
  Opt10Off, Opt11Off
};

enum class CellEditor { None, Frequency, Tone, Choice };

struct ChannelColumnInfo {
  ChannelColumn column;
  int width;                  // pixels
  CellEditor editor;
  std::string_view field;     // the field's name, from the field catalogue
  Direction direction;        // frequency and tone columns
  ChannelOption option;       // choice columns
  // Choice columns: the language keys of the two list items; item i stores bit value i.
  std::array<const char*, 2> choiceKeys;
  bool wrapHeading;           // a two-line heading, wrapped at word breaks
};

extern const std::array<ChannelColumnInfo, kChannelColumns> kChannelColumnTable;

inline constexpr int kHeadingRowHeight = 28;
inline constexpr int kChannelRowHeight = 21;

// The entry of column `column` (0..11); column 0's for anything else.
const ChannelColumnInfo& ColumnInfo(int column);
inline int ColumnIndex(ChannelColumn c) { return static_cast<int>(c); }

// Whether the user may edit cell (n, column) for the channel's state: the receive frequency
// always, the transmit tone only with both frequencies set, every other value column once the
// channel exists; the number column never.
bool IsCellEditable(const CRondelDoc& doc, int n, int column);

}  // namespace rondel
