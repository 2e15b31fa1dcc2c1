// SPDX-License-Identifier: GPL-3.0-or-later
// One, four and eight simultaneous writes with verification against virtual radios paced at
// 9600 baud: wall time of each fleet, its ratio to one radio alone, and the CPU the tool used
// per radio. The radios run in a child process so the CPU figures are the tool's alone.
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench/bench_radio.h"
#include "link/fleet.h"
#include "link/transfer.h"
#include "tools/radiosim/virtual_radio.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMostRadios = 8;

// Eight paced radios in a child process; their device paths come back one a line.
struct Radios {
  pid_t pid = -1;
  int control = -1;  // closed by us: the radios stop
  std::vector<std::string> devices;

  bool Start() {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) return false;
    pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      ::close(down[1]);
      ::close(up[0]);
      std::vector<std::unique_ptr<rondel::sim::VirtualRadio>> radios;
      for (int i = 0; i < kMostRadios; ++i) {
        rondel::sim::RadioOptions options;
        options.pace = true;
        radios.push_back(std::make_unique<rondel::sim::VirtualRadio>(options));
        if (!radios.back()->Start()) ::_exit(1);
        const std::string line = radios.back()->DevicePath() + "\n";
        if (::write(up[1], line.data(), line.size()) < 0) ::_exit(1);
      }
      char c;
      while (::read(down[0], &c, 1) == 1) {
      }
      for (auto& r : radios) r->Stop();
      ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    control = down[1];
    for (int i = 0; i < kMostRadios; ++i) {
      std::string line;
      char c;
      while (::read(up[0], &c, 1) == 1 && c != '\n') line += c;
      if (line.empty()) return false;
      devices.push_back(line);
    }
    ::close(up[0]);
    return true;
  }
  ~Radios() {
    if (control >= 0) ::close(control);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
  }
};

struct NoBackups final : rondel::FleetWatcher {
  int good = 0;
  bool KeepBackup(std::size_t, const rondel::TransferShared::Image&) override { return true; }
  void Finished(std::size_t, const rondel::TransferReaction& r, const rondel::CTransferSession&) override {
    if (r.status == static_cast<int>(rondel::TransferStatus::WriteVerified)) ++good;
  }
};

struct Figures {
  double wall = 0;
  double cpu = 0;
  int good = 0;
};

Figures RunFleet(const std::vector<std::string>& devices, const rondel::LinkSettings& settings) {
  rondel::TransferShared::Image image;
  image.fill(0xFF);  // a new document: no read password, like the factory radio
  for (std::size_t a = 0x100; a < 0x300; ++a) image[a] = static_cast<std::uint8_t>(a * 5);
  rondel::CFleet fleet(settings, devices);
  NoBackups watcher;
  const double cpu0 = rondel::bench::CpuSeconds();
  const auto t0 = Clock::now();
  fleet.Start(rondel::TransferDirection::Write, image, {false, true});
  while (fleet.Poll(watcher)) std::this_thread::sleep_for(std::chrono::milliseconds(rondel::kTransferTickMs));
  Figures f;
  f.wall = std::chrono::duration<double>(Clock::now() - t0).count();
  f.cpu = rondel::bench::CpuSeconds() - cpu0;
  f.good = watcher.good;
  return f;
}

}  // namespace

int main() {
  Radios radios;
  if (!radios.Start()) {
    std::fprintf(stderr, "bench_fleet: the virtual radios did not start\n");
    return 1;
  }
  const rondel::bench::RadioSettings settings;
  std::printf("simultaneous writes with verification, virtual radios paced at 9600 baud\n\n");
  std::printf("%7s  %10s  %9s  %13s  %15s\n", "radios", "wall (s)", "vs one", "tool CPU (s)",
              "CPU per radio");
  double one = 0;
  bool ok = true;
  for (const int n : {1, 4, 8}) {
    const std::vector<std::string> devices(radios.devices.begin(), radios.devices.begin() + n);
    const Figures f = RunFleet(devices, settings);
    if (n == 1) one = f.wall;
    ok = ok && f.good == n;
    std::printf("%7d  %10.3f  %8.3fx  %13.3f  %13.3f %%%s\n", n, f.wall, f.wall / one, f.cpu,
                100.0 * f.cpu / f.wall / n, f.good == n ? "" : "  (NOT ALL VERIFIED)");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return ok ? 0 : 1;
}
