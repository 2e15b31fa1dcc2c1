// The serial port on a pseudo-terminal: which ports open, the line settings, reads at and around
// their time-outs, the pause before a frame, a closed, never opened or hung-up line, and a Close
// from another thread (the thread sanitizer's case).
#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/link_rig.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

TEST(SerialLink, OpensOnlyFreeTerminalsOfCom1To255) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  std::vector<int> asked;
  CSerialLink link([&](int n) {
    asked.push_back(n);
    return n == 1 || n == 255 ? pty.path() : MissingPort(n);
  });
  EXPECT_FALSE(link.Open(0, 9600));
  EXPECT_FALSE(link.Open(256, 9600));
  EXPECT_FALSE(link.Open(2, 9600));
  EXPECT_TRUE(link.Open(1, 9600));
  EXPECT_EQ(link.Device(), pty.path());
  EXPECT_FALSE(link.Open(255, 9600)) << "an open link does not open again";
  link.Close();
  link.Close();
  EXPECT_EQ(link.Device(), "");
  EXPECT_TRUE(link.Open(255, 9600));
  EXPECT_EQ(asked, (std::vector<int>{2, 1, 255, 255})) << "0 and 256 are refused unasked";
  // Exclusive: a port we hold, or one another program has locked, does not open.
  int exclusive = -1;
  EXPECT_EQ(::ioctl(pty.hold(), TIOCGEXCL, &exclusive) == 0 && exclusive == 1, true);
  CSerialLink second;
  EXPECT_FALSE(second.OpenDevice(pty.path(), 9600));
  link.Close();
  EXPECT_EQ(::ioctl(pty.hold(), TIOCGEXCL, &exclusive) == 0 && exclusive == 0, true);
  const int other = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(second.OpenDevice(pty.path(), 9600));
  ::close(other);
  EXPECT_TRUE(second.OpenDevice(pty.path(), 9600));
  // Only terminals: a mistyped [ports] entry never gets a hello packet written into it.
  TempDir dir;
  const std::string file = dir.Write("not-a-port", "hello");
  for (const std::string& path : {file, std::string("/dev/null"), dir.path(), std::string()})
    EXPECT_FALSE(link.OpenDevice(path, 9600)) << path;
  EXPECT_EQ(ReadText(file), "hello");
}

TEST(SerialLink, SetsARaw8N1LineWithoutFlowControlAtTheBaudAsked) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.hold(), &t), 0);
  t.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  t.c_iflag |= IXON | IXOFF | ICRNL;
  t.c_lflag |= ICANON | ECHO;
  t.c_oflag |= OPOST;
  t.c_cc[VMIN] = 5;
  ASSERT_EQ(::tcsetattr(pty.hold(), TCSANOW, &t), 0);
  auto speed = [&] {
    ::tcgetattr(pty.hold(), &t);
    return cfgetospeed(&t) == cfgetispeed(&t) ? cfgetospeed(&t) : speed_t{0};
  };
  CSerialLink link;
  const std::pair<int, speed_t> bauds[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},
                                           {9600, B9600},   {19200, B19200}, {38400, B38400},
                                           {57600, B57600}, {115200, B115200}};
  for (const auto& [baud, expected] : bauds) {
    ASSERT_TRUE(link.OpenDevice(pty.path(), baud));
    EXPECT_EQ(speed(), expected) << baud;
    link.Close();
  }
  ASSERT_TRUE(link.OpenDevice(pty.path(), 300));  // no such rate here: the line keeps its own
  EXPECT_EQ(speed(), speed_t{B115200});
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), tcflag_t{CS8 | CLOCAL | CREAD});
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
  link.SetBaudRate(9600);
  EXPECT_EQ(speed(), speed_t{B9600});
  link.SetBaudRate(12345);
  EXPECT_EQ(speed(), speed_t{B9600});
  link.Close();
  link.SetBaudRate(4800);  // a closed port is not touched
  EXPECT_EQ(speed(), speed_t{B9600});
}

// n-1, n and n+1 bytes waiting; a byte inside and one outside the time-out; a trickle.
TEST(SerialLink, ReadsWhatArrivesWithinTheTimeOut) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  const Bytes sent = {0xF0, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x7F, 0xFF, 0x00, 0x1C, 0x04, 0x9B, 0x62};
  struct Case {
    std::size_t waiting;
    int count, timeout, got;
    bool waitsOut;  // returns only at the time-out
  };
  const Case cases[] = {{12, 12, 2000, 12, false}, {11, 12, 150, 11, true}, {13, 12, 2000, 12, false},
                        {0, 4, 100, 0, true},      {5, 0, 2000, 0, false}};
  for (const Case& c : cases) {
    pty.Send(Bytes(sent.begin(), sent.begin() + static_cast<long>(c.waiting)));
    ASSERT_TRUE(WaitFor([&] { return pty.Waiting() == static_cast<int>(c.waiting); }));
    std::uint8_t buf[12] = {};
    const auto start = Clock::now();
    EXPECT_EQ(link.Read(buf, c.count, c.timeout), c.got) << c.waiting;
    const long long took = MsSince(start);
    EXPECT_EQ(took >= c.timeout, c.waitsOut) << c.waiting << ": " << took << " ms";
    EXPECT_EQ(Bytes(buf, buf + c.got), Bytes(sent.begin(), sent.begin() + c.got));
    EXPECT_EQ(link.ReadByte(0), c.waiting > 12 ? 0x62 : c.count == 0 ? 0xF0 : -1) << "what was left";
    while (link.ReadByte(0) != -1) {
    }
  }
  pty.Send({0xFF});
  EXPECT_EQ(link.ReadByte(1000), 0xFF) << "a byte, not the -1 of none";
  std::thread late([&] {
    std::this_thread::sleep_for(40ms);
    pty.Send({0x42});
    std::this_thread::sleep_for(400ms);
    pty.Send({0x43, 0, 1, 1, 2, 2});
    std::this_thread::sleep_for(30ms);
    pty.Send({3, 3, 4, 4, 5, 5});
  });
  EXPECT_EQ(link.ReadByte(2000), 0x42);
  const auto start = Clock::now();
  EXPECT_EQ(link.ReadByte(100), -1);
  EXPECT_GE(MsSince(start), 100);
  std::uint8_t buf[12] = {};
  EXPECT_EQ(link.Read(buf, 12, 4000), 12);  // gathered to the end, not cut at the first part
  late.join();
  EXPECT_EQ(Bytes(buf, buf + 12), (Bytes{0x43, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));
}

