// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/channel_list/common_channel_csv.h"

#include <algorithm>

#include "core/decimal_text.h"
#include "platform/ascii.h"
#include "shell/form/channel_columns.h"
#include "shell/form/form_edits.h"

namespace rondel {
namespace {

using C = ChannelColumn;

// The row's value of a heading, matched without regard to case; none when the header lacks
// it. A row shorter than the header has empty values at its end.
class CommonRecord {
 public:
  CommonRecord(const std::vector<std::string>& header, const CsvRecord& record)
      : m_header(header), m_record(record) {}

  std::optional<std::string> Get(std::string_view heading) const {
    for (std::size_t k = 0; k < m_header.size(); ++k) {
      if (!EqualNoCase(TrimBlanks(m_header[k]), heading)) continue;
      if (k >= m_record.fields.size()) return std::string();
      return std::string(TrimBlanks(m_record.fields[k]));
    }
    return std::nullopt;
  }
  std::string Value(std::string_view heading) const { return Get(heading).value_or(""); }
  int line() const { return m_record.line; }

 private:
  const std::vector<std::string>& m_header;
  const CsvRecord& m_record;
};

CsvIssue Refusal(CsvProblem problem, int line, std::string column, std::string value) {
  return CsvIssue{problem, line, std::move(column), std::move(value)};
}

// A DCS code of one to three octal digits, padded to three ("25" is 025).
std::optional<std::string> DcsCode(const std::string& text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '7'; }))
    return std::nullopt;
  return std::string(3 - text.size(), '0') + text;
}

enum class ToneKindOfList { None, Tone, Dtcs };

struct Tones {
  std::optional<CsvCell> rx;
  std::optional<CsvCell> tx;
};

// Transmit and receive tone of a row by its Tone column (and CrossMode for "Cross").
std::variant<Tones, CsvIssue> TonesOf(const CommonRecord& r) {
  const int line = r.line();
  const std::string mode = r.Value("Tone");
  ToneKindOfList txKind = ToneKindOfList::None;
  ToneKindOfList rxKind = ToneKindOfList::None;
  // Plain "Tone" sends the transmit tone only; "TSQL" and "DTCS" use one value both ways.
  bool shared = false;
  if (mode.empty()) {
  } else if (EqualNoCase(mode, "Tone")) {
    txKind = ToneKindOfList::Tone;
  } else if (EqualNoCase(mode, "TSQL")) {
    txKind = rxKind = ToneKindOfList::Tone;
    shared = true;
  } else if (EqualNoCase(mode, "DTCS")) {
    txKind = rxKind = ToneKindOfList::Dtcs;
    shared = true;
  } else if (EqualNoCase(mode, "Cross")) {
    const std::string cross = r.Value("CrossMode");
    const std::size_t arrow = cross.find("->");
    if (arrow == std::string::npos) return Refusal(CsvProblem::BadValue, line, "CrossMode", cross);
    const auto kind = [](std::string_view k) -> std::optional<ToneKindOfList> {
      k = TrimBlanks(k);
      if (k.empty()) return ToneKindOfList::None;
      if (EqualNoCase(k, "Tone")) return ToneKindOfList::Tone;
      if (EqualNoCase(k, "DTCS")) return ToneKindOfList::Dtcs;
      return std::nullopt;
    };
    const auto tx = kind(std::string_view(cross).substr(0, arrow));
    const auto rx = kind(std::string_view(cross).substr(arrow + 2));
    if (!tx || !rx) return Refusal(CsvProblem::BadValue, line, "CrossMode", cross);
    txKind = *tx;
    rxKind = *rx;
  } else {
    return Refusal(CsvProblem::BadValue, line, "Tone", mode);
  }

  // Two letters, transmit first: N normal, R reversed (our "I").
  std::string polarity = "NN";
  if (const auto given = r.Get("DtcsPolarity")) {
    polarity = *given;
    const auto letter = [](char c) { return c == 'N' || c == 'n' || c == 'R' || c == 'r'; };
    if (polarity.size() != 2 || !letter(polarity[0]) || !letter(polarity[1]))
      return Refusal(CsvProblem::BadValue, line, "DtcsPolarity", polarity);
  }

  Tones tones;
  for (const bool transmit : {true, false}) {
    const ToneKindOfList kind = transmit ? txKind : rxKind;
    CsvCell cell{"", "Tone"};
    if (kind == ToneKindOfList::Tone) {
      cell.column = (transmit && !shared) ? "rToneFreq" : "cToneFreq";
      cell.text = r.Value(cell.column);
      // An empty value would read as off: the row asked for a tone.
      if (cell.text.empty()) return Refusal(CsvProblem::BadTone, line, cell.column, "");
    } else if (kind == ToneKindOfList::Dtcs) {
      cell.column = (transmit || shared) ? "DtcsCode" : "RxDtcsCode";
      const std::string given = r.Value(cell.column);
      const auto code = DcsCode(given);
      if (!code) return Refusal(CsvProblem::BadTone, line, cell.column, given);
      const char p = polarity[transmit ? 0 : 1];
      cell.text = "D" + *code + ((p == 'R' || p == 'r') ? "I" : "N");
    }
    (transmit ? tones.tx : tones.rx) = std::move(cell);
  }
  return tones;
}

