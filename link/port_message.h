// The line that follows a "the radio does not answer" message: which port the exchange began
// on and the device behind it ([ports] mapping included), so the user checks the right cable.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "link/link_settings.h"

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

}  // namespace rondel
