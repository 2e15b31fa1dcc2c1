// Frequency codec: text to 10 Hz units, raster snapping, packed BCD and back, band checks.
// Expected values are the worked examples of the radio's documentation and hand calculations.
#include "core/frequency_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <ostream>
#include <string>

namespace rondel {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// --- Text to integer -----------------------------------------------------------------------

struct TextToIntCase {
  const char* text;
  std::int32_t value;
};
std::ostream& operator<<(std::ostream& os, const TextToIntCase& c) {
  return os << '"' << c.text << "\" -> " << c.value;
}

class FrequencyTextToIntTest : public ::testing::TestWithParam<TextToIntCase> {};

TEST_P(FrequencyTextToIntTest, MovesThePointFivePlaces) {
  EXPECT_EQ(FrequencyTextToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, FrequencyTextToIntTest, ::testing::Values(
    TextToIntCase{"446.00625", 44600625},
    TextToIntCase{"446", 44600000},
    TextToIntCase{"446.5", 44650000},
    TextToIntCase{"446.006251", 44600625},  // the sixth decimal is dropped, not rounded
    TextToIntCase{"446.006259", 44600625},
    TextToIntCase{"446.", 44600000},
    TextToIntCase{"0446.00625", 44600625}));

INSTANTIATE_TEST_SUITE_P(OddText, FrequencyTextToIntTest, ::testing::Values(
    TextToIntCase{"", 0},
    TextToIntCase{".5", 50000},
    TextToIntCase{"  446.5", 44650000},   // leading blanks are skipped
    TextToIntCase{"\t446", 44600000},
    TextToIntCase{"-446", 0},             // no sign
    TextToIntCase{"+446", 0},
    TextToIntCase{"446.0a5", 4460},       // "4460a500.000": the number ends at the letter
    TextToIntCase{"446 .5", 446},         // "446 50000.0"
    TextToIntCase{"1.2.3", 12},           // only the first point moves: "12.300.000"
    TextToIntCase{"abc", 0}));

INSTANTIATE_TEST_SUITE_P(Overflow, FrequencyTextToIntTest, ::testing::Values(
    TextToIntCase{"21474.83647", kInt32Max},  // the largest value that still fits
    TextToIntCase{"21474.83648", kInt32Max},  // one more saturates
    TextToIntCase{"99999999999", kInt32Max},
    TextToIntCase{"123456789012345678901234567890.5", kInt32Max}));

// --- Text to image bytes -------------------------------------------------------------------

struct EncodeCase {
  const char* text;
  std::int32_t snapped;
  FreqBytes bytes;
};
std::ostream& operator<<(std::ostream& os, const EncodeCase& c) {
  return os << '"' << c.text << "\" -> " << c.snapped;
}

class EncodeFrequencyTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeFrequencyTest, SnapsToTheRasterAndPacksBcd) {
  const EncodeCase& c = GetParam();
  EXPECT_EQ(SnapFrequency(FrequencyTextToInt(c.text)), c.snapped);
  EXPECT_EQ(EncodeFrequency(c.text), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, EncodeFrequencyTest, ::testing::Values(
    EncodeCase{"446.00625", 44600625, {0x25, 0x06, 0x60, 0x44}},
    EncodeCase{"446.0062", 44600625, {0x25, 0x06, 0x60, 0x44}},   // agrees down to the kHz
    EncodeCase{"446.003", 44600500, {0x00, 0x05, 0x60, 0x44}},    // 5 kHz step is nearer
    EncodeCase{"446.0025", 44600000, {0x00, 0x00, 0x60, 0x44}},   // remainder 250 stays down
    EncodeCase{"400.006", 40000625, {0x25, 0x06, 0x00, 0x40}},
    EncodeCase{"446.00937", 44601000, {0x00, 0x10, 0x60, 0x44}},  // 5 kHz step raised
    EncodeCase{"99.99999", 10000000, {0x00, 0x00, 0x00, 0x10}},
    EncodeCase{"446.", 44600000, {0x00, 0x00, 0x60, 0x44}},
    EncodeCase{"446", 44600000, {0x00, 0x00, 0x60, 0x44}}));

// Hand-calculated: 446.007 has A = 446.00625 (75 away) and B = 446.00500 (200 away);
// 446.0056 has B 60 away and A 65 away; 446.0057 has B 70 away and A 55 away; 446.01175 sits
// exactly 75 below A = 446.01250 (B = 446.01000 is 175 away); 446.01375 is 125 from both
// A = 446.01250 and B = 446.01500, and a tie goes to B.
INSTANTIATE_TEST_SUITE_P(NearerCandidate, EncodeFrequencyTest, ::testing::Values(
    EncodeCase{"446.01175", 44601250, {0x50, 0x12, 0x60, 0x44}},
    EncodeCase{"446.01375", 44601500, {0x00, 0x15, 0x60, 0x44}},
    EncodeCase{"400.01375", 40001500, {0x00, 0x15, 0x00, 0x40}},
    EncodeCase{"446.007", 44600625, {0x25, 0x06, 0x60, 0x44}},
    EncodeCase{"446.0056", 44600500, {0x00, 0x05, 0x60, 0x44}},
    EncodeCase{"446.0057", 44600625, {0x25, 0x06, 0x60, 0x44}},
    EncodeCase{"0", 0, {0x00, 0x00, 0x00, 0x00}},
    EncodeCase{"x", 0, {0x00, 0x00, 0x00, 0x00}}));  // not empty, so stored as zero

// Beyond 999.99999 MHz the eight BCD digits are full; the value stays at the largest one.
INSTANTIATE_TEST_SUITE_P(BeyondEightDigits, EncodeFrequencyTest, ::testing::Values(
    EncodeCase{"999.99999", kMaxFrequency, {0x99, 0x99, 0x99, 0x99}},
    EncodeCase{"1000", kMaxFrequency, {0x99, 0x99, 0x99, 0x99}},
    EncodeCase{"99999999999", kMaxFrequency, {0x99, 0x99, 0x99, 0x99}}));

TEST(EncodeFrequency, EmptyTextIsNotSet) {
  EXPECT_EQ(EncodeFrequency(""), (FreqBytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(SnapFrequency, StaysInsideWhatEightDigitsHold) {
  EXPECT_EQ(SnapFrequency(kInt32Max), kMaxFrequency);
  EXPECT_EQ(SnapFrequency(kMaxFrequency), kMaxFrequency);
  EXPECT_EQ(SnapFrequency(-1000), 0);
  EXPECT_EQ(SnapFrequency(std::numeric_limits<std::int32_t>::min()), 0);
}

// --- Image bytes to text -------------------------------------------------------------------

struct DecodeCase {
  FreqBytes bytes;
  const char* text;
};
std::ostream& operator<<(std::ostream& os, const DecodeCase& c) {
  return os << "-> \"" << c.text << '"';
}

class DecodeFrequencyTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeFrequencyTest, PrintsTheNibbles) {
  EXPECT_EQ(DecodeFrequency(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, DecodeFrequencyTest, ::testing::Values(
    DecodeCase{{0x25, 0x06, 0x60, 0x44}, "446.00625"},
    DecodeCase{{0x00, 0x00, 0x00, 0x00}, "00.00000"},
    DecodeCase{{0x00, 0x00, 0x00, 0x05}, "50.00000"},  // no leading zero
    DecodeCase{{0x00, 0x00, 0x00, 0x01}, "10.00000"},
    DecodeCase{{0x99, 0x99, 0x99, 0x99}, "999.99999"},
    DecodeCase{{0x00, 0x00, 0x00, 0x99}, "990.00000"}));

INSTANTIATE_TEST_SUITE_P(NotSet, DecodeFrequencyTest, ::testing::Values(
    DecodeCase{{0x00, 0x00, 0x00, 0x9A}, ""},
    DecodeCase{{0xFF, 0xFF, 0xFF, 0xFF}, ""},
    DecodeCase{{0x25, 0x06, 0x60, 0xA0}, ""}));

// Below the highest byte nothing is checked: a damaged digit shows as its hex letter.
INSTANTIATE_TEST_SUITE_P(NonBcdNibbles, DecodeFrequencyTest, ::testing::Values(
    DecodeCase{{0x9A, 0x00, 0x00, 0x44}, "440.0009a"},
    DecodeCase{{0x00, 0x00, 0xAB, 0x44}, "44a.b0000"},
    DecodeCase{{0x00, 0xF0, 0x00, 0x4C}, "4c0.0f000"}));

TEST(IsFrequencySet, DecidedByTheHighestByteOnly) {
  EXPECT_TRUE(IsFrequencySet(FreqBytes{0xFF, 0xFF, 0xFF, 0x99}));
  EXPECT_TRUE(IsFrequencySet(FreqBytes{0x00, 0x00, 0x00, 0x00}));
  EXPECT_FALSE(IsFrequencySet(FreqBytes{0x00, 0x00, 0x00, 0x9A}));
  EXPECT_FALSE(IsFrequencySet(FreqBytes{0x25, 0x06, 0x60, 0xFF}));
}

// --- Round trips over a whole band ---------------------------------------------------------

// BCD bytes of a value built from its decimal text, independently of the encoder's arithmetic.
FreqBytes BcdOf(std::int32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08d", static_cast<int>(value));
  FreqBytes bytes{};
  for (int i = 0; i < 4; ++i) {
    const int hi = digits[6 - 2 * i] - '0';
    const int lo = digits[7 - 2 * i] - '0';
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return bytes;
}

void ExpectRasterRoundTrips(std::int32_t step) {
  int checked = 0;
  for (std::int32_t f = 40000000; f <= 47000000; f += step, ++checked) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%05d", static_cast<int>(f / 100000),
                  static_cast<int>(f % 100000));
    const FreqBytes bytes = BcdOf(f);
    ASSERT_EQ(SnapFrequency(f), f) << text;
    ASSERT_EQ(EncodeFrequency(text), bytes) << text;
    ASSERT_EQ(DecodeFrequency(bytes), text);
    ASSERT_EQ(EncodeFrequency(DecodeFrequency(bytes)), bytes) << text;
  }
  EXPECT_EQ(checked, 7000000 / step + 1);
}

TEST(FrequencyRoundTrip, Every6250HzStepFrom400To470MHz) { ExpectRasterRoundTrips(625); }
TEST(FrequencyRoundTrip, Every5kHzStepFrom400To470MHz) { ExpectRasterRoundTrips(500); }

// --- Band check and band edge text ---------------------------------------------------------

struct BandCheckCase {
  const char* text;
  int side;
};
std::ostream& operator<<(std::ostream& os, const BandCheckCase& c) {
  return os << '"' << c.text << "\" -> " << c.side;
}

class BandCheckTest : public ::testing::TestWithParam<BandCheckCase> {};

TEST_P(BandCheckTest, AgainstTheUhfBand) {
  EXPECT_EQ(BandCheck(GetParam().text, 40000000, 47000000), GetParam().side);
}

INSTANTIATE_TEST_SUITE_P(Edges, BandCheckTest, ::testing::Values(
    BandCheckCase{"", 0},
    BandCheckCase{"400", 0},             // both edges belong to the band
    BandCheckCase{"470", 0},
    BandCheckCase{"470.00000", 0},
    BandCheckCase{"470.000009", 0},      // the sixth decimal is dropped before the check
    BandCheckCase{"399.99999", -1},
    BandCheckCase{"470.00001", 1},
    BandCheckCase{"446.00625", 0},
    BandCheckCase{"abc", -1},            // reads as 0
    BandCheckCase{"99999999999", 1}));   // saturated, still above

struct EdgeTextCase {
  int side;
  std::int32_t low;
  std::int32_t high;
  const char* text;
};
std::ostream& operator<<(std::ostream& os, const EdgeTextCase& c) {
  return os << c.side << " -> \"" << c.text << '"';
}

class BandEdgeTextTest : public ::testing::TestWithParam<EdgeTextCase> {};

TEST_P(BandEdgeTextTest, FormatsTheChosenEdge) {
  const EdgeTextCase& c = GetParam();
  EXPECT_EQ(BandEdgeText(c.side, c.low, c.high), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandEdgeTextTest, ::testing::Values(
    EdgeTextCase{-1, 10000000, 52000000, "100.00000"},
    EdgeTextCase{1, 10000000, 52000000, "520.00000"},
    EdgeTextCase{0, 10000000, 52000000, "100.00000"},  // only +1 picks the upper edge
    EdgeTextCase{-1, 40000000, 47000000, "400.00000"},
    EdgeTextCase{1, 40000000, 44600625, "446.00625"},
    EdgeTextCase{-1, 5000000, 47000000, "050.00000"}));  // three digits before the point

}  // namespace
}  // namespace rondel
