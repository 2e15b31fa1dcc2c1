// SPDX-License-Identifier: GPL-3.0-or-later
// The safety nets of a transfer against radios that lie: a read that got nothing is no read, a
// write first reads the radio for its backup and reads back what it wrote, frame by frame
// nothing but the exchanges a read and a write always were (on the radio's engine), and Cancel
// in each phase (end to end, on a pty).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "link/link_rig.h"
#include "link/transfer.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using D = TransferDirection;
using Image = CTransferSession::Image;

// The frames the radio took in, one letter each: Hello, Ident request, Ack, Password query,
// Read, Write, Leave, anything else "?".
std::string Kinds(const Frames& frames) {
  std::string out;
  for (const auto& f : frames) {
    switch (f.kind) {
      case FrameKind::Hello: out += 'H'; break;
      case FrameKind::IdentRequest: out += 'I'; break;
      case FrameKind::Ack: out += 'A'; break;
      case FrameKind::PasswordQuery: out += 'P'; break;
      case FrameKind::ReadBlock: out += 'R'; break;
      case FrameKind::WriteBlock: out += 'W'; break;
      case FrameKind::Leave: out += 'L'; break;
      default: out += '?'; break;
    }
  }
  return out;
}
std::string Times(const std::string& piece, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += piece;
  return out;
}
// The read exchange of the desktop program: handshake, password query, 126 blocks acknowledged.
const std::string kReadExchange = "HIAPA" + Times("RA", kTransferBlocks);
const std::string kWriteExchange = "HIA" + Times("W", kTransferBlocks);

// The radio's memory, and a document image that differs from it everywhere but in the read
// password.
struct Memories {
  sim::Memory radio = Pattern<sim::Memory>(0x21);
  Image document = Pattern(0x6A);
  Memories() { std::copy_n(radio.begin() + 0x3B0, 6, document.begin() + 0x3B0); }
};

TEST(WriteNets, AWriteReadsTheRadioFirstAndReadsBackWhatItWrote) {
  const struct {
    const char* name;
    Knobs radio;
    TransferNets nets;
    TransferStatus status;
    std::string frames;  // after the hellos the restart left unanswered are taken out
    std::vector<std::size_t> differs;
  } cases[] = {
      {"alone", {}, {false, false}, TransferStatus::WriteComplete, kWriteExchange + "L", {}},
      {"verified", {}, {false, true}, TransferStatus::WriteVerified, kWriteExchange + "L" + kReadExchange, {}},
      {"backup, write, verify", {}, {true, true}, TransferStatus::WriteVerified,
       kReadExchange + kWriteExchange + "L" + kReadExchange, {}},
      {"a radio that restarts", {.restartMs = 1500}, {false, true}, TransferStatus::WriteVerified,
       kWriteExchange + "L" + kReadExchange, {}},
      {"a block dropped", {.dropWrites = {0x088}}, {true, true}, TransferStatus::VerifyFailed,
       kReadExchange + kWriteExchange + "L" + kReadExchange, {0x088}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig(c.radio);
    Memories m;
    rig.radio.SetMemory(m.radio);
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(D::Write, m.document, c.nets));
    SessionRun run;
    bool backupAsked = false;
    for (const auto start = Clock::now(); Clock::now() - start < 30s; std::this_thread::sleep_for(5ms)) {
      run.last = session.Poll();
      if (run.last.storeBackup) {
        backupAsked = true;
        EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::WriteBlock), 0u) << "nothing written before the backup is kept";
        EXPECT_TRUE(std::equal(m.radio.begin(), m.radio.begin() + layout::kTransferEnd, session.BackupImage().begin()));
        session.ContinueAfterBackup();
      }
      if (run.last.final) break;
    }
    ASSERT_TRUE(run.last.final);
    EXPECT_EQ(backupAsked, c.nets.backupFirst);
    EXPECT_EQ(run.last.status, static_cast<int>(c.status));
    EXPECT_EQ(session.VerifyDifferences(), c.differs);
    rig.Settled();  // the leave byte of a write alone follows its last tick
    std::string kinds = Kinds(rig.radio.Frames());
    std::erase(kinds, '?');  // Settled's own marker
    // A restarting radio leaves the verification's first hellos unanswered: they are part of
    // its greeting, which goes on until the radio answers.
    if (c.radio.restartMs > 0) {
      const std::size_t leave = kinds.find('L');
      const std::size_t answered = kinds.find("HIA", leave);
      ASSERT_NE(answered, std::string::npos);
      EXPECT_EQ(kinds.substr(leave + 1, answered - leave - 1).find_first_not_of('H'), std::string::npos);
      EXPECT_GT(answered - leave - 1, 0u) << "the radio did restart";
      kinds.erase(leave + 1, answered - leave - 1);
    }
    EXPECT_EQ(kinds, c.frames);
    const sim::Memory after = rig.radio.GetMemory();
    for (std::size_t a = 0; a < layout::kTransferEnd; a += 8) {
      const bool dropped = std::ranges::count(c.differs, a) > 0;
      EXPECT_EQ(std::equal(after.begin() + long(a), after.begin() + long(a + 8), m.document.begin() + long(a)), !dropped) << a;
    }
  }
}