// At least the pause asked for after the radio's last byte, and between frames.
TEST(SerialLink, PausesBeforeEachFrameAndSendsItRaw) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  const auto start = Clock::now();
  pty.Send({0x06});
  ASSERT_EQ(link.ReadByte(1000), 0x06);
  const Bytes frame = {0x57, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x7F, 0xFF};
  EXPECT_EQ(link.WriteByte(0x52, 20), 1);
  EXPECT_EQ(link.Write(frame.data(), 8, 20), 8);
  EXPECT_GE(MsSince(start), 40);
  EXPECT_EQ(link.Write(frame.data(), 8, 0), 8);
  EXPECT_EQ(pty.Received(1s, 17), Cat(Cat({0x52}, frame.data(), 8), frame.data(), 8));
}

// Never opened: like a silent radio, after the time-out. Closed: every call fails at once.
// Hung up: nothing more, without waiting, and still open until closed.
TEST(SerialLink, NeverOpenedClosedAndHungUpLines) {
  std::uint8_t buf[12] = {0x52, 0, 0, 8};
  CSerialLink link;
  auto start = Clock::now();
  EXPECT_EQ(link.Read(buf, 4, 80) + link.ReadByte(60) + link.Write(buf, 4, 40), -1);
  EXPECT_GE(MsSince(start), 180);
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  link.Close();
  int p[2];
  ASSERT_EQ(::pipe2(p, O_NONBLOCK | O_CLOEXEC), 0);  // likely the number the port had
  start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 2000) + link.ReadByte(2000) + link.Write(buf, 4, 2000), -1);
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_EQ(::read(p[0], buf, sizeof buf), -1) << "nothing went into a reused descriptor";
  ::close(p[0]);
  ::close(p[1]);
  EXPECT_TRUE(pty.Received(50ms).empty());

  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  pty.HangUp();
  start = Clock::now();
  EXPECT_EQ(link.Read(buf, 12, 2000) + link.ReadByte(2000) + link.Write(buf, 12, 1), -1);
  EXPECT_LT(MsSince(start), 2000) << "a line that is gone is not waited on";
  EXPECT_TRUE(link.IsOpen());
  link.Close();
  EXPECT_FALSE(link.IsOpen());
}

// Cancel closes the port under a worker: its waits end, the bytes it had are reported, a frame
// whose pause was cut short is not sent, and nothing races or uses a released descriptor.
TEST(SerialLink, ACloseFromAnotherThreadEndsEveryWait) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  pty.Send({7, 8});
  ASSERT_TRUE(WaitFor([&] { return pty.Waiting() == 2; }));
  std::atomic<int> got{-1}, wrote{-1};
  std::thread reader([&] {
    std::uint8_t buf[12];
    got = link.Read(buf, 12, 20000);
  });
  std::thread writer([&] {
    const std::uint8_t b = 0x62;
    wrote = link.Write(&b, 1, 20000);
  });
  ASSERT_TRUE(WaitFor([&] { return pty.Waiting() == 0; })) << "the reader has taken the two";
  std::this_thread::sleep_for(20ms);  // a head start for the writer, which fails alike without it
  const auto closing = Clock::now();
  link.Close();
  reader.join();
  writer.join();
  EXPECT_LT(MsSince(closing), 10000);
  EXPECT_EQ(got.load(), 2);
  EXPECT_EQ(wrote.load(), 0);
  EXPECT_TRUE(pty.Received(50ms).empty());
  for (int round = 0; round < 20; ++round) {
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
    link.Close();
    stop = true;
    worker.join();
    pty.Received(0ms, 1 << 20);
  }
}

TEST(SerialLink, ALongWriteWaitsForRoomAndGivesUpWhenNoneComes) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialLink link;
  ASSERT_TRUE(link.OpenDevice(pty.path(), 9600));
  Bytes big(200000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31);
  Bytes got;
  std::thread reader([&] { got = pty.Received(5s, big.size()); });
  EXPECT_EQ(link.Write(big.data(), static_cast<int>(big.size()), 0), static_cast<int>(big.size()));
  reader.join();
  EXPECT_EQ(got, big);
  big.resize(1 << 20);  // nobody reads: the queues fill, and the write gives up instead of hanging
  const int wrote = link.Write(big.data(), static_cast<int>(big.size()), 0);
  EXPECT_GT(wrote, 0);
  EXPECT_LT(wrote, static_cast<int>(big.size()));
}

}  // namespace
}  // namespace rondel::test
