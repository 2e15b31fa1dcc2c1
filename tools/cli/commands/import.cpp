// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli import: a CSV channel list into a data file.
#include "tools/cli/channel_list_cli.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"output", 'o', "OUT", "IDS_CLI_CMD_IMPORT_OPT_OUTPUT"},
};

int Run(const Invocation& call) {
  const std::vector<std::string>& operands = call.line.operands;
  if (operands.size() == 2 && operands[0] == kStdStream) {
    if (operands[1] == kStdStream)
      return RefuseStandardInput(call.err, "IDS_CLI_STDIN_TWICE", "import - -");
    // Standard input has no file to save the import over.
    if (!call.line.Has("output"))
      return RefuseStandardInput(call.err, "IDS_CLI_STDIN_INPLACE", "import -");
  }
  return CmdImport(ChannelListOf(call), call.out, call.err);
}

}  // namespace

extern const Command kImportCommand = {"import", "IDS_CLI_CMD_IMPORT_SUMMARY",
                                       "IDS_CLI_CMD_IMPORT_USAGE", "IDS_CLI_CMD_IMPORT_EXAMPLE",
                                       kOptions, Run};

}  // namespace rondel::cli
