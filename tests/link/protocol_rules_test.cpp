// The link's pure rules as tables: the frames byte for byte, which replies are good, what a
// tick makes of each status, the test mode's messages and password, and the port texts.
#include <gtest/gtest.h>

#include "link/block_exchange.h"
#include "link/link_rig.h"
#include "link/port_message.h"
#include "link/test_mode.h"

namespace rondel::test {
namespace {

template <class A>
Bytes B(const A& a) { return Bytes(a.begin(), a.end()); }

TEST(Frames, AreTheseBytes) {
  RadioImage image{};  // 11.. at block 0, A1.. at the calibration block, F1.. at the very end
  for (std::uint8_t i = 0; i < 8; ++i) {
    image[i] = 0x11 + i;
    image[0x3F0 + i] = 0xA1 + i;
    image[0xFF8 + i] = 0xF1 + i;
  }
  const std::pair<Bytes, Bytes> cases[] = {
      {B(protocol::HelloPacket("PELTPGM")), kHello},
      {B(protocol::HelloPacket("PELTPGMX")), kHello},
      {B(protocol::HelloPacket("SIXCHR")), {0x02, 'S', 'I', 'X', 'C', 'H', 'R', 0x00}},
      {B(protocol::HelloPacket("")), {0x02, 0, 0, 0, 0, 0, 0, 0}},
      {B(protocol::ReadRequest(0x3F8)), {0x52, 0x03, 0xF8, 0x08}},
      {B(WriteBlockFrame(image, 0x000)), {0x57, 0x00, 0x00, 0x08, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18}},
      {B(WriteBlockFrame(image, 0xFF8)), {0x57, 0x0F, 0xF8, 0x08, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8}},
      // A block reaching past the image carries zeros, not bytes from beyond it.
      {B(WriteBlockFrame(image, 0xFF9)), {0x57, 0x0F, 0xF9, 0x08, 0, 0, 0, 0, 0, 0, 0, 0}},
      {B(protocol::LiveCalibrationFrame(std::span<const std::uint8_t, 8>(image.data() + 0x3F0, 8))),
       {0x67, 0x03, 0xF0, 0x08, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8}},
  };
  for (const auto& [frame, bytes] : cases) EXPECT_EQ(frame, bytes);
}

// Whole and naming its block; the fourth byte is not looked at.
TEST(Frames, AReplyIsGoodWhenWholeAndNamingItsBlock) {
  const Bytes good = {0x57, 0x03, 0xE8, 0x99, 1, 2, 3, 4, 5, 6, 7, 8};
  auto with = [&](std::size_t at, std::uint8_t value) { Bytes b = good; b[at] = value; return b; };
  const std::pair<Bytes, bool> cases[] = {{good, true},        {with(3, 0x08), true},
                                          {Bytes(good.begin(), good.end() - 1), false},
                                          {Cat(good, good.data(), 1), false},
                                          {with(0, 0x58), false}, {with(1, 0x02), false},
                                          {with(2, 0xE0), false}};
  for (const auto& [reply, isGood] : cases)
    EXPECT_EQ(protocol::IsGoodReply(reply, 0x3E8), isGood) << ::testing::PrintToString(reply);
  BlockReply reply;
  std::copy(good.begin(), good.end(), reply.begin());
  RadioImage image{};
  StoreBlock(image, 0xFF8, reply);  // the last block of the image
  StoreBlock(image, 0xFF9, reply);  // one past: nothing
  EXPECT_EQ(Bytes(image.end() - 16, image.end()), Cat(Bytes(8, 0), good.data() + 4, 8));
}

TEST(TransferTick, ReactsToEachStatus) {
  using S = TransferShow;
  using N = TransferNext;
  struct Case {
    int status, progress, found;
    S show;
    const char* text;
    N next;
    int bar = 0, pane = 0;
    bool handOver = false, leave = false;
  };
  const Case cases[] = {
      {0, 40, -1, S::Nothing, "", N::Continue},
      {1, 40, -1, S::Message, "<IDS_ERROR_PORTCONN>", N::End},
      {2, 40, -1, S::Message, "<IDS_ERROR_TYPE>", N::End},
      {3, 40, -1, S::Nothing, "", N::End},
      {4, 0, -1, S::Progress, "<IDS_PROMPT_READ> 0%", N::Continue, 0},
      {4, 99, 1, S::Progress, "<IDS_PROMPT_READ> 99%", N::Continue, 1013, 1},
      {4, -1, 0, S::Progress, "<IDS_PROMPT_READ> 0%", N::Continue, 0},
      {5, 40, -1, S::Text, "<IDS_PROMPT_READFAIL>", N::Idle},
      {6, 100, -1, S::Nothing, "", N::End, 0, 0, true},
      {7, 40, -1, S::Text, "<IDS_PROMPT_WRITEFAIL>", N::Idle},
      {8, 100, -1, S::Progress, "<IDS_PROMPT_WRITE> 100%", N::Continue, 1024},
      {8, 101, -1, S::Progress, "<IDS_PROMPT_WRITE> 100%", N::Continue, 1024},  // never past the end
      {9, 100, -1, S::Nothing, "", N::End, 0, 0, false, true},
      {10, 40, -1, S::Nothing, "", N::End},
      {11, 1, 1, S::Search, "<IDS_SEARCHCOMPORT>.", N::Continue, 0, 1},
      {11, 15, 15, S::Search, "<IDS_SEARCHCOMPORT>...............", N::Continue, 0, 15},
      {11, 16, 16, S::Search, "<IDS_SEARCHCOMPORT>", N::Continue, 0, 16},
      {11, 17, 255, S::Search, "<IDS_SEARCHCOMPORT>.", N::Continue, 0, 255},
      {11, -1, -1, S::Search, "<IDS_SEARCHCOMPORT>...............", N::Continue},
      {12, 40, -1, S::Message, "<IDS_ERROR_PASSWORD>", N::End},
      {13, 40, -1, S::Nothing, "", N::End},
      {-1, 40, -1, S::Nothing, "", N::End},
  };
  auto lang = [](std::string_view key) { return "<" + std::string(key) + ">"; };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.status << " " << c.progress);
    const TransferReaction r = ReactToStatus(c.status, c.progress, c.found, c.status != 8);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.show, c.show);
    EXPECT_EQ(ReactionText(r, lang), c.text);
    EXPECT_EQ(r.next, c.next);
    EXPECT_EQ(r.final, c.next != N::Continue);
    EXPECT_EQ(r.closePort, c.next != N::Continue);
    EXPECT_EQ(r.barPosition, c.bar);
    EXPECT_EQ(r.portPane, c.pane);
    EXPECT_EQ(r.handOverImage, c.handOver);
    EXPECT_EQ(r.sendLeaveByte, c.leave);
  }
}

