// The test mode's exchanges against the virtual radio: the entry read of the whole memory, debug
// mode on a radio paced at 9600 baud, write all, byte for byte, with the port each leaves open.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/link_rig.h"
#include "link/test_mode.h"

namespace rondel::test {
namespace {

using sim::FaultKind;
using T = TestModeResult;

struct Entry {
  RadioRig rig;
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
  struct Case {
    const char* name;
    Knobs radio;
    T result;
    std::size_t stored, frames;
    std::vector<Bytes> tail;
  };
  const Case cases[] = {
      {"all good", {}, T::Done, 128, 5 + 256, {{0x52, 0x03, 0xF0, 0x08}, {0x06}, {0x52, 0x03, 0xF8, 0x08}, {0x06}}},
      {"silent", {.silent = true}, T::NoConnection, 0, 10, {kHello}},
      {"identification 7 bytes", {.identLength = 7}, T::WrongType, 0, 2, {kHello, {0x02}}},
      {"password reply 5 bytes", {.passwordLength = 5}, T::ReadFailed, 0, 4, {{0x05}}},
      {"short reply at the first block", {.faults = {{0x000, 1, FaultKind::Short}}}, T::ReadFailed, 0, 6,
       {{0x05}, {0x06}, {0x52, 0x00, 0x00, 0x08}}},
      {"foreign reply at block 40", {.faults = {{0x140, 1, FaultKind::WrongAddress}}}, T::ReadFailed, 40,
       5 + 80 + 1, {{0x06}, {0x52, 0x01, 0x40, 0x08}}},
      {"corrupt reply at the last block", {.faults = {{0x3F8, 1, FaultKind::Corrupt}}}, T::ReadFailed, 127,
       5 + 254 + 1, {{0x06}, {0x52, 0x03, 0xF8, 0x08}}},
      {"line drops after block 10", {.hangUpAfterBlock = 10}, T::ReadFailed, 10, 5 + 18 + 1,
       {{0x06}, {0x52, 0x00, 0x48, 0x08}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Entry e(c.radio);
    std::size_t stored = 999;
    EXPECT_EQ(EnterTestMode(e.rig.link, e.rig.settings, e.image, &stored), c.result);
    EXPECT_EQ(stored, c.stored);
    EXPECT_TRUE(e.Holds(c.stored));
    EXPECT_EQ(e.rig.link.IsOpen(), c.result == T::Done) << "open for the test mode";
    const auto frames = e.rig.Settled();
    ASSERT_EQ(frames.size(), c.frames);
    EXPECT_EQ(std::vector<Bytes>(frames.end() - static_cast<long>(c.tail.size()), frames.end()), c.tail);
    for (std::size_t n = 0; 5 + 2 * n < frames.size() && c.frames > 10; ++n)
      ASSERT_EQ(frames[5 + 2 * n], ReadFrame(8 * n)) << n;
  }
  Entry e;  // a port left open by an earlier exchange is used without opening it again
  ASSERT_TRUE(e.rig.link.Open(1, 9600));
  e.rig.settings.ports.clear();
  EXPECT_EQ(EnterTestMode(e.rig.link, e.rig.settings, e.image), T::Done);
  EXPECT_TRUE(e.Holds(128) && e.rig.link.IsOpen() && e.rig.radio.InProgrammingMode());
}

TEST(DebugMode, ReadsTheCalibrationBlockWithoutAckSendsItLiveAndLeaves) {
  Entry e({.pace = true});  // the replies trickle in as from a real cable
  const Bytes calibration = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x03, 0x77};
  std::copy(calibration.begin(), calibration.end(), e.memory.begin() + 0x3F0);
  e.rig.radio.SetMemory(e.memory);
  EXPECT_EQ(StartDebugMode(e.rig.link, e.rig.settings, e.image), T::Done);
  EXPECT_TRUE(e.rig.link.IsOpen());
  RadioImage want = e.before;
  std::copy(calibration.begin(), calibration.end(), want.begin() + 0x3F0);
  EXPECT_EQ(e.image, want);
  LeaveDebugMode(e.rig.link);
  std::vector<Bytes> frames = kHandshake;
  frames.insert(frames.end(), {{0x52, 0x03, 0xF0, 0x08}, Cat({0x67, 0x03, 0xF0, 0x08}, calibration.data(), 8), {0x62}});
  EXPECT_EQ(e.rig.Settled(), frames);
  EXPECT_FALSE(e.rig.radio.InProgrammingMode());
  EXPECT_TRUE(e.rig.link.IsOpen());

  for (const FaultKind fault : {FaultKind::Short, FaultKind::Corrupt}) {
    Entry bad({.faults = {{0x3F0, 1, fault}}});
    EXPECT_EQ(StartDebugMode(bad.rig.link, bad.rig.settings, bad.image), T::ReadFailed);
    EXPECT_FALSE(bad.rig.link.IsOpen());
    EXPECT_TRUE(bad.Holds(0));
    EXPECT_EQ(bad.rig.Settled().back(), (Bytes{0x52, 0x03, 0xF0, 0x08})) << "no live frame";
  }
}

// No password query; each block answered at once or the write stops, the port left open; no
// block is sent twice and no leave byte follows.
TEST(WriteAllBlocks, WritesTheWholeMemoryOrStopsAtTheFirstRefusal) {
  struct Case {
    Knobs radio;
    T result;
    std::size_t written, sent;  // blocks the radio holds afterwards, blocks sent
    bool open;
  };
  const Case cases[] = {{{}, T::Done, 128, 128, false},
                        {{.faults = {{0x000, 1, FaultKind::Refuse}}}, T::WriteFailed, 0, 1, true},
                        {{.faults = {{0x3F8, 1, FaultKind::Refuse}}}, T::WriteFailed, 127, 128, true},
                        {{.identLength = 7}, T::WrongType, 0, 0, false}};
  RadioImage image = Pattern(0x37);
  const Bytes first = {0x57, 0x00, 0x00, 0x08, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
  const Bytes last = {0x57, 0x03, 0xF8, 0x08, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8};
  std::copy(first.begin() + 4, first.end(), image.begin());
  std::copy(last.begin() + 4, last.end(), image.begin() + 0x3F8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    RadioRig rig(c.radio);
    const sim::Memory before = rig.radio.GetMemory();
    EXPECT_EQ(WriteAllBlocks(rig.link, rig.settings, image), c.result);
    EXPECT_EQ(rig.link.IsOpen(), c.open);
    const sim::Memory after = rig.radio.GetMemory();
    const long cut = static_cast<long>(8 * c.written);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + cut, image.begin()));
    EXPECT_TRUE(std::equal(after.begin() + cut, after.end(), before.begin() + cut));
    std::vector<Bytes> want = {kHello, {0x02}};
    if (c.result != T::WrongType) want.push_back({0x06});
    for (std::size_t n = 0; n < c.sent; ++n)
      want.push_back(n == 0 ? first : n == 127 ? last : Cat({0x57, std::uint8_t(n >> 5), std::uint8_t(8 * n), 0x08}, image.data() + 8 * n, 8));
    EXPECT_EQ(rig.Settled(), want);
  }
}

}  // namespace
}  // namespace rondel::test
