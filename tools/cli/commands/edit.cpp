// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli edit: a data file changed field by field, as the form changes it.
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"
#include "tools/cli/edit_command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"output", 'o', "OUT", "IDS_CLI_CMD_EDIT_OPT_OUTPUT"},
};

int Run(const Invocation& call) {
  const std::optional<std::string> output = call.line.Value("output");
  const std::vector<std::string>& operands = call.line.operands;
  // Standard input has no file to save the change over.
  if (!operands.empty() && operands[0] == kStdStream && !output)
    return RefuseStandardInput(call.err, "IDS_CLI_STDIN_INPLACE", "edit -");
  return CmdEdit(operands, output, call.settings, call.out, call.err);
}

}  // namespace

extern const Command kEditCommand = {"edit", "IDS_CLI_CMD_EDIT_SUMMARY", "IDS_CLI_CMD_EDIT_USAGE",
                                     "IDS_CLI_CMD_EDIT_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