TEST(TestModeRules, MessagesAndPassword) {
  using T = TestModeResult;
  const std::tuple<T, bool, const char*, const char*, bool> messages[] = {
      {T::Done, false, "", "", false},
      {T::Done, true, "IDS_PROMPT_WRITESUCC", "IDS_PROMPT", false},
      {T::NoConnection, true, "IDS_ERROR_PORTCONN", "IDS_ERROR", true},
      {T::WrongType, false, "IDS_ERROR_TYPE", "IDS_ERROR", true},
      {T::ReadFailed, false, "IDS_PROMPT_READFAIL", "IDS_ERROR", true},
      {T::WriteFailed, true, "IDS_PROMPT_WRITEFAIL", "IDS_PROMPT", false}};
  for (const auto& [result, writeAll, text, caption, icon] : messages) {
    const TestModeMessage m = MessageOf(result, writeAll);
    EXPECT_STREQ(m.text ? m.text : "", text);
    EXPECT_STREQ(m.caption ? m.caption : "", caption);
    EXPECT_EQ(m.errorIcon, icon) << text;
  }
  const std::tuple<const char*, const char*, bool> passwords[] = {
      {"Calib#7", "Calib#7", true}, {"Calib#7", "calib#7", false}, {"Calib#7", "Calib#", false},
      {"Calib#7", "Calib#77", false}, {"", "", true}, {"", "x", false}, {"测试", "测试", true}};
  TableSettings settings;
  for (const auto& [expected, entered, opens] : passwords) {
    settings.testPassword = expected;
    EXPECT_EQ(IsTestPassword(entered, settings), opens) << entered << " for " << expected;
  }
}

TEST(Ports, DevicesAndTheLineNamingThePortTried) {
  const std::pair<int, std::string> devices[] = {
      {0, ""}, {1, "/dev/ttyUSB0"}, {10, "/dev/ttyUSB9"}, {255, "/dev/ttyUSB254"}, {256, ""}};
  for (const auto& [n, device] : devices) EXPECT_EQ(DefaultPortDevice(n), device) << n;

  TableSettings settings;
  settings.ports[2] = "/dev/serial/by-id/ftdi";
  auto lang = [](std::string_view key) -> std::string {
    return key == "IDS_ERROR_PORTTRIED" ? "tried %s here" : "first %s, then all";
  };
  const std::tuple<bool, int, bool, std::string> cases[] = {
      {false, 2, false, "tried COM2 (/dev/serial/by-id/ftdi) here"},
      {false, 3, false, "tried COM3 (" + MissingPort(3) + ") here"},
      {false, 2, true, "first COM2 (/dev/serial/by-id/ftdi), then all"},
      {true, 2, false, "tried /dev/ttyS4 here"}};  // a port left open is named by its device
  for (const auto& [open, com, search, text] : cases) {
    settings.com = com;
    settings.search = search;
    EXPECT_EQ(PortTriedText(PortToBeTried(open, "/dev/ttyS4", settings), lang), text);
  }
  const std::pair<PortTried, std::string> described[] = {
      {{1, "/dev/x", false}, "COM1 (/dev/x)"}, {{0, "/dev/y", false}, "/dev/y"},
      {{0, "", false}, "COM0"}, {{300, "", false}, "COM300"}};
  for (const auto& [port, text] : described) EXPECT_EQ(DescribePort(port), text);
  // A text without its place gets the port behind it; only the first "%s" is filled in.
  const PortTried port{4, "/dev/ttyUSB3", false};
  EXPECT_EQ(PortTriedText(port, [](std::string_view) { return std::string("Port:"); }),
            "Port: COM4 (/dev/ttyUSB3)");
  EXPECT_EQ(PortTriedText(port, [](std::string_view) { return std::string("%s %s %d"); }),
            "COM4 (/dev/ttyUSB3) %s %d");
}

}  // namespace
}  // namespace rondel::test
