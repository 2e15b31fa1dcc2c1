// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer against the virtual radio: one full read and one full write, retried blocks at
// both ends, then the faults users meet, as tables, on the radio's engine; cancel at several
// moments end to end, on a pty, where Close has real waits to cut short.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/link_rig.h"
#include "link/transfer.h"

namespace rondel::test {
namespace {

using sim::FaultKind;
using sim::FrameKind;
using D = TransferDirection;
using Image = CTransferSession::Image;

// The radio's memory, and a document image that differs from it everywhere but in the read
// password, so the password check passes.
struct Doc {
  sim::Memory memory = Pattern<sim::Memory>(0x11);
  Image image = Pattern(0x5C);
  Doc() { std::copy_n(memory.begin() + 0x3B0, 6, image.begin() + 0x3B0); }
};

TEST(TransferRead, CopiesTheRadioRetryingOrPassingOverBadBlocks) {
  EngineRig rig({.faults = {{0x000, 2, FaultKind::Short}, {0x008, 1, FaultKind::WrongAddress},
                           {0x3E8, 3, FaultKind::Corrupt}}});
  rig.settings.com = 3;  // missing: the search finds the radio on COM1 and saves it
  rig.settings.search = true;
  Doc s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(D::Read, s.image));
  EXPECT_FALSE(session.Start(D::Read, s.image)) << "one transfer at a time";
  const TransferReaction last = RunSession(session).last;
  EXPECT_EQ(last.status * 100 + last.portPane, 600) << "the status bar names the port until it is saved";
  EXPECT_EQ(rig.settings.saved, std::vector<int>{1});
  EXPECT_FALSE(rig.link.IsOpen() || session.IsRunning());
  // The last block, three times not naming itself, is passed over and keeps the document's bytes.
  const Image& got = session.image();
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 0x3E8, s.memory.begin()));
  EXPECT_TRUE(std::equal(got.begin() + 0x3E8, got.end(), s.image.begin() + 0x3E8));
  EXPECT_EQ(session.PassedOverBlocks(), std::vector<std::size_t>{0x3E8});
  std::vector<Bytes> want = kHandshake;
  want.insert(want.end(), 3, {0x52, 0x00, 0x00, 0x08});
  want.insert(want.end(), {{0x06}, {0x52, 0x00, 0x08, 0x08}, {0x52, 0x00, 0x08, 0x08}, {0x06}});
  for (std::size_t a = 0x010; a < 0x3E8; a += 8) want.insert(want.end(), {ReadFrame(a), {0x06}});
  want.insert(want.end(), 3, {0x52, 0x03, 0xE8, 0x08});
  EXPECT_EQ(rig.Settled(), want) << "nothing follows a read";
}

TEST(TransferWrite, WritesTheImageRetryingRefusedBlocksThenLeavesASecondLater) {
  EngineRig rig({.faults = {{0x000, 2, FaultKind::Refuse}, {0x3E8, 2, FaultKind::Refuse}}});
  const sim::Memory before = Pattern<sim::Memory>(0x33);
  rig.radio.SetMemory(before);
  Image image = Pattern(0x77);
  const Bytes first = {0x57, 0x00, 0x00, 0x08, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
  const Bytes last = {0x57, 0x03, 0xE8, 0x08, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8};
  std::copy(first.begin() + 4, first.end(), image.begin());
  std::copy(last.begin() + 4, last.end(), image.begin() + 0x3E8);
  CTransferSession session(rig.link, rig.settings);
  const auto start = rig.link.Now();
  ASSERT_TRUE(session.Start(D::Write, image));
  const SessionRun run = RunSession(session);
  EXPECT_GE(rig.MsSince(start), 1000) << "the radio is given a second to store the last block";
  EXPECT_EQ(run.last.status, 9);
  EXPECT_FALSE(rig.link.IsOpen());
  EXPECT_EQ(run.ticks[run.ticks.size() - 2].percent, 100) << "while the radio is given its second";
  EXPECT_STREQ(run.ticks[run.ticks.size() - 2].key, "IDS_PROMPT_WRITE");
  std::vector<Bytes> want = {kHello, {0x02}, {0x06}, first, first, first};
  for (std::size_t a = 0x008; a < 0x3E8; a += 8)
    want.push_back(Cat({0x57, std::uint8_t(a >> 8), std::uint8_t(a), 0x08}, image.data() + a, 8));
  want.insert(want.end(), {last, last, last, {0x62}});
  EXPECT_EQ(rig.Settled(), want);
  EXPECT_FALSE(rig.radio.InProgrammingMode());
  const sim::Memory after = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + 0x3F0, image.begin()) &&
              std::equal(after.begin() + 0x3F0, after.end(), before.begin() + 0x3F0)) << "0x3F0 on is the test mode's";
}

