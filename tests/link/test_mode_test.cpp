// The test mode's exchanges against the virtual radio: the frames of the entry read, the start
// of debug mode and write all byte for byte, what ends up in the image and in the radio, the
// port left open or closed, and every failure with the message it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "core/image_layout.h"
#include "link/link_rig.h"
#include "link/test_mode.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kRadioEnd = 0x400;
constexpr std::size_t kCalibration = 0x3F0;

Bytes ReadFrame(std::size_t a) {
  return {0x52, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x08};
}

Bytes DataFrameOf(std::uint8_t first, std::size_t a, const std::uint8_t* data) {
  Bytes f(12);
  f[0] = first;
  f[1] = static_cast<std::uint8_t>(a >> 8);
  f[2] = static_cast<std::uint8_t>(a & 0xFF);
  f[3] = 0x08;
  std::copy_n(data, 8, f.begin() + 4);
  return f;
}

// The handshake as the radio sees it: hello, identification request, ACK, and with the
// password query its ACK.
std::vector<FrameKind> Handshake(bool password) {
  std::vector<FrameKind> k = {FrameKind::Hello, FrameKind::IdentRequest, FrameKind::Ack};
  if (password) k.insert(k.end(), {FrameKind::PasswordQuery, FrameKind::Ack});
  return k;
}

std::vector<sim::ReceivedFrame> After(const std::vector<sim::ReceivedFrame>& frames, std::size_t n) {
  return {frames.begin() + static_cast<long>(std::min(n, frames.size())), frames.end()};
}

// Where the handshake ends. A busy machine may let a hello answer come late, so the hello may
// have gone out more than once; everything after it is exact.
std::size_t HandshakeEnd(const std::vector<sim::ReceivedFrame>& frames, bool password) {
  std::size_t i = 0;
  while (i < frames.size() && frames[i].kind == FrameKind::Hello) ++i;
  if (i == 0) ADD_FAILURE() << "no hello";
  std::vector<FrameKind> rest = Handshake(password);
  rest.erase(rest.begin());
  for (const FrameKind k : rest) {
    if (i >= frames.size() || frames[i].kind != k) {
      ADD_FAILURE() << "the handshake is not complete:\n" << Describe(frames);
      return frames.size();
    }
    ++i;
  }
  return i;
}

struct EntrySetup {
  sim::Memory memory = PatternMemory(0x21);
  RadioImage image = PatternImage(0x9A);
  const RadioImage before = image;
};

// ---- entering the test mode ---------------------------------------------------------------

TEST(EnterTestMode, ReadsThe128BlocksUpTo0x3F8StraightIntoTheImageAndLeavesThePortOpen) {
  RadioRig rig;
  EntrySetup s;
  rig.radio.SetMemory(s.memory);
  std::size_t stored = 0;
  EXPECT_EQ(EnterTestMode(rig.link, rig.settings, s.image, &stored), TestModeResult::Done);
  EXPECT_EQ(stored, 128u);
  EXPECT_TRUE(rig.link.IsOpen()) << "the port stays open for the test mode";
  EXPECT_TRUE(std::equal(s.memory.begin(), s.memory.end(), s.image.begin()));
  EXPECT_TRUE(std::equal(s.image.begin() + kRadioEnd, s.image.end(), s.before.begin() + kRadioEnd))
      << "nothing beyond the radio's memory changes";

  rig.radio.WaitQuiet(20ms, 1s);
  const auto blocks = After(rig.radio.Frames(), HandshakeEnd(rig.radio.Frames(), true));
  ASSERT_EQ(blocks.size(), 2u * 128) << Describe(blocks);
  for (std::size_t n = 0; n < 128; ++n) {
    SCOPED_TRACE("block " + std::to_string(n));
    EXPECT_EQ(blocks[2 * n].bytes, ReadFrame(8 * n));
    EXPECT_EQ(blocks[2 * n + 1].bytes, Bytes{0x06});
  }
  EXPECT_TRUE(rig.radio.InProgrammingMode()) << "no leave byte after the entry read";
}

