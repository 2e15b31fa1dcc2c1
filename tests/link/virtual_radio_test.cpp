// The virtual radio on its own: the test mode's frames, garbage from the tool's side, 9600-baud
// pacing, its memory files and its command line.
#include <gtest/gtest.h>

#include <random>

#include "link/link_rig.h"
#include "link/radio_handshake.h"
#include "support/temp_dir.h"
#include "tools/radiosim/radiosim_args.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using Bytes = std::vector<std::uint8_t>;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A radio in programming mode on an open link.
struct Connected : RadioRig {
  explicit Connected(sim::RadioOptions options = {}) : RadioRig(std::move(options)) {
    HandshakeReporter quiet;
    ok = ConnectRadio(link, settings, quiet) == HandshakeResult::Connected;
    radio.WaitQuiet(10ms, 200ms);
    radio.ClearFrames();
  }
  Bytes Exchange(const Bytes& frame, int answer) {
    link.Write(frame.data(), static_cast<int>(frame.size()), 1);
    Bytes reply(static_cast<std::size_t>(std::max(answer, 1)));
    const int got = link.Read(reply.data(), answer, 300);
    reply.resize(static_cast<std::size_t>(std::max(got, 0)));
    return reply;
  }
  bool ok = false;
};

TEST(VirtualRadio, AnswersTheTestModesBlocksUpTo0x3FF) {
  Connected c;
  ASSERT_TRUE(c.ok);
  sim::Memory memory = PatternMemory(0x60);
  c.radio.SetMemory(memory);
  Bytes reply = c.Exchange({0x52, 0x03, 0xF8, 0x08}, 12);
  Bytes expected = {0x57, 0x03, 0xF8, 0x08};
  expected.insert(expected.end(), memory.begin() + 0x3F8, memory.end());
  EXPECT_EQ(reply, expected);
  EXPECT_EQ(c.Exchange({0x06}, 1), Bytes{0x06}) << "a byte after the tool's ACK";

  const Bytes data = {9, 8, 7, 6, 5, 4, 3, 2};
  Bytes frame = {0x57, 0x03, 0xF0, 0x08};
  frame.insert(frame.end(), data.begin(), data.end());
  EXPECT_EQ(c.Exchange(frame, 1), Bytes{0x06});
  const sim::Memory after = c.radio.GetMemory();
  EXPECT_EQ(Bytes(after.begin() + 0x3F0, after.begin() + 0x3F8), data);

  // Beyond the radio's memory there is no block: no answer.
  EXPECT_TRUE(c.Exchange({0x52, 0x04, 0x00, 0x08}, 12).empty());
  EXPECT_TRUE(c.Exchange({0x52, 0x00, 0x04, 0x08}, 12).empty()) << "not the start of a block";
}

TEST(VirtualRadio, TakesTheLiveCalibrationFrameAndTheLeaveByte) {
  Connected c;
  ASSERT_TRUE(c.ok);
  const Bytes calibration = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x03, 0x77};
  Bytes frame = {0x67, 0x03, 0xF0, 0x08};
  frame.insert(frame.end(), calibration.begin(), calibration.end());
  EXPECT_EQ(c.Exchange(frame, 1).size(), 1u) << "one answer byte";
  const sim::Memory after = c.radio.GetMemory();
  EXPECT_EQ(Bytes(after.begin() + 0x3F0, after.begin() + 0x3F8), calibration);

  EXPECT_TRUE(c.radio.InProgrammingMode());
  EXPECT_TRUE(c.Exchange({0x62}, 1).empty());
  EXPECT_FALSE(c.radio.InProgrammingMode());
  EXPECT_TRUE(c.Exchange({0x52, 0x00, 0x00, 0x08}, 12).empty())
      << "out of programming mode nothing is answered";
  c.radio.WaitQuiet(10ms, 200ms);
  EXPECT_EQ(Kinds(c.radio.Frames()),
            (std::vector<FrameKind>{FrameKind::LiveCalibration, FrameKind::Leave, FrameKind::Unknown}));
}

