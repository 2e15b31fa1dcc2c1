// ConnectRadio and the password query against the virtual radio: the bytes on the line, the
// attempts and waits, the port search, and every way the radio can fail them.
#include <gtest/gtest.h>

#include "link/link_rig.h"
#include "link/radio_handshake.h"
#include "shell/settings.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using Bytes = std::vector<std::uint8_t>;

class RecordingReporter final : public HandshakeReporter {
 public:
  std::vector<int> ports;
  std::vector<HandshakeFailure> failures;
  int cancelAfter = -1;  // Cancelled() turns true once it has been asked this often
  mutable int asked = 0;

  void SearchOpenedPort(int port) override { ports.push_back(port); }
  void Failed(HandshakeFailure failure) override { failures.push_back(failure); }
  bool Cancelled() const override { return cancelAfter >= 0 && ++asked > cancelAfter; }
};

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct HelloCase {
  const char* word;
  Bytes packet;
};

void PrintTo(const HelloCase& c, std::ostream* os) { *os << '"' << c.word << '"'; }

class HelloPacketTest : public ::testing::TestWithParam<HelloCase> {};

// The radio is given the same word, so it answers; what it logged is what went on the line.
TEST_P(HelloPacketTest, CarriesTheFirstSevenBytesOfTheWordPaddedWithZeros) {
  sim::RadioOptions options;
  options.word = GetParam().word;
  RadioRig rig(options);
  rig.settings.word = GetParam().word;
  RecordingReporter reporter;
  ASSERT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  rig.radio.WaitQuiet(20ms, 500ms);
  const auto frames = rig.radio.Frames();
  ASSERT_EQ(Kinds(frames),
            (std::vector<FrameKind>{FrameKind::Hello, FrameKind::IdentRequest, FrameKind::Ack}))
      << Describe(frames);
  EXPECT_EQ(frames[0].bytes, GetParam().packet);
  EXPECT_EQ(frames[1].bytes, Bytes{0x02});
  EXPECT_EQ(frames[2].bytes, Bytes{0x06});
  EXPECT_TRUE(rig.link.IsOpen());
  EXPECT_TRUE(reporter.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Words, HelloPacketTest,
    ::testing::Values(
        HelloCase{"PELTPGM", {0x02, 0x50, 0x45, 0x4C, 0x54, 0x50, 0x47, 0x4D}},
        HelloCase{"LONGERWORD1234", {0x02, 'L', 'O', 'N', 'G', 'E', 'R', 'W'}},
        HelloCase{"AB", {0x02, 'A', 'B', 0x00, 0x00, 0x00, 0x00, 0x00}},
        HelloCase{"SIXCHR", {0x02, 'S', 'I', 'X', 'C', 'H', 'R', 0x00}},
        HelloCase{"", {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}}));

TEST(ConnectRadio, ARadioThatDoesNotAnswerGetsTenHellosThenNoConnection) {
  sim::RadioOptions options;
  options.silent = true;
  RadioRig rig(options);
  RecordingReporter reporter;
  const auto start = Clock::now();
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::NoConnection);
  const long long took = MsSince(start);
  // 100 ms after opening and ten attempts of at most 51 ms.
  EXPECT_GE(took, 100 + 10 * 50);
  EXPECT_LT(took, 1500);
  EXPECT_EQ(reporter.failures, std::vector<HandshakeFailure>{HandshakeFailure::NoConnection});
  rig.radio.WaitQuiet(20ms, 500ms);
  const auto frames = rig.radio.Frames();
  EXPECT_EQ(Kinds(frames), std::vector<FrameKind>(10, FrameKind::Hello)) << Describe(frames);
  EXPECT_TRUE(reporter.ports.empty()) << "no search with searchcom off";
  EXPECT_TRUE(rig.settings.ComWrites().empty());
}