TEST(Transfer, FailsAndTellsWhy) {
  const std::vector<Bytes> failedAtTheEnd = {{0x06}, ReadFrame(0x3E8), ReadFrame(0x3E8), ReadFrame(0x3E8)};
  const Bytes w000 = Cat({0x57, 0x00, 0x00, 0x08}, Pattern(0x5C).data(), 8);
  struct Case {
    const char* name;
    Knobs radio;
    std::size_t passwordByte;  // of the document, changed; 0: none
    D direction;
    int status;
    std::size_t frames, written;  // all the frames the radio took; blocks a write left in it
    std::vector<Bytes> tail;      // the last frames
  };
  const Case cases[] = {
      {"silent radio", {.silent = true}, 0, D::Read, 1, 10, 0, {kHello}},
      {"identification 1 byte", {.identLength = 1}, 0, D::Write, 2, 2, 0, {kHello, {0x02}}},
      {"password reply 5 bytes", {.passwordLength = 5}, 0, D::Read, 5, 4, 0, {{0x05}}},
      {"password's first byte differs", {}, 0x3B0, D::Read, 12, 5, 0, kHandshake},
      {"password's last byte differs", {}, 0x3B5, D::Read, 12, 5, 0, kHandshake},
      {"short reply thrice at the first block", {.faults = {{0x000, 3, FaultKind::Short}}}, 0, D::Read, 5, 8, 0,
       {{0x06}, ReadFrame(0), ReadFrame(0), ReadFrame(0)}},
      {"short reply four times at the last block", {.faults = {{0x3E8, 4, FaultKind::Short}}}, 0, D::Read, 5,
       5 + 2 * 125 + 3, 0, failedAtTheEnd},
      {"refused thrice at the first block", {.faults = {{0x000, 3, FaultKind::Refuse}}}, 0, D::Write, 7, 6, 0,
       {{0x06}, w000, w000, w000}},
      {"refused four times at the last block", {.faults = {{0x3E8, 4, FaultKind::Refuse}}}, 0, D::Write, 7,
       3 + 125 + 3, 125, {}},
      {"line drops after block 40", {.hangUpAfterBlock = 40}, 0, D::Read, 5, 5 + 39 * 2 + 1, 0,
       {{0x06}, ReadFrame(0x138)}},
      {"line drops after block 10", {.hangUpAfterBlock = 10}, 0, D::Write, 7, 3 + 10, 10, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig(c.radio);
    Doc s;
    rig.radio.SetMemory(s.memory);
    if (c.passwordByte > 0) s.image[c.passwordByte] ^= 0x80;
    CTransferSession session(rig.link, rig.settings);
    // The tool is held at the last send of the last block, and the tick looked at meanwhile.
    const bool failsAtTheEnd = c.tail == failedAtTheEnd;
    int percentAtTheEnd = failsAtTheEnd ? -1 : 99;
    if (failsAtTheEnd) rig.link.HoldWhen([](const Frames& f) { return Count(f, FrameKind::ReadBlock) == 128; });
    ASSERT_TRUE(session.Start(c.direction, s.image));
    const SessionRun run = RunSession(session, [&] {
      if (rig.link.Held()) percentAtTheEnd = session.Poll().percent, rig.link.Release();
    });
    EXPECT_EQ(run.last.status, c.status);  // what each status shows is the tick's rule
    EXPECT_FALSE(run.last.handOverImage || run.last.sendLeaveByte || rig.link.IsOpen());
    const auto frames = rig.Settled();
    EXPECT_EQ(frames.size(), c.frames);
    EXPECT_EQ(Last(frames, c.tail.size()), c.tail);
    // A write leaves the blocks it wrote in the radio, and no leave byte.
    const sim::Memory after = rig.radio.GetMemory();
    const std::size_t cut = c.direction == D::Write ? 8 * c.written : 0;
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + cut, s.image.begin()) &&
                std::equal(after.begin() + cut, after.end(), s.memory.begin() + cut));
    // The bar rests at 99% (block 125) while the last block is tried.
    EXPECT_EQ(percentAtTheEnd, 99);
    EXPECT_FALSE(rig.link.Held());
  }
}

// Cancel at several moments: no status follows, no time-out, attempt or pause is waited out,
// the port is closed, nothing more goes on the line, and a write never gets its leave byte.
TEST(TransferCancel, StopsAtEachMoment) {
  struct Moment {
    const char* name;
    Knobs radio;
    D direction;
    std::function<bool(const Frames&, const TransferReaction&)> when;
    Bytes lastFrame;  // its first bytes
  };
  const Moment moments[] = {
      {"hello attempts", {.silent = true}, D::Read, [](auto& f, auto&) { return Count(f, FrameKind::Hello) > 0; }, {0x02}},
      // The search has opened COM1 again: one dot, and the status bar names the port.
      {"port search", {.silent = true}, D::Read,
       [](auto&, auto& t) { return t.show == TransferShow::Search && t.dots == 1 && t.portPane == 1; }, {0x02}},
      {"block time-out", {.faults = {{0x050, 1000, FaultKind::Short}}}, D::Read,
       [](auto& f, auto&) { return Count(f, FrameKind::ReadBlock) > 10; }, ReadFrame(0x050)},
      {"writing", {}, D::Write, [](auto& f, auto&) { return Count(f, FrameKind::WriteBlock) >= 10; }, {0x57}},
      {"pause before the leave byte", {}, D::Write,
       [](auto&, auto& t) { return t.show == TransferShow::Progress && t.percent == 100; }, {0x57}},
  };
  for (const Moment& m : moments) {
    SCOPED_TRACE(m.name);
    RadioRig rig(m.radio);
    rig.settings.search = true;
    rig.settings.password = false;
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(m.direction, Pattern(5)));
    ASSERT_TRUE(WaitFor([&] {
      const TransferReaction tick = session.Poll();
      return !tick.final && m.when(rig.radio.Frames(), tick);
    }));
    const auto cancelling = Clock::now();
    session.Cancel();
    EXPECT_LT(MsSince(cancelling), 1000);
    EXPECT_EQ(session.Poll().next, TransferNext::Idle);
    EXPECT_FALSE(rig.link.IsOpen());
    const auto frames = rig.Settled();
    EXPECT_EQ(Bytes(frames.back().begin(), frames.back().begin() + static_cast<long>(m.lastFrame.size())), m.lastFrame);
    EXPECT_EQ(rig.radio.InProgrammingMode(), !m.radio.silent);
  }
}

}  // namespace
}  // namespace rondel::test
