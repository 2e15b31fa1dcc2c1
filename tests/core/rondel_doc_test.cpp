// The document's field operations on the memory image: defaults, clamps, bit fields, models.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/image_layout.h"
#include "core/rondel_doc.h"
#include "support/table_models.h"

namespace rondel {
namespace {

namespace L = layout;
using test::ShippedModels;
using test::TableModels;

CRondelDoc NewDocument(int model = 0) {
  CRondelDoc doc;
  doc.Blank();
  doc.SelectModel(model, ShippedModels());
  return doc;
}

TEST(DocumentBlank, HeaderTextAndAllFF) {
  CRondelDoc doc;
  doc.header()[40] = 0x5A;  // reserved bytes survive blanking
  doc.image()[0x123] = 0;
  doc.bandLow = 123;
  doc.Blank();
  EXPECT_EQ(std::string(doc.header().begin(), doc.header().begin() + 30),
            "Pelto Radio Program data v1.02");
  EXPECT_EQ(doc.header()[40], 0x5A);
  EXPECT_TRUE(std::all_of(doc.image().begin(), doc.image().end(), [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(doc.bandLow, 123);  // blanking leaves the band limits alone
}

TEST(DocumentDefaults, BlankPlusDefaultsGivesTheKnownBytes) {
  const CRondelDoc doc = NewDocument();
  for (int n = 1; n <= 16; ++n) {
    EXPECT_TRUE(doc.IsChannelEmpty(n)) << n;
    EXPECT_EQ(doc.image()[0x10 * n + 12], 0xEB) << n;
  }
  EXPECT_EQ(doc.image()[0x0C], 0xFF) << "record 0 is not the editor's";
  EXPECT_EQ(doc.image()[0x3C0], 0x86);
  const std::uint8_t settings[] = {0x03, 0x00, 0x06, 0x05, 0x00, 0xFF, 0x00};
  EXPECT_TRUE(std::equal(std::begin(settings), std::end(settings), doc.image().begin() + 0x3C1));
  const std::uint8_t ident[] = {'N', 'B', 0xFF, 'T', '4', '0', '6'};
  EXPECT_TRUE(std::equal(std::begin(ident), std::end(ident), doc.image().begin() + 0x3D0));
  const std::uint8_t band[] = {0x00, 0x40, 0x00, 0x47};
  EXPECT_TRUE(std::equal(std::begin(band), std::end(band), doc.image().begin() + 0x3D8));
  EXPECT_EQ(doc.bandLow, 40000000);
  EXPECT_EQ(doc.bandHigh, 47000000);
}

TEST(DocumentDefaults, TouchOnlyTheirOwnFields) {
  CRondelDoc doc;
  std::mt19937 rng(7);
  for (auto& b : doc.image()) b = static_cast<std::uint8_t>(rng());
  const CRondelDoc::Image before = doc.image();
  doc.WriteDefaults();
  for (std::size_t a = 0; a < L::kImageSize; ++a) {
    const bool flags = a >= 0x10 && a < 0x110 && a % 16 == 12;
    const bool settings = a >= 0x3C0 && a <= 0x3C7;
    const bool ident = a >= 0x3D0 && a <= 0x3D6 && a != 0x3D2;
    if (!flags && !settings && !ident) {
      ASSERT_EQ(doc.image()[a], before[a]) << std::hex << a;
    }
  }
  // Bit 1 of the channel flags and bit 7 of the option byte are kept.
  for (int n = 1; n <= 16; ++n)
    EXPECT_EQ(doc.image()[0x10 * n + 12], 0xE9 | (before[0x10 * n + 12] & 0x02)) << n;
  EXPECT_EQ(doc.image()[0x3C0], 0x06 | (before[0x3C0] & 0x80));
}

struct ClampCase {
  Setting setting;
  std::size_t offset;
  std::uint8_t stored;
  int reads;
};

class SettingClamps : public testing::TestWithParam<ClampCase> {};

TEST_P(SettingClamps, ReadAsTheTableSays) {
  const ClampCase& c = GetParam();
  CRondelDoc doc;
  doc.image()[c.offset] = c.stored;
  EXPECT_EQ(doc.GetSetting(c.setting), c.reads);
}

INSTANTIATE_TEST_SUITE_P(
    WholeBytes, SettingClamps,
    testing::Values(ClampCase{Setting::SquelchLevel, 0x3C1, 9, 9},
                    ClampCase{Setting::SquelchLevel, 0x3C1, 10, 9},
                    ClampCase{Setting::SquelchLevel, 0x3C1, 0xFF, 9},
                    ClampCase{Setting::SquelchLevel, 0x3C1, 0, 0},
                    ClampCase{Setting::SideKey1, 0x3C2, 6, 6},
                    ClampCase{Setting::SideKey1, 0x3C2, 7, 6},
                    ClampCase{Setting::TxTimeout, 0x3C3, 10, 10},
                    ClampCase{Setting::TxTimeout, 0x3C3, 0xFF, 10},
                    ClampCase{Setting::TxTimeout, 0x3C3, 0, 0},
                    ClampCase{Setting::VoxLevel, 0x3C4, 200, 9},
                    ClampCase{Setting::SideKey2, 0x3C5, 0x80, 6},
                    ClampCase{Setting::SideKey2, 0x3C5, 3, 3},
                    ClampCase{Setting::PriorityChannel, 0x3C6, 0xFF, 0},
                    ClampCase{Setting::PriorityChannel, 0x3C6, 0, 1},
                    ClampCase{Setting::PriorityChannel, 0x3C6, 15, 16},
                    ClampCase{Setting::PriorityChannel, 0x3C6, 0xFE, 255},
                    ClampCase{Setting::VoxDelay, 0x3C7, 5, 5},
                    ClampCase{Setting::VoxDelay, 0x3C7, 6, 6},
                    ClampCase{Setting::VoxDelay, 0x3C7, 7, 6}));

INSTANTIATE_TEST_SUITE_P(
    OptionByte, SettingClamps,
    testing::Values(ClampCase{Setting::FmRadio, 0x3C0, 0x01, 1},
                    ClampCase{Setting::FmRadio, 0x3C0, 0xFE, 0},
                    ClampCase{Setting::BatterySaver, 0x3C0, 0x02, 1},
                    ClampCase{Setting::BatterySaver, 0x3C0, 0xFD, 0},
                    ClampCase{Setting::VoicePrompt, 0x3C0, 0x0C, 2},  // stored 3 reads as 2
                    ClampCase{Setting::VoicePrompt, 0x3C0, 0x08, 2},
                    ClampCase{Setting::VoicePrompt, 0x3C0, 0xF7, 1},
                    ClampCase{Setting::PttIdMode, 0x3C0, 0x30, 3},
                    ClampCase{Setting::PttIdMode, 0x3C0, 0xEF, 2},
                    ClampCase{Setting::ScanMode, 0x3C0, 0x40, 1},
                    ClampCase{Setting::ScanMode, 0x3C0, 0xBF, 0},
                    ClampCase{Setting::ScanMode, 0x3C0, 0x80, 0}));

struct FieldCase {
  Setting setting;
  int shift;
  int width;
};

class BitFieldWrites : public testing::TestWithParam<FieldCase> {};

// Every value that fits lands in its own bits only; a value that does not fit changes nothing.
TEST_P(BitFieldWrites, NeverReachTheNeighbours) {
  const FieldCase& f = GetParam();
  for (const std::uint8_t start : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x5A}}) {
    for (int value = -2; value < (1 << f.width) + 3; ++value) {
      CRondelDoc doc;
      doc.image()[0x3C0] = start;
      const bool fits = value >= 0 && value < (1 << f.width);
      EXPECT_EQ(doc.SetSetting(f.setting, value), fits) << value;
      const std::uint8_t mask = static_cast<std::uint8_t>(((1 << f.width) - 1) << f.shift);
      EXPECT_EQ(doc.image()[0x3C0] & ~mask & 0xFF, start & ~mask & 0xFF) << value;
      if (fits)
        EXPECT_EQ((doc.image()[0x3C0] & mask) >> f.shift, value);
      else
        EXPECT_EQ(doc.image()[0x3C0], start);
      EXPECT_EQ(doc.image()[0x3BF], 0xFF);
      EXPECT_EQ(doc.image()[0x3C1], 0xFF);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(OptionByte, BitFieldWrites,
                         testing::Values(FieldCase{Setting::FmRadio, 0, 1},
                                         FieldCase{Setting::BatterySaver, 1, 1},
                                         FieldCase{Setting::VoicePrompt, 2, 2},
                                         FieldCase{Setting::PttIdMode, 4, 2},
                                         FieldCase{Setting::ScanMode, 6, 1}));

TEST(DocumentSettings, WholeByteWritesStoreTheValue) {
  struct Case {
    Setting setting;
    std::size_t offset;
  };
  const Case cases[] = {{Setting::SquelchLevel, 0x3C1}, {Setting::SideKey1, 0x3C2},
                        {Setting::TxTimeout, 0x3C3},    {Setting::VoxLevel, 0x3C4},
                        {Setting::SideKey2, 0x3C5},     {Setting::VoxDelay, 0x3C7}};
  for (const Case& c : cases) {
    CRondelDoc doc;
    EXPECT_TRUE(doc.SetSetting(c.setting, 4));
    EXPECT_EQ(doc.image()[c.offset], 4);
    EXPECT_FALSE(doc.SetSetting(c.setting, 256));
    EXPECT_FALSE(doc.SetSetting(c.setting, -1));
    EXPECT_EQ(doc.image()[c.offset], 4);
    EXPECT_EQ(doc.image()[c.offset - 1], 0xFF);
    EXPECT_EQ(doc.image()[c.offset + 1], 0xFF);
  }
}

TEST(DocumentSettings, PriorityChannelStoresChannelMinusOne) {
  CRondelDoc doc;
  struct Case {
    int value;
    bool accepted;
    std::uint8_t stored;
  };
  const Case cases[] = {{1, true, 0x00}, {16, true, 0x0F}, {0, true, 0xFF},
                        {17, false, 0xFF}, {-1, false, 0xFF}};
  for (const Case& c : cases) {
    EXPECT_EQ(doc.SetSetting(Setting::PriorityChannel, c.value), c.accepted) << c.value;
    EXPECT_EQ(doc.image()[0x3C6], c.stored) << c.value;
    if (c.accepted) {
      EXPECT_EQ(doc.GetSetting(Setting::PriorityChannel), c.value);
    }
  }
}

TEST(DocumentChannels, EmptinessIsDecidedByTheHighestByte) {
  struct Case {
    std::uint8_t rx[4];
    std::uint8_t tx[4];
    bool empty;
    bool lacks;
  };
  const Case cases[] = {
      {{0x00, 0x00, 0x00, 0x9A}, {0x25, 0x06, 0x60, 0x44}, true, true},
      {{0x00, 0x00, 0x00, 0x99}, {0x25, 0x06, 0x60, 0x44}, false, false},
      {{0xFF, 0xFF, 0xFF, 0x44}, {0x00, 0x00, 0x00, 0xA0}, false, true},
      {{0x25, 0x06, 0x60, 0x44}, {0xFF, 0xFF, 0xFF, 0xFF}, false, true},
      {{0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}, true, true},
  };
  for (const Case& c : cases) {
    CRondelDoc doc;
    std::copy(std::begin(c.rx), std::end(c.rx), doc.image().begin() + 0x50);
    std::copy(std::begin(c.tx), std::end(c.tx), doc.image().begin() + 0x54);
    EXPECT_EQ(doc.IsChannelEmpty(5), c.empty);
    EXPECT_EQ(doc.LacksFrequency(5), c.lacks);
    EXPECT_TRUE(doc.IsChannelEmpty(4));
  }
}

TEST(DocumentChannels, FrequencyAndToneOperationsUseTheirOwnChannelRecord) {
  CRondelDoc doc = NewDocument();
  doc.SetFrequencyText(3, Direction::Receive, "446.00625");
  doc.SetFrequencyText(3, Direction::Transmit, "446.00625");
  doc.SetToneText(3, Direction::Receive, "88.5");
  doc.SetToneText(3, Direction::Transmit, "D754I");
  const std::uint8_t expected[] = {0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44,
                                   0x85, 0x08, 0x54, 0xC7, 0xEB, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), doc.image().begin() + 0x30));
  EXPECT_EQ(doc.image()[0x2F], 0xFF);
  EXPECT_EQ(doc.image()[0x40], 0xFF);
  EXPECT_EQ(doc.GetFrequencyText(3, Direction::Receive), "446.00625");
  EXPECT_EQ(doc.GetToneText(3, Direction::Transmit, "OFF"), "D754I");
  EXPECT_EQ(doc.GetToneText(4, Direction::Transmit, "OFF"), "OFF");
  EXPECT_TRUE(doc.IsToneOff(4, Direction::Receive));
  EXPECT_FALSE(doc.IsToneOff(3, Direction::Receive));
  EXPECT_TRUE(doc.TxEqualsRx(3));
  EXPECT_FALSE(doc.TonesEqual(3));
  doc.SetToneText(3, Direction::Transmit, "88.5");
  EXPECT_TRUE(doc.TonesEqual(3));
  doc.SetFrequencyText(3, Direction::Transmit, "");
  EXPECT_FALSE(doc.TxEqualsRx(3));
  EXPECT_TRUE(doc.LacksFrequency(3));
  EXPECT_FALSE(doc.IsChannelEmpty(3));
}

TEST(DocumentChannels, OptionBitsMapToTheirColumns) {
  struct Case {
    ChannelOption option;
    int bit;
  };
  const Case cases[] = {{ChannelOption::Opt8Off, 0},  {ChannelOption::Narrow, 2},
                        {ChannelOption::HighPower, 3}, {ChannelOption::Opt5Off, 4},
                        {ChannelOption::Opt9Off, 5},  {ChannelOption::Opt10Off, 6},
                        {ChannelOption::Opt11Off, 7}};
  for (const Case& c : cases) {
    CRondelDoc doc;
    doc.image()[0x10 * 7 + 12] = 0x00;
    doc.SetChannelOption(7, c.option, 1);
    EXPECT_EQ(doc.image()[0x10 * 7 + 12], 1 << c.bit);
    EXPECT_EQ(doc.GetChannelOption(7, c.option), 1);
    doc.image()[0x10 * 7 + 12] = 0xFF;
    doc.SetChannelOption(7, c.option, 0);
    EXPECT_EQ(doc.image()[0x10 * 7 + 12], 0xFF & ~(1 << c.bit));
    EXPECT_EQ(doc.GetChannelOption(7, c.option), 0);
  }
}

// Channel numbers outside 1..16 neither read nor write outside the channel table.
TEST(DocumentChannels, OutOfRangeChannelsAreEmptyAndIgnoreWrites) {
  for (const int n : {0, -1, 17, 255, 1 << 20, -(1 << 20)}) {
    CRondelDoc doc;
    const CRondelDoc::Image before = doc.image();
    doc.image()[0] = 0x25;  // record 0 holds a "frequency": it is still not a channel
    doc.image()[3] = 0x44;
    EXPECT_TRUE(doc.IsChannelEmpty(n)) << n;
    EXPECT_TRUE(doc.LacksFrequency(n));
    EXPECT_EQ(doc.GetFrequencyText(n, Direction::Receive), "");
    doc.SetFrequencyText(n, Direction::Receive, "446.00625");
    doc.SetToneText(n, Direction::Receive, "88.5");
    doc.SetChannelOption(n, ChannelOption::Narrow, 0);
    doc.image()[0] = 0xFF;
    doc.image()[3] = 0xFF;
    EXPECT_EQ(doc.image(), before) << n;
  }
}

TEST(DocumentCodes, CodesAndPasswordGoToTheirOffsets) {
  CRondelDoc doc;
  doc.SetPttCodeText(PttCode::Start, "12A*");
  doc.SetPttCodeText(PttCode::End, "D0");
  doc.SetReadPasswordText("aZ9");
  const std::uint8_t start[] = {1, 2, 10, 0xFF};
  EXPECT_TRUE(std::equal(std::begin(start), std::end(start), doc.image().begin() + 0x3A0));
  EXPECT_EQ(doc.image()[0x3AE], 0xFF);
  EXPECT_EQ(doc.image()[0x3E0], 13);
  EXPECT_EQ(doc.image()[0x3E1], 0);
  EXPECT_EQ(doc.image()[0x3B0], 36);
  EXPECT_EQ(doc.image()[0x3B1], 35);
  EXPECT_EQ(doc.image()[0x3B2], 9);
  EXPECT_EQ(doc.GetPttCodeText(PttCode::Start), "12A");
  EXPECT_EQ(doc.GetPttCodeText(PttCode::End), "D0");
  EXPECT_EQ(doc.GetReadPasswordText(), "aZ9");
  doc.image()[0x3B1] = 62;  // a byte of 62 or more ends the password
  EXPECT_EQ(doc.GetReadPasswordText(), "a");
}

TEST(DocumentCalibration, SixValuesAndTheLastIndex) {
  CRondelDoc doc;
  for (int i = 0; i < 6; ++i) doc.SetCalibration(i, static_cast<std::uint8_t>(10 * i));
  doc.SetLastCalibrationIndex(4);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(doc.image()[0x3F0 + i], 10 * i);
  EXPECT_EQ(doc.image()[0x3F6], 4);
  EXPECT_EQ(doc.GetLastCalibrationIndex(), 4);
  const CRondelDoc::Image before = doc.image();
  doc.SetCalibration(6, 1);
  doc.SetCalibration(-1, 1);
  EXPECT_EQ(doc.image(), before);
  EXPECT_EQ(doc.GetCalibration(6), 0);
}

TEST(DocumentModels, SelectModelSetsBandCodeLimitsAndDefaults) {
  struct Case {
    int k;
    std::uint8_t code[4];
    std::int32_t low, high;
  };
  const Case cases[] = {{0, {0x00, 0x40, 0x00, 0x47}, 40000000, 47000000},
                        {1, {0x00, 0x40, 0x00, 0x48}, 40000000, 48000000},
                        {2, {0x60, 0x13, 0x40, 0x17}, 13600000, 17400000},
                        {3, {0x00, 0x43, 0x00, 0x44}, 43000000, 44000000}};
  for (const Case& c : cases) {
    const CRondelDoc doc = NewDocument(c.k);
    EXPECT_TRUE(std::equal(std::begin(c.code), std::end(c.code), doc.image().begin() + 0x3D8));
    EXPECT_EQ(doc.bandLow, c.low) << c.k;
    EXPECT_EQ(doc.bandHigh, c.high) << c.k;
    EXPECT_EQ(doc.FindModel(ShippedModels()), c.k);
    EXPECT_EQ(doc.image()[0x3C3], 6);
  }
}

TEST(DocumentModels, MissingEntryKeepsBandCodeAndFallsBackToWideBand) {
  CRondelDoc doc;
  doc.SelectModel(7, ShippedModels());  // no data7
  EXPECT_EQ(doc.GetBandCode(), (BandCode{0xFF, 0xFF, 0xFF, 0xFF}));
  // FF FF FF FF matches nothing, so entry 0 gives the band.
  EXPECT_EQ(doc.bandLow, 40000000);
  EXPECT_EQ(doc.bandHigh, 47000000);
  EXPECT_EQ(doc.image()[0x3C1], 3);  // defaults are written all the same

  CRondelDoc none;
  none.SelectModel(0, TableModels{});
  EXPECT_EQ(none.bandLow, 10000000);
  EXPECT_EQ(none.bandHigh, 52000000);
}

TEST(DocumentModels, ComputeBandLimitsFollowsTheImagesBandCode) {
  CRondelDoc doc = NewDocument(0);
  doc.SetBandCode({0x60, 0x13, 0x40, 0x17});
  doc.ComputeBandLimits(ShippedModels());
  EXPECT_EQ(doc.bandLow, 13600000);
  EXPECT_EQ(doc.bandHigh, 17400000);
}

TEST(DocumentModified, FlagIsTheCallersToSet) {
  CRondelDoc doc;
  EXPECT_FALSE(doc.IsModified());
  doc.SetFrequencyText(1, Direction::Receive, "446");
  EXPECT_FALSE(doc.IsModified());
  doc.SetModifiedFlag();
  EXPECT_TRUE(doc.IsModified());
  doc.SetModifiedFlag(false);
  EXPECT_FALSE(doc.IsModified());
}

}  // namespace
}  // namespace rondel