TEST(ConnectRadio, AHelloAnsweredWithAnythingButAckCountsAsNoAnswer) {
  sim::RadioOptions options;
  options.wrongHelloAnswer = true;
  RadioRig rig(options);
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::NoConnection);
  rig.radio.WaitQuiet(20ms, 500ms);
  EXPECT_EQ(Kinds(rig.radio.Frames()), std::vector<FrameKind>(10, FrameKind::Hello));
}

// Stale bytes (here two ACKs left from power-up) are drained before each attempt. Were they
// not, the first attempt would take the stale ACK for an answer and ask for the
// identification instead of greeting the radio ten times.
TEST(ConnectRadio, StaleInputIsDrainedBeforeEachAttempt) {
  sim::RadioOptions options;
  options.silent = true;
  options.noise = {0x06, 0x06, 0x00, 0x57};
  RadioRig rig(options);
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::NoConnection);
  rig.radio.WaitQuiet(150ms, 1000ms);
  EXPECT_EQ(Kinds(rig.radio.Frames()), std::vector<FrameKind>(10, FrameKind::Hello))
      << Describe(rig.radio.Frames());
}

TEST(ConnectRadio, GarbageAtPowerUpDoesNotStopAnAnsweringRadio) {
  sim::RadioOptions options;
  options.noise.assign(300, 0x06);
  RadioRig rig(options);
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
}

struct IdentCase {
  int length;
  HandshakeResult result;
};

void PrintTo(const IdentCase& c, std::ostream* os) { *os << c.length << " bytes"; }

class IdentificationTest : public ::testing::TestWithParam<IdentCase> {};

TEST_P(IdentificationTest, OnlyItsLengthMatters) {
  sim::RadioOptions options;
  options.identLength = GetParam().length;
  RadioRig rig(options);
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), GetParam().result);
  rig.radio.WaitQuiet(20ms, 500ms);
  const auto kinds = Kinds(rig.radio.Frames());
  if (GetParam().result == HandshakeResult::Connected) {
    EXPECT_EQ(kinds, (std::vector<FrameKind>{FrameKind::Hello, FrameKind::IdentRequest,
                                             FrameKind::Ack}));
    EXPECT_TRUE(reporter.failures.empty());
  } else {
    EXPECT_EQ(kinds, (std::vector<FrameKind>{FrameKind::Hello, FrameKind::IdentRequest}))
        << "a failed identification is not acknowledged";
    ASSERT_EQ(reporter.failures.size(), 1u);
    EXPECT_EQ(reporter.failures[0], GetParam().result == HandshakeResult::WrongType
                                        ? HandshakeFailure::WrongType
                                        : HandshakeFailure::NoConnection);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, IdentificationTest,
                         ::testing::Values(IdentCase{8, HandshakeResult::Connected},
                                           IdentCase{7, HandshakeResult::WrongType},
                                           IdentCase{1, HandshakeResult::WrongType},
                                           IdentCase{0, HandshakeResult::NoConnection}));

TEST(QueryPassword, ReturnsTheRadiosPasswordAndAcknowledgesIt) {
  RadioRig rig;
  const PasswordBytes secret = {1, 2, 35, 36, 61, 0};
  rig.radio.SetPassword(secret);
  RecordingReporter reporter;
  ASSERT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  const auto reply = QueryPassword(rig.link, reporter);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(*reply, secret);
  rig.radio.WaitQuiet(20ms, 500ms);
  const auto frames = rig.radio.Frames();
  ASSERT_EQ(frames.size(), 5u) << Describe(frames);
  EXPECT_EQ(frames[3].bytes, Bytes{0x05});
  EXPECT_EQ(frames[4].bytes, Bytes{0x06});
}

class ShortPasswordTest : public ::testing::TestWithParam<int> {};

TEST_P(ShortPasswordTest, IsAReadFailureWithoutAnAck) {
  sim::RadioOptions options;
  options.passwordLength = GetParam();
  RadioRig rig(options);
  RecordingReporter reporter;
  ASSERT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  EXPECT_FALSE(QueryPassword(rig.link, reporter).has_value());
  EXPECT_EQ(reporter.failures, std::vector<HandshakeFailure>{HandshakeFailure::ReadFailure});
  rig.radio.WaitQuiet(20ms, 500ms);
  EXPECT_EQ(rig.radio.Frames().back().kind, FrameKind::PasswordQuery);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortPasswordTest, ::testing::Values(5, 0));

