// SPDX-License-Identifier: GPL-3.0-or-later
// What the radio link reads from (and writes to) the settings file. The link layer sits below
// the shell, so it sees the settings only through this interface; the shell's CSettings
// implements it, tests implement it with a table.
#pragma once

#include <string>

namespace rondel {

inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 255;

// The device of COM port n when the settings file names none: /dev/ttyUSB<n-1>, where Linux
// puts the USB programming cables. Empty for numbers outside 1..255.
std::string DefaultPortDevice(int n);

class LinkSettings {
 public:
  virtual ~LinkSettings() = default;
  virtual std::string Communication() const = 0;  // [setup] "communication", the handshake word
  virtual bool SearchEnabled() const = 0;         // [setup] "searchcom" does not start with "0"
  virtual int Com() const = 0;                    // [setup] "com", default 1
  virtual bool WriteCom(int port) const = 0;      // "com" as decimal text
  virtual bool PasswordEnabled() const = 0;       // [setup] "password" starts with "1"
  virtual std::string TestPassword() const = 0;   // [setup] "testpw", at most 19 characters
  virtual std::string PortDevice(int n) const = 0;  // [ports] "com<n>", else DefaultPortDevice
  // [ports] has "com<n>": the user named the device. Settings that cannot tell count every
  // port as named, so the port search passes none over.
  virtual bool PortNamed(int) const { return true; }
};

}  // namespace rondel
