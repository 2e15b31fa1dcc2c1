// The block exchanges both the transfer and the test mode use, byte for byte on a raw line:
// what each sends, what it waits for, and what it leaves in the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <thread>

#include "link/block_exchange.h"
#include "link/link_rig.h"

namespace rondel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct Line {
  PtyPair pty;
  CSerialLink link;
  Line() { link.OpenDevice(pty.path(), 9600); }
};

struct FrameCase {
  std::size_t address;
  Bytes frame;  // the write block of PatternImage(0x10) at that address
};
void PrintTo(const FrameCase& c, std::ostream* os) { *os << "address " << c.address; }

class WriteBlock : public ::testing::TestWithParam<FrameCase> {};

TEST_P(WriteBlock, CarriesTheAddressAndTheImagesEightBytes) {
  const RadioImage image = PatternImage(0x10);
  const FrameCase& c = GetParam();
  Bytes want = c.frame;
  std::copy_n(image.begin() + static_cast<long>(c.address), 8, std::back_inserter(want));
  const auto frame = WriteBlockFrame(image, c.address);
  EXPECT_EQ(Bytes(frame.begin(), frame.end()), want);
}

INSTANTIATE_TEST_SUITE_P(Addresses, WriteBlock,
                         ::testing::Values(FrameCase{0x000, {0x57, 0x00, 0x00, 0x08}},
                                           FrameCase{0x0A8, {0x57, 0x00, 0xA8, 0x08}},
                                           FrameCase{0x3E8, {0x57, 0x03, 0xE8, 0x08}},
                                           FrameCase{0x3F8, {0x57, 0x03, 0xF8, 0x08}}));

TEST(WriteBlock, BeyondTheImageCarriesZerosAndStoreBlockWritesNothing) {
  RadioImage image = PatternImage(0x10);
  const RadioImage before = image;
  const auto frame = WriteBlockFrame(image, image.size() - 4);
  EXPECT_TRUE(std::all_of(frame.begin() + 4, frame.end(), [](std::uint8_t b) { return b == 0; }));
  BlockReply reply;
  reply.fill(0xEE);
  StoreBlock(image, image.size() - 4, reply);
  StoreBlock(image, image.size(), reply);
  EXPECT_EQ(image, before);
}

TEST(RequestBlock, SendsTheReadBlockAndReturnsWhatArrivedWithinHalfASecond) {
  Line l;
  ASSERT_TRUE(l.pty.ok());
  BlockReply reply{};
  std::thread radio([&] {
    const Bytes got = l.pty.Received(500ms);
    EXPECT_EQ(got, (Bytes{0x52, 0x01, 0x28, 0x08}));
    l.pty.Send({0x57, 0x01, 0x28, 0x08, 1, 2, 3, 4, 5, 6, 7, 8});
  });
  EXPECT_EQ(RequestBlock(l.link, 0x128, reply), 12);
  radio.join();
  RadioImage image{};
  StoreBlock(image, 0x128, reply);
  EXPECT_EQ(Bytes(image.begin() + 0x128, image.begin() + 0x130), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(image[0x127], 0);
  EXPECT_EQ(image[0x130], 0);

  // Six bytes and silence: the half second runs out and six is the answer.
  std::thread shortRadio([&] {
    l.pty.Received(500ms);
    l.pty.Send({0x57, 0x00, 0x00, 0x08, 9, 9});
  });
  const auto start = Clock::now();
  EXPECT_EQ(RequestBlock(l.link, 0, reply), 6);
  EXPECT_GE(MsSince(start), 450);
  shortRadio.join();
}

TEST(SendWriteBlock, IsAcceptedOnlyBy0x06) {
  for (const std::uint8_t answer : {std::uint8_t{0x06}, std::uint8_t{0x15}}) {
    Line l;
    ASSERT_TRUE(l.pty.ok());
    const RadioImage image = PatternImage(0x22);
    std::thread radio([&] {
      const Bytes got = l.pty.Received(500ms);
      const auto want = WriteBlockFrame(image, 0x3F0);
      EXPECT_EQ(got, Bytes(want.begin(), want.end()));
      l.pty.Send({answer});
    });
    EXPECT_EQ(SendWriteBlock(l.link, image, 0x3F0, 50), answer == 0x06) << int{answer};
    radio.join();
  }
}

TEST(SendWriteBlock, GivesUpAfterItsAnswerTime) {
  Line l;
  ASSERT_TRUE(l.pty.ok());
  const auto start = Clock::now();
  EXPECT_FALSE(SendWriteBlock(l.link, PatternImage(0), 0, 50));
  const long long ms = MsSince(start);
  EXPECT_GE(ms, 45);
  EXPECT_LT(ms, 400);
}

TEST(SendLiveCalibration, SendsTheCalibrationBlockOfTheImageAndWaitsForOneByte) {
  Line l;
  ASSERT_TRUE(l.pty.ok());
  RadioImage image = PatternImage(0x33);
  for (std::size_t i = 0; i < 8; ++i) image[0x3F0 + i] = static_cast<std::uint8_t>(0xA0 + i);
  std::thread radio([&] {
    EXPECT_EQ(l.pty.Received(500ms),
              (Bytes{0x67, 0x03, 0xF0, 0x08, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7}));
    l.pty.Send({0x06, 0x55});
  });
  SendLiveCalibration(l.link, image);
  radio.join();
  // The answer was taken, the byte after it was not.
  std::uint8_t left = 0;
  EXPECT_EQ(l.link.Read(&left, 1, 100), 1);
  EXPECT_EQ(left, 0x55);
}

TEST(AcknowledgeAndLeave, SendOneByteEach) {
  Line l;
  ASSERT_TRUE(l.pty.ok());
  const auto start = Clock::now();
  Acknowledge(l.link);
  EXPECT_GE(MsSince(start), 45) << "the ACK waits for the byte after it";
  EXPECT_EQ(l.pty.Received(), Bytes{0x06});
  SendLeave(l.link);
  EXPECT_EQ(l.pty.Received(), Bytes{0x62});
}

}  // namespace
}  // namespace rondel::test
