// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli new: a new document saved as a data file.
#include <charconv>
#include <ostream>

#include "core/data_file.h"
#include "shell/language.h"
#include "shell/settings.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"output", 'o', "OUT", "IDS_CLI_CMD_NEW_OPT_OUTPUT"},
    {"model", 0, "K", "IDS_CLI_CMD_NEW_OPT_MODEL"},
};

int Run(const Invocation& call) {
  const ParsedLine& line = call.line;
  std::ostream& err = call.err;
  const std::optional<std::string> output = line.Value("output");
  if (!output) return Usage(err, "IDS_CLI_MISSING", "new -o OUT");
  if (!line.operands.empty()) return Usage(err, "IDS_CLI_BADARG", line.operands[0]);
  int k = 0;
  if (const std::optional<std::string> model = line.Value("model")) {
    const std::string& text = *model;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), k);
    if (ec != std::errc() || end != text.data() + text.size() || k < 0 || k >= kMaxModels)
      return Usage(err, "IDS_CLI_BADARG", "--model " + text);
    // A model the list does not hold would give the radio the band code FF FF FF FF.
    if (const int count = ModelCount(call.settings); k >= count) {
      err << "rondel-cli: " << GetLangString("IDS_CLI_NOMODEL") << " " << k << "\n"
          << FillIn(GetLangString("IDS_CLI_MODELCOUNT"), "%d", std::to_string(count)) << "\n"
          << GetLangString("IDS_CLI_TRYHELP") << "\n";
      return kExitUsage;
    }
  }
  CRondelDoc doc;
  doc.Blank();
  doc.SelectModel(k, call.settings);
  return SaveDocument(doc, *output, call.settings, call.out, err);
}

}  // namespace

extern const Command kNewCommand = {"new", "IDS_CLI_CMD_NEW_SUMMARY", "IDS_CLI_CMD_NEW_USAGE",
                                    "IDS_CLI_CMD_NEW_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
