// The serial port on a pseudo-terminal: exclusive open, line settings, the time-out rules of
// Read and ReadByte, a Close from another thread, and a line that hangs up.
#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/link_rig.h"
#include "link/serial_link.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(DefaultPortDevice, MapsComNumbersToUsbSerialDevices) {
  EXPECT_EQ(DefaultPortDevice(1), "/dev/ttyUSB0");
  EXPECT_EQ(DefaultPortDevice(10), "/dev/ttyUSB9");
  EXPECT_EQ(DefaultPortDevice(255), "/dev/ttyUSB254");
  EXPECT_EQ(DefaultPortDevice(0), "");
  EXPECT_EQ(DefaultPortDevice(256), "");
  EXPECT_EQ(DefaultPortDevice(-3), "");
}

TEST(SerialLink, OpensComPortsThroughItsResolverAndNeverOutsideOneTo255) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  std::vector<int> asked;
  CSerialLink link([&](int n) {
    asked.push_back(n);
    return n == 12 ? pty.path() : MissingPort(n);
  });
  EXPECT_FALSE(link.Open(0, 9600));
  EXPECT_FALSE(link.Open(256, 9600));
  EXPECT_TRUE(asked.empty()) << "numbers outside 1..255 are refused before any lookup";
  EXPECT_FALSE(link.Open(11, 9600));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_TRUE(link.Open(12, 9600));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(link.Device(), pty.path());
  EXPECT_EQ(asked, (std::vector<int>{11, 12}));
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.Device(), "");
  link.Close();  // closing a closed port does nothing
  EXPECT_FALSE(link.IsOpen());
}

TEST(SerialLink, OnlyTerminalsOpen) {
  TempDir dir;
  const std::string file = dir.Write("not-a-port", "hello");
  CSerialLink link;
  EXPECT_FALSE(link.OpenDevice(file, 9600)) << "an ordinary file is no port";
  EXPECT_FALSE(link.OpenDevice("/dev/null", 9600));
  EXPECT_FALSE(link.OpenDevice(dir.path(), 9600));
  EXPECT_FALSE(link.OpenDevice("", 9600));
  EXPECT_EQ(ReadText(file), "hello");
}

