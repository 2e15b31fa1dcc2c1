// Model entries of the settings file: band codes, band limits and the search for an image's
// model. A fake source stands in for the settings file and records what was asked of it.
#include "core/model_info.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace rondel {
namespace {

// --- Band code -----------------------------------------------------------------------------

struct BandCodeCase {
  const char* entry;
  BandCode code;
};
std::ostream& operator<<(std::ostream& os, const BandCodeCase& c) {
  return os << '"' << c.entry << '"';
}

class BandCodeFromEntryTest : public ::testing::TestWithParam<BandCodeCase> {};

TEST_P(BandCodeFromEntryTest, ReadsEightHexCharacters) {
  EXPECT_EQ(BandCodeFromEntry(GetParam().entry), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandCodeFromEntryTest, ::testing::Values(
    BandCodeCase{"00400047", {0x00, 0x40, 0x00, 0x47}},
    BandCodeCase{"00400047 UHF", {0x00, 0x40, 0x00, 0x47}},  // only eight characters count
    BandCodeCase{"60134017", {0x60, 0x13, 0x40, 0x17}},
    BandCodeCase{"ABCDEF01", {0xAB, 0xCD, 0xEF, 0x01}},
    BandCodeCase{"abcdef01", {0xAB, 0xCD, 0xEF, 0x01}},      // either case
    BandCodeCase{"9:G0Z1zg", {0x93, 0x00, 0x31, 0x30}}));    // (value - 55) AND 0x0F

INSTANTIATE_TEST_SUITE_P(ShortEntries, BandCodeFromEntryTest, ::testing::Values(
    BandCodeCase{"0040", {0x00, 0x40, 0x00, 0x00}},  // missing characters count as "0"
    BandCodeCase{"0040004", {0x00, 0x40, 0x00, 0x40}},
    BandCodeCase{"F", {0xF0, 0x00, 0x00, 0x00}},
    BandCodeCase{"", {0x00, 0x00, 0x00, 0x00}}));

TEST(BandCodeHex, UpperCaseByteZeroFirst) {
  EXPECT_EQ(BandCodeHex({0x00, 0x40, 0x00, 0x47}), "00400047");
  EXPECT_EQ(BandCodeHex({0xAB, 0xCD, 0xEF, 0x01}), "ABCDEF01");
  EXPECT_EQ(BandCodeHex({0xFF, 0xFF, 0xFF, 0xFF}), "FFFFFFFF");
}

TEST(BandCodeHex, ReadsBackAsTheSameCode) {
  for (const BandCode code : {BandCode{0x00, 0x40, 0x00, 0x47}, BandCode{0x60, 0x13, 0x40, 0x17},
                              BandCode{0x0F, 0xF0, 0xA5, 0x5A}}) {
    EXPECT_EQ(BandCodeFromEntry(BandCodeHex(code)), code) << BandCodeHex(code);
  }
}

// --- Band limits ---------------------------------------------------------------------------

struct LimitsCase {
  const char* entry;
  std::int32_t low;
  std::int32_t high;
};
std::ostream& operator<<(std::ostream& os, const LimitsCase& c) {
  return os << '"' << c.entry << '"';
}

class BandLimitsTest : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(BandLimitsTest, MegahertzDigitsOfBothEdges) {
  const BandLimits limits = BandLimitsFromEntry(GetParam().entry);
  EXPECT_EQ(limits.low, GetParam().low);
  EXPECT_EQ(limits.high, GetParam().high);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandLimitsTest, ::testing::Values(
    LimitsCase{"00400047", 40000000, 47000000},
    LimitsCase{"60134017", 13600000, 17400000},   // 136-174 MHz
    LimitsCase{"50404547", 40500000, 47400000},   // 405.0-474.5: the 100 kHz digit is left out
    LimitsCase{"00400047 UHF", 40000000, 47000000},
    LimitsCase{"", kDefaultBandLow, kDefaultBandHigh}));

INSTANTIATE_TEST_SUITE_P(OddEntries, BandLimitsTest, ::testing::Values(
    LimitsCase{"004A0047", 400000, 47000000},      // "4A0": the number ends at the letter
    LimitsCase{"0A400047", 40000000, 47000000},    // position 1 is never read
    LimitsCase{"00 50047", 5000000, 47000000},     // " 50": a leading blank is skipped
    LimitsCase{"0040", 40000000, 0},               // the upper digits are missing
    LimitsCase{"004", 400000, 0},                  // "4", then the entry ends
    LimitsCase{"0040004", 40000000, 400000},
    LimitsCase{"X", 0, 0}));

// --- Finding the model of an image ---------------------------------------------------------

// Answers from a table of entries by k and records every question.
class FakeModelData : public ModelDataSource {
 public:
  explicit FakeModelData(std::map<int, std::string> entries) : m_entries(std::move(entries)) {}
  std::string ModelData(int k, std::size_t bufSize) const override {
    m_asked.push_back(k);
    m_bufSizes.push_back(bufSize);
    const auto it = m_entries.find(k);
    return it == m_entries.end() ? std::string() : it->second;
  }
  const std::vector<int>& asked() const { return m_asked; }
  const std::vector<std::size_t>& bufSizes() const { return m_bufSizes; }

 private:
  std::map<int, std::string> m_entries;
  mutable std::vector<int> m_asked;
  mutable std::vector<std::size_t> m_bufSizes;
};

constexpr BandCode kUhf{0x00, 0x40, 0x00, 0x47};
constexpr BandCode kVhf{0x60, 0x13, 0x40, 0x17};

TEST(FindModelEntry, MatchesTheWholeCode) {
  FakeModelData source({{0, "00400047"}, {1, "60134017"}, {2, "00400048"}});
  EXPECT_EQ(FindModelEntry(source, kVhf), 1);
  EXPECT_EQ(FindModelEntry(source, BandCode{0x00, 0x40, 0x00, 0x48}), 2);
  EXPECT_EQ(FindModelEntry(source, kUhf), 0);
}

TEST(FindModelEntry, DuplicateCodesGiveTheLaterIndex) {
  FakeModelData source({{0, "00400047"}, {1, "60134017"}, {2, "00400047"}, {3, "60134017"}});
  EXPECT_EQ(FindModelEntry(source, kUhf), 2);
  EXPECT_EQ(FindModelEntry(source, kVhf), 3);
}

TEST(FindModelEntry, NoMatchGivesZero) {
  FakeModelData source({{0, "60134017"}, {1, "60134017"}});
  EXPECT_EQ(FindModelEntry(source, kUhf), 0);
  EXPECT_EQ(source.asked(), (std::vector<int>{0, 1, 2}));
}

TEST(FindModelEntry, StopsAtTheFirstMissingEntry) {
  FakeModelData source({{0, "60134017"}, {2, "00400047"}});
  EXPECT_EQ(FindModelEntry(source, kUhf), 0);  // data2 is never reached
  EXPECT_EQ(source.asked(), (std::vector<int>{0, 1}));
}

TEST(FindModelEntry, StopsAtTheFirstEmptyEntry) {
  FakeModelData source({{0, "60134017"}, {1, ""}, {2, "00400047"}});
  EXPECT_EQ(FindModelEntry(source, kUhf), 0);
  EXPECT_EQ(source.asked(), (std::vector<int>{0, 1}));
}

TEST(FindModelEntry, NoEntriesAtAll) {
  FakeModelData source({});
  EXPECT_EQ(FindModelEntry(source, kUhf), 0);
  EXPECT_EQ(source.asked(), (std::vector<int>{0}));
}

TEST(FindModelEntry, AsksAtMostSixteenEntriesWithTheLookupBuffer) {
  std::map<int, std::string> entries;
  for (int k = 0; k <= 16; ++k) entries[k] = "60134017";
  entries[15] = "00400047";
  entries[16] = "00400047";  // beyond the sixteen models; must not be read
  FakeModelData source(std::move(entries));
  EXPECT_EQ(FindModelEntry(source, kUhf), 15);
  std::vector<int> expected;
  for (int k = 0; k < 16; ++k) expected.push_back(k);
  EXPECT_EQ(source.asked(), expected);
  for (std::size_t size : source.bufSizes()) EXPECT_EQ(size, kModelDataLookupBuffer);
}

TEST(FindModelEntry, ShortAndLowerCaseEntries) {
  FakeModelData source({{0, "60134017"}, {1, "abcdef01 test"}, {2, "0040"}});
  EXPECT_EQ(FindModelEntry(source, BandCode{0xAB, 0xCD, 0xEF, 0x01}), 1);
  EXPECT_EQ(FindModelEntry(source, BandCode{0x00, 0x40, 0x00, 0x00}), 2);
}

}  // namespace
}  // namespace rondel