struct EntryFailure {
  const char* name;
  std::function<void(sim::RadioOptions&)> radio;
  TestModeResult result;
  std::size_t stored;       // blocks in the image afterwards
  std::size_t readFrames;   // read blocks the radio received
};
void PrintTo(const EntryFailure& f, std::ostream* os) { *os << f.name; }

class EnterTestModeFailure : public ::testing::TestWithParam<EntryFailure> {};

TEST_P(EnterTestModeFailure, ClosesThePortAndKeepsTheBlocksReadBeforeIt) {
  const EntryFailure& f = GetParam();
  sim::RadioOptions options;
  f.radio(options);
  RadioRig rig(options);
  EntrySetup s;
  rig.radio.SetMemory(s.memory);
  std::size_t stored = 99;
  EXPECT_EQ(EnterTestMode(rig.link, rig.settings, s.image, &stored), f.result);
  EXPECT_EQ(stored, f.stored);
  EXPECT_FALSE(rig.link.IsOpen()) << "every failure of the entry closes the port";
  const std::size_t cut = 8 * f.stored;
  EXPECT_TRUE(std::equal(s.memory.begin(), s.memory.begin() + static_cast<long>(cut), s.image.begin()));
  EXPECT_TRUE(std::equal(s.image.begin() + static_cast<long>(cut), s.image.end(),
                         s.before.begin() + static_cast<long>(cut)));
  rig.radio.WaitQuiet(20ms, 1s);
  const auto reads = FramesOf(rig.radio.Frames(), {FrameKind::ReadBlock});
  ASSERT_EQ(reads.size(), f.readFrames) << Describe(rig.radio.Frames());
  for (std::size_t n = 0; n < reads.size(); ++n) EXPECT_EQ(reads[n].bytes, ReadFrame(8 * n));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnterTestModeFailure,
    ::testing::Values(
        EntryFailure{"SilentRadio", [](sim::RadioOptions& o) { o.silent = true; },
                     TestModeResult::NoConnection, 0, 0},
        EntryFailure{"ShortIdentification", [](sim::RadioOptions& o) { o.identLength = 5; },
                     TestModeResult::WrongType, 0, 0},
        EntryFailure{"ShortPasswordReply", [](sim::RadioOptions& o) { o.passwordLength = 3; },
                     TestModeResult::ReadFailed, 0, 0},
        EntryFailure{"ShortReplyAtBlock40",
                     [](sim::RadioOptions& o) { o.faults = {{0x140, 1, sim::FaultKind::Short}}; },
                     TestModeResult::ReadFailed, 40, 41},
        EntryFailure{"ShortReplyAtTheLastBlock",
                     [](sim::RadioOptions& o) { o.faults = {{0x3F8, 1, sim::FaultKind::Short}}; },
                     TestModeResult::ReadFailed, 127, 128},
        EntryFailure{"LineDropsAfterBlock10", [](sim::RadioOptions& o) { o.hangUpAfterBlock = 10; },
                     TestModeResult::ReadFailed, 10, 10},
        // A whole reply that does not name its block is not taken: its bytes belong elsewhere.
        EntryFailure{"CorruptReplyAtBlock3",
                     [](sim::RadioOptions& o) { o.faults = {{0x018, 1, sim::FaultKind::Corrupt}}; },
                     TestModeResult::ReadFailed, 3, 4},
        EntryFailure{"WrongAddressAtTheLastBlock",
                     [](sim::RadioOptions& o) { o.faults = {{0x3F8, 1, sim::FaultKind::WrongAddress}}; },
                     TestModeResult::ReadFailed, 127, 128}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EnterTestMode, ReadsARadioThatAnswersAt9600Baud) {
  sim::RadioOptions paced;
  paced.pace = true;
  RadioRig rig(paced);
  EntrySetup s;
  rig.radio.SetMemory(s.memory);
  EXPECT_EQ(EnterTestMode(rig.link, rig.settings, s.image), TestModeResult::Done);
  EXPECT_TRUE(std::equal(s.memory.begin(), s.memory.end(), s.image.begin()));
}

TEST(EnterTestMode, UsesAPortLeftOpenWithoutOpeningItAgain) {
  RadioRig rig;
  EntrySetup s;
  ASSERT_TRUE(rig.link.Open(1, 9600));
  rig.settings.ports.clear();  // COM1 could not be opened again
  EXPECT_EQ(EnterTestMode(rig.link, rig.settings, s.image), TestModeResult::Done);
  EXPECT_TRUE(rig.link.IsOpen());
}

// ---- debug mode ---------------------------------------------------------------------------

TEST(StartDebugMode, ReadsTheCalibrationBlockWithoutAckAndSendsOneLiveFrame) {
  RadioRig rig;
  EntrySetup s;
  rig.radio.SetMemory(s.memory);
  EXPECT_EQ(StartDebugMode(rig.link, rig.settings, s.image), TestModeResult::Done);
  EXPECT_TRUE(rig.link.IsOpen());
  EXPECT_TRUE(std::equal(s.memory.begin() + kCalibration, s.memory.begin() + kCalibration + 8,
                         s.image.begin() + kCalibration));
  RadioImage rest = s.image;
  std::copy_n(s.before.begin() + kCalibration, 8, rest.begin() + kCalibration);
  EXPECT_EQ(rest, s.before) << "only the calibration block is read";

  rig.radio.WaitQuiet(20ms, 1s);
  const auto after = After(rig.radio.Frames(), HandshakeEnd(rig.radio.Frames(), true));
  ASSERT_EQ(after.size(), 2u) << Describe(after);
  EXPECT_EQ(after[0].bytes, (Bytes{0x52, 0x03, 0xF0, 0x08}));
  EXPECT_EQ(after[1].bytes, DataFrameOf(0x67, kCalibration, s.memory.data() + kCalibration));
}

TEST(StartDebugMode, AShortOrForeignCalibrationReplyClosesThePort) {
  for (const sim::FaultKind fault : {sim::FaultKind::Short, sim::FaultKind::Corrupt}) {
    sim::RadioOptions options;
    options.faults = {{kCalibration, 1, fault}};
    RadioRig rig(options);
    EntrySetup s;
    EXPECT_EQ(StartDebugMode(rig.link, rig.settings, s.image), TestModeResult::ReadFailed);
    EXPECT_FALSE(rig.link.IsOpen());
    EXPECT_EQ(s.image, s.before);
    rig.radio.WaitQuiet(20ms, 1s);
    EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::LiveCalibration}).empty());
  }
}

