// The read and write transfer against the virtual radio: what ends up in the image and in the
// radio, which frames went on the line, every status, every fault, and Cancel.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/image_layout.h"
#include "link/link_rig.h"
#include "link/transfer.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kTransferred = 0x3F0;  // image offsets a read or write moves
constexpr std::size_t kPasswordAt = 0x3B0;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A radio holding `memory`, and a document image that differs from it everywhere except in
// the read password, so the password check passes.
struct ReadSetup {
  sim::Memory memory = PatternMemory(0x11);
  CTransferSession::Image image = PatternImage(0x5C);
  ReadSetup() {
    for (std::size_t i = 0; i < 6; ++i) image[kPasswordAt + i] = memory[kPasswordAt + i];
  }
};

std::vector<std::size_t> Addresses(const std::vector<sim::ReceivedFrame>& frames) {
  std::vector<std::size_t> out;
  for (const auto& f : frames) out.push_back((std::size_t{f.bytes[1]} << 8) | f.bytes[2]);
  return out;
}

std::vector<std::size_t> AllBlocks() {
  std::vector<std::size_t> out;
  for (std::size_t a = 0; a < kTransferred; a += 8) out.push_back(a);
  return out;
}

// ---- the tick's reactions -------------------------------------------------------------------

struct ReactionCase {
  int status;
  bool final;
  bool leave;
  bool handOver;
  TransferShow show;
  const char* key;
  TransferNext next;
};

void PrintTo(const ReactionCase& c, std::ostream* os) { *os << "status " << c.status; }

class ReactionTest : public ::testing::TestWithParam<ReactionCase> {};

TEST_P(ReactionTest, FollowsTheStatus) {
  const ReactionCase& c = GetParam();
  const TransferReaction r = ReactToStatus(c.status, 40, -1, true);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.final, c.final);
  EXPECT_EQ(r.closePort, c.final) << "every final status closes the port";
  EXPECT_EQ(r.sendLeaveByte, c.leave);
  EXPECT_EQ(r.handOverImage, c.handOver);
  EXPECT_EQ(r.show, c.show);
  EXPECT_STREQ(r.key ? r.key : "", c.key);
  EXPECT_EQ(r.next, c.next);
  EXPECT_EQ(r.portPane, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ReactionTest,
    ::testing::Values(
        ReactionCase{0, false, false, false, TransferShow::Nothing, "", TransferNext::Continue},
        ReactionCase{1, true, false, false, TransferShow::Message, "IDS_ERROR_PORTCONN", TransferNext::End},
        ReactionCase{2, true, false, false, TransferShow::Message, "IDS_ERROR_TYPE", TransferNext::End},
        ReactionCase{3, true, false, false, TransferShow::Nothing, "", TransferNext::End},
        ReactionCase{4, false, false, false, TransferShow::Progress, "IDS_PROMPT_READ", TransferNext::Continue},
        ReactionCase{5, true, false, false, TransferShow::Text, "IDS_PROMPT_READFAIL", TransferNext::Idle},
        ReactionCase{6, true, false, true, TransferShow::Nothing, "", TransferNext::End},
        ReactionCase{7, true, false, false, TransferShow::Text, "IDS_PROMPT_WRITEFAIL", TransferNext::Idle},
        ReactionCase{8, false, false, false, TransferShow::Progress, "IDS_PROMPT_READ", TransferNext::Continue},
        ReactionCase{9, true, true, false, TransferShow::Nothing, "", TransferNext::End},
        ReactionCase{10, true, false, false, TransferShow::Nothing, "", TransferNext::End},
        ReactionCase{11, false, false, false, TransferShow::Search, "IDS_SEARCHCOMPORT", TransferNext::Continue},
        ReactionCase{12, true, false, false, TransferShow::Message, "IDS_ERROR_PASSWORD", TransferNext::End},
        ReactionCase{13, true, false, false, TransferShow::Nothing, "", TransferNext::End},
        ReactionCase{-1, true, false, false, TransferShow::Nothing, "", TransferNext::End}));

std::string FakeLang(std::string_view key) { return "<" + std::string(key) + ">"; }

