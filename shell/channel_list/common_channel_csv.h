// SPDX-License-Identifier: GPL-3.0-or-later
// The common channel list that multi-radio programming tools exchange: recognised by its
// header, each row turned into the values of our own columns. Location, Frequency, Duplex,
// Offset, Tone, rToneFreq, cToneFreq, DtcsCode, RxDtcsCode, DtcsPolarity, CrossMode, Mode,
// Power and Skip are read; every other column (Name, Comment, TStep, ...) is passed over.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "shell/channel_list/channel_csv.h"
#include "shell/channel_list/channel_csv_row.h"
#include "shell/channel_list/csv_records.h"

namespace rondel {

// A header with both "Location" and "Frequency".
bool IsCommonChannelHeader(const std::vector<std::string>& header);

// One record of that list as our row, or the refusal of a value the list does not define.
// A record without Frequency deletes its channel, whatever else it holds.
std::variant<ChannelCsvRow, CsvIssue> CommonChannelRow(const std::vector<std::string>& header,
                                                       const CsvRecord& record);

}  // namespace rondel
