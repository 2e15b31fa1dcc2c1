// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli read and write with several radios at once (--device and --port repeated, --all),
// and the dealer's loop (write --each): one progress line per radio, a summary table, and the
// exit status of the worst result.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace rondel {
class CSettings;
}

namespace rondel::cli {

struct Invocation;

struct FleetRequest {
  bool reading = false;
  std::vector<std::string> positional;  // write: FILE
  std::optional<std::string> output;    // read: the folder
  std::optional<std::string> from;      // read
  std::optional<std::string> password;  // read
  std::vector<std::string> ports;
  std::vector<std::string> devices;
  bool all = false;   // every USB serial adapter present
  bool each = false;  // write: the dealer's loop
  bool noVerify = false;
  bool noBackup = false;
};

// Whether the line asks for more than one radio, or for the dealer's loop: one --port or one
// --device (or none) is the single transfer of CmdTransfer.
bool WantsFleet(const FleetRequest& request);

// How bad a radio's exit status is, for the exit status of several: a run stopped by the user
// (130) first, then radios left written wrongly (14) or partly (7), then radios left as they
// were: for this machine's reason (73, a backup or file not kept) before the radio's (5, 12,
// 2, 1); 0 last.
int ExitSeverity(int status);
int WorstExit(const std::vector<int>& statuses);

int CmdFleet(const FleetRequest& request, const CSettings& settings, std::ostream& out,
             std::ostream& err);

// The read and write commands: the line's radios and options to the single transfer of
// CmdTransfer, or to CmdFleet when it names several radios or the dealer's loop.
int RunReadOrWrite(bool reading, const Invocation& call);

}  // namespace rondel::cli
