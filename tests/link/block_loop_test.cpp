// SPDX-License-Identifier: GPL-3.0-or-later
// The block loop's policies as a table, on the radio's engine: sends per block, a garbled reply
// passed over or ending the loop, the ACK or none, the answer's time-out, cancel before a send,
// and a progress call for every block done.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link/block_loop.h"
#include "link/link_rig.h"
#include "link/radio_handshake.h"
#include "link/test_mode.h"
#include "link/transfer.h"

namespace rondel::test {
namespace {

using sim::FaultKind;
using E = BlockLoopEnd;

// "R108" for a read request, "W108" for a write block, "A" for an ACK; after the handshake.
std::string Line(const Frames& frames) {
  std::string out;
  for (const auto& f : frames) {
    char text[16] = "?";
    if (f.kind == sim::FrameKind::ReadBlock || f.kind == sim::FrameKind::WriteBlock)
      std::snprintf(text, sizeof text, "%c%X", f.kind == sim::FrameKind::ReadBlock ? 'R' : 'W', f.bytes[1] * 256 + f.bytes[2]);
    else if (f.kind == sim::FrameKind::Ack)
      text[0] = 'A';
    out += (out.empty() ? "" : " ") + std::string(text);
  }
  return out;
}

TEST(BlockLoop, FollowsItsPolicy) {
  const BlockLoopPolicy once{1, 500, false, true}, thrice{3, 500, true, true}, noAck{1, 500, false, false};
  const BlockLoopPolicy thriceEnding{3, 500, false, true}, writeOnce{1, 50, false, false}, writeThrice{3, 100, false, false};
  struct Case {
    const char* name;
    bool write;
    BlockLoopPolicy policy;
    std::vector<sim::BlockFault> faults;
    std::size_t cancelAfter;  // frames of the loop the radio has taken when cancel turns true; 0: never
    E end;
    std::string frames;
    std::vector<std::size_t> progress, passedOver;
    long long minMs;  // on the link's clock
  };
  const Case cases[] = {
      {"read, all good", false, once, {}, 0, E::Done, "R100 A R108 A R110 A", {1, 2, 3}, {}, 0},
      {"read without ACK", false, noAck, {}, 0, E::Done, "R100 R108 R110", {1, 2, 3}, {}, 0},
      {"read once: a short reply ends it", false, once, {{0x108, 1, FaultKind::Short}}, 0, E::Short, "R100 A R108", {1}, {}, 500},
      {"read once: a garbled reply ends it", false, once, {{0x108, 1, FaultKind::Corrupt}}, 0, E::Garbled, "R100 A R108", {1}, {}, 0},
      {"read thrice: the third reply is good", false, thrice, {{0x108, 2, FaultKind::Short}}, 0, E::Done,
       "R100 A R108 R108 R108 A R110 A", {1, 2, 3}, {}, 1000},
      {"read thrice: garbled thrice is passed over", false, thrice, {{0x108, 3, FaultKind::WrongAddress}}, 0, E::Done,
       "R100 A R108 R108 R108 R110 A", {1, 3}, {0x108}, 0},
      {"read thrice: garbled thrice ends it", false, thriceEnding, {{0x108, 3, FaultKind::Corrupt}}, 0, E::Garbled,
       "R100 A R108 R108 R108", {1}, {}, 0},
      {"read thrice: short after garbled ends it", false, thrice,
       {{0x108, 2, FaultKind::Corrupt}, {0x108, 3, FaultKind::Short}}, 0, E::Short, "R100 A R108 R108 R108", {1}, {}, 500},
      {"read: cancel before the second send", false, thrice, {{0x108, 3, FaultKind::Short}}, 3, E::Cancelled,
       "R100 A R108", {1}, {}, 500},
      {"write once, all acknowledged", true, writeOnce, {}, 0, E::Done, "W100 W108 W110", {1, 2, 3}, {}, 0},
      {"write once: a refusal ends it", true, writeOnce, {{0x108, 1, FaultKind::Refuse}}, 0, E::Short, "W100 W108", {1}, {}, 0},
      {"write thrice: the third is taken", true, writeThrice, {{0x100, 2, FaultKind::Refuse}}, 0, E::Done,
       "W100 W100 W100 W108 W110", {1, 2, 3}, {}, 0},
      {"write: cancel before the next block", true, writeThrice, {}, 2, E::Cancelled, "W100 W108", {1, 2}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig({.faults = c.faults});
    const sim::Memory memory = Pattern<sim::Memory>(0x42);
    rig.radio.SetMemory(memory);
    HandshakeReporter quiet;
    ASSERT_EQ(ConnectRadio(rig.link, rig.settings, quiet), HandshakeResult::Connected);
    rig.radio.ClearFrames();
    RadioImage image = Pattern(0x17);
    const RadioImage before = image;
    std::vector<std::size_t> progress;
    BlockLoopHooks hooks;
    hooks.progress = [&](std::size_t n) { progress.push_back(n); };
    if (c.cancelAfter > 0) hooks.cancelled = [&] { return rig.radio.Frames().size() >= c.cancelAfter; };
    const auto start = rig.link.Now();
    const BlockLoopResult r = c.write ? WriteBlocks(rig.link, {0x100, 3}, c.policy, image, hooks)
                                      : ReadBlocks(rig.link, {0x100, 3}, c.policy, image, hooks);
    EXPECT_GE(rig.MsSince(start), c.minMs);
    EXPECT_EQ(r.end, c.end);
    EXPECT_EQ(Line(rig.radio.Frames()), c.frames);
    EXPECT_EQ(progress, c.progress);
    EXPECT_EQ(r.handled, c.progress.empty() ? 0 : c.end == E::Done ? 3 : c.progress.back());
    EXPECT_EQ(r.passedOver, c.passedOver);
    // A read stores exactly the blocks it reported; a write leaves its image alone.
    for (std::size_t a = 0x100; a < 0x118 && !c.write; a += 8) {
      const bool stored = std::ranges::count(c.progress, (a - 0x100) / 8 + 1) > 0;
      EXPECT_TRUE(std::equal(image.begin() + long(a), image.begin() + long(a + 8), (stored ? memory.begin() : before.begin()) + long(a))) << a;
    }
    if (c.write) {
      EXPECT_EQ(image, before);
    }
  }
}

// The callers' policies are those the protocol gives each of them.
TEST(BlockLoop, EachCallerHasItsPolicy) {
  const std::tuple<BlockLoopPolicy, int, unsigned, bool, bool> policies[] = {
      {kTransferReadPolicy, 3, 500, true, true},
      {kTransferWritePolicy, 3, 100, false, false},
      {kTestModeReadPolicy, 1, 500, false, true},
      {kTestModeWritePolicy, 1, 50, false, false},
  };
  for (const auto& [p, sends, answerMs, passOver, ack] : policies) {
    EXPECT_EQ(p.sendsPerBlock, sends);
    EXPECT_EQ(p.answerMs, answerMs);
    EXPECT_EQ(p.passOverGarbled, passOver);
    EXPECT_EQ(p.acknowledge, ack);
  }
}

}  // namespace
}  // namespace rondel::test