// Nothing depends on the byte after an ACK: without it each ACK costs its full 50 ms wait,
// and the handshake still succeeds.
TEST(ConnectRadio, TheByteAfterAnAckIsAwaitedButNotNeeded) {
  auto handshakeTime = [](bool noByte) {
    sim::RadioOptions options;
    options.noByteAfterAck = noByte;
    RadioRig rig(options);
    RecordingReporter reporter;
    const auto start = Clock::now();
    EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
    EXPECT_TRUE(QueryPassword(rig.link, reporter).has_value());
    return MsSince(start);
  };
  const long long with = handshakeTime(false);
  const long long without = handshakeTime(true);
  EXPECT_LT(with, 100 + 50);
  EXPECT_GE(without, 100 + 2 * 50);
}

TEST(ConnectRadio, APortLeftOpenIsUsedAsItIsAndComIsNotRewritten) {
  RadioRig rig;
  rig.settings.com = 9;  // missing: opening it would fail
  rig.settings.search = true;
  ASSERT_TRUE(rig.link.OpenDevice(rig.radio.DevicePath(), 9600));
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  EXPECT_TRUE(reporter.ports.empty());
  EXPECT_TRUE(rig.settings.ComWrites().empty());
  EXPECT_EQ(rig.link.Device(), rig.radio.DevicePath());
}

TEST(ConnectRadio, WithoutSearchAConfiguredPortThatDoesNotOpenIsNoConnection) {
  RadioRig rig;
  rig.settings.com = 2;
  RecordingReporter reporter;
  const auto start = Clock::now();
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::NoConnection);
  EXPECT_LT(MsSince(start), 400) << "no attempts on a port that is not open";
  EXPECT_TRUE(rig.radio.Frames().empty());
  EXPECT_FALSE(rig.link.IsOpen());
}

TEST(ConnectRadio, TheSearchPassesMissingPortsOverAndSavesThePortThatAnswered) {
  RadioRig rig;
  rig.settings.ports.clear();
  rig.settings.ports[7] = rig.radio.DevicePath();
  rig.settings.com = 2;
  rig.settings.search = true;
  RecordingReporter reporter;
  const auto start = Clock::now();
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  EXPECT_LT(MsSince(start), 700);
  EXPECT_EQ(reporter.ports, std::vector<int>{7});
  EXPECT_EQ(rig.settings.ComWrites(), std::vector<int>{7});
  EXPECT_EQ(rig.link.Device(), rig.radio.DevicePath());
}

// The configured port first, then 1, 2, ... with the configured one again in its turn.
TEST(ConnectRadio, TheSearchTriesTheConfiguredPortThenEveryPortInOrder) {
  sim::RadioOptions quiet;
  quiet.silent = true;
  sim::VirtualRadio silent(quiet);
  ASSERT_TRUE(silent.Start());
  RadioRig rig;
  rig.settings.ports.clear();
  rig.settings.ports[3] = silent.DevicePath();
  rig.settings.ports[5] = rig.radio.DevicePath();
  rig.settings.com = 3;
  rig.settings.search = true;
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  EXPECT_EQ(reporter.ports, (std::vector<int>{3, 5}));
  EXPECT_EQ(rig.settings.ComWrites(), std::vector<int>{5});
  silent.WaitQuiet(20ms, 500ms);
  EXPECT_EQ(Kinds(silent.Frames()), std::vector<FrameKind>(20, FrameKind::Hello));
}