TEST(TransferReaction, ShowsThePercentBehindThePromptOfTheDirection) {
  struct Case {
    int progress;
    bool reading;
    const char* text;
    int bar;
  };
  const Case cases[] = {
      {0, true, "<IDS_PROMPT_READ> 0%", 0},
      {50, true, "<IDS_PROMPT_READ> 50%", 512},
      {99, false, "<IDS_PROMPT_WRITE> 99%", 1013},
      {100, false, "<IDS_PROMPT_WRITE> 100%", 1024},
      {250, true, "<IDS_PROMPT_READ> 100%", 1024},  // never past the end
      {-5, true, "<IDS_PROMPT_READ> 0%", 0},
  };
  for (const Case& c : cases) {
    const TransferReaction r = ReactToStatus(c.reading ? 4 : 8, c.progress, -1, c.reading);
    EXPECT_EQ(ReactionText(r, FakeLang), c.text) << c.progress;
    EXPECT_EQ(r.barPosition, c.bar) << c.progress;
  }
}

TEST(TransferReaction, TheSearchGrowsOneDotPerPortModuloSixteen) {
  const std::pair<int, std::string> cases[] = {
      {1, "."}, {5, "....."}, {15, "..............."}, {16, ""}, {17, "."}, {255, "..............."}};
  for (const auto& [port, dots] : cases) {
    const TransferReaction r = ReactToStatus(11, port, port, true);
    EXPECT_EQ(ReactionText(r, FakeLang), "<IDS_SEARCHCOMPORT>" + dots) << port;
    EXPECT_EQ(r.portPane, port) << "the status bar shows the port just opened";
  }
}

TEST(TransferReaction, FailureTextsAndMessagesAreTheirKeysAlone) {
  EXPECT_EQ(ReactionText(ReactToStatus(5, 77, -1, true), FakeLang), "<IDS_PROMPT_READFAIL>");
  EXPECT_EQ(ReactionText(ReactToStatus(12, 77, -1, true), FakeLang), "<IDS_ERROR_PASSWORD>");
  EXPECT_EQ(ReactionText(ReactToStatus(6, 100, -1, true), FakeLang), "");
}

// ---- reading ---------------------------------------------------------------------------------

TEST(TransferRead, CopiesTheRadiosMemoryAndKeepsTheRestOfTheImage) {
  RadioRig rig;
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.last.show, TransferShow::Nothing);
  EXPECT_TRUE(run.last.handOverImage);
  EXPECT_EQ(run.last.next, TransferNext::End);
  EXPECT_FALSE(rig.link.IsOpen()) << "the end of a transfer closes the port";
  EXPECT_FALSE(session.IsRunning());

  const auto& got = session.image();
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + kTransferred, s.memory.begin()));
  EXPECT_TRUE(std::equal(got.begin() + kTransferred, got.end(), s.image.begin() + kTransferred))
      << "the calibration block and everything above 0x3F0 keep the document's bytes";

  rig.radio.WaitQuiet(20ms, 500ms);
  const auto frames = rig.radio.Frames();
  EXPECT_EQ(Addresses(FramesOf(frames, {FrameKind::ReadBlock})), AllBlocks());
  // Handshake, password, then each block followed by its ACK; nothing after a read.
  ASSERT_EQ(frames.size(), 5u + 2 * 126) << Describe(frames);
  EXPECT_EQ(Kinds({frames.begin(), frames.begin() + 5}),
            (std::vector<FrameKind>{FrameKind::Hello, FrameKind::IdentRequest, FrameKind::Ack,
                                    FrameKind::PasswordQuery, FrameKind::Ack}));
  for (std::size_t i = 5; i < frames.size(); i += 2) {
    EXPECT_EQ(frames[i].kind, FrameKind::ReadBlock);
    EXPECT_EQ(frames[i].bytes.size(), 4u);
    EXPECT_EQ(frames[i].bytes[0], 0x52);
    EXPECT_EQ(frames[i].bytes[3], 0x08);
    EXPECT_EQ(frames[i + 1].bytes, Bytes{0x06});
  }
}

// The last block is answered short twice, so the read lingers a second after block 125.
TEST(TransferRead, ShowsEachBlocksPercentInOrderAnd99AfterTheLastButOne) {
  sim::RadioOptions options;
  options.faults = {{0x3E8, 2, sim::FaultKind::Short}};
  RadioRig rig(options);
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(run.last.handOverImage);
  int last = -1;
  int at99 = 0;
  for (const auto& t : run.ticks) {
    if (t.show != TransferShow::Progress) continue;
    EXPECT_STREQ(t.key, "IDS_PROMPT_READ");
    EXPECT_GE(t.percent, last) << "never backwards";
    EXPECT_LE(t.percent, 99) << "100% only with the last block";
    last = t.percent;
    if (t.percent == 99) ++at99;
  }
  EXPECT_GT(at99, 20) << "a second of ticks at 99%";
}

