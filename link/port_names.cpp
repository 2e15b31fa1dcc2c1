// SPDX-License-Identifier: GPL-3.0-or-later
// The device a COM number stands for when the settings name none.
#include <string>

#include "link/link_settings.h"

namespace rondel {

std::string DefaultPortDevice(int n) {
  if (n < kFirstComPort || n > kLastComPort) return {};
  return "/dev/ttyUSB" + std::to_string(n - 1);
}

}  // namespace rondel