TEST(ConnectRadio, ARadioFoundAgainOnTheConfiguredPortHasComWrittenAgain) {
  sim::RadioOptions quiet;
  quiet.silent = true;
  sim::VirtualRadio silent(quiet);
  ASSERT_TRUE(silent.Start());
  RadioRig rig;
  rig.settings.ports.clear();
  rig.settings.ports[4] = rig.radio.DevicePath();
  rig.settings.com = 4;
  rig.settings.search = true;
  ASSERT_TRUE(rig.link.OpenDevice(silent.DevicePath(), 9600));  // left open, silent
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Connected);
  EXPECT_EQ(reporter.ports, std::vector<int>{4});
  EXPECT_EQ(rig.settings.ComWrites(), std::vector<int>{4});
}

TEST(ConnectRadio, ASearchOverNothingEndsQuicklyWithNoConnectionAndNoWrite) {
  RadioRig rig;
  rig.settings.ports.clear();
  rig.settings.com = 1;
  rig.settings.search = true;
  RecordingReporter reporter;
  const auto start = Clock::now();
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::NoConnection);
  EXPECT_LT(MsSince(start), 1500);
  EXPECT_TRUE(reporter.ports.empty());
  EXPECT_TRUE(rig.settings.ComWrites().empty());
  EXPECT_FALSE(rig.link.IsOpen());
}

TEST(ConnectRadio, ACancelStopsTheAttemptsAndTheSearch) {
  sim::RadioOptions options;
  options.silent = true;
  RadioRig rig(options);
  rig.settings.search = true;
  RecordingReporter reporter;
  reporter.cancelAfter = 3;
  EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), HandshakeResult::Cancelled);
  rig.radio.WaitQuiet(20ms, 500ms);
  EXPECT_EQ(Kinds(rig.radio.Frames()), std::vector<FrameKind>(2, FrameKind::Hello))
      << "asked after the pause and before each attempt";
  EXPECT_TRUE(reporter.ports.empty());
  EXPECT_TRUE(reporter.failures.empty()) << "a cancel is not a failure to report";
}

// The same search on the shell's settings file: [ports] names the devices, and the port
// found lands in [setup] "com".
TEST(ConnectRadio, SearchesThePortsTheSettingsFileNames) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start());
  TempDir dir;
  std::string ini = "[setup]\r\ncom=3\r\nsearchcom=1\r\ncommunication=PELTPGM\r\n\r\n[Ports]\r\n";
  for (int n = 1; n <= 255; ++n)
    ini += "COM" + std::to_string(n) + "=" + (n == 6 ? radio.DevicePath() : MissingPort(n)) + "\r\n";
  const std::string path = dir.Write("setting.ini", ini);
  const CSettings settings(path);
  CSerialLink link([&](int n) { return settings.PortDevice(n); });
  RecordingReporter reporter;
  EXPECT_EQ(ConnectRadio(link, settings, reporter), HandshakeResult::Connected);
  EXPECT_EQ(reporter.ports, std::vector<int>{6});
  EXPECT_EQ(CSettings(path).Com(), 6);
  EXPECT_NE(ReadText(path).find("com=6\r\n"), std::string::npos) << ReadText(path);
}

TEST(CSettingsPortDevice, NamesTheDeviceOfAComPort) {
  TempDir dir;
  const std::string path =
      dir.Write("setting.ini", "[setup]\ncom=1\n[PORTS]\nCom2=/dev/ttyACM0\ncom3=\n"
                               "com300=/dev/nothing\n");
  const CSettings settings(path);
  EXPECT_EQ(settings.PortDevice(2), "/dev/ttyACM0");
  EXPECT_EQ(settings.PortDevice(1), "/dev/ttyUSB0");
  EXPECT_EQ(settings.PortDevice(255), "/dev/ttyUSB254");
  EXPECT_EQ(settings.PortDevice(3), "") << "an empty entry names no device";
  EXPECT_EQ(settings.PortDevice(0), "");
  EXPECT_EQ(settings.PortDevice(300), "");
  // Read at each call.
  dir.Write("setting.ini", "[ports]\ncom2=/dev/serial/by-id/cable\n");
  EXPECT_EQ(settings.PortDevice(2), "/dev/serial/by-id/cable");
}

}  // namespace
}  // namespace rondel::test