// Random bytes from the tool's side never stop the radio: afterwards a handshake finds it.
TEST(VirtualRadio, SurvivesGarbageAndResynchronises) {
  std::mt19937 random(1234);
  for (int round = 0; round < 4; ++round) {
    RadioRig rig;
    ASSERT_TRUE(rig.link.Open(1, 9600));
    Bytes garbage(3000);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    if (round % 2 == 1) garbage.insert(garbage.end(), {0x52, 0x00});  // a frame cut short
    EXPECT_EQ(rig.link.Write(garbage.data(), static_cast<int>(garbage.size()), 0),
              static_cast<int>(garbage.size()));
    rig.radio.WaitQuiet(30ms, 2s);
    HandshakeReporter quiet;
    EXPECT_EQ(ConnectRadio(rig.link, rig.settings, quiet), HandshakeResult::Connected) << round;
    EXPECT_TRUE(QueryPassword(rig.link, quiet).has_value()) << round;
    std::size_t logged = 0;
    for (const auto& f : rig.radio.Frames()) logged += f.bytes.size();
    EXPECT_GE(logged, garbage.size()) << "every byte is in the log, in some frame";
  }
}

TEST(VirtualRadio, LogsStrayBytesAsOneUnknownFrameAndGoesOn) {
  RadioRig rig;
  ASSERT_TRUE(rig.link.Open(1, 9600));
  const Bytes stray = {0x99, 0x98, 0x06};
  rig.link.Write(stray.data(), 3, 0);
  const auto hello = Bytes{0x02, 'P', 'E', 'L', 'T', 'P', 'G', 'M'};
  rig.link.Write(hello.data(), 8, 1);
  EXPECT_EQ(rig.link.ReadByte(200), 0x06);
  rig.radio.WaitQuiet(10ms, 200ms);
  const auto frames = rig.radio.Frames();
  ASSERT_EQ(Kinds(frames), (std::vector<FrameKind>{FrameKind::Unknown, FrameKind::Ack,
                                                   FrameKind::Hello}))
      << Describe(frames);
  EXPECT_EQ(frames[0].bytes, (Bytes{0x99, 0x98}));
  EXPECT_EQ(frames[2].bytes, hello);
}

TEST(VirtualRadio, AnotherRadiosHelloIsLoggedButNotAnswered) {
  RadioRig rig;
  rig.settings.word = "OTHERWD";
  HandshakeReporter quiet;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, quiet), HandshakeResult::NoConnection);
  rig.radio.WaitQuiet(10ms, 200ms);
  const auto frames = rig.radio.Frames();
  ASSERT_EQ(Kinds(frames), std::vector<FrameKind>(10, FrameKind::Hello));
  EXPECT_EQ(frames[0].bytes, (Bytes{0x02, 'O', 'T', 'H', 'E', 'R', 'W', 'D'}));
}

// At 9600 baud a block costs its 4-byte request and 12-byte reply on the line: 16 bytes of
// about 1.04 ms.
TEST(VirtualRadio, PacedLikeA9600BaudLine) {
  auto blockTime = [](bool pace) {
    sim::RadioOptions options;
    options.pace = pace;
    Connected c(options);
    EXPECT_TRUE(c.ok);
    const auto start = Clock::now();
    for (std::size_t a = 0; a < 80; a += 8) {
      const Bytes reply = c.Exchange({0x52, 0x00, static_cast<std::uint8_t>(a), 0x08}, 12);
      EXPECT_EQ(reply.size(), 12u);
    }
    return MsSince(start) / 10.0;
  };
  const double paced = blockTime(true);
  const double unpaced = blockTime(false);
  EXPECT_GE(paced, 16 * 1.04);
  EXPECT_LT(paced, 16 * 1.04 + 15);
  EXPECT_LT(unpaced, 8);
}