TEST(WriteNets, ARadioThatNeverAnswersTheVerificationIsWrittenNotVerified) {
  EngineRig rig({.restartMs = 600000});
  Memories m;
  rig.radio.SetMemory(m.radio);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(D::Write, m.document, {false, true}));
  const TransferReaction last = RunSession(session).last;
  EXPECT_EQ(last.status, static_cast<int>(TransferStatus::NotVerified));
  EXPECT_TRUE(last.warning) << "a warning, not a failed write";
  EXPECT_FALSE(last.sendLeaveByte) << "the leave byte went before the verification";
  EXPECT_TRUE(session.NotVerifiedBlocks().empty());
  const auto frames = rig.radio.Frames();
  EXPECT_EQ(Count(frames, FrameKind::Leave), 1u);
  EXPECT_EQ(Count(frames, FrameKind::ReadBlock), 0u);
  const sim::Memory after = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + layout::kTransferEnd, m.document.begin()));
}

// A peer that acknowledges everything and answers each block with a whole reply of the wrong
// header is no radio: its read fails, and so does the backup read before a write, which then
// writes nothing.
TEST(WriteNets, APeerThatOnlyAcknowledgesReadsNothing) {
  const struct {
    D direction;
    TransferNets nets;
    const char* key;
  } cases[] = {
      {D::Read, {}, "IDS_PROMPT_READFAIL"},
      {D::Write, {true, true}, "IDS_PROMPT_BACKUPFAIL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EngineRig rig({.ackOnly = true});
    rig.settings.password = false;
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(c.direction, Pattern(3), c.nets));
    const TransferReaction last = RunSession(session).last;
    EXPECT_EQ(last.status, static_cast<int>(TransferStatus::ReadFailed));
    EXPECT_FALSE(last.handOverImage);
    EXPECT_STREQ(last.key, c.key);
    EXPECT_EQ(session.PassedOverBlocks().size(), c.direction == D::Read ? kTransferBlocks : 0u);
    EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::WriteBlock), 0u);
    EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::Leave), 0u);
  }
}

// Cancel in each phase: what was written stays written, and a write cut short never gets its
// leave byte; after a complete write the leave byte has gone before the verification.
TEST(WriteNets, CancelInEachPhase) {
  const struct {
    const char* name;
    std::function<bool(const Frames&, const TransferReaction&)> when;
    std::size_t leaves;
  } moments[] = {
      {"backup read", [](auto& f, auto&) { return Count(f, FrameKind::ReadBlock) > 20; }, 0},
      {"backup kept", [](auto&, auto& t) { return t.storeBackup; }, 0},
      {"write", [](auto& f, auto&) { return Count(f, FrameKind::WriteBlock) > 20; }, 0},
      {"verification", [](auto& f, auto&) { return Count(f, FrameKind::Leave) > 0 && Count(f, FrameKind::ReadBlock) > 140; }, 1},
  };
  for (const auto& m : moments) {
    SCOPED_TRACE(m.name);
    RadioRig rig;
    rig.settings.password = false;
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(D::Write, Pattern(9), {true, true}));
    ASSERT_TRUE(WaitFor([&] {
      const TransferReaction tick = session.Poll();
      if (tick.storeBackup && std::string(m.name) != "backup kept") session.ContinueAfterBackup();
      return !tick.final && m.when(rig.radio.Frames(), tick);
    }, 30s));
    session.Cancel();
    EXPECT_FALSE(rig.link.IsOpen());
    const auto frames = rig.Settled();
    EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::Leave), m.leaves);
    EXPECT_EQ(session.Poll().next, TransferNext::Idle);
  }
}

}  // namespace
}  // namespace rondel::test
