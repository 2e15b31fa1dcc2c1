// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli export: a data file's channels as a CSV list.
#include "tools/cli/channel_list_cli.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"output", 'o', "OUT.csv", "IDS_CLI_CMD_EXPORT_OPT_OUTPUT"},
};

int Run(const Invocation& call) { return CmdExport(ChannelListOf(call), call.out, call.err); }

}  // namespace

extern const Command kExportCommand = {"export", "IDS_CLI_CMD_EXPORT_SUMMARY",
                                       "IDS_CLI_CMD_EXPORT_USAGE", "IDS_CLI_CMD_EXPORT_EXAMPLE",
                                       kOptions, Run};

}  // namespace rondel::cli
