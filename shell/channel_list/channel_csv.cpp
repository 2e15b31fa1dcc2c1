// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/channel_list/channel_csv.h"

#include <algorithm>
#include <set>
#include <variant>

#include "core/decimal_text.h"
#include "core/frequency_codec.h"
#include "core/tone_codec.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/numbered_text.h"
#include "shell/form/channel_columns.h"
#include "shell/channel_list/channel_csv_row.h"
#include "shell/channel_list/common_channel_csv.h"
#include "shell/channel_list/csv_records.h"
#include "shell/form/form_edits.h"

namespace rondel {
namespace {

using C = ChannelColumn;

CsvIssue Issue(CsvProblem problem, int line, std::string column = {}, std::string value = {}) {
  return CsvIssue{problem, line, std::move(column), std::move(value)};
}

// The grid column a heading of our list names (matched without regard to case); -1 for none.
int ColumnOfHeading(std::string_view heading) {
  for (const ChannelColumnInfo& info : kChannelColumnTable)
    if (EqualNoCase(heading, info.field)) return ColumnIndex(info.column);
  return -1;
}

// Our header: the grid column of each field, every heading known and none twice.
std::variant<std::vector<int>, CsvIssue> OurHeader(const CsvRecord& header) {
  std::vector<int> columns;
  for (const std::string& raw : header.fields) {
    const std::string heading(TrimBlanks(raw));
    const int column = ColumnOfHeading(heading);
    if (column < 0) return Issue(CsvProblem::UnknownColumn, header.line, heading);
    if (std::find(columns.begin(), columns.end(), column) != columns.end())
      return Issue(CsvProblem::DuplicateColumn, header.line, heading);
    columns.push_back(column);
  }
  if (std::find(columns.begin(), columns.end(), ColumnIndex(C::Number)) == columns.end())
    return Issue(CsvProblem::NoChannelColumn, header.line);
  return columns;
}

// A field beyond the header is refused unless it is empty: spreadsheets like to pad rows.
std::optional<CsvIssue> ExtraFieldOf(std::size_t headerSize, const CsvRecord& record) {
  for (std::size_t k = headerSize; k < record.fields.size(); ++k)
    if (!TrimBlanks(record.fields[k]).empty())
      return Issue(CsvProblem::ExtraField, record.line, {}, record.fields[k]);
  return std::nullopt;
}

ChannelCsvRow OurRow(const CsvRecord& header, const std::vector<int>& columns,
                     const CsvRecord& record) {
  ChannelCsvRow row;
  row.line = record.line;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    // A row shorter than the header has empty values at its end.
    CsvCell cell{k < record.fields.size() ? record.fields[k] : std::string(),
                 std::string(TrimBlanks(header.fields[k]))};
    if (columns[k] == ColumnIndex(C::Number))
      row.channel = std::move(cell);
    else
      row.cells[static_cast<std::size_t>(columns[k])] = std::move(cell);
  }
  return row;
}

// Applies the rows of a list to a document, each value as the grid's edit of its cell.
class RowImporter {
 public:
  RowImporter(CRondelDoc& doc, const CSettings& settings)
      : m_doc(doc), m_settings(settings), m_offText(GetLangString("IDS_OFF")),
        m_toneItems(ToneListItems()) {}

