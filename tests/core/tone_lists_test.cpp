// The embedded tone lists: their records, their texts in order, and the grid's choice list.
// The expected texts are the published CTCSS tones and DCS codes, written out here in full.
#include "core/tone_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/bindata.h"

namespace rondel {
namespace {

const std::vector<std::string> kCtcss = {
    "67.0",  "69.3",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",  "88.5",  "91.5",
    "94.8",  "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8", "118.8", "123.0", "127.3",
    "131.8", "136.5", "141.3", "146.2", "151.4", "156.7", "159.8", "162.2", "165.5", "167.9",
    "171.3", "173.8", "177.3", "179.9", "183.5", "186.2", "189.9", "192.8", "196.6", "199.5",
    "203.5", "206.5", "210.7", "218.1", "225.7", "229.1", "233.6", "241.8", "250.3", "254.1"};

const std::vector<std::string> kDcsCodes = {
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "053", "054", "065", "071",
    "072", "073", "074", "114", "115", "116", "122", "125", "131", "132", "134", "143", "145",
    "152", "155", "156", "162", "165", "172", "174", "205", "212", "223", "225", "226", "243",
    "244", "245", "246", "251", "252", "255", "261", "263", "265", "266", "271", "274", "306",
    "311", "315", "325", "331", "332", "343", "346", "351", "356", "364", "365", "371", "411",
    "412", "413", "423", "431", "432", "445", "446", "452", "454", "455", "462", "464", "465",
    "466", "503", "506", "516", "523", "526", "532", "546", "565", "606", "612", "624", "627",
    "631", "632", "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};

std::vector<std::string> DcsTexts(char suffix) {
  std::vector<std::string> texts;
  for (const std::string& code : kDcsCodes) texts.push_back("D" + code + suffix);
  return texts;
}

TEST(ToneList, CtcssHoldsTheFiftyTones) {
  const auto list = ToneList(kToneListCtcss);
  ASSERT_EQ(list.size(), 50u);
  EXPECT_EQ(list.front(), "67.0");
  EXPECT_EQ(list.back(), "254.1");
  EXPECT_EQ(list, kCtcss);
}

TEST(ToneList, DcsNormalHoldsTheCodesWithN) {
  ASSERT_EQ(kDcsCodes.size(), 104u);
  const auto list = ToneList(kToneListDcsNormal);
  ASSERT_EQ(list.size(), 104u);
  EXPECT_EQ(list.front(), "D023N");
  EXPECT_EQ(list.back(), "D754N");
  EXPECT_EQ(list, DcsTexts('N'));
}

TEST(ToneList, DcsInvertedHoldsTheCodesWithI) {
  const auto list = ToneList(kToneListDcsInverted);
  ASSERT_EQ(list.size(), 104u);
  EXPECT_EQ(list.front(), "D023I");
  EXPECT_EQ(list.back(), "D754I");
  EXPECT_EQ(list, DcsTexts('I'));
}

TEST(ToneList, UnknownNumberIsEmpty) {
  EXPECT_TRUE(ToneList(137).empty());
  EXPECT_TRUE(bindata::Find(137).empty());
}

TEST(ToneRecords, EightBytesEachZeroPadded) {
  struct {
    int number;
    std::size_t entries;
  } const lists[] = {{kToneListCtcss, 50}, {kToneListDcsNormal, 104}, {kToneListDcsInverted, 104}};
  for (const auto& l : lists) {
    SCOPED_TRACE(l.number);
    const auto bytes = bindata::Find(l.number);
    ASSERT_EQ(bytes.size(), l.entries * kToneRecordSize);
    for (std::size_t at = 0; at < bytes.size(); at += kToneRecordSize) {
      std::size_t len = 0;
      while (len < kToneRecordSize && bytes[at + len] != 0) ++len;
      EXPECT_GE(len, 4u) << "record " << at / kToneRecordSize;
      EXPECT_LT(len, kToneRecordSize) << "record " << at / kToneRecordSize;
      for (std::size_t i = len; i < kToneRecordSize; ++i)
        EXPECT_EQ(bytes[at + i], 0) << "record " << at / kToneRecordSize << " byte " << i;
    }
  }
}

TEST(ToneRecords, FirstRecordBytes) {
  const auto bytes = bindata::Find(kToneListCtcss);
  ASSERT_GE(bytes.size(), 16u);
  const std::uint8_t first[16] = {'6', '7', '.', '0', 0, 0, 0, 0, '6', '9', '.', '3', 0, 0, 0, 0};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], first[i]) << i;
}

TEST(ToneChoices, OffFirstThenCtcssNormalInverted) {
  const auto choices = ToneChoices("\xE5\x85\xB3");
  ASSERT_EQ(choices.size(), 259u);
  EXPECT_EQ(choices[0], "\xE5\x85\xB3");
  EXPECT_EQ(choices[1], "67.0");
  EXPECT_EQ(choices[50], "254.1");
  EXPECT_EQ(choices[51], "D023N");
  EXPECT_EQ(choices[154], "D754N");
  EXPECT_EQ(choices[155], "D023I");
  EXPECT_EQ(choices[258], "D754I");
}

}  // namespace
}  // namespace rondel