TEST(LeaveDebugMode, SendsTheLeaveByteAndNothingElse) {
  RadioRig rig;
  ASSERT_TRUE(rig.link.Open(1, 9600));
  LeaveDebugMode(rig.link);
  rig.radio.WaitForFrames([](const auto& f) { return !f.empty(); }, 1s);
  rig.radio.WaitQuiet(20ms, 1s);
  const auto frames = rig.radio.Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, Bytes{0x62});
  EXPECT_TRUE(rig.link.IsOpen());
}

// ---- write all ----------------------------------------------------------------------------

TEST(WriteAllBlocks, WritesTheWholeMemoryWithoutPasswordQueryOrLeaveByteAndClosesThePort) {
  RadioRig rig;
  const RadioImage image = PatternImage(0x37);
  EXPECT_EQ(WriteAllBlocks(rig.link, rig.settings, image), TestModeResult::Done);
  EXPECT_FALSE(rig.link.IsOpen());
  const sim::Memory radio = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(radio.begin(), radio.end(), image.begin()));

  rig.radio.WaitQuiet(20ms, 1s);
  const auto writes = After(rig.radio.Frames(), HandshakeEnd(rig.radio.Frames(), false));
  ASSERT_EQ(writes.size(), 128u) << Describe(writes);
  for (std::size_t n = 0; n < 128; ++n)
    EXPECT_EQ(writes[n].bytes, DataFrameOf(0x57, 8 * n, image.data() + 8 * n)) << n;
}

