// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port on a pseudo-terminal: which ports open, the line settings, reads at and around
// their time-outs, reads and writes in pieces, the pause before a frame, and closed, never opened
// and hung-up lines.
#include <gtest/gtest.h>

#include <array>
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

struct Line {
  PtyPair pty;
  CSerialLink link;
  Line() { EXPECT_TRUE(pty.hold >= 0 && link.OpenDevice(pty.path, 9600)); }
  int Exclusive() const {
    int on = -1;
    return ::ioctl(pty.hold, TIOCGEXCL, &on) == 0 ? on : -1;
  }
};

TEST(SerialLink, OpensOnlyFreeTerminalsOfCom1To255) {
  Line l;
  l.link.Close();
  std::vector<int> asked;
  CSerialLink link([&](int n) { return asked.push_back(n), n == 1 || n == 255 ? l.pty.path : MissingPort(n); });
  EXPECT_FALSE(link.Open(0, 9600) || link.Open(256, 9600) || link.Open(2, 9600));
  EXPECT_TRUE(link.Open(1, 9600));
  EXPECT_EQ(link.Device(), l.pty.path);
  EXPECT_FALSE(link.Open(255, 9600)) << "an open link does not open again";
  link.Close();
  EXPECT_TRUE(link.Device().empty() && link.Open(255, 9600));
  EXPECT_EQ(asked, (std::vector<int>{2, 1, 255, 255})) << "0 and 256 are refused unasked";
  // Exclusive: a port we hold, or one another program has locked, does not open.
  EXPECT_EQ(l.Exclusive(), 1);
  EXPECT_FALSE(l.link.OpenDevice(l.pty.path, 9600));
  link.Close();
  EXPECT_EQ(l.Exclusive(), 0);
  const int other = ::open(l.pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(l.link.OpenDevice(l.pty.path, 9600));
  ::close(other);
  EXPECT_TRUE(l.link.OpenDevice(l.pty.path, 9600));
  // Only terminals: a mistyped [ports] entry never gets a hello packet written into it.
  TempDir dir;
  const std::string file = dir.Write("not-a-port", "hello");
  EXPECT_FALSE(link.OpenDevice(file, 9600) || link.OpenDevice("/dev/null", 9600) || link.OpenDevice(dir.path(), 9600) ||
               link.OpenDevice("", 9600) || ReadText(file) != "hello");
}

// Raw input and output are shown by the bytes that pass unchanged below; here the rest of 8N1.
TEST(SerialLink, SetsAn8N1LineWithoutFlowControlAtTheBaudAsked) {
  Line l;
  termios t{};
  ::tcgetattr(l.pty.hold, &t);
  t.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  ASSERT_EQ(::tcsetattr(l.pty.hold, TCSANOW, &t), 0);
  auto speed = [&] { return ::tcgetattr(l.pty.hold, &t), cfgetospeed(&t) == cfgetispeed(&t) ? cfgetospeed(&t) : 0; };
  l.link.Close();
  ASSERT_TRUE(l.link.OpenDevice(l.pty.path, 9600));
  EXPECT_EQ(speed(), speed_t{B9600});
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), tcflag_t{CS8 | CLOCAL | CREAD});
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), 0u);
  EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
  const std::pair<int, speed_t> rates[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                                           {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
  for (const auto& [baud, want] : rates) {
    l.link.SetBaudRate(baud);
    EXPECT_EQ(speed(), want) << baud;
  }
  l.link.SetBaudRate(4800);
  l.link.SetBaudRate(12345);  // a rate the line does not know leaves it as it is
  EXPECT_EQ(speed(), speed_t{B4800});
  l.link.Close();
  l.link.SetBaudRate(9600);  // a closed port is not touched
  EXPECT_EQ(speed(), speed_t{B4800});
}

// n-1, n and n+1 bytes waiting; a byte inside and one outside the time-out; a reply in parts;
// then frames out, raw, each after its pause.
TEST(SerialLink, ReadsWhatArrivesWithinTheTimeOut) {
  Line l;
  const Bytes sent = {0xF0, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x7F, 0xFF, 0x00, 0x1C, 0x04, 0x9B, 0x62};
  const std::tuple<std::size_t, int, int, int, int> cases[] = {
      // waiting, count, time-out, got, then left: a Read waits out its time-out only when short
      {12, 12, 2000, 12, -1}, {11, 12, 150, 11, -1}, {13, 12, 2000, 12, 0x62}, {0, 4, 100, 0, -1}, {5, 0, 2000, 0, 0xF0}};
  for (const auto& [waiting, count, timeout, got, left] : cases) {
    l.pty.Send(Bytes(sent.begin(), sent.begin() + static_cast<long>(waiting)));
    ASSERT_TRUE(WaitFor([&, n = static_cast<int>(waiting)] { return l.pty.Waiting() == n; }));
    std::uint8_t buf[12] = {};
    const auto start = Clock::now();
    EXPECT_EQ(l.link.Read(buf, count, timeout), got) << waiting;
    EXPECT_EQ(MsSince(start) >= timeout, got < count) << waiting;
    EXPECT_EQ(Bytes(buf, buf + got), Bytes(sent.begin(), sent.begin() + got));
    EXPECT_EQ(l.link.ReadByte(0), left) << waiting;
    while (l.link.ReadByte(0) != -1) {
    }
  }
  std::thread radio([&] {
    l.pty.Send({0xFF});
    std::this_thread::sleep_for(400ms);
    l.pty.Send({0x43, 0, 1, 1, 2, 2});
    std::this_thread::sleep_for(30ms);
    l.pty.Send({3, 3, 4, 4, 5, 5});
  });
  EXPECT_EQ(l.link.ReadByte(2000), 0xFF) << "a byte, not the -1 of none";
  const auto start = Clock::now();
  EXPECT_EQ(l.link.ReadByte(100), -1);
  EXPECT_GE(MsSince(start), 100);
  std::uint8_t buf[12] = {};
  EXPECT_EQ(l.link.Read(buf, 12, 4000), 12);
  radio.join();
  EXPECT_EQ(Bytes(buf, buf + 12), (Bytes{0x43, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));
  // The pause before a frame counts from the radio's last byte, or from the last frame.
  const Bytes frame = {0x57, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x7F, 0xFF};
  const auto writing = Clock::now();
  EXPECT_EQ(l.link.WriteByte(0x52, 20) + l.link.Write(frame.data(), 8, 20) + l.link.Write(frame.data(), 8, 0), 17);
  EXPECT_GE(MsSince(writing), 20);
  EXPECT_EQ(l.pty.Received(1s, 17), Cat(Cat({0x52}, frame.data(), 8), frame.data(), 8)) << "nothing translated";
}

// A reply in two pieces, split at every place, with more behind it than was asked for: the
// second read takes only what is still missing, so nothing lands past the caller's buffer and
// the surplus waits for the next read. The far end sends the rest only once the link has taken
// the first piece.
TEST(SerialLink, AReplyInTwoPiecesFillsExactlyTheBufferAsked) {
  Line l;
  constexpr int kCount = 12;
  constexpr std::uint8_t kUntouched = 0x5A;
  const Bytes reply = {0x57, 0x00, 0x10, 0x08, 0x01, 0x02, 0x03, 0x04, 0xF0, 0x0F, 0xA5, 0xC3};
  const Bytes surplus = {0x06, 0x81, 0x7E};
  for (int k = 1; k < kCount; ++k) {
    l.pty.Send(Bytes(reply.begin(), reply.begin() + k));
    ASSERT_TRUE(WaitFor([&] { return l.pty.Waiting() == k; }));
    std::thread radio([&] {
      if (WaitFor([&] { return l.pty.Waiting() == 0; })) l.pty.Send(Cat(Bytes(reply.begin() + k, reply.end()), surplus.data(), surplus.size()));
    });
    std::array<std::uint8_t, kCount + 16> buf;
    buf.fill(kUntouched);
    const int got = l.link.Read(buf.data(), kCount, 5000);
    radio.join();
    ASSERT_EQ(got, kCount) << "split after " << k;
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + kCount), reply) << k;
    EXPECT_EQ(Bytes(buf.begin() + kCount, buf.end()), Bytes(buf.size() - kCount, kUntouched)) << k;
    std::uint8_t rest[8] = {};
    EXPECT_EQ(l.link.Read(rest, 3, 5000), 3) << k;
    EXPECT_EQ(Bytes(rest, rest + 3), surplus) << k;
    EXPECT_EQ(l.link.ReadByte(0), -1) << k;
  }
}

