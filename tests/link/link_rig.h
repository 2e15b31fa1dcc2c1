// SPDX-License-Identifier: GPL-3.0-or-later
// What the link tests share: settings held in a table, a pseudo-terminal whose far end the test
// works by hand, and a virtual radio wired to a link, with ways to wait on what it saw: its
// protocol engine straight behind an in-process link, or the whole radio behind a pty.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <map>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "link/link_settings.h"
#include "link/serial_link.h"
#include "link/transfer.h"
#include "tools/radiosim/engine_link.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<sim::ReceivedFrame>;

inline long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}
// Polls `done` every millisecond until it holds or `limit` passes.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
  for (const auto end = Clock::now() + limit; !done(); std::this_thread::sleep_for(1ms))
    if (Clock::now() >= end) return false;
  return true;
}
inline std::string MissingPort(int n) { return "/nonexistent/rondel-test-port" + std::to_string(n); }

// Ports without an entry name a path that cannot exist, so no test touches a real cable. The
// ports saved are read only once the worker that saves them has been joined.
struct TableSettings final : LinkSettings {
  std::string word = "PELTPGM", testPassword;
  bool search = false, password = true;
  int com = 1;
  std::map<int, std::string> ports;
  std::vector<int> unnamed;  // ports of `ports` that count as not named in [ports]
  mutable std::vector<int> saved;

  std::string Communication() const override { return word; }
  bool SearchEnabled() const override { return search; }
  int Com() const override { return com; }
  bool WriteCom(int port) const override { return saved.push_back(port), true; }
  bool PasswordEnabled() const override { return password; }
  std::string TestPassword() const override { return testPassword; }
  std::string PortDevice(int n) const override { return ports.contains(n) ? ports.at(n) : MissingPort(n); }
  bool PortNamed(int n) const override { return std::ranges::find(unnamed, n) == unnamed.end(); }
};

// Our own hold on the terminal keeps it alive while the link under test opens and closes it. It is
// left cooked: the link must make it raw.
struct PtyPair {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC), hold = -1;
  std::string path;
  PtyPair() {
    char name[128];
    if (master < 0 || ::grantpt(master) || ::unlockpt(master) || ::ptsname_r(master, name, sizeof name)) return;
    path = name;
    hold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
  }
  PtyPair(const PtyPair&) = delete;
  ~PtyPair() { HangUp(), hold >= 0 ? ::close(hold) : 0; }
  void HangUp() { (master >= 0 ? ::close(master) : 0), master = -1; }
  int Waiting() const { int n = -1; return ::ioctl(hold, FIONREAD, &n), n; }  // not yet read by the link
  void Send(const Bytes& bytes) const {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (errno != EINTR && errno != EAGAIN) return;
    }
  }
  // Up to `count` bytes the link has written, until none has come for `idle`.
  Bytes Received(std::chrono::milliseconds idle = 1s, std::size_t count = 1) const {
    Bytes out;
    std::uint8_t buf[4096];
    for (pollfd p{master, POLLIN, 0}; out.size() < count && ::poll(&p, 1, static_cast<int>(idle.count())) > 0;) {
      const ssize_t n = ::read(master, buf, std::min(sizeof buf, count - out.size()));
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }
};

// The virtual radio's knobs, each with its default, so a case names only those it turns.
struct Knobs {
  bool pace = false, silent = false, wrongHelloAnswer = false;
  int identLength = 8, passwordLength = 6;
  std::vector<sim::BlockFault> faults = {};
  bool noByteAfterAck = false;
  int hangUpAfterBlock = 0;
  Bytes noise = {};
  bool ackOnly = false;
  std::vector<std::size_t> dropWrites = {};
  int restartMs = 0;
  operator sim::RadioOptions() const {
    return {"PELTPGM", pace, silent, wrongHelloAnswer, identLength, passwordLength, faults, noByteAfterAck,
            hangUpAfterBlock, noise, ackOnly, dropWrites, restartMs};
  }
};

// The device of the in-process rig's radio.
inline const std::string kEngineDevice = "engine:radio";

