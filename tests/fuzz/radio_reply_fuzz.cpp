// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as what the radio sends, through a byte link of the harness's own, without device
// or waits. Each exchange ends in one of its results, the port as that result leaves it, every
// block asked for in order (once in the test mode, up to three times in the transfer), and the
// image holding exactly the blocks the radio named.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <span>
#include <vector>

#include "core/image_layout.h"
#include "link/block_loop.h"
#include "link/byte_link.h"
#include "link/radio_handshake.h"
#include "link/test_mode.h"
#include "link/transfer.h"
#include "tests/fuzz/fuzz_file.h"

// The handshake's settle pause sleeps for real; nobody is on this line to wait for.
extern "C" int nanosleep(const timespec*, timespec*) { return 0; }

namespace rondel {
namespace {
namespace P = protocol;
using Bytes = std::vector<std::uint8_t>;
using H = HandshakeResult;
using R = TestModeResult;

// Five input bytes choose the exchange (the first, modulo 6), the port search, the configured port, the ports that
// exist and the question a cancel answers. The rest is the radio: after each frame of the tool
// its answer goes on the line, a length byte (low six bits) and that many bytes; 0xFF hangs up.
struct Radio {
  std::span<const std::uint8_t> head, in;
  std::deque<std::uint8_t> line;
  std::vector<Bytes> sent;                  // the frames of the tool
  std::map<int, std::vector<Bytes>> reads;  // what reads of more than a byte got, by size
  std::vector<int> bytes;                   // what each read of one byte got
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

// The radio's end of the line is the input; a closed or hung-up line takes and gives nothing.
class FuzzLink final : public ByteLink {
 public:
  bool Open(int port, int) override {
    if (IsOpen() || !g.Exists(port)) return false;
    g.line.clear();
    return m_port = port, true;
  }
  bool OpenDevice(const std::string&, int) override { return false; }
  void Close() override { m_port = -1, m_gone = false; }
  bool IsOpen() const override { return m_port >= 0; }
  int Write(const void* data, int count, int) override {
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
  int Read(void* buffer, int count, int) override {
    const long n = IsOpen() && !m_gone ? std::min<long>(count, static_cast<long>(g.line.size())) : 0;
    std::copy_n(g.line.begin(), n, static_cast<std::uint8_t*>(buffer));
    if (IsOpen() && count > 1) g.reads[count].emplace_back(g.line.begin(), g.line.begin() + n);
    g.line.erase(g.line.begin(), g.line.begin() + n);
    return static_cast<int>(n);
  }
  int ReadByte(unsigned timeoutMs) override { return g.bytes.emplace_back(ByteLink::ReadByte(timeoutMs)); }

 private:
  int m_port = -1;
  bool m_gone = false;
};

}  // namespace

static void Handshake(ByteLink& link) {
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

static void Blocks(ByteLink& link, int exchange) {
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

// The transfer's block loop after a handshake: each block sent until the radio answers it well,
// at most three times; a read passes over a block garbled three times and ends at a short reply.
static void TransferBlocks(ByteLink& link, bool write) {
  Settings settings;
  if (ConnectRadio(link, settings, settings) != H::Connected) return;
  RadioImage image, before;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = before[i] = std::uint8_t(i * 5 + 1);
  std::vector<std::size_t> progress;
  const BlockLoopHooks hooks{[&settings] { return settings.Cancelled(); },
                             [&progress](std::size_t n) { progress.push_back(n); }};
  const std::size_t sentBefore = g.sent.size(), bytesBefore = g.bytes.size();
  const BlockLoopResult r =
      write ? WriteBlocks(link, {0, kTransferBlocks}, kTransferWritePolicy, image, hooks)
            : ReadBlocks(link, {0, kTransferBlocks}, kTransferReadPolicy, image, hooks);
  Require(r.handled <= kTransferBlocks && (r.end != BlockLoopEnd::Done || r.handled == kTransferBlocks));
  // The sends grouped by block: addresses 0, 8, ... each 1 to 3 times, a block's last answer
  // deciding it; only the last group may end the loop.
  std::vector<std::size_t> good, passed;
  std::size_t n = 0;
  const std::size_t sends = write ? g.sent.size() - sentBefore : g.asked.size();
  const auto& replies = g.reads[P::kDataFrameSize];
  Require(write ? g.bytes.size() - bytesBefore == sends : replies.size() == sends);
  bool ended = false;
  for (std::size_t i = 0; i < sends; ++n) {
    Require(!ended && n < kTransferBlocks);
    const std::size_t a = n * P::kBlockSize;
    int times = 0;
    bool ok = false;
    std::size_t lastSize = 0;
    for (; i < sends && !ok && times < P::kSendsPerBlock; ++i, ++times) {
      if (write) {
        Require(std::ranges::equal(g.sent[sentBefore + i], WriteBlockFrame(image, a)));
        // Each write block is followed by the one byte that answers it.
        ok = g.bytes[bytesBefore + i] == P::kAck;
      } else {
        Require(g.asked[i] == a);
        ok = P::IsGoodReply(replies[i], a);
        lastSize = replies[i].size();
        if (ok) Require(std::equal(replies[i].begin() + 4, replies[i].end(), image.begin() + static_cast<long>(a)));
      }
    }
    if (ok) {
      good.push_back(n + 1);
    } else if (!write && times == P::kSendsPerBlock && lastSize == P::kDataFrameSize) {
      passed.push_back(a);
    } else {
      ended = true;
      Require(r.end == (times == P::kSendsPerBlock ? BlockLoopEnd::Short : BlockLoopEnd::Cancelled));
      Require(r.handled == n);
    }
  }
  if (!ended) Require(r.handled == n && (r.end == BlockLoopEnd::Done) == (n == kTransferBlocks));
  Require(progress == good && r.passedOver == passed);
  // A read stores exactly the blocks it reported good; a write leaves its image alone.
  for (std::size_t b = 0; b < kTransferBlocks && !write; ++b) {
    const long at = static_cast<long>(b * P::kBlockSize);
    if (std::ranges::count(good, b + 1) == 0)
      Require(std::equal(image.begin() + at, image.begin() + at + 8, before.begin() + at));
  }
  Require(!write || image == before);
  Require(std::equal(image.begin() + layout::kTransferEnd, image.end(), before.begin() + layout::kTransferEnd));
}

}  // namespace rondel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rondel;
  if (size < 5) return 0;
  g = Radio{.head = {data, 5}, .in = {data + 5, size - 5}};
  FuzzLink link;
  const int exchange = data[0] % 6;
  if (exchange == 0) Handshake(link);
  else if (exchange <= 3) Blocks(link, exchange);
  else TransferBlocks(link, exchange == 5);
  return 0;
}