TEST(TransferRead, WithThePasswordSwitchOffNoQueryIsSent) {
  RadioRig rig;
  rig.settings.password = false;
  ReadSetup s;
  s.image[kPasswordAt] ^= 0xFF;  // would differ, but is not compared
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(run.last.handOverImage);
  rig.radio.WaitQuiet(20ms, 500ms);
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::PasswordQuery}).empty());
}

class PasswordDiffersTest : public ::testing::TestWithParam<int> {};

TEST_P(PasswordDiffersTest, StopsTheReadBeforeAnyBlock) {
  RadioRig rig;
  ReadSetup s;
  s.image[kPasswordAt + static_cast<std::size_t>(GetParam())] ^= 0x01;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.last.show, TransferShow::Message);
  EXPECT_STREQ(run.last.key, "IDS_ERROR_PASSWORD");
  EXPECT_FALSE(run.last.handOverImage);
  EXPECT_EQ(run.last.next, TransferNext::End);
  EXPECT_FALSE(rig.link.IsOpen());
  rig.radio.WaitQuiet(20ms, 500ms);
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::ReadBlock}).empty());
}

INSTANTIATE_TEST_SUITE_P(AnyByte, PasswordDiffersTest, ::testing::Values(0, 5));

TEST(TransferRead, AShortPasswordReplyIsAReadFailure) {
  sim::RadioOptions options;
  options.passwordLength = 3;
  RadioRig rig(options);
  ReadSetup s;
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_STREQ(run.last.key, "IDS_PROMPT_READFAIL");
  EXPECT_EQ(run.last.next, TransferNext::Idle);
}

struct ReadFaultCase {
  const char* name;
  sim::FaultKind kind;
  int times;
  bool stored;  // the block ends up with the radio's bytes
  bool failed;  // the read ends with status 5
};

void PrintTo(const ReadFaultCase& c, std::ostream* os) { *os << c.name; }

class ReadFaultTest : public ::testing::TestWithParam<ReadFaultCase> {};

// Block 0x0A8 goes wrong for its first requests: two bad replies are mended by the third send;
// three whole replies with a wrong header pass the block over; three short ones fail the read.
TEST_P(ReadFaultTest, IsRetriedThenPassedOverOrFailed) {
  const ReadFaultCase& c = GetParam();
  constexpr std::size_t kBad = 0x0A8;
  sim::RadioOptions options;
  options.faults = {{kBad, c.times, c.kind}};
  RadioRig rig(options);
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  rig.radio.WaitQuiet(20ms, 500ms);
  const auto frames = rig.radio.Frames();
  const auto reads = Addresses(FramesOf(frames, {FrameKind::ReadBlock}));
  EXPECT_EQ(std::count(reads.begin(), reads.end(), kBad), std::min(c.times + 1, 3));

  if (c.failed) {
    EXPECT_STREQ(run.last.key, "IDS_PROMPT_READFAIL");
    EXPECT_EQ(run.last.next, TransferNext::Idle);
    EXPECT_FALSE(run.last.handOverImage);
    EXPECT_EQ(reads.back(), kBad) << "no block after the failed one";
    return;
  }
  EXPECT_TRUE(run.last.handOverImage);
  EXPECT_EQ(reads.back(), 0x3E8u);
  const auto& got = session.image();
  const auto* source = c.stored ? s.memory.data() : s.image.data();
  EXPECT_TRUE(std::equal(got.begin() + kBad, got.begin() + kBad + 8, source + kBad));
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + kBad, s.memory.begin()));
  EXPECT_TRUE(std::equal(got.begin() + kBad + 8, got.begin() + kTransferred,
                         s.memory.begin() + kBad + 8));
  // A passed-over block gets no ACK; the two others are the handshake's and the password's.
  const auto acks = FramesOf(frames, {FrameKind::Ack}).size();
  EXPECT_EQ(acks, 2u + (c.stored ? 126u : 125u));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadFaultTest,
    ::testing::Values(ReadFaultCase{"short_twice", sim::FaultKind::Short, 2, true, false},
                      ReadFaultCase{"short_thrice", sim::FaultKind::Short, 3, false, true},
                      ReadFaultCase{"corrupt_twice", sim::FaultKind::Corrupt, 2, true, false},
                      ReadFaultCase{"corrupt_thrice", sim::FaultKind::Corrupt, 3, false, false},
                      ReadFaultCase{"address_once", sim::FaultKind::WrongAddress, 1, true, false},
                      ReadFaultCase{"address_always", sim::FaultKind::WrongAddress, 100, false,
                                    false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransferRead, ALineThatDropsMidwayFailsTheRead) {
  sim::RadioOptions options;
  options.hangUpAfterBlock = 40;
  RadioRig rig(options);
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(rig.radio.HungUp());
  EXPECT_STREQ(run.last.key, "IDS_PROMPT_READFAIL");
  EXPECT_LT(run.elapsed.count(), 1000) << "a line that is gone is not waited on three times";
  const auto reads = FramesOf(rig.radio.Frames(), {FrameKind::ReadBlock});
  EXPECT_EQ(reads.size(), 40u);
}

TEST(TransferRead, AnIdleSessionStartsAgainWithAFreshImage) {
  sim::RadioOptions options;
  options.passwordLength = 0;
  RadioRig rig(options);
  rig.settings.password = true;
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  EXPECT_FALSE(session.Start(TransferDirection::Read, s.image)) << "one transfer at a time";
  SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.last.next, TransferNext::Idle);
  EXPECT_EQ(session.Poll().next, TransferNext::Idle);

  rig.settings.password = false;  // OK again, now without the query
  ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
  run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(run.last.handOverImage);
  EXPECT_TRUE(std::equal(s.memory.begin(), s.memory.begin() + kTransferred, session.image().begin()));
}

