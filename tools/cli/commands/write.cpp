// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli write: a complete data file into the radio.
#include "tools/cli/command.h"
#include "tools/cli/fleet_command.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"no-verify", 0, nullptr, "IDS_CLI_CMD_WRITE_OPT_NOVERIFY"},
    {"port", 0, "N", "IDS_CLI_OPT_PORT", true},
    {"device", 0, "PATH", "IDS_CLI_OPT_DEVICE", true},
    {"all", 0, nullptr, "IDS_CLI_OPT_ALL"},
    {"each", 0, nullptr, "IDS_CLI_CMD_WRITE_OPT_EACH"},
    {"no-backup", 0, nullptr, "IDS_CLI_OPT_NOBACKUP"},
};

int Run(const Invocation& call) { return RunReadOrWrite(false, call); }

}  // namespace

extern const Command kWriteCommand = {"write", "IDS_CLI_CMD_WRITE_SUMMARY",
                                      "IDS_CLI_CMD_WRITE_USAGE", "IDS_CLI_CMD_WRITE_EXAMPLE",
                                      kOptions, Run};

}  // namespace rondel::cli