  std::optional<CsvIssue> Apply(const ChannelCsvRow& row) {
    const auto n = ChannelOf(row);
    if (!n) return m_refusal;
    m_row = &row;
    m_n = *n;

    const auto& rx = row.cells[static_cast<std::size_t>(ColumnIndex(C::RxFreq))];
    if (rx && TrimBlanks(rx->text).empty()) return Delete(row);

    // In the grid's order: receive frequency, transmit frequency, tones, then the options.
    const int order[] = {ColumnIndex(C::RxFreq),  ColumnIndex(C::TxFreq),
                         ColumnIndex(C::RxTone),  ColumnIndex(C::TxTone),
                         ColumnIndex(C::Opt5Off), ColumnIndex(C::Narrow),
                         ColumnIndex(C::HighPower), ColumnIndex(C::Opt8Off),
                         ColumnIndex(C::Opt9Off), ColumnIndex(C::Opt10Off),
                         ColumnIndex(C::Opt11Off)};
    for (const int column : order) {
      auto cell = row.cells[static_cast<std::size_t>(column)];
      if (!cell) continue;
      if (row.txIsRx && column == ColumnIndex(C::TxFreq)) cell->text = Shown(ColumnIndex(C::RxFreq));
      bool ok = true;
      switch (ColumnInfo(column).editor) {
        case CellEditor::Frequency: ok = Frequency(column, *cell); break;
        case CellEditor::Tone: ok = Tone(column, *cell); break;
        case CellEditor::Choice: ok = Bit(column, *cell); break;
        case CellEditor::None: break;
      }
      if (!ok) return m_refusal;
    }
    return std::nullopt;
  }

  std::vector<CsvIssue> warnings;

 private:
  bool Refuse(CsvProblem problem, const CsvCell& cell, std::string value) {
    m_refusal = Issue(problem, m_row->line, cell.column, std::move(value));
    return false;
  }

  std::optional<int> ChannelOf(const ChannelCsvRow& row) {
    const std::string_view text = TrimBlanks(row.channel.text);
    int n = 0;
    const bool digits = !text.empty() && text.size() <= 9 && AllDigits(text);
    for (const char c : digits ? text : std::string_view()) n = n * 10 + (c - '0');
    if (!digits || n < 1 || n > m_settings.ChannelCount()) {
      m_refusal = Issue(CsvProblem::BadChannel, row.line, row.channel.column, std::string(text));
      return std::nullopt;
    }
    if (!m_seen.insert(n).second) {
      m_refusal = Issue(CsvProblem::DuplicateChannel, row.line, row.channel.column, std::string(text));
      return std::nullopt;
    }
    return n;
  }

  // An empty receive frequency deletes the channel, as clearing its cell does; a row that
  // also sets something is contradicting itself.
  std::optional<CsvIssue> Delete(const ChannelCsvRow& row) {
    for (int column = ColumnIndex(C::RxTone); column < kChannelColumns; ++column) {
      const auto& cell = row.cells[static_cast<std::size_t>(column)];
      if (cell && !TrimBlanks(cell->text).empty()) {
        Refuse(CsvProblem::DeleteWithValues, *cell, std::string(TrimBlanks(cell->text)));
        return m_refusal;
      }
    }
    if (!m_doc.IsChannelEmpty(m_n)) {
      const CsvCell& rx = *row.cells[static_cast<std::size_t>(ColumnIndex(C::RxFreq))];
      if (!Edit(FrequencyEdit{m_n, ColumnIndex(C::RxFreq), ""}, rx, "")) return m_refusal;
    }
    return std::nullopt;
  }

  bool Edit(const FormEdit& edit, const CsvCell& cell, const std::string& value) {
    const EditOutcome o = ApplyFormEdit(m_doc, m_settings, edit);
    switch (o.refused) {
      case EditRefusal::None:
        return true;
      case EditRefusal::RowOutside:
        return Refuse(CsvProblem::BadChannel, cell, std::to_string(m_n));
      case EditRefusal::ReadOnlyCell:
        // Only the transmit tone is read-only in a channel that exists.
        return Refuse(m_doc.IsChannelEmpty(m_n) ? CsvProblem::NoReceiveFrequency
                                                : CsvProblem::NoTransmitFrequency,
                      cell, value);
      case EditRefusal::TextRefused:
        return Refuse(CsvProblem::BadFrequency, cell, value);
      case EditRefusal::NotInToneList:
        return Refuse(CsvProblem::BadTone, cell, value);
      case EditRefusal::NotABit:
        return Refuse(CsvProblem::BadBit, cell, value);
      case EditRefusal::NotAnEntry:
      case EditRefusal::NotAControl:
        break;
    }
    return Refuse(CsvProblem::BadValue, cell, value);
  }