// Never opened: like a silent radio, after the time-out. Closed: every call fails at once.
// Hung up: nothing more, without waiting, and still open until closed.
TEST(SerialLink, NeverOpenedClosedAndHungUpLines) {
  std::uint8_t buf[12] = {0x52, 0, 0, 8};
  CSerialLink fresh;
  auto start = Clock::now();
  EXPECT_EQ(fresh.Read(buf, 4, 80) + fresh.ReadByte(60) + fresh.Write(buf, 4, 40), -1);
  EXPECT_GE(MsSince(start), 180);
  Line l;
  l.link.Close();
  start = Clock::now();
  EXPECT_EQ(l.link.Read(buf, 12, 2000) + l.link.ReadByte(2000) + l.link.Write(buf, 4, 2000), -1);
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_TRUE(l.pty.Received(50ms).empty());
  ASSERT_TRUE(l.link.OpenDevice(l.pty.path, 9600));
  l.pty.HangUp();
  start = Clock::now();
  EXPECT_EQ(l.link.Read(buf, 12, 2000) + l.link.ReadByte(2000) + l.link.Write(buf, 12, 1), -1);
  EXPECT_LT(MsSince(start), 2000) << "a line that is gone is not waited on";
  EXPECT_TRUE(l.link.IsOpen());
  l.link.Close();
  EXPECT_FALSE(l.link.IsOpen());
}