// A radio's protocol engine, settings whose COM1 is that radio, and an in-process link that
// maps ports through them: the protocol without a pty, a thread or a wait the radio cannot cut
// short. Times are on the link's clock.
struct EngineRig {
  sim::RadioEngine radio;
  TableSettings settings;
  sim::EngineLink link{[this](int n) { return settings.PortDevice(n); }};
  explicit EngineRig(const Knobs& knobs = {}) : radio(knobs) {
    settings.ports[1] = kEngineDevice;
    link.Attach(kEngineDevice, radio);
  }
  long long MsSince(Clock::time_point start) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(link.Now() - start).count();
  }
  // Every frame the tool has sent.
  std::vector<Bytes> Settled() {
    link.Settle();
    std::vector<Bytes> frames;
    for (sim::ReceivedFrame f : radio.Frames()) frames.push_back(std::move(f.bytes));
    return frames;
  }
};

// A virtual radio on a pty, settings whose COM1 is that radio, and a serial link that maps
// ports through them: the whole way, end to end.
struct RadioRig {
  sim::VirtualRadio radio;
  TableSettings settings;
  CSerialLink link;
  std::size_t markers = 0;
  explicit RadioRig(const Knobs& knobs = {}) : radio(knobs) {
    if (!radio.Start()) ADD_FAILURE() << "the virtual radio did not start: " << radio.error();
    settings.ports[1] = radio.DevicePath();
    link.SetPortResolver([this](int n) { return settings.PortDevice(n); });
  }
  // Every frame the tool has sent, once the radio has taken all of them in (a marker byte is sent
  // behind them and waited for), or up to the hang-up of a radio that hung up.
  std::vector<Bytes> Settled() {
    static constexpr std::uint8_t kMarker = 0xEE;  // no frame of the protocol begins with it
    auto seen = [](const Frames& frames) {
      std::size_t n = 0;
      for (const auto& f : frames)
        if (f.kind == sim::FrameKind::Unknown) n += static_cast<std::size_t>(std::ranges::count(f.bytes, kMarker));
      return n;
    };
    const bool wasOpen = link.IsOpen();
    if (wasOpen || link.OpenDevice(radio.DevicePath(), 9600)) {
      link.WriteByte(kMarker, 0);
      if (!wasOpen) link.Close();
      const std::size_t sent = ++markers;
      EXPECT_TRUE(radio.WaitForFrames([&](const Frames& f) { return seen(f) == sent; }, 10s));
    } else {  // the line is gone
      EXPECT_TRUE(radio.WaitForFrames([&](const Frames&) { return radio.HungUp(); }, 10s));
    }
    std::vector<Bytes> frames;
    for (sim::ReceivedFrame f : radio.Frames()) {
      if (f.kind == sim::FrameKind::Unknown) std::erase(f.bytes, kMarker);
      if (!f.bytes.empty()) frames.push_back(std::move(f.bytes));
    }
    return frames;
  }
};

// The dialog's tick, every 5 ms, until a final reaction.
struct SessionRun {
  TransferReaction last;
  std::vector<TransferReaction> ticks;
};
// `between` runs after every tick that was not final.
inline SessionRun RunSession(CTransferSession& session, const std::function<void()>& between = {}) {
  SessionRun run;
  for (const auto start = Clock::now(); Clock::now() - start < 20s; std::this_thread::sleep_for(5ms)) {
    run.ticks.push_back(run.last = session.Poll());
    if (run.last.final) break;
    if (between) between();
  }
  EXPECT_TRUE(run.last.final);
  return run;
}

inline const Bytes kHello = {0x02, 0x50, 0x45, 0x4C, 0x54, 0x50, 0x47, 0x4D};
// Hello, identification request, its ACK, password query, its ACK.
inline const std::vector<Bytes> kHandshake = {kHello, {0x02}, {0x06}, {0x05}, {0x06}};
inline Bytes ReadFrame(std::size_t a) { return {0x52, std::uint8_t(a >> 8), std::uint8_t(a), 0x08}; }
inline Bytes Cat(Bytes head, const std::uint8_t* data, std::size_t n) { return head.insert(head.end(), data, data + n), head; }
inline std::size_t Count(const Frames& frames, sim::FrameKind kind) {
  return static_cast<std::size_t>(std::ranges::count(frames, kind, &sim::ReceivedFrame::kind));
}
inline std::vector<Bytes> Last(const std::vector<Bytes>& frames, std::size_t n) {
  return {frames.end() - static_cast<long>(std::min(n, frames.size())), frames.end()};
}
template <class Array = CTransferSession::Image>
Array Pattern(std::uint8_t seed) {
  Array a;
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(seed ^ (i * 13 + (i >> 5)));
  return a;
}

}  // namespace rondel::test
