// SPDX-License-Identifier: GPL-3.0-or-later
// The test mode's exchanges against the virtual radio's engine: the entry read of the whole memory, debug
// mode on a radio paced at 9600 baud, write all, byte for byte, with the port each leaves open.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "link/link_rig.h"
#include "link/test_mode.h"

namespace rondel::test {
namespace {

using sim::FaultKind;
using T = TestModeResult;

struct Entry {
  EngineRig rig;
  sim::Memory memory = Pattern<sim::Memory>(0x21);
  RadioImage image = Pattern(0x9A);
  const RadioImage before = image;
  explicit Entry(const Knobs& knobs = {}) : rig(knobs) { rig.radio.SetMemory(memory); }
  bool Holds(std::size_t blocks) const {  // the radio's first blocks, and nothing else of it
    const long cut = static_cast<long>(8 * blocks);
    return std::equal(memory.begin(), memory.begin() + cut, image.begin()) &&
           std::equal(image.begin() + cut, image.end(), before.begin() + cut);
  }
};

// No block is asked for twice; a failure closes the port and keeps the blocks read before it.
TEST(EnterTestMode, ReadsAll128BlocksOrStopsAtTheFirstBadOne) {
  const std::tuple<Knobs, T, std::size_t, std::size_t, std::vector<Bytes>> cases[] = {  // stored, frames, tail
      {{}, T::Done, 128, 5 + 256, {{0x52, 0x03, 0xF0, 0x08}, {0x06}, {0x52, 0x03, 0xF8, 0x08}, {0x06}}},
      {{.silent = true}, T::NoConnection, 0, 10, {kHello}},
      {{.identLength = 7}, T::WrongType, 0, 2, {kHello, {0x02}}},
      {{.passwordLength = 5}, T::ReadFailed, 0, 4, {{0x05}}},
      {{.faults = {{0x000, 1, FaultKind::Short}}}, T::ReadFailed, 0, 6, {{0x05}, {0x06}, {0x52, 0x00, 0x00, 0x08}}},
      {{.faults = {{0x140, 1, FaultKind::WrongAddress}}}, T::ReadFailed, 40, 5 + 80 + 1, {{0x06}, {0x52, 0x01, 0x40, 0x08}}},
      {{.faults = {{0x3F8, 1, FaultKind::Corrupt}}}, T::ReadFailed, 127, 5 + 254 + 1, {{0x06}, {0x52, 0x03, 0xF8, 0x08}}},
  };
  for (const auto& [knobs, result, stored, count, tail] : cases) {
    SCOPED_TRACE(count);
    Entry e(knobs);
    std::size_t blocks = 999;
    EXPECT_EQ(EnterTestMode(e.rig.link, e.rig.settings, e.image, &blocks), result);
    EXPECT_EQ(blocks, stored);
    EXPECT_TRUE(e.Holds(stored));
    EXPECT_EQ(e.rig.link.IsOpen(), result == T::Done) << "open for the test mode";
    const auto frames = e.rig.Settled();
    ASSERT_EQ(frames.size(), count);
    EXPECT_EQ(Last(frames, tail.size()), tail);
    for (std::size_t n = 0; 5 + 2 * n < frames.size() && count > 10; ++n) ASSERT_EQ(frames[5 + 2 * n], ReadFrame(8 * n));
  }
}

TEST(DebugMode, ReadsTheCalibrationBlockWithoutAckSendsItLiveAndLeaves) {
  Entry e({.pace = true});  // the replies trickle in as from a real cable
  const Bytes calibration = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x03, 0x77};
  std::copy(calibration.begin(), calibration.end(), e.memory.begin() + 0x3F0);
  e.rig.radio.SetMemory(e.memory);
  EXPECT_EQ(StartDebugMode(e.rig.link, e.rig.settings, e.image), T::Done);
  RadioImage want = e.before;
  std::copy(calibration.begin(), calibration.end(), want.begin() + 0x3F0);
  EXPECT_EQ(e.image, want);
  LeaveDebugMode(e.rig.link);
  std::vector<Bytes> frames = kHandshake;
  frames.insert(frames.end(), {ReadFrame(0x3F0), Cat({0x67, 0x03, 0xF0, 0x08}, calibration.data(), 8), {0x62}});
  EXPECT_EQ(e.rig.Settled(), frames);
  EXPECT_TRUE(e.rig.link.IsOpen() && !e.rig.radio.InProgrammingMode());
  Entry bad({.faults = {{0x3F0, 1, FaultKind::Corrupt}}});
  EXPECT_EQ(StartDebugMode(bad.rig.link, bad.rig.settings, bad.image), T::ReadFailed);
  EXPECT_TRUE(!bad.rig.link.IsOpen() && bad.Holds(0) && bad.rig.Settled().back() == ReadFrame(0x3F0)) << "no live frame";
}

// No password query; each block answered at once or the write stops, the port left open; no
// block is sent twice and no leave byte follows.
TEST(WriteAllBlocks, WritesTheWholeMemoryOrStopsAtTheFirstRefusal) {
  const std::tuple<Knobs, T, std::size_t, std::size_t, bool> cases[] = {  // blocks kept, blocks sent, open
      {{}, T::Done, 128, 128, false},
      {{.faults = {{0x000, 1, FaultKind::Refuse}}}, T::WriteFailed, 0, 1, true},
      {{.faults = {{0x3F8, 1, FaultKind::Refuse}}}, T::WriteFailed, 127, 128, true},
      {{.identLength = 7}, T::WrongType, 0, 0, false}};
  RadioImage image = Pattern(0x37);
  const Bytes first = {0x57, 0x00, 0x00, 0x08, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
  const Bytes last = {0x57, 0x03, 0xF8, 0x08, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8};
  std::copy(first.begin() + 4, first.end(), image.begin());
  std::copy(last.begin() + 4, last.end(), image.begin() + 0x3F8);
  for (const auto& [knobs, result, kept, sent, open] : cases) {
    SCOPED_TRACE(sent);
    EngineRig rig(knobs);
    const sim::Memory before = rig.radio.GetMemory();
    EXPECT_EQ(WriteAllBlocks(rig.link, rig.settings, image), result);
    EXPECT_EQ(rig.link.IsOpen(), open);
    const sim::Memory after = rig.radio.GetMemory();
    const long cut = static_cast<long>(8 * kept);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + cut, image.begin()));
    EXPECT_TRUE(std::equal(after.begin() + cut, after.end(), before.begin() + cut));
    const auto frames = rig.Settled();
    EXPECT_EQ(frames.size(), (result == T::WrongType ? 2 : 3) + sent);
    EXPECT_EQ(frames.back(), sent == 0 ? frames.back() : sent == 1 ? first : last);
  }
}