TEST(WriteAllBlocks, ARefusedBlockStopsAtOnceAndLeavesThePortOpen) {
  sim::RadioOptions options;
  options.faults = {{0x200, 1, sim::FaultKind::Refuse}};
  RadioRig rig(options);
  const sim::Memory before = rig.radio.GetMemory();
  const RadioImage image = PatternImage(0x44);
  EXPECT_EQ(WriteAllBlocks(rig.link, rig.settings, image), TestModeResult::WriteFailed);
  EXPECT_TRUE(rig.link.IsOpen());
  rig.radio.WaitQuiet(20ms, 1s);
  const auto writes = FramesOf(rig.radio.Frames(), {FrameKind::WriteBlock});
  ASSERT_EQ(writes.size(), 0x200u / 8 + 1) << "no block is sent twice";
  EXPECT_EQ(writes.back().bytes, DataFrameOf(0x57, 0x200, image.data() + 0x200));
  const sim::Memory radio = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(radio.begin(), radio.begin() + 0x200, image.begin()));
  EXPECT_TRUE(std::equal(radio.begin() + 0x200, radio.end(), before.begin() + 0x200));
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::Leave}).empty());
}

TEST(WriteAllBlocks, AFailedHandshakeClosesThePortAndWritesNothing) {
  sim::RadioOptions options;
  options.identLength = 7;
  RadioRig rig(options);
  EXPECT_EQ(WriteAllBlocks(rig.link, rig.settings, PatternImage(1)), TestModeResult::WrongType);
  EXPECT_FALSE(rig.link.IsOpen());
  EXPECT_TRUE(FramesOf(rig.radio.Frames(), {FrameKind::WriteBlock}).empty());
}

// ---- messages and the password ------------------------------------------------------------

struct MessageCase {
  TestModeResult result;
  bool writeAll;
  const char* text;
  const char* caption;
  bool errorIcon;
};
void PrintTo(const MessageCase& c, std::ostream* os) {
  *os << static_cast<int>(c.result) << (c.writeAll ? " write all" : "");
}

class TestModeMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(TestModeMessages, NameTheirTextCaptionAndIcon) {
  const MessageCase& c = GetParam();
  const TestModeMessage m = MessageOf(c.result, c.writeAll);
  EXPECT_STREQ(m.text ? m.text : "", c.text);
  EXPECT_STREQ(m.caption ? m.caption : "", c.caption);
  EXPECT_EQ(m.errorIcon, c.errorIcon);
}

INSTANTIATE_TEST_SUITE_P(
    Results, TestModeMessages,
    ::testing::Values(
        MessageCase{TestModeResult::Done, false, "", "", false},
        MessageCase{TestModeResult::Done, true, "IDS_PROMPT_WRITESUCC", "IDS_PROMPT", false},
        MessageCase{TestModeResult::NoConnection, false, "IDS_ERROR_PORTCONN", "IDS_ERROR", true},
        MessageCase{TestModeResult::NoConnection, true, "IDS_ERROR_PORTCONN", "IDS_ERROR", true},
        MessageCase{TestModeResult::WrongType, true, "IDS_ERROR_TYPE", "IDS_ERROR", true},
        MessageCase{TestModeResult::ReadFailed, false, "IDS_PROMPT_READFAIL", "IDS_ERROR", true},
        MessageCase{TestModeResult::WriteFailed, true, "IDS_PROMPT_WRITEFAIL", "IDS_PROMPT", false}));

struct PasswordCase {
  const char* expected;
  const char* entered;
  bool opens;
};
void PrintTo(const PasswordCase& c, std::ostream* os) {
  *os << '"' << c.entered << "\" for \"" << c.expected << '"';
}

class TestPassword : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(TestPassword, MatchesOnlyTheWholeTextByteForByte) {
  TableSettings settings;
  settings.testPassword = GetParam().expected;
  EXPECT_EQ(IsTestPassword(GetParam().entered, settings), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TestPassword,
    ::testing::Values(PasswordCase{"Calib#7", "Calib#7", true},
                      PasswordCase{"Calib#7", "calib#7", false},
                      PasswordCase{"Calib#7", "Calib#", false},
                      PasswordCase{"Calib#7", "Calib#77", false},
                      PasswordCase{"Calib#7", "Calib#7 ", false},
                      PasswordCase{"Calib#7", "", false},
                      PasswordCase{"", "", true},
                      PasswordCase{"", "x", false},
                      PasswordCase{"测试", "测试", true}));

}  // namespace
}  // namespace rondel::test
