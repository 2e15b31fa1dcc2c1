// SPDX-License-Identifier: GPL-3.0-or-later
// What the user is told about a port: the line that follows a "the radio does not answer"
// message (which port the exchange began on, and the device behind it), and, when no port
// opened at all, why not (not allowed, no such device, held by another program) and what to do.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_settings.h"
#include "link/serial_devices.h"
#include "link/byte_link.h"

namespace rondel {

// Where an exchange begins: the port left open by an earlier one (its device only), or the
// configured COM port (0: none known) and the device the settings map it to.
struct PortTried {
  int com = 0;
  std::string device;
  bool searched = false;  // the port search went on to COM1..COM255
};

// The port the next exchange on `link` begins with: the open one, else [setup] "com".
PortTried PortToBeTried(bool linkOpen, const std::string& openDevice, const LinkSettings& settings);

// "COM2 (/dev/ttyS4)", or the device alone when no COM number is known.
std::string DescribePort(const PortTried& port);

// "IDS_ERROR_PORTTRIED" (or "IDS_ERROR_PORTSEARCHED" after a search) with "%s" replaced by
// DescribePort; `lang` turns a key into its text.
std::string PortTriedText(const PortTried& port,
                          const std::function<std::string(std::string_view)>& lang);

using LangLookup = std::function<std::string(std::string_view)>;

// The account's side of a refused permission. The system's by default; tests give their own.
struct AccountFacts {
  std::function<std::vector<unsigned>()> processGroups;  // the groups this process runs in
  std::function<std::optional<unsigned>(const std::string& path)> deviceGroup;  // owning group
  std::function<std::string(unsigned gid)> groupName;   // empty when unknown
  // The group database lists the account in the group (perhaps since after this login).
  std::function<bool(unsigned gid)> accountInGroup;
};
AccountFacts SystemAccount();

// Everything a message looks at besides the failure itself.
struct PortSystem {
  SystemRoots roots;
  AccountFacts account = SystemAccount();
  long selfPid = 0;  // this process, left out of the holders; 0: getpid()
};

struct PortHolder {
  long pid = 0;
  std::string name;  // the program's name as /proc tells it
};
// The processes that have `device` open, by their /proc/<pid>/fd links (those that cannot be
// read are passed over), in the order of their numbers.
std::vector<PortHolder> PortHolders(const std::string& device, const std::string& procRoot,
                                    long selfPid);

// Where the text is shown: the desktop program points at its menu, rondel-cli at its options.
enum class PortAudience { Desktop, CommandLine };

// Why `error.device` did not open, and what to do about it.
std::string PortOpenText(const PortOpenError& error, const PortSystem& system,
                         PortAudience audience, const LangLookup& lang);

// After a handshake that found no radio: the open failure when no port opened at all, which
// is then the whole message; nothing when a port opened and the radio stayed silent on it.
std::optional<std::string> NoPortOpenedText(const OpenRecord& record, const PortSystem& system,
                                            PortAudience audience, const LangLookup& lang);

// Why a port offered in a dialog cannot be used now, found without opening it (stat, access
// and /proc); nothing when it can.
std::optional<std::string> PortUnusableText(const std::string& device, const PortSystem& system,
                                            const LangLookup& lang);

}  // namespace rondel