// The session runs each exchange on its worker with the frames of the function it names, counts
// the blocks it has done, says so after each of them and once at the end, and hands back the
// result and the image once waited for.
TEST(TestModeSession, RunsEachExchangeOnItsWorkerWithItsOwnFramesAndCountsItsBlocks) {
  Entry e;
  CTestModeSession session(e.rig.link, e.rig.settings);
  RadioImage image = e.image;
  const auto live = [&] { return Cat({0x67, 0x03, 0xF0, 0x08}, e.memory.data() + 0x3F0, 8); };
  const auto withHandshake = [](std::vector<Bytes> tail, bool password) {
    std::vector<Bytes> f(kHandshake.begin(), kHandshake.end() - (password ? 0 : 2));
    f.insert(f.end(), tail.begin(), tail.end());
    return f;
  };
  std::vector<Bytes> entry, writes;
  for (std::size_t a = 0; a < 0x400; a += 8) {
    entry.insert(entry.end(), {ReadFrame(a), {0x06}});
    writes.push_back(Cat({0x57, std::uint8_t(a >> 8), std::uint8_t(a), 0x08}, e.memory.data() + a, 8));
  }
  std::vector<Bytes> leaveThenWrite = withHandshake(writes, false);
  leaveThenWrite.insert(leaveThenWrite.begin(), Bytes{0x62});
  const std::tuple<TestModeExchange, std::vector<Bytes>, bool> cases[] = {  // frames, port left open
      {TestModeExchange::Entry, withHandshake(entry, true), true},
      {TestModeExchange::Live, {live()}, true},
      {TestModeExchange::Leave, {{0x62}}, true},
      {TestModeExchange::StartDebug, withHandshake({ReadFrame(0x3F0), live()}, true), true},
      {TestModeExchange::LeaveThenWriteAll, leaveThenWrite, false},
      {TestModeExchange::WriteAll, withHandshake(writes, false), false},
  };
  std::size_t heard = 0;
  for (const auto& [exchange, frames, open] : cases) {
    SCOPED_TRACE(static_cast<int>(exchange));
    std::atomic<std::size_t> words{0};
    ASSERT_TRUE(session.Start(exchange, image, [&words] { ++words; }));
    EXPECT_FALSE(session.Start(exchange, image, {})) << "one exchange at a time";
    session.Wait();
    EXPECT_TRUE(session.Finished());
    EXPECT_EQ(session.Result(), T::Done);
    EXPECT_EQ(session.BlocksDone(), BlocksOf(exchange));
    EXPECT_EQ(words.load(), BlocksOf(exchange) + 1);
    EXPECT_EQ(e.rig.link.IsOpen(), open);
    const auto all = e.rig.Settled();
    EXPECT_EQ(std::vector<Bytes>(all.begin() + static_cast<long>(heard), all.end()), frames);
    heard = all.size();
    image = session.Image();  // the radio's memory from the entry read on
    if (exchange == TestModeExchange::Entry) {
      EXPECT_EQ(session.BlocksStored(), 128u);
      EXPECT_TRUE(std::equal(e.memory.begin(), e.memory.end(), image.begin()));
    }
  }
}

}  // namespace
}  // namespace rondel::test
