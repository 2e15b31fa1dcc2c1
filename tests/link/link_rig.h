// What the link tests share: settings held in memory with a COM-port table, a raw
// pseudo-terminal pair for the serial-port tests, and a virtual radio wired to a link.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_settings.h"
#include "link/serial_link.h"
#include "link/transfer.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Settings as a table. Ports without an entry name a path that cannot exist, so no test ever
// touches a real cable on the machine it runs on.
class TableSettings final : public LinkSettings {
 public:
  std::string word = "PELTPGM";
  bool search = false;
  int com = 1;
  bool password = true;
  std::string testPassword;
  std::map<int, std::string> ports;

  std::string Communication() const override { return word; }
  bool SearchEnabled() const override { return search; }
  int Com() const override { return com; }
  bool WriteCom(int port) const override;
  bool PasswordEnabled() const override { return password; }
  std::string TestPassword() const override { return testPassword; }
  std::string PortDevice(int n) const override;

  std::vector<int> ComWrites() const;

 private:
  mutable std::mutex m_mutex;
  mutable std::vector<int> m_comWrites;
};

std::string MissingPort(int n);

// A pseudo-terminal whose far end the test works by hand; our own hold on the terminal keeps
// it alive while the link under test opens and closes it.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;
  bool ok() const { return m_master >= 0 && m_hold >= 0; }
  const std::string& path() const { return m_path; }
  int master() const { return m_master; }
  int hold() const { return m_hold; }  // an fd of the terminal side
  void Send(const std::vector<std::uint8_t>& bytes) const;
  // What the link has written so far (waits up to `wait` for the first byte).
  std::vector<std::uint8_t> Received(std::chrono::milliseconds wait = 50ms) const;
  // Closes the far end: the line hangs up.
  void HangUp();

 private:
  int m_master = -1;
  int m_hold = -1;
  std::string m_path;
};

// A radio, settings whose COM1 is that radio, and a link that maps ports through them.
struct RadioRig {
  explicit RadioRig(sim::RadioOptions options = {});
  sim::VirtualRadio radio;
  TableSettings settings;
  CSerialLink link;
};

// The tick of the dialog, every 5 ms so short statuses are seen, until a final reaction.
struct SessionRun {
  TransferReaction last;
  std::vector<TransferReaction> ticks;
  std::chrono::milliseconds elapsed{0};
  bool finished = false;
};
SessionRun RunSession(CTransferSession& session, std::chrono::milliseconds limit = 15s);

// Frames of the given kinds only, in order.
std::vector<sim::ReceivedFrame> FramesOf(const std::vector<sim::ReceivedFrame>& frames,
                                         std::initializer_list<sim::FrameKind> kinds);
std::vector<sim::FrameKind> Kinds(const std::vector<sim::ReceivedFrame>& frames);
std::string Describe(const std::vector<sim::ReceivedFrame>& frames, std::size_t max = 40);

// Reproducible byte patterns.
sim::Memory PatternMemory(std::uint8_t seed);
CTransferSession::Image PatternImage(std::uint8_t seed);

}  // namespace rondel::test