// ---- handshake statuses through the session ---------------------------------------------

struct HandshakeCase {
  const char* name;
  bool silent;
  int identLength;
  const char* key;
};

void PrintTo(const HandshakeCase& c, std::ostream* os) { *os << c.name; }

class SessionHandshakeTest : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(SessionHandshakeTest, EndsTheDialogWithTheMessage) {
  sim::RadioOptions options;
  options.silent = GetParam().silent;
  options.identLength = GetParam().identLength;
  RadioRig rig(options);
  for (const TransferDirection d : {TransferDirection::Read, TransferDirection::Write}) {
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(d, PatternImage(1)));
    const SessionRun run = RunSession(session);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.last.show, TransferShow::Message);
    EXPECT_STREQ(run.last.key, GetParam().key);
    EXPECT_EQ(run.last.next, TransferNext::End);
    EXPECT_FALSE(rig.link.IsOpen());
  }
}

INSTANTIATE_TEST_SUITE_P(Failures, SessionHandshakeTest,
                         ::testing::Values(HandshakeCase{"silent", true, 8, "IDS_ERROR_PORTCONN"},
                                           HandshakeCase{"no_ident", false, 0, "IDS_ERROR_PORTCONN"},
                                           HandshakeCase{"short_ident", false, 4, "IDS_ERROR_TYPE"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TransferSearch, ShowsTheSearchAndThePortThenSavesThePortFound) {
  sim::RadioOptions quiet;
  quiet.silent = true;
  sim::VirtualRadio silent(quiet);
  ASSERT_TRUE(silent.Start());
  RadioRig rig;
  rig.settings.ports.clear();
  rig.settings.ports[3] = silent.DevicePath();
  rig.settings.ports[5] = rig.radio.DevicePath();
  rig.settings.com = 1;
  rig.settings.search = true;
  rig.settings.password = false;
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Read, PatternImage(2)));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(run.last.handOverImage);
  // Port 3 stays silent for ten attempts, so its search status is seen for sure.
  const auto searching = std::find_if(run.ticks.begin(), run.ticks.end(), [](const auto& t) {
    return t.show == TransferShow::Search && t.portPane == 3;
  });
  ASSERT_NE(searching, run.ticks.end());
  EXPECT_EQ(searching->dots, 3);
  EXPECT_EQ(rig.settings.ComWrites(), std::vector<int>{5});
  // Once the port is saved the status bar is left alone.
  for (const auto& t : run.ticks) {
    if (t.show == TransferShow::Progress) {
      EXPECT_EQ(t.portPane, 0);
    }
  }
}

// ---- writing ---------------------------------------------------------------------------------