  void Warn(CsvProblem problem, const CsvCell& cell, std::string value) {
    warnings.push_back(Issue(problem, m_row->line, cell.column, std::move(value)));
  }

  // What the grid shows in the cell now; a value equal to it is no edit, so a list exported
  // from a file gives that file back unchanged, off-raster frequencies and unlisted tones
  // included.
  std::string Shown(int column) const {
    if (!IsCellEditable(m_doc, m_n, column) || m_doc.IsChannelEmpty(m_n)) return {};
    const ChannelColumnInfo& info = ColumnInfo(column);
    switch (info.editor) {
      case CellEditor::Frequency: return m_doc.GetFrequencyText(m_n, info.direction);
      case CellEditor::Tone:
        return m_doc.IsToneOff(m_n, info.direction) ? std::string()
                                                     : m_doc.GetToneText(m_n, info.direction, "");
      case CellEditor::Choice: return std::to_string(m_doc.GetChannelOption(m_n, info.option));
      case CellEditor::None: break;
    }
    return {};
  }

  bool Frequency(int column, const CsvCell& cell) {
    const std::string given(TrimBlanks(cell.text));
    const std::string shown = Shown(column);
    if (EqualNoCase(given, shown)) return true;
    std::optional<Megahertz> mhz;
    std::string typed;
    if (!given.empty()) {
      mhz = ParseMegahertz(given);
      if (!mhz) return Refuse(CsvProblem::BadFrequency, cell, given);
      if (!shown.empty() && !mhz->finer && mhz->hz % 10 == 0 &&
          mhz->hz / 10 == FrequencyTextToInt(shown))
        return true;
      typed = TypedFrequencyText(mhz->hz);
    }
    if (!Edit(FrequencyEdit{m_n, column, typed}, cell, given)) return false;
    if (!mhz) return true;
    const Direction d = ColumnInfo(column).direction;
    const std::string stored = m_doc.GetFrequencyText(m_n, d);
    if (BandCheck(typed, m_doc.bandLow, m_doc.bandHigh) != 0)
      Warn(CsvProblem::ClampedToBand, cell, stored);
    else if (mhz->finer || std::int64_t{FrequencyTextToInt(stored)} * 10 != mhz->hz)
      Warn(CsvProblem::SnappedToRaster, cell, stored);
    return true;
  }

  bool Tone(int column, const CsvCell& cell) {
    const std::string given(TrimBlanks(cell.text));
    const std::string shown = Shown(column);
    if (EqualNoCase(given, shown)) return true;
    const bool off = given.empty() || EqualNoCase(given, "off") || EqualNoCase(given, m_offText);
    std::string held;
    if (off) {
      if (shown.empty()) return true;
    } else {
      const auto h = HeldToneText(given);
      if (!h) return Refuse(CsvProblem::BadTone, cell, given);
      held = *h;
      if (EqualNoCase(held, shown)) return true;
    }
    if (!Edit(ToneEdit{m_n, column, off ? m_offText : held, true}, cell, given)) return false;
    if (!off && FindToneItem(m_toneItems, held) < 0) Warn(CsvProblem::ToneNotInLists, cell, held);
    return true;
  }

  bool Bit(int column, const CsvCell& cell) {
    const std::string given(TrimBlanks(cell.text));
    // An empty option names no value (a new channel keeps the options it carries).
    if (given.empty() || given == Shown(column)) return true;
    if (given != "0" && given != "1") return Refuse(CsvProblem::BadBit, cell, given);
    return Edit(OptionEdit{m_n, column, given[0] - '0'}, cell, given);
  }

