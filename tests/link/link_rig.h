// What the link tests share: settings held in a table, a raw pseudo-terminal whose far end the
// test works by hand, and a virtual radio wired to a link, with ways to wait on what it saw.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include "link/link_settings.h"
#include "link/serial_link.h"
#include "link/transfer.h"
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
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s);

inline std::string MissingPort(int n) { return "/nonexistent/rondel-test-port" + std::to_string(n); }

// Ports without an entry name a path that cannot exist, so no test touches a real cable. The
// ports saved are read only once the worker that saves them has been joined.
struct TableSettings final : LinkSettings {
  std::string word = "PELTPGM", testPassword;
  bool search = false, password = true;
  int com = 1;
  std::map<int, std::string> ports;
  mutable std::vector<int> saved;

  std::string Communication() const override { return word; }
  bool SearchEnabled() const override { return search; }
  int Com() const override { return com; }
  bool WriteCom(int port) const override { return saved.push_back(port), true; }
  bool PasswordEnabled() const override { return password; }
  std::string TestPassword() const override { return testPassword; }
  std::string PortDevice(int n) const override {
    return ports.contains(n) ? ports.at(n) : MissingPort(n);
  }
};

// A pseudo-terminal whose far end the test works by hand; our own hold on the terminal keeps it
// alive while the link under test opens and closes it.
struct PtyPair {
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  void Send(const Bytes& bytes) const;
  // Up to `count` bytes the link has written, until none has come for `idle`.
  Bytes Received(std::chrono::milliseconds idle = 1s, std::size_t count = 1) const;
  // Bytes in the terminal's input queue, not yet read by the link.
  int Waiting() const { return ::ioctl(hold, FIONREAD, &m_waiting) == 0 ? m_waiting : -1; }
  void HangUp() { (master >= 0 ? ::close(master) : 0), master = -1; }
  int master = -1, hold = -1;
  std::string path;
  mutable int m_waiting = 0;
};

// The virtual radio's knobs, each with its default, so a case names only those it turns.
struct Knobs {
  bool pace = false, silent = false, wrongHelloAnswer = false;
  int identLength = 8, passwordLength = 6;
  std::vector<sim::BlockFault> faults = {};
  bool noByteAfterAck = false;
  int hangUpAfterBlock = 0;
  Bytes noise = {};
  operator sim::RadioOptions() const;
};

// A radio, settings whose COM1 is that radio, and a link that maps ports through them.
struct RadioRig {
  explicit RadioRig(const Knobs& knobs = {});
  // Every frame the tool has sent, once the radio has taken all of them in (a marker byte is
  // sent behind them and waited for), or up to the hang-up of a radio that hung up. For use
  // once the tool has stopped sending.
  std::vector<Bytes> Settled();
  sim::VirtualRadio radio;
  TableSettings settings;
  CSerialLink link;
  std::size_t markers = 0;
};

// The dialog's tick, every 5 ms, until a final reaction.
struct SessionRun {
  TransferReaction last;
  std::vector<TransferReaction> ticks;
};
SessionRun RunSession(CTransferSession& session);

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