TEST(TransferWrite, WritesTheImageAndLeavesProgrammingModeASecondLater) {
  RadioRig rig;
  const sim::Memory before = PatternMemory(0x33);
  rig.radio.SetMemory(before);
  const CTransferSession::Image image = PatternImage(0x77);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Write, image));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(run.last.sendLeaveByte);
  EXPECT_FALSE(run.last.handOverImage);
  EXPECT_EQ(run.last.next, TransferNext::End);
  EXPECT_FALSE(rig.link.IsOpen());
  ASSERT_TRUE(rig.radio.WaitForFrames(
      [](const auto& f) { return !f.empty() && f.back().kind == FrameKind::Leave; }, 2s));

  const sim::Memory after = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + kTransferred, image.begin()));
  EXPECT_TRUE(std::equal(after.begin() + kTransferred, after.end(), before.begin() + kTransferred))
      << "the calibration block is the test mode's";
  EXPECT_FALSE(rig.radio.InProgrammingMode());

  const auto frames = rig.radio.Frames();
  EXPECT_TRUE(FramesOf(frames, {FrameKind::PasswordQuery}).empty()) << "no password query";
  const auto writes = FramesOf(frames, {FrameKind::WriteBlock});
  EXPECT_EQ(Addresses(writes), AllBlocks());
  const Bytes first(writes[0].bytes.begin(), writes[0].bytes.begin() + 4);
  EXPECT_EQ(first, (Bytes{0x57, 0x00, 0x00, 0x08}));
  EXPECT_EQ(Bytes(writes[3].bytes.begin() + 4, writes[3].bytes.end()),
            Bytes(image.begin() + 24, image.begin() + 32));
  EXPECT_EQ(frames.back().bytes, Bytes{0x62});
  EXPECT_EQ(FramesOf(frames, {FrameKind::Leave}).size(), 1u);
  EXPECT_GE(run.elapsed.count(), 1000) << "the radio is given a second before it is told to leave";
}

TEST(TransferWrite, ARefusedBlockIsSentAgainUpToThreeTimes) {
  constexpr std::size_t kBad = 0x200;
  for (const int refusals : {2, 3}) {
    sim::RadioOptions options;
    options.faults = {{kBad, refusals, sim::FaultKind::Refuse}};
    RadioRig rig(options);
    const sim::Memory before = PatternMemory(0x44);
    rig.radio.SetMemory(before);
    const auto image = PatternImage(0x99);
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(TransferDirection::Write, image));
    const SessionRun run = RunSession(session);
    ASSERT_TRUE(run.finished);
    rig.radio.WaitQuiet(50ms, 500ms);
    const auto frames = rig.radio.Frames();
    const auto writes = Addresses(FramesOf(frames, {FrameKind::WriteBlock}));
    EXPECT_EQ(std::count(writes.begin(), writes.end(), kBad), std::min(refusals + 1, 3));
    const sim::Memory after = rig.radio.GetMemory();
    if (refusals < 3) {
      EXPECT_TRUE(run.last.sendLeaveByte);
      EXPECT_TRUE(std::equal(after.begin(), after.begin() + kTransferred, image.begin()));
      continue;
    }
    EXPECT_STREQ(run.last.key, "IDS_PROMPT_WRITEFAIL");
    EXPECT_EQ(run.last.show, TransferShow::Text);
    EXPECT_EQ(run.last.next, TransferNext::Idle);
    EXPECT_FALSE(run.last.sendLeaveByte);
    EXPECT_TRUE(FramesOf(frames, {FrameKind::Leave}).empty()) << "no leave byte after a failure";
    EXPECT_EQ(writes.back(), kBad);
    // The radio holds the blocks written before the failure.
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + kBad, image.begin()));
    EXPECT_TRUE(std::equal(after.begin() + kBad, after.end(), before.begin() + kBad));
    EXPECT_FALSE(rig.link.IsOpen());
  }
}

TEST(TransferWrite, ALineThatDropsMidwayFailsTheWriteWithoutALeaveByte) {
  sim::RadioOptions options;
  options.hangUpAfterBlock = 10;
  RadioRig rig(options);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Write, PatternImage(3)));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  EXPECT_TRUE(rig.radio.HungUp());
  EXPECT_STREQ(run.last.key, "IDS_PROMPT_WRITEFAIL");
  EXPECT_FALSE(run.last.sendLeaveByte);
  EXPECT_LT(run.elapsed.count(), 1000);
  const auto frames = rig.radio.Frames();
  EXPECT_EQ(FramesOf(frames, {FrameKind::WriteBlock}).size(), 10u);
  EXPECT_TRUE(FramesOf(frames, {FrameKind::Leave}).empty());
}