TEST(SerialLink, OpenIsExclusive) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink first;
  CSerialLink second;
  ASSERT_TRUE(first.OpenDevice(pty.path(), 9600));
  int exclusive = -1;
  ASSERT_EQ(::ioctl(pty.hold(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1) << "TIOCEXCL keeps other openers out";
  EXPECT_FALSE(second.OpenDevice(pty.path(), 9600)) << "a port we hold does not open twice";
  EXPECT_FALSE(first.OpenDevice(pty.path(), 9600)) << "an open link does not open again";
  first.Close();
  ASSERT_EQ(::ioctl(pty.hold(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0) << "Close gives the exclusive flag back";
  EXPECT_TRUE(second.OpenDevice(pty.path(), 9600));
}

TEST(SerialLink, APortAnotherProgramLocksDoesNotOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const int other = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  CSerialLink link;
  EXPECT_FALSE(link.OpenDevice(pty.path(), 9600));
  ::flock(other, LOCK_UN);
  EXPECT_TRUE(link.OpenDevice(pty.path(), 9600));
  ::close(other);
}

TEST(SerialLink, SetsARaw9600Baud8N1LineWithoutFlowControl) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  termios before{};
  ASSERT_EQ(::tcgetattr(pty.hold(), &before), 0);
  before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  before.c_iflag |= IXON | IXOFF | ICRNL;
  before.c_lflag |= ICANON | ECHO;
  before.c_oflag |= OPOST;
  before.c_cc[VMIN] = 5;
  cfsetspeed(&before, B2400);
  ASSERT_EQ(::tcsetattr(pty.hold(), TCSANOW, &before), 0);

  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.hold(), &t), 0);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_NE(t.c_cflag & CREAD, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));

  link.SetBaudRate(19200);
  ASSERT_EQ(::tcgetattr(pty.hold(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
  link.Close();
  link.SetBaudRate(4800);  // a closed port is not touched
  ASSERT_EQ(::tcgetattr(pty.hold(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
}

TEST(SerialLink, WritesWholeFramesAfterTheirDelay) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  const Bytes frame = {0x57, 0x00, 0x08, 0x08, 0x0A, 0x0D, 0x00, 0xFF, 0x11, 0x13, 0x03, 0x7F};
  const auto start = Clock::now();
  EXPECT_EQ(link.Write(frame.data(), static_cast<int>(frame.size()), 30), 12);
  EXPECT_GE(MsSince(start), 30);
  EXPECT_EQ(pty.Received(), frame) << "raw: no byte translated, none swallowed";
  EXPECT_EQ(link.WriteByte(0x62, 1), 1);
  EXPECT_EQ(pty.Received(), Bytes{0x62});
}

double MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The pause before a frame is a deadline counted from the arrival of the radio's last byte:
// whatever the tool does with that byte meanwhile is part of the pause, not added to it.
TEST(SerialLink, ThePauseBeforeAFrameCountsFromTheLastByteRead) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  double shortestAfterWork = 1e9;
  for (int round = 0; round < 5; ++round) {
    pty.Send({0x06});
    ASSERT_EQ(link.ReadByte(500), 0x06);
    const auto read = Clock::now();
    // Never sooner than the pause after the byte.
    ASSERT_EQ(link.WriteByte(0x52, 1), 1);
    EXPECT_GE(MsBetween(read, Clock::now()), 0.95) << "round " << round;
    EXPECT_EQ(pty.Received(), Bytes{0x52});

    // Work longer than the pause: the frame then goes out without a further wait. The
    // shortest of a few rounds is taken, so a busy machine cannot fake a wait.
    pty.Send({0x06});
    ASSERT_EQ(link.ReadByte(500), 0x06);
    std::this_thread::sleep_for(3ms);
    const auto before = Clock::now();
    ASSERT_EQ(link.WriteByte(0x52, 1), 1);
    shortestAfterWork = std::min(shortestAfterWork, MsBetween(before, Clock::now()));
    EXPECT_EQ(pty.Received(), Bytes{0x52});
  }
  EXPECT_LT(shortestAfterWork, 0.5);

  // Without a byte since the last frame, the pause counts from now.
  const auto start = Clock::now();
  ASSERT_EQ(link.WriteByte(0x52, 1), 1);
  ASSERT_EQ(link.WriteByte(0x52, 1), 1);
  EXPECT_GE(MsBetween(start, Clock::now()), 1.95);
}

// Bytes that come at the line's pace are gathered with a few waits rather than one a byte, but
// the last one is taken the moment it arrives, and a Close still ends the wait at once.
TEST(SerialLink, APacedReplyEndsWhenItsLastByteArrives) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 1200));  // 8.3 ms a byte
  double shortestLag = 1e9;
  for (int round = 0; round < 3; ++round) {
    Clock::time_point last;
    std::thread radio([&] {
      for (std::uint8_t b = 0; b < 6; ++b) {
        std::this_thread::sleep_for(8ms);
        last = Clock::now();
        pty.Send({b});
      }
    });
    std::uint8_t buf[6] = {};
    EXPECT_EQ(link.Read(buf, 6, 2000), 6);
    const auto done = Clock::now();
    radio.join();
    EXPECT_EQ(Bytes(buf, buf + 6), (Bytes{0, 1, 2, 3, 4, 5}));
    shortestLag = std::min(shortestLag, MsBetween(last, done));
  }
  EXPECT_LT(shortestLag, 4.0) << "not a byte time late";

  std::thread closer([&] {
    std::this_thread::sleep_for(20ms);
    link.Close();
  });
  pty.Send({1});
  std::uint8_t buf[12] = {};
  const auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 5000), 1);  // waits for 10 byte times, 83 ms, unless closed
  EXPECT_LT(MsSince(start), 60);
  closer.join();
}

