// SPDX-License-Identifier: GPL-3.0-or-later
// Comma-separated text as RFC 4180 writes it: records of fields, quoted where a field holds a
// comma, a quote or a line break. Reading takes CRLF or LF line ends and remembers the line
// each record begins on, so a message can point the user at it. Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rondel {

struct CsvRecord {
  int line = 0;  // 1-based line of the text where the record begins
  std::vector<std::string> fields;
};

struct CsvParse {
  bool ok = true;
  int errorLine = 0;  // when not ok: the line of the quote that is not closed or misplaced
  std::vector<CsvRecord> records;
};

// Splits `text` into records. A UTF-8 byte-order mark at the start is skipped (spreadsheets
// write one); a line break after the last record is optional. A quote inside an unquoted field,
// text after a closing quote, or a quote left open at the end is an error.
CsvParse ParseCsv(std::string_view text);

// True when every field of the record is empty or blanks only: a blank line, or a
// spreadsheet's empty row.
bool IsBlankRecord(const CsvRecord& record);

// One record as a line, fields quoted only where they must be, ended by CRLF.
std::string CsvLine(const std::vector<std::string>& fields);

}  // namespace rondel