// More than the line holds goes out as the far end makes room; a far end that takes nothing
// ends the write at its bound with what went; a line hung up ends it at once, pause or none.
TEST(SerialLink, LongWritesWaitForRoomWithinABound) {
  Bytes big(256 * 1024);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
  const int size = static_cast<int>(big.size());
  enum class Far { ReadsLate, NeverReads, HungUp };
  for (const Far far : {Far::ReadsLate, Far::NeverReads, Far::HungUp}) {
    Line l;
    Bytes got;
    std::thread reader([&] {
      if (far == Far::ReadsLate) std::this_thread::sleep_for(100ms), got = l.pty.Received(2s, big.size());
    });
    if (far == Far::HungUp) l.pty.HangUp();
    const int sent = l.link.Write(big.data(), size, 0);
    reader.join();
    const bool held = far == Far::ReadsLate    ? sent == size && got == big
                      : far == Far::NeverReads ? sent > 0 && sent < size && l.link.Write(big.data(), 1, 0) == 0
                                               : sent == 0;
    EXPECT_TRUE(held) << static_cast<int>(far) << ": " << sent << " of " << size;
  }
}

// A write larger than the line holds goes out in pieces as the far end makes room: each piece
// takes only what is still to go, so the far end gets exactly the bytes asked and then the next
// frame, none of the bytes that lie behind them in the caller's memory.
TEST(SerialLink, AWriteInPiecesSendsExactlyTheBytesAsked) {
  Line l;
  constexpr std::uint8_t kBehind = 0xEE, kNext = 0x42;
  const int count = 100 * 1024 + 77;  // more than the line holds, in no round number
  Bytes memory(static_cast<std::size_t>(count) + 128 * 1024, kBehind);
  for (int i = 0; i < count; ++i) memory[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 251);
  const Bytes asked(memory.begin(), memory.begin() + count);
  Bytes got;
  std::thread far([&] { got = l.pty.Received(5s, asked.size()); });
  const int sent = l.link.Write(memory.data(), count, 0);
  far.join();
  EXPECT_EQ(sent, count);
  EXPECT_TRUE(got == asked) << got.size() << " bytes of " << count;
  EXPECT_EQ(l.link.WriteByte(kNext, 0), 1);
  EXPECT_EQ(l.pty.Received(5s, 1), Bytes{kNext});
}

// Started with standard input closed, a program's port may well be descriptor 0.
TEST(SerialLink, APortOnDescriptorZeroIsAPortLikeAnyOther) {
  PtyPair pty;
  const int input = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
  ::close(0);
  CSerialLink link;
  const bool opened = link.OpenDevice(pty.path, 9600);
  const bool open = link.IsOpen();
  const int wrote = link.WriteByte(0x52, 0);
  link.Close();
  if (input >= 0) ::dup2(input, 0), ::close(input);
  EXPECT_TRUE(opened && open && wrote == 1);
  EXPECT_EQ(pty.Received(1s), Bytes{0x52});
}

}  // namespace
}  // namespace rondel::test
