// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli read: the radio's memory into a data file.
#include "tools/cli/command.h"
#include "tools/cli/fleet_command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"output", 'o', "OUT", "IDS_CLI_CMD_READ_OPT_OUTPUT"},
    {"from", 0, "FILE", "IDS_CLI_CMD_READ_OPT_FROM"},
    {"password", 0, "TEXT", "IDS_CLI_CMD_READ_OPT_PASSWORD", false, true},
    {"port", 0, "N", "IDS_CLI_OPT_PORT", true},
    {"device", 0, "PATH", "IDS_CLI_OPT_DEVICE", true},
    {"all", 0, nullptr, "IDS_CLI_OPT_ALL"},
    {"no-backup", 0, nullptr, "IDS_CLI_OPT_NOBACKUP"},
};

int Run(const Invocation& call) { return RunReadOrWrite(true, call); }

}  // namespace

extern const Command kReadCommand = {"read", "IDS_CLI_CMD_READ_SUMMARY", "IDS_CLI_CMD_READ_USAGE",
                                     "IDS_CLI_CMD_READ_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
