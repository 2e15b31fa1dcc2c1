// SPDX-License-Identifier: GPL-3.0-or-later
// What the radio benchmarks share: settings for a virtual radio on one device (no search, the
// shipped handshake word) and the CPU time the process has used.
#pragma once

#include <string>
#include <sys/resource.h>

#include "link/link_settings.h"

namespace rondel::bench {

class RadioSettings final : public LinkSettings {
 public:
  // `device`: COM1's; empty: no COM port has one (the fleet names its devices itself).
  explicit RadioSettings(std::string device = {}) : m_device(std::move(device)) {}
  std::string Communication() const override { return "PELTPGM"; }
  bool SearchEnabled() const override { return false; }
  int Com() const override { return 1; }
  bool WriteCom(int) const override { return true; }
  bool PasswordEnabled() const override { return true; }
  std::string TestPassword() const override { return {}; }
  std::string PortDevice(int n) const override { return n == 1 ? m_device : std::string(); }

 private:
  std::string m_device;
};

// User and system time of this process, in seconds.
inline double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace rondel::bench
