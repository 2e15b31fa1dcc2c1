// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli diff: what differs between two data files, field by field.
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"
#include "tools/cli/diff_command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"json", 0, nullptr, "IDS_CLI_CMD_DIFF_OPT_JSON"},
};

int Run(const Invocation& call) {
  const std::vector<std::string>& operands = call.line.operands;
  if (operands.size() == 2 && operands[0] == kStdStream && operands[1] == kStdStream)
    return RefuseStandardInput(call.err, "IDS_CLI_STDIN_TWICE", "diff - -");
  return CmdDiff(operands, call.line.Has("json"), call.settings, call.out, call.err);
}

}  // namespace

extern const Command kDiffCommand = {"diff", "IDS_CLI_CMD_DIFF_SUMMARY", "IDS_CLI_CMD_DIFF_USAGE",
                                     "IDS_CLI_CMD_DIFF_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
