// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/channel_list/csv_records.h"

#include <algorithm>

namespace rondel {

CsvParse ParseCsv(std::string_view text) {
  CsvParse result;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  int line = 1;
  std::size_t i = 0;
  const std::size_t size = text.size();
  // A line break is CRLF, LF, or a CR on its own; it returns how many bytes it takes.
  const auto breakAt = [&](std::size_t at) -> std::size_t {
    if (at >= size) return 0;
    if (text[at] == '\n') return 1;
    if (text[at] == '\r') return (at + 1 < size && text[at + 1] == '\n') ? 2 : 1;
    return 0;
  };
  const auto fail = [&](int at) {
    result.ok = false;
    result.errorLine = at;
    result.records.clear();
    return result;
  };

  while (i < size) {
    CsvRecord record;
    record.line = line;
    for (;;) {
      std::string field;
      if (i < size && text[i] == '"') {
        const int opened = line;
        ++i;
        for (;;) {
          if (i >= size) return fail(opened);
          if (text[i] == '"') {
            if (i + 1 < size && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (const std::size_t b = breakAt(i)) {
            // A line break inside quotes belongs to the field, as the file wrote it.
            field.append(text.substr(i, b));
            i += b;
            ++line;
            continue;
          }
          field += text[i++];
        }
        if (i < size && text[i] != ',' && breakAt(i) == 0) return fail(line);
      } else {
        while (i < size && text[i] != ',' && breakAt(i) == 0) {
          if (text[i] == '"') return fail(line);
          field += text[i++];
        }
      }
      record.fields.push_back(std::move(field));
      if (i < size && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    if (const std::size_t b = breakAt(i)) {
      i += b;
      ++line;
    }
    result.records.push_back(std::move(record));
  }
  return result;
}

bool IsBlankRecord(const CsvRecord& record) {
  return std::all_of(record.fields.begin(), record.fields.end(), [](const std::string& f) {
    return f.find_first_not_of(" \t") == std::string::npos;
  });
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k) line += ',';
    const std::string& f = fields[k];
    const bool quote = f.find_first_of(",\"\r\n") != std::string::npos ||
                       (!f.empty() && (f.front() == ' ' || f.back() == ' '));
    if (!quote) {
      line += f;
      continue;
    }
    line += '"';
    for (const char c : f) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  line += "\r\n";
  return line;
}

}  // namespace rondel
