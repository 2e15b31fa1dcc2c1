// SPDX-License-Identifier: GPL-3.0-or-later
// Channel lists as CSV: our own columns (the names of the JSON listing) both ways, and the
// import of the common channel list of multi-radio programming tools. Every imported value is
// made as the same edit the channel grid makes, so the grid's rules hold for lists too. Used
// by rondel-cli and the desktop program alike. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rondel_doc.h"
#include "shell/settings.h"

namespace rondel {

// Why a list is refused, and what an import adjusted the way the form would have.
enum class CsvProblem {
  // Refusals: nothing is imported.
  Unreadable,          // not UTF-8 comma-separated text: a quote left open or misplaced
  NoHeader,            // no header line
  UnknownColumn,       // a heading that is not one of our columns (nor the common list's)
  DuplicateColumn,     // the same heading twice
  NoChannelColumn,     // neither "channel" nor "Location"
  ExtraField,          // a row with more fields than the header names
  BadChannel,          // not a channel number 1..N of the form
  DuplicateChannel,    // the same channel in two rows
  BadFrequency,        // not a frequency in MHz
  BadTone,             // not a tone the radio can hold
  BadBit,              // an option other than 0 or 1
  DeleteWithValues,    // a row that deletes its channel and still sets something
  NoReceiveFrequency,  // a value for a channel that does not exist
  NoTransmitFrequency, // a transmit tone for a channel without transmit frequency
  BadMode,             // common list: a mode other than FM and NFM
  BadValue,            // common list: a Duplex, Tone, CrossMode, DtcsPolarity, Power or Skip
                       // value it does not define
  // Warnings: imported, adjusted as the form adjusts a typed value.
  ClampedToBand,       // a frequency outside the band, stored as the band edge
  SnappedToRaster,     // a frequency off the channel raster, stored snapped
  ToneNotInLists,      // a tone the tone lists lack, stored as written
};

struct CsvIssue {
  CsvProblem problem = CsvProblem::Unreadable;
  int line = 0;        // line of the CSV text, 1 for the header
  std::string column;  // the heading as the file spells it; empty when a whole line is meant
  std::string value;   // the value at fault, or what was stored instead
  bool IsWarning() const { return problem >= CsvProblem::ClampedToBand; }
};

struct CsvImport {
  std::optional<CsvIssue> refusal;  // set: the document was not touched
  std::vector<CsvIssue> warnings;
  bool changed = false;  // the image differs from what it was before
  bool Imported() const { return !refusal; }
};

// The columns of our list, in the order export writes them.
std::vector<std::string> ChannelCsvColumns();

// Our list of channels 1..N (the rows of the form): a header line, then one row per channel;
// an empty channel's row holds only its number. Lines end with CRLF.
std::string ExportChannelCsv(const CRondelDoc& doc, const CSettings& settings);

// Imports our list or the common channel list, whichever the header names, row by row through
// the edit rules of the channel grid. All or nothing: the first refusal leaves `doc` as it was.
CsvImport ImportChannelCsv(CRondelDoc& doc, const CSettings& settings, std::string_view text);

// The issue as one line for the user, from the language file: where, what, and the value.
std::string CsvIssueText(const CsvIssue& issue, const CSettings& settings);

// Reads a channel list from a regular file of at most kMaxChannelCsvBytes. False when it
// cannot be opened or read, is no regular file, or is larger.
inline constexpr std::size_t kMaxChannelCsvBytes = 1 << 20;
bool ReadChannelCsvFile(const std::string& path, std::string& text);
// The same from an open descriptor (standard input), held to the same limit.
bool ReadChannelCsvStream(int fd, std::string& text);

// The file-chooser filter of channel lists.
inline constexpr const char* kChannelCsvExtension = ".csv";

}  // namespace rondel