TEST(SerialLink, ReadByteZeroIsExactlyOneAttempt) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  auto start = Clock::now();
  EXPECT_EQ(link.ReadByte(0), -1);
  EXPECT_LT(MsSince(start), 20);
  pty.Send({0x06, 0xFF});
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(link.ReadByte(0), 0x06);
  EXPECT_EQ(link.ReadByte(0), 0xFF) << "0xFF is a byte, not the -1 of no byte";
  EXPECT_EQ(link.ReadByte(0), -1);
}

TEST(SerialLink, ReadByteWaitsForALateByteAndGivesUpAtItsTimeOut) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  auto start = Clock::now();
  EXPECT_EQ(link.ReadByte(60), -1);
  EXPECT_GE(MsSince(start), 60);
  EXPECT_LT(MsSince(start), 200);

  std::thread late([&] {
    std::this_thread::sleep_for(30ms);
    pty.Send({0x42});
  });
  start = Clock::now();
  EXPECT_EQ(link.ReadByte(1000), 0x42);
  EXPECT_LT(MsSince(start), 500) << "returns when the byte arrives, not at the time-out";
  late.join();
}

TEST(SerialLink, ReadReturnsAtOnceWhenAllAreWaitingAndWhatCameAtItsTimeOut) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  Bytes sent(12);
  for (int i = 0; i < 12; ++i) sent[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xF0 + i);
  pty.Send(sent);
  std::this_thread::sleep_for(20ms);
  std::uint8_t buf[12] = {};
  auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 500), 12);
  EXPECT_LT(MsSince(start), 100);
  EXPECT_EQ(Bytes(buf, buf + 12), sent);

  pty.Send({1, 2, 3, 4, 5});
  start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 150), 5);
  EXPECT_GE(MsSince(start), 150);
  EXPECT_LT(MsSince(start), 400);
  EXPECT_EQ(Bytes(buf, buf + 5), (Bytes{1, 2, 3, 4, 5}));

  // Bytes that trickle in are gathered until the count is complete.
  std::thread trickle([&] {
    for (std::uint8_t b = 0; b < 6; ++b) {
      std::this_thread::sleep_for(10ms);
      pty.Send({b, b});
    }
  });
  start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 2000), 12);
  EXPECT_LT(MsSince(start), 1000);
  trickle.join();
  EXPECT_EQ(Bytes(buf, buf + 12), (Bytes{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));
}

TEST(SerialLink, ANeverOpenedPortAnswersLikeASilentRadio) {
  CSerialLink link;
  std::uint8_t buf[4];
  const Bytes frame = {1, 2};
  auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 4, 80), 0);
  EXPECT_GE(MsSince(start), 80);
  start = Clock::now();
  EXPECT_EQ(link.ReadByte(60), -1);
  EXPECT_GE(MsSince(start), 60);
  EXPECT_EQ(link.ReadByte(0), -1);
  EXPECT_EQ(link.Write(frame.data(), 2, 1), 0);
  EXPECT_FALSE(link.IsOpen());
}

TEST(SerialLink, AfterCloseEveryCallFailsAtOnce) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  link.Close();
  std::uint8_t buf[12];
  const auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 500), 0);
  EXPECT_EQ(link.ReadByte(500), -1);
  EXPECT_EQ(link.Write(buf, 12, 100), 0);
  EXPECT_LT(MsSince(start), 50);
  EXPECT_TRUE(pty.Received(10ms).empty());
}

TEST(SerialLink, CloseWakesAReadInProgressAtOnce) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  pty.Send({7, 8});
  std::atomic<int> got{-1};
  std::atomic<long long> took{0};
  std::thread reader([&] {
    std::uint8_t buf[12];
    const auto start = Clock::now();
    got = link.Read(buf, 12, 5000);
    took = MsSince(start);
  });
  std::this_thread::sleep_for(50ms);
  const auto closing = Clock::now();
  link.Close();
  EXPECT_LT(MsSince(closing), 100) << "Close does not wait out the reader's time-out";
  reader.join();
  EXPECT_EQ(got.load(), 2) << "the bytes read before the Close are reported";
  EXPECT_LT(took.load(), 1000);
}

