// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli read: the radio's memory into a data file.
#include "tools/cli/cli_main.h"
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

int Run(const Invocation& call) {
  const ParsedLine& line = call.line;
  FleetRequest fleet;
  fleet.reading = true;
  fleet.positional = line.operands;
  fleet.ports = line.Values("port");
  fleet.devices = line.Values("device");
  fleet.all = line.Has("all");
  fleet.each = line.Has("each");
  fleet.noBackup = line.Has("no-backup");
  fleet.noVerify = line.Has("no-verify");
  fleet.output = line.Value("output");
  fleet.from = line.Value("from");
  fleet.password = line.Value("password");
  if (WantsFleet(fleet)) return CmdFleet(fleet, call.settings, call.out, call.err);
  TransferRequest request;
  request.command = "read";
  request.positional = line.operands;
  request.output = line.Value("output");
  request.from = line.Value("from");
  request.password = line.Value("password");
  request.port = line.Value("port");
  request.device = line.Value("device");
  request.noBackup = line.Has("no-backup");
  return CmdTransfer(request, call.settings, call.out, call.err);
}

}  // namespace

extern const Command kReadCommand = {"read", "IDS_CLI_CMD_READ_SUMMARY", "IDS_CLI_CMD_READ_USAGE",
                                     "IDS_CLI_CMD_READ_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