  CRondelDoc& m_doc;
  const CSettings& m_settings;
  const std::string m_offText;
  const std::vector<std::string> m_toneItems;
  std::set<int> m_seen;
  const ChannelCsvRow* m_row = nullptr;
  int m_n = 0;
  std::optional<CsvIssue> m_refusal;
};

struct ProblemText {
  CsvProblem problem;
  const char* key;
  bool showsValue;
};
constexpr ProblemText kProblemTexts[] = {
    {CsvProblem::Unreadable, "IDS_CSV_UNREADABLE", false},
    {CsvProblem::NoHeader, "IDS_CSV_NOHEADER", false},
    {CsvProblem::UnknownColumn, "IDS_CSV_UNKNOWNCOLUMN", false},
    {CsvProblem::DuplicateColumn, "IDS_CSV_DUPLICATECOLUMN", false},
    {CsvProblem::NoChannelColumn, "IDS_CSV_NOCHANNELCOLUMN", false},
    {CsvProblem::ExtraField, "IDS_CSV_EXTRAFIELD", true},
    {CsvProblem::BadChannel, "IDS_CSV_BADCHANNEL", true},
    {CsvProblem::DuplicateChannel, "IDS_CSV_DUPLICATECHANNEL", true},
    {CsvProblem::BadFrequency, "IDS_CSV_BADFREQUENCY", true},
    {CsvProblem::BadTone, "IDS_CSV_BADTONE", true},
    {CsvProblem::BadBit, "IDS_CSV_BADBIT", true},
    {CsvProblem::DeleteWithValues, "IDS_CSV_DELETEWITHVALUES", true},
    {CsvProblem::NoReceiveFrequency, "IDS_CSV_NORXFREQ", true},
    {CsvProblem::NoTransmitFrequency, "IDS_CSV_NOTXFREQ", true},
    {CsvProblem::BadMode, "IDS_CSV_BADMODE", true},
    {CsvProblem::BadValue, "IDS_CSV_BADVALUE", true},
    {CsvProblem::ClampedToBand, "IDS_CSV_CLAMPED", true},
    {CsvProblem::SnappedToRaster, "IDS_CSV_SNAPPED", true},
    {CsvProblem::ToneNotInLists, "IDS_CSV_UNLISTEDTONE", true},
};

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  constexpr const char* kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<Megahertz> ParseMegahertz(std::string_view text) {
  // Whole MHz beyond six digits is no radio frequency, and would overflow nothing yet.
  constexpr std::size_t kMaxWholeDigits = 6;
  constexpr int kHzDigits = 6;
  const auto [whole, fraction, point] = SplitDecimal(text);
  if ((whole.empty() && fraction.empty()) || whole.size() > kMaxWholeDigits || !AllDigits(whole) ||
      !AllDigits(fraction))
    return std::nullopt;
  Megahertz mhz;
  for (const char c : whole) mhz.hz = mhz.hz * 10 + (c - '0');
  for (int k = 0; k < kHzDigits; ++k) {
    const std::size_t at = static_cast<std::size_t>(k);
    mhz.hz = mhz.hz * 10 + (at < fraction.size() ? fraction[at] - '0' : 0);
  }
  if (fraction.size() > kHzDigits)
    mhz.finer = fraction.find_first_not_of('0', kHzDigits) != std::string_view::npos;
  return mhz;
}

std::string TypedFrequencyText(std::int64_t hz) {
  const std::int64_t tens = hz / 10;
  std::string text = std::to_string(tens / 100000);
  std::string decimals = std::to_string(tens % 100000);
  decimals.insert(0, 5 - decimals.size(), '0');
  decimals.erase(decimals.find_last_not_of('0') + 1);
  if (!decimals.empty()) text += "." + decimals;
  return text;
}

std::vector<std::string> ChannelCsvColumns() {
  std::vector<std::string> names;
  for (const ChannelColumnInfo& info : kChannelColumnTable) names.emplace_back(info.field);
  return names;
}

std::string ExportChannelCsv(const CRondelDoc& doc, const CSettings& settings) {
  std::string text = CsvLine(ChannelCsvColumns());
  for (int n = 1; n <= settings.ChannelCount(); ++n) {
    std::vector<std::string> fields(kChannelColumns);
    fields[0] = std::to_string(n);
    if (!doc.IsChannelEmpty(n)) {
      for (const ChannelColumnInfo& info : kChannelColumnTable) {
        const auto at = static_cast<std::size_t>(ColumnIndex(info.column));
        switch (info.editor) {
          case CellEditor::Frequency:
            fields[at] = doc.GetFrequencyText(n, info.direction);
            break;
          case CellEditor::Tone:
            // Off is empty, and a channel that does not transmit has no transmit tone.
            if (IsCellEditable(doc, n, ColumnIndex(info.column)) && !doc.IsToneOff(n, info.direction))
              fields[at] = doc.GetToneText(n, info.direction, "");
            break;
          case CellEditor::Choice:
            fields[at] = std::to_string(doc.GetChannelOption(n, info.option));
            break;
          case CellEditor::None:
            break;
        }
      }
    }
    text += CsvLine(fields);
  }
  return text;
}

CsvImport ImportChannelCsv(CRondelDoc& doc, const CSettings& settings, std::string_view text) {
  CsvImport result;
  const CsvParse parsed = ParseCsv(text);
  if (!parsed.ok) {
    result.refusal = Issue(CsvProblem::Unreadable, parsed.errorLine);
    return result;
  }
  const auto firstRecord = std::find_if(parsed.records.begin(), parsed.records.end(),
                                        [](const CsvRecord& r) { return !IsBlankRecord(r); });
  if (firstRecord == parsed.records.end()) {
    result.refusal = Issue(CsvProblem::NoHeader, 1);
    return result;
  }
  const CsvRecord& header = *firstRecord;
  const bool common = IsCommonChannelHeader(header.fields);
  std::vector<int> columns;
  if (!common) {
    auto ours = OurHeader(header);
    if (const auto* refused = std::get_if<CsvIssue>(&ours)) {
      result.refusal = *refused;
      return result;
    }
    columns = std::move(std::get<std::vector<int>>(ours));
  }

  // The rows go into a copy: a refusal in the last row leaves the document as it was.
  CRondelDoc work = doc;
  RowImporter importer(work, settings);
  for (auto record = firstRecord + 1; record != parsed.records.end(); ++record) {
    if (IsBlankRecord(*record)) continue;
    if (auto extra = ExtraFieldOf(header.fields.size(), *record)) {
      result.refusal = std::move(extra);
      return result;
    }
    ChannelCsvRow row;
    if (common) {
      auto mapped = CommonChannelRow(header.fields, *record);
      if (const auto* refused = std::get_if<CsvIssue>(&mapped)) {
        result.refusal = *refused;
        return result;
      }
      row = std::move(std::get<ChannelCsvRow>(mapped));
    } else {
      row = OurRow(header, columns, *record);
    }
    if (auto refused = importer.Apply(row)) {
      result.refusal = std::move(refused);
      return result;
    }
  }
  result.warnings = std::move(importer.warnings);
  result.changed = work.image() != doc.image();
  doc.image() = work.image();
  return result;
}

std::string CsvIssueText(const CsvIssue& issue, const CSettings& settings) {
  const std::string line = std::to_string(issue.line);
  std::string text = issue.column.empty()
                         ? FillNumbered(GetLangString("IDS_CSV_ATLINE"), {line})
                         : FillNumbered(GetLangString("IDS_CSV_AT"), {line, issue.column});
  for (const ProblemText& p : kProblemTexts) {
    if (p.problem != issue.problem) continue;
    // Appended piece by piece: "text" + a temporary string draws GCC 12's false -Wrestrict at -O3.
    text.append(" ").append(FillNumbered(GetLangString(p.key), {std::to_string(settings.ChannelCount())}));
    if (p.showsValue) text += " \"" + issue.value + "\"";
  }
  return text;
}

bool ReadChannelCsvFile(const std::string& path, std::string& text) {
  std::vector<std::uint8_t> bytes;
  const bool ok = ReadWholeFile(path, bytes, kMaxChannelCsvBytes);
  text.assign(bytes.begin(), bytes.end());
  return ok;
}

bool ReadChannelCsvStream(int fd, std::string& text) {
  std::vector<std::uint8_t> bytes;
  const bool ok = ReadFromDescriptor(fd, bytes, kMaxChannelCsvBytes);
  text.assign(bytes.begin(), bytes.end());
  return ok;
}

}  // namespace rondel
