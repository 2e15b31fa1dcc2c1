// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli backups: the backups of what was read from radios, newest first.
#include "tools/cli/backups_command.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"json", 0, nullptr, "IDS_CLI_CMD_BACKUPS_OPT_JSON"},
};

int Run(const Invocation& call) {
  return CmdBackups(call.line.operands, call.line.Has("json"), call.settings, call.out, call.err);
}

}  // namespace

extern const Command kBackupsCommand = {"backups", "IDS_CLI_CMD_BACKUPS_SUMMARY",
                                        "IDS_CLI_CMD_BACKUPS_USAGE", "IDS_CLI_CMD_BACKUPS_EXAMPLE",
                                        kOptions, Run};

}  // namespace rondel::cli