// "High", "Low", or watts: below 2 W is low power.
std::optional<int> HighPowerOf(std::string_view power) {
  if (power.empty() || EqualNoCase(power, "High")) return 1;
  if (EqualNoCase(power, "Low")) return 0;
  if (power.back() != 'W' && power.back() != 'w') return std::nullopt;
  power.remove_suffix(1);
  power = TrimBlanks(power);
  const auto [whole, fraction, point] = SplitDecimal(power);
  if (whole.empty() || !AllDigits(whole) || !AllDigits(fraction) || (point && fraction.empty()))
    return std::nullopt;
  const std::string_view significant = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
  const bool belowTwo = significant.empty() || (significant.size() == 1 && significant[0] < '2');
  return belowTwo ? 0 : 1;
}

}  // namespace

bool IsCommonChannelHeader(const std::vector<std::string>& header) {
  const auto has = [&](std::string_view name) {
    return std::any_of(header.begin(), header.end(),
                       [&](const std::string& h) { return EqualNoCase(TrimBlanks(h), name); });
  };
  return has("Location") && has("Frequency");
}

std::variant<ChannelCsvRow, CsvIssue> CommonChannelRow(const std::vector<std::string>& header,
                                                       const CsvRecord& record) {
  const CommonRecord r(header, record);
  const int line = record.line;
  ChannelCsvRow row;
  row.line = line;
  row.channel = {r.Value("Location"), "Location"};
  const auto cell = [&](ChannelColumn c) -> std::optional<CsvCell>& {
    return row.cells[static_cast<std::size_t>(ColumnIndex(c))];
  };

  const std::string frequency = r.Value("Frequency");
  cell(C::RxFreq) = CsvCell{frequency, "Frequency"};
  if (frequency.empty()) return row;

  bool transmits = true;
  if (const auto duplex = r.Get("Duplex")) {
    const auto shifted = [&](int sign) -> std::variant<CsvCell, CsvIssue> {
      const auto rx = ParseMegahertz(frequency);
      if (!rx) return Refusal(CsvProblem::BadFrequency, line, "Frequency", frequency);
      const std::string offsetText = r.Value("Offset");
      const auto offset = ParseMegahertz(offsetText);
      if (!offset || rx->hz + sign * offset->hz < 0)
        return Refusal(CsvProblem::BadFrequency, line, "Offset", offsetText);
      return CsvCell{TypedFrequencyText(rx->hz + sign * offset->hz), "Offset"};
    };
    std::variant<CsvCell, CsvIssue> tx = CsvCell{frequency, "Duplex"};
    if (duplex->empty()) {
      row.txIsRx = true;
    } else if (*duplex == "+" || *duplex == "-") {
      tx = shifted(*duplex == "+" ? 1 : -1);
    } else if (EqualNoCase(*duplex, "split")) {
      tx = CsvCell{r.Value("Offset"), "Offset"};
      // An empty offset would delete the transmit frequency instead of naming one.
      if (std::get<CsvCell>(tx).text.empty())
        return Refusal(CsvProblem::BadFrequency, line, "Offset", "");
    } else if (EqualNoCase(*duplex, "off")) {
      tx = CsvCell{"", "Duplex"};
      transmits = false;
    } else {
      return Refusal(CsvProblem::BadValue, line, "Duplex", *duplex);
    }
    if (const auto* refused = std::get_if<CsvIssue>(&tx)) return *refused;
    cell(C::TxFreq) = std::get<CsvCell>(tx);
  }

  if (r.Get("Tone")) {
    auto tones = TonesOf(r);
    if (const auto* refused = std::get_if<CsvIssue>(&tones)) return *refused;
    Tones& t = std::get<Tones>(tones);
    cell(C::RxTone) = t.rx;
    // Without a transmit frequency there is nothing to send a tone with.
    cell(C::TxTone) = transmits ? t.tx : CsvCell{"", "Duplex"};
  }

  if (const auto mode = r.Get("Mode")) {
    if (EqualNoCase(*mode, "FM"))
      cell(C::Narrow) = CsvCell{"0", "Mode"};
    else if (EqualNoCase(*mode, "NFM"))
      cell(C::Narrow) = CsvCell{"1", "Mode"};
    else
      return Refusal(CsvProblem::BadMode, line, "Mode", *mode);
  }
  if (const auto power = r.Get("Power")) {
    const auto high = HighPowerOf(*power);
    if (!high) return Refusal(CsvProblem::BadValue, line, "Power", *power);
    cell(C::HighPower) = CsvCell{std::to_string(*high), "Power"};
  }
  if (const auto skip = r.Get("Skip")) {
    if (skip->empty())
      cell(C::Opt5Off) = CsvCell{"0", "Skip"};
    else if (EqualNoCase(*skip, "S"))
      cell(C::Opt5Off) = CsvCell{"1", "Skip"};
    else
      return Refusal(CsvProblem::BadValue, line, "Skip", *skip);
  }
  return row;
}

}  // namespace rondel
