// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli write: a complete data file into the radio.
#include "tools/cli/cli_main.h"
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

int Run(const Invocation& call) {
  const ParsedLine& line = call.line;
  FleetRequest fleet;
  fleet.reading = false;
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
  request.command = "write";
  request.positional = line.operands;
  request.port = line.Value("port");
  request.device = line.Value("device");
  request.noVerify = line.Has("no-verify");
  request.noBackup = line.Has("no-backup");
  return CmdTransfer(request, call.settings, call.out, call.err);
}

}  // namespace

extern const Command kWriteCommand = {"write", "IDS_CLI_CMD_WRITE_SUMMARY",
                                      "IDS_CLI_CMD_WRITE_USAGE", "IDS_CLI_CMD_WRITE_EXAMPLE",
                                      kOptions, Run};

}  // namespace rondel::cli