TEST(VirtualRadio, KeepsItsMemoryInDataFiles) {
  TempDir dir;
  const sim::Memory memory = PatternMemory(0x0F);
  const std::string path = dir.File("radio.dig");
  ASSERT_TRUE(sim::SaveMemory(path, memory));
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 4144u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 30), "Pelto Radio Program data v1.02");
  EXPECT_TRUE(std::equal(memory.begin(), memory.end(), bytes.begin() + 48));
  EXPECT_TRUE(std::all_of(bytes.begin() + 48 + 0x400, bytes.end(), [](auto b) { return b == 0xFF; }));
  sim::Memory loaded{};
  ASSERT_TRUE(sim::LoadMemory(path, loaded));
  EXPECT_EQ(loaded, memory);
  EXPECT_FALSE(sim::LoadMemory(dir.File("missing.dig"), loaded));
  EXPECT_FALSE(sim::LoadMemory(dir.Write("alien.dig", std::string(4144, 'x')), loaded));
}

TEST(RadioSimArgs, SetsEveryKnob) {
  sim::RadioSimConfig c;
  const std::string why = sim::ParseRadioSimArgs(
      {"--pace", "--word", "ABC", "--password", "1234", "--silent", "--wrong-hello",
       "--ident-length", "5", "--password-length", "0", "--short-read", "0x10:2",
       "--corrupt-read", "24", "--wrong-address", "0x3E8:100", "--refuse-write", "0x200:3",
       "--no-ack-byte", "--hang-up-after", "7", "--noise", "16", "--load", "a.dig", "--save",
       "b.dig", "--link", "/tmp/l", "--quiet"},
      c);
  ASSERT_EQ(why, "");
  const sim::RadioOptions& r = c.radio;
  EXPECT_TRUE(r.pace && r.silent && r.wrongHelloAnswer && r.noByteAfterAck);
  EXPECT_EQ(r.word, "ABC");
  EXPECT_EQ(c.password, "1234");
  EXPECT_TRUE(c.setPassword);
  EXPECT_EQ(r.identLength, 5);
  EXPECT_EQ(r.passwordLength, 0);
  ASSERT_EQ(r.faults.size(), 4u);
  EXPECT_EQ(r.faults[0].address, 0x10u);
  EXPECT_EQ(r.faults[0].times, 2);
  EXPECT_EQ(r.faults[0].kind, sim::FaultKind::Short);
  EXPECT_EQ(r.faults[1].address, 24u);
  EXPECT_EQ(r.faults[1].times, 1);
  EXPECT_EQ(r.faults[1].kind, sim::FaultKind::Corrupt);
  EXPECT_EQ(r.faults[2].kind, sim::FaultKind::WrongAddress);
  EXPECT_EQ(r.faults[3].kind, sim::FaultKind::Refuse);
  EXPECT_EQ(r.faults[3].times, 3);
  EXPECT_EQ(r.hangUpAfterBlock, 7);
  EXPECT_EQ(r.noise.size(), 16u);
  EXPECT_EQ(c.load, "a.dig");
  EXPECT_EQ(c.save, "b.dig");
  EXPECT_EQ(c.link, "/tmp/l");
  EXPECT_FALSE(c.log);
}

TEST(RadioSimArgs, RefusesWhatCannotBeMeant) {
  const std::vector<std::vector<std::string>> lines = {
      {"--ident-length", "9"}, {"--password-length", "-1"}, {"--short-read", "0x3F3"},
      {"--short-read", "0x400"}, {"--refuse-write", "8:0"},  {"--corrupt-read", "8:x"},
      {"--hang-up-after", "0"},  {"--noise", "5000"},        {"--word"},
      {"--load"},                {"--frobnicate"},           {"--short-read", ""},
  };
  for (const auto& line : lines) {
    sim::RadioSimConfig c;
    EXPECT_NE(sim::ParseRadioSimArgs(line, c), "") << line[0];
  }
}

}  // namespace
}  // namespace rondel::test