TEST(SerialLink, CloseCutsTheDelayBeforeAWriteShort) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  std::atomic<int> wrote{-1};
  std::thread writer([&] {
    const std::uint8_t b = 0x62;
    wrote = link.Write(&b, 1, 3000);
  });
  std::this_thread::sleep_for(30ms);
  const auto closing = Clock::now();
  link.Close();
  writer.join();
  EXPECT_LT(MsSince(closing), 500);
  EXPECT_EQ(wrote.load(), 0) << "a frame whose delay was cut short is not sent";
  EXPECT_TRUE(pty.Received(10ms).empty());
}

// The descriptor number of a closed port is soon given to another file; the link must never
// write into whatever now holds it.
TEST(SerialLink, NeverTouchesADescriptorReusedAfterClose) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  link.Close();
  int p[2];
  ASSERT_EQ(::pipe2(p, O_NONBLOCK | O_CLOEXEC), 0);
  const std::uint8_t frame[4] = {0x52, 0, 0, 8};
  EXPECT_EQ(link.Write(frame, 4, 0), 0);
  std::uint8_t buf[8];
  EXPECT_EQ(::read(p[0], buf, sizeof buf), -1) << "nothing reached the pipe";
  EXPECT_EQ(link.ReadByte(0), -1);
  ::close(p[0]);
  ::close(p[1]);
}

TEST(SerialLink, AHungUpLineDeliversWhatWasWaitingThenNothingWithoutWaiting) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  pty.Send({0x55});
  EXPECT_EQ(link.ReadByte(200), 0x55);
  pty.HangUp();
  std::uint8_t buf[12];
  const auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 500), 0);
  EXPECT_EQ(link.ReadByte(500), -1);
  EXPECT_EQ(link.Write(buf, 12, 1), 0);
  EXPECT_LT(MsSince(start), 200) << "a line that is gone is not waited on";
  EXPECT_TRUE(link.IsOpen()) << "the port stays open until it is closed";
  link.Close();
  EXPECT_FALSE(link.IsOpen());
}

TEST(SerialLink, AWriteTheLineCannotTakeEndsWithinItsBound) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  // Nobody reads the far end: the terminal's queues fill up.
  Bytes flood(1 << 20, 0x5A);
  const auto start = Clock::now();
  const int wrote = link.Write(flood.data(), static_cast<int>(flood.size()), 0);
  EXPECT_GT(wrote, 0);
  EXPECT_LT(wrote, static_cast<int>(flood.size()));
  EXPECT_LT(MsSince(start), 2000);
}

TEST(SerialLink, ALongWriteWaitsForRoomWhileTheFarEndReads) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  Bytes big(200000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31);
  Bytes got;
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done || got.size() < big.size()) {
      const Bytes part = pty.Received(20ms);
      got.insert(got.end(), part.begin(), part.end());
      if (done && part.empty()) break;
    }
  });
  EXPECT_EQ(link.Write(big.data(), static_cast<int>(big.size()), 0), static_cast<int>(big.size()));
  done = true;
  reader.join();
  EXPECT_EQ(got, big);
}

// Cancel closes the port under a worker that is reading and writing; run under the thread
// sanitizer this is where a data race or a use of a released descriptor would show.
TEST(SerialLink, CloseUnderABusyThreadIsSafeAndPrompt) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  for (int round = 0; round < 40; ++round) {
    ASSERT_TRUE(link.OpenDevice(pty.path(), 9600)) << round;
    std::atomic<bool> stop{false};
    std::thread worker([&] {
      std::uint8_t buf[12] = {0x52, 0, 0, 8};
      while (!stop) {
        link.Write(buf, 4, 1);
        link.Read(buf, 12, 20);
        link.ReadByte(round % 3 == 0 ? 0u : 5u);
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
    const auto closing = Clock::now();
    link.Close();
    EXPECT_LT(MsSince(closing), 100);
    stop = true;
    worker.join();
    (void)pty.Received(0ms);
  }
}

}  // namespace
}  // namespace rondel::test
