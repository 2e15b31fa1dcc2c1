// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as what the radio sends through a serial port without device or waits. Each exchange
// ends in one of its results, the port as that result leaves it, every block asked for once and
// in order, and the image holding exactly the blocks the radio named.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <span>
#include <vector>

#include "core/image_layout.h"
#include "link/radio_handshake.h"
#include "link/test_mode.h"
#include "tests/fuzz/fuzz_file.h"

// The handshake's settle pause sleeps for real; nobody is on this line to wait for.
extern "C" int nanosleep(const timespec*, timespec*) { return 0; }

namespace rondel {
namespace {
namespace P = protocol;
using Bytes = std::vector<std::uint8_t>;
using H = HandshakeResult;
using R = TestModeResult;

// Five input bytes choose the exchange, the port search, the configured port, the ports that
// exist and the question a cancel answers. The rest is the radio: after each frame of the tool
// its answer goes on the line, a length byte (low six bits) and that many bytes; 0xFF hangs up.
struct Radio {
  std::span<const std::uint8_t> head, in;
  std::deque<std::uint8_t> line;
  std::vector<Bytes> sent;                  // the frames of the tool
  std::map<int, std::vector<Bytes>> reads;  // what reads of more than a byte got, by size
  std::vector<std::size_t> asked;           // the addresses of the read requests
  std::vector<int> saved, opened;  // ports written to the settings; opened by the search
  std::vector<HandshakeFailure> failures;
  int questions = 0;  // whether to cancel
  bool Exists(int port) const { return port > 0 && port < 256 && (port + head[3]) % 16 == 0; }
} g;

struct Settings final : LinkSettings, HandshakeReporter {
  std::string Communication() const override { return "PELTPGM"; }
  bool SearchEnabled() const override { return (g.head[1] & 1) != 0; }
  int Com() const override { return g.head[2]; }
  bool WriteCom(int port) const override { return g.saved.push_back(port), true; }
  bool PasswordEnabled() const override { return true; }
  std::string TestPassword() const override { return {}; }
  std::string PortDevice(int) const override { return {}; }
  void SearchOpenedPort(int port) override { g.opened.push_back(port); }
  void Failed(HandshakeFailure failure) override { g.failures.push_back(failure); }
  bool Cancelled() const override { return g.head[4] > 0 && ++g.questions >= g.head[4]; }
  bool Pause(int) override { return !Cancelled(); }
};

}  // namespace

CSerialLink::CSerialLink() = default;
CSerialLink::~CSerialLink() = default;
bool CSerialLink::Open(int port, int) {
  if (IsOpen() || !g.Exists(port)) return false;
  g.line.clear();
  return m_fd = port, true;
}
void CSerialLink::Close() { m_fd = -1, m_gone = false; }
bool CSerialLink::IsOpen() const { return m_fd >= 0; }
int CSerialLink::Write(const void* data, int count, int) {
  if (!IsOpen()) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const Bytes& f = g.sent.emplace_back(bytes, bytes + count);
  if (f.size() == P::kRequestSize && f[0] == P::kReadCommand) g.asked.push_back(f[1] * 256u + f[2]);
  if (m_gone || g.in.empty()) return m_gone ? 0 : count;
  m_gone = g.in[0] == 0xFF;
  const std::size_t n = m_gone ? 0 : std::min<std::size_t>(g.in[0] & 63, g.in.size() - 1);
  const auto answer = g.in.subspan(1, n);
  g.line.insert(g.line.end(), answer.begin(), answer.end());
  g.in = g.in.subspan(1 + answer.size());
  return m_gone ? 0 : count;
}
int CSerialLink::WriteByte(std::uint8_t value, int delayMs) { return Write(&value, 1, delayMs); }
int CSerialLink::Read(void* buffer, int count, int) {
  const long n = IsOpen() && !m_gone ? std::min<long>(count, static_cast<long>(g.line.size())) : 0;
  std::copy_n(g.line.begin(), n, static_cast<std::uint8_t*>(buffer));
  if (IsOpen() && count > 1) g.reads[count].emplace_back(g.line.begin(), g.line.begin() + n);
  g.line.erase(g.line.begin(), g.line.begin() + n);
  return static_cast<int>(n);
}
int CSerialLink::ReadByte(unsigned) {
  std::uint8_t byte = 0;
  return Read(&byte, 1, 0) == 1 ? byte : -1;
}

static void Handshake(CSerialLink& link) {
  Settings settings;
  const H result = ConnectRadio(link, settings, settings);
  const std::size_t got = g.reads[P::kIdentSize].empty() ? 0 : g.reads[P::kIdentSize].back().size();
  Require((result == H::Connected) == (got == P::kIdentSize));
  Require((result == H::WrongType) == (got > 0 && got < P::kIdentSize));
  Require((result == H::Cancelled) == (g.head[4] > 0 && g.questions >= g.head[4]));
  using F = std::vector<HandshakeFailure>;
  using enum HandshakeFailure;
  const F failed{result == H::WrongType ? WrongType : NoConnection};
  Require(g.failures == (result == H::Connected || result == H::Cancelled ? F{} : failed));
  if (result != H::Connected) return Require(g.saved.empty());
  // A port the search found is saved, the configured one is not.
  Require(link.IsOpen() && g.saved == (g.opened.empty() ? g.opened : std::vector{g.opened.back()}));
  const auto password = QueryPassword(link, settings);
  const auto& reply = g.reads[layout::kReadPasswordSize];
  Require(reply.size() == 1 && g.failures == (password ? F{} : F{ReadFailure}));
  Require(!password || std::ranges::equal(*password, reply[0]));
}

static void Blocks(CSerialLink& link, int exchange) {
  RadioImage image, before;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = before[i] = std::uint8_t(i * 7);
  const auto at = [](std::size_t n) { return static_cast<long>(n * P::kBlockSize); };
  const auto& replies = g.reads[P::kDataFrameSize];
  // A whole reply naming block a, then its data at a; IsGoodReply itself is under test.
  const auto stored = [&](const Bytes& r, std::size_t a) {
    return r.size() == P::kDataFrameSize && r[0] == P::kDataHeader && r[1] * 256u + r[2] == a &&
           std::equal(r.begin() + 4, r.end(), image.begin() + static_cast<long>(a));
  };
  if (exchange == 1) {
    std::size_t blocks = 0;
    const R result = EnterTestMode(link, Settings(), image, &blocks);
    Require((result == R::Done) == (blocks == kTestModeBlocks) && blocks <= kTestModeBlocks);
    Require(link.IsOpen() == (result == R::Done) && result != R::WriteFailed);
    Require(g.asked.size() == blocks + (result == R::ReadFailed && g.asked.size() > blocks));
    for (std::size_t n = 0; n < g.asked.size(); ++n)
      Require(g.asked[n] == n * P::kBlockSize && (n >= blocks || stored(replies[n], g.asked[n])));
    Require(replies.size() == g.asked.size());
    Require(std::equal(image.begin() + at(blocks), image.end(), before.begin() + at(blocks)));
  } else if (exchange == 2) {
    const R result = StartDebugMode(link, Settings(), image);
    Require(link.IsOpen() == (result == R::Done));
    if (result == R::Done) {
      const Bytes& reply = replies.back();
      Require(g.asked.size() == 1 && stored(reply, layout::kPowerCalibration));
      const std::span<const std::uint8_t, P::kBlockSize> data(reply.data() + 4, P::kBlockSize);
      Require(std::ranges::equal(P::LiveCalibrationFrame(data), g.sent.back()));
      std::copy(reply.begin() + 4, reply.end(), before.begin() + layout::kPowerCalibration);
    }
    Require(image == before);
  } else {
    const R result = WriteAllBlocks(link, Settings(), image);
    std::size_t n = 0;
    for (const Bytes& f : g.sent)
      if (f.size() == P::kDataFrameSize)
        Require(std::ranges::equal(f, WriteBlockFrame(image, n++ * P::kBlockSize)));
    Require(n <= kTestModeBlocks && (result != R::Done || n == kTestModeBlocks));
    Require(link.IsOpen() == (result == R::WriteFailed));
  }
}

}  // namespace rondel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rondel;
  if (size < 5) return 0;
  g = Radio{.head = {data, 5}, .in = {data + 5, size - 5}};
  CSerialLink link;
  data[0] % 4 == 0 ? Handshake(link) : Blocks(link, data[0] % 4);
  return 0;
}
