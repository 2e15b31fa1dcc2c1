// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli help [COMMAND]: the program's help, or one command's.
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

int Run(const Invocation& call) {
  const std::vector<std::string>& operands = call.line.operands;
  if (operands.size() > 1) return Usage(call.err, "IDS_CLI_BADARG", operands[1]);
  if (operands.empty()) {
    PrintProgramHelp(call.out);
    return kExitOk;
  }
  const Command* about = FindCommand(operands[0]);
  if (!about) return Usage(call.err, "IDS_CLI_BADARG", operands[0]);
  PrintCommandHelp(*about, call.out);
  return kExitOk;
}

}  // namespace

extern const Command kHelpCommand = {"help", "IDS_CLI_CMD_HELP_SUMMARY", "IDS_CLI_CMD_HELP_USAGE",
                                     "IDS_CLI_CMD_HELP_EXAMPLE", {}, Run};

}  // namespace rondel::cli