TEST(TransferWrite, ShowsTheWritePromptWithItsPercent) {
  RadioRig rig;
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Write, PatternImage(4)));
  const SessionRun run = RunSession(session);
  ASSERT_TRUE(run.finished);
  int last = -1;
  for (const auto& t : run.ticks) {
    if (t.show != TransferShow::Progress) continue;
    EXPECT_STREQ(t.key, "IDS_PROMPT_WRITE");
    EXPECT_GE(t.percent, last);
    last = t.percent;
  }
  EXPECT_EQ(last, 100) << "the second before the leave byte shows 100%";
}

// ---- cancel ----------------------------------------------------------------------------------

// The dialog ends at once: Cancel (and the session's end, which joins the worker) must not
// wait out a block's time-out or the attempts of a silent radio.
struct CancelCase {
  const char* name;
  sim::RadioOptions options;
  TransferDirection direction;
  int afterMs;
};

sim::RadioOptions Silent() {
  sim::RadioOptions o;
  o.silent = true;
  return o;
}
sim::RadioOptions ShortReplies() {
  sim::RadioOptions o;
  o.faults = {{0x050, 1000, sim::FaultKind::Short}};
  return o;
}

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class CancelTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelTest, EndsWithinAShortBoundAndReportsNothingMore) {
  RadioRig rig(GetParam().options);
  rig.settings.search = true;
  rig.settings.password = false;
  const auto image = PatternImage(5);
  auto session = std::make_unique<CTransferSession>(rig.link, rig.settings);
  ASSERT_TRUE(session->Start(GetParam().direction, image));
  const auto started = Clock::now();
  while (MsSince(started) < GetParam().afterMs) {
    ASSERT_FALSE(session->Poll().final);
    std::this_thread::sleep_for(5ms);
  }
  const auto cancelling = Clock::now();
  session->Cancel();
  session.reset();
  EXPECT_LT(MsSince(cancelling), 200);
  EXPECT_FALSE(rig.link.IsOpen());
  rig.radio.WaitQuiet(50ms, 1000ms);
  const std::size_t count = rig.radio.Frames().size();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(rig.radio.Frames().size(), count) << "nothing is sent after the cancel";
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::Leave}).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Moments, CancelTest,
    ::testing::Values(CancelCase{"silent_radio_attempts", Silent(), TransferDirection::Read, 300},
                      CancelCase{"silent_radio_settling", Silent(), TransferDirection::Read, 40},
                      CancelCase{"silent_radio_search", Silent(), TransferDirection::Write, 700},
                      CancelCase{"block_time_out", ShortReplies(), TransferDirection::Read, 400},
                      CancelCase{"writing", sim::RadioOptions{}, TransferDirection::Write, 200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransferCancel, AfterTheLastBlockOfAWriteNoLeaveByteFollows) {
  RadioRig rig;
  const auto image = PatternImage(6);
  CTransferSession session(rig.link, rig.settings);
  ASSERT_TRUE(session.Start(TransferDirection::Write, image));
  ASSERT_TRUE(rig.radio.WaitForFrames(
      [](const auto& f) { return FramesOf(f, {FrameKind::WriteBlock}).size() == 126; }, 5s));
  std::this_thread::sleep_for(50ms);  // inside the second before the leave byte
  EXPECT_FALSE(session.Poll().final);
  const auto cancelling = Clock::now();
  session.Cancel();
  EXPECT_LT(MsSince(cancelling), 200);
  EXPECT_FALSE(session.IsRunning());
  EXPECT_EQ(session.Poll().next, TransferNext::Idle) << "no status after a cancel";
  std::this_thread::sleep_for(1200ms);
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::Leave}).empty());
  EXPECT_TRUE(rig.radio.InProgrammingMode());
}

TEST(TransferCancel, DestroyingARunningSessionJoinsItsWorker) {
  RadioRig rig;
  ReadSetup s;
  rig.radio.SetMemory(s.memory);
  {
    CTransferSession session(rig.link, rig.settings);
    ASSERT_TRUE(session.Start(TransferDirection::Read, s.image));
    ASSERT_TRUE(rig.radio.WaitForFrames(
        [](const auto& f) { return FramesOf(f, {FrameKind::ReadBlock}).size() >= 10; }, 5s));
  }  // the worker is joined here, before the image buffer it writes goes away
  EXPECT_FALSE(rig.link.IsOpen());
}

}  // namespace
}  // namespace rondel::test
