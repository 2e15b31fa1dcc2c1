// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/diff_command.h"

#include <ostream>

#include "core/rondel_doc.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/image_json.h"

namespace rondel::cli {
namespace {

std::string Shown(const std::string& value) { return value.empty() ? "\"\"" : value; }

const char* PlaceKey(FieldDifference::Place place) {
  switch (place) {
    case FieldDifference::Place::Field: return "field";
    case FieldDifference::Place::Image: return "address";
    case FieldDifference::Place::Header: return "header";
  }
  return "field";
}

}  // namespace

// The arrow is U+2192 in UTF-8.
std::string DifferencesText(const std::vector<FieldDifference>& differences) {
  std::string text;
  for (const FieldDifference& d : differences)
    text += DifferencePlace(d) + " " + Shown(d.a) + " \xE2\x86\x92 " + Shown(d.b) + "\n";
  return text;
}

std::string DifferencesJson(const std::vector<FieldDifference>& differences) {
  std::string out = "{\"format\": 1, \"equal\": ";
  out += differences.empty() ? "true" : "false";
  out += ", \"differences\": [";
  bool first = true;
  for (const FieldDifference& d : differences) {
    out += first ? "\n  {\"" : ",\n  {\"";
    first = false;
    out += PlaceKey(d.place);
    out += "\": ";
    AppendJsonString(out, d.place == FieldDifference::Place::Field ? d.field : DifferenceOffset(d));
    out += ", \"a\": ";
    AppendJsonString(out, d.a);
    out += ", \"b\": ";
    AppendJsonString(out, d.b);
    out += "}";
  }
  out += "]}\n";
  return out;
}

int CmdDiff(const std::vector<std::string>& operands, bool json, const CSettings& settings,
            std::ostream& out, std::ostream& err) {
  if (operands.size() < 2) return Usage(err, "IDS_CLI_MISSING", "diff A.dig B.dig");
  if (operands.size() > 2) return Usage(err, "IDS_CLI_BADARG", operands[2]);
  CRondelDoc a;
  CRondelDoc b;
  for (const auto& [doc, file] : {std::pair<CRondelDoc*, const std::string*>{&a, &operands[0]},
                                  {&b, &operands[1]}})
    if (const int status = StartingDocument(*doc, *file, settings, false, err); status != kExitOk)
      return status;
  const std::vector<FieldDifference> differences = CompareDocuments(a, b);
  out << (json ? DifferencesJson(differences) : DifferencesText(differences));
  out.flush();
  if (!out) {
    FileError(err, "IDS_CLI_NOOUTPUT", "-", {});
    return kExitCantCreate;
  }
  return differences.empty() ? kExitOk : kExitDiffer;
}

}  // namespace rondel::cli
