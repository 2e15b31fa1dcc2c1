// SPDX-License-Identifier: GPL-3.0-or-later
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
  const std::pair<Bytes, bool> cases[] = {{good, true}, {with(3, 0x08), true}, {Bytes(good.begin(), good.end() - 1), false},
                                          {Cat(good, good.data(), 1), false}, {with(0, 0x58), false},
                                          {with(1, 0x02), false}, {with(2, 0xE0), false}};
  for (const auto& [reply, isGood] : cases)
    EXPECT_EQ(protocol::IsGoodReply(reply, 0x3E8), isGood) << ::testing::PrintToString(reply);
  BlockReply reply;
  std::copy(good.begin(), good.end(), reply.begin());
  RadioImage image{};
  StoreBlock(image, 0xFF8, reply);  // the last block of the image
  StoreBlock(image, 0xFF9, reply);  // one past: nothing
  EXPECT_EQ(Bytes(image.end() - 16, image.end()), Cat(Bytes(8, 0), good.data() + 4, 8));
}

// Each reaction summed up: what is shown, then the dialog's next step and what it does first.
std::string Summary(const TransferReaction& r) {
  const char* shows[] = {"nothing", "progress", "search", "text", "message"};
  const char* nexts[] = {"continue", "end", "idle"};
  std::string text = ReactionText(r, [](std::string_view key) { return std::string("<").append(key).append(">"); });
  text += std::string(text.empty() ? "" : " ") + shows[static_cast<int>(r.show)] + ", " + nexts[static_cast<int>(r.next)];
  if (r.final != (r.next != TransferNext::Continue) || r.closePort != r.final) text += ", inconsistent";
  if (r.barPosition != 0) text += ", bar " + std::to_string(r.barPosition);
  if (r.portPane != 0) text += ", COM" + std::to_string(r.portPane);
  return text + (r.handOverImage ? ", hand over" : "") + (r.sendLeaveByte ? ", leave" : "");
}

TEST(TransferTick, ReactsToEachStatus) {
  const std::tuple<int, int, int, const char*> cases[] = {  // status, progress, found port
      {0, 40, -1, "nothing, continue"},
      {1, 40, -1, "<IDS_ERROR_PORTCONN> message, end"},
      {2, 40, -1, "<IDS_ERROR_TYPE> message, end"},
      {4, 99, 1, "<IDS_PROMPT_READ> 99% progress, continue, bar 1013, COM1"},
      {4, -1, 0, "<IDS_PROMPT_READ> 0% progress, continue"},
      {5, 40, -1, "<IDS_PROMPT_READFAIL> text, idle"},
      {6, 100, -1, "nothing, end, hand over"},
      {7, 40, -1, "<IDS_PROMPT_WRITEFAIL> text, idle"},
      {8, 101, -1, "<IDS_PROMPT_WRITE> 100% progress, continue, bar 1024"},
      {9, 100, -1, "nothing, end, leave"},
      {11, 1, 1, "<IDS_SEARCHCOMPORT>. search, continue, COM1"},
      {11, 15, 15, "<IDS_SEARCHCOMPORT>............... search, continue, COM15"},
      {11, 16, 16, "<IDS_SEARCHCOMPORT> search, continue, COM16"},
      {11, 17, 255, "<IDS_SEARCHCOMPORT>. search, continue, COM255"},
      {11, -1, -1, "<IDS_SEARCHCOMPORT>............... search, continue"},
      {12, 40, -1, "<IDS_ERROR_PASSWORD> message, end"},
      {-1, 40, -1, "nothing, end"},
  };
  for (const auto& [status, progress, found, summary] : cases) {
    const TransferReaction r = ReactToStatus(status, progress, found, status != 8);
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(Summary(r), summary) << status << " " << progress;
  }
}

TEST(TestModeRules, MessagesAndPassword) {
  using T = TestModeResult;
  const std::tuple<T, bool, std::string> messages[] = {
      {T::Done, false, ""},
      {T::Done, true, "IDS_PROMPT_WRITESUCC IDS_PROMPT"},
      {T::NoConnection, true, "IDS_ERROR_PORTCONN IDS_ERROR error"},
      {T::WrongType, false, "IDS_ERROR_TYPE IDS_ERROR error"},
      {T::ReadFailed, false, "IDS_PROMPT_READFAIL IDS_ERROR error"},
      {T::WriteFailed, true, "IDS_PROMPT_WRITEFAIL IDS_PROMPT"}};
  for (const auto& [result, writeAll, text] : messages) {
    const TestModeMessage m = MessageOf(result, writeAll);
    EXPECT_EQ(m.text ? std::string(m.text) + " " + m.caption + (m.errorIcon ? " error" : "") : "", text);
  }
  TableSettings settings;
  settings.testPassword = "Calib#7";
  EXPECT_TRUE(IsTestPassword("Calib#7", settings) && !IsTestPassword("calib#7", settings) && !IsTestPassword("Calib#", settings));
}

TEST(Ports, DevicesAndTheLineNamingThePortTried) {
  const std::pair<int, std::string> devices[] = {{0, ""}, {1, "/dev/ttyUSB0"}, {255, "/dev/ttyUSB254"}, {256, ""}};
  for (const auto& [n, device] : devices) EXPECT_EQ(DefaultPortDevice(n), device) << n;
  TableSettings settings;
  settings.ports = {{2, "/dev/ttyACM0"}, {3, ""}};
  const std::tuple<bool, int, bool, std::string, std::string> cases[] = {  // open, com, search
      {false, 2, false, "tried %s here", "tried COM2 (/dev/ttyACM0) here"},
      {false, 2, true, "first %s, then all", "first COM2 (/dev/ttyACM0), then all"},
      {false, 3, false, "%s %s %d", "COM3 %s %d"},  // only the first "%s" is filled in
      {false, 0, false, "Port:", "Port: " + MissingPort(0)},  // no number: the device alone
      {true, 2, false, "Port:", "Port: /dev/ttyS4"}};  // a port left open is named by its device
  for (const auto& [open, com, search, lang, text] : cases) {
    settings.com = com;
    settings.search = search;
    EXPECT_EQ(PortTriedText(PortToBeTried(open, "/dev/ttyS4", settings), [search = search, &lang = lang](std::string_view key) {
      return std::string(key == (search ? "IDS_ERROR_PORTSEARCHED" : "IDS_ERROR_PORTTRIED") ? lang : "?");
    }), text);
  }
  EXPECT_EQ(DescribePort({0, "", false}) + DescribePort({300, "", false}), "COM0COM300");
}

}  // namespace
}  // namespace rondel::test
