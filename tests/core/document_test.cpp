// SPDX-License-Identifier: GPL-3.0-or-later
// The document on its memory image (defaults, settings and their clamps, channels, codes,
// calibration) and the model list it takes its band from. Offsets and bytes are the radio's
// memory map, written out as literals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/rondel_doc.h"
#include "support/table_models.h"

namespace rondel {
namespace {

using test::ShippedModels;
using test::TableModels;

constexpr std::uint8_t F = 0xFF;

// Answers from a list and keeps every question (entry and buffer size).
class AskedModels : public ModelDataSource {
 public:
  explicit AskedModels(std::vector<std::string> entries) : m_entries(std::move(entries)) {}
  std::string ModelData(int k, std::size_t bufSize) const override {
    asked.emplace_back(k, bufSize);
    return k >= 0 && k < static_cast<int>(m_entries.size()) ? m_entries[std::size_t(k)] : "";
  }
  mutable std::vector<std::pair<int, std::size_t>> asked;

 private:
  std::vector<std::string> m_entries;
};

std::array<std::uint8_t, 8> SettingBytes(const CRondelDoc& doc) {
  std::array<std::uint8_t, 8> b{};
  std::copy_n(doc.image().begin() + 0x3C0, 8, b.begin());
  return b;
}

TEST(ModelInfo, BandCodeIsEightHexCharactersReadTheOldWay) {
  const struct { const char* entry; BandCode code; } cases[] = {
      {"60134017 VHF", {0x60, 0x13, 0x40, 0x17}}, {"0:AFaGz9", {0x03, 0xAF, 0xA0, 0x39}},
      {"/0", {0xF0, 0x00, 0x00, 0x00}}, {"0040004", {0x00, 0x40, 0x00, 0x40}},
      {"F", {0xF0, 0x00, 0x00, 0x00}}, {"", {0x00, 0x00, 0x00, 0x00}},
  };
  for (const auto& c : cases) EXPECT_EQ(BandCodeFromEntry(c.entry), c.code) << c.entry;
  EXPECT_EQ(BandCodeHex({0x0A, 0xBC, 0xDE, 0xF1}), "0ABCDEF1");
}

TEST(ModelInfo, BandLimitsAreTheMegahertzDigitsOfBothEdges) {
  const struct { const char* entry; std::int32_t low, high; } cases[] = {
      {"60134017", 13600000, 17400000}, {"50404547", 40500000, 47400000},
      {"", 10000000, 52000000},       {"004A0047", 400000, 47000000},
      {"0 4 0047", 400000, 47000000},  // a blank after a digit ends the number
      {"00x50047", 0, 47000000},        {"004", 400000, 0}, {"0040004", 40000000, 400000},
  };
  for (const auto& c : cases) {
    const BandLimits limits = BandLimitsFromEntry(c.entry);
    EXPECT_EQ(limits.low, c.low) << c.entry;
    EXPECT_EQ(limits.high, c.high) << c.entry;
  }
  for (const char* blank : {" ", "\t", "\n", "\v", "\f", "\r"})  // skipped before the number
    EXPECT_EQ(BandLimitsFromEntry(std::string("00") + blank + "50047").low, 5000000) << int(*blank);
}

TEST(ModelInfo, CountAndSearchStopAtTheFirstGapAndAtSixteen) {
  std::vector<std::string> seventeen(17, "60134017");
  seventeen[15] = "00400047";
  seventeen[16] = "00430044";  // beyond the sixteen models
  const AskedModels all(seventeen);
  EXPECT_EQ(ModelCount(all), 16);
  EXPECT_EQ(FindModelEntry(all, {0x00, 0x40, 0x00, 0x47}), 15);
  EXPECT_EQ(FindModelEntry(all, {0x00, 0x43, 0x00, 0x44}), 0);
  EXPECT_EQ(all.asked.back(), (std::pair<int, std::size_t>{15, 32}));
  EXPECT_EQ(ModelCount(AskedModels(std::vector<std::string>(15, "1"))), 15);
  EXPECT_EQ(ModelCount(AskedModels({})), 0);
  const AskedModels gap({"00400047", "60134017", "", "60134017"});
  EXPECT_EQ(ModelCount(gap), 2);
  EXPECT_EQ(FindModelEntry(gap, {0x60, 0x13, 0x40, 0x17}), 1);
  // Two entries with one code: the later one is the model.
  EXPECT_EQ(FindModelEntry(AskedModels({"1", "2", "1"}), BandCodeFromEntry("1")), 2);
}

TEST(Document, NewBlankAndDefaultBytes) {
  CRondelDoc doc;
  EXPECT_EQ(std::string(doc.header().begin(), doc.header().begin() + 30),
            "Pelto Radio Program data v1.02");
  EXPECT_TRUE(std::all_of(doc.header().begin() + 30, doc.header().end(), [](int b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(doc.image().begin(), doc.image().end(), [](int b) { return b == 0xFF; }));
  EXPECT_EQ(doc.bandLow, 10000000);
  EXPECT_EQ(doc.bandHigh, 52000000);
  doc.header()[47] = 0x5A;
  doc.image()[0x800] = 0;
  doc.bandLow = 1;
  doc.Blank();  // keeps the reserved header bytes and the band
  EXPECT_EQ(doc.header()[47], 0x5A);
  EXPECT_EQ(doc.image()[0x800], 0xFF);
  EXPECT_EQ(doc.bandLow, 1);

  doc.SelectModel(2, ShippedModels());
  EXPECT_EQ(SettingBytes(doc), (std::array<std::uint8_t, 8>{0x86, 3, 0, 6, 5, 0, 0xFF, 0}));
  const std::uint8_t model[12] = {'N', 'B', 0xFF, 'T', '4', '0', '6', 0xFF, 0x60, 0x13, 0x40, 0x17};
  EXPECT_TRUE(std::equal(model, model + 12, doc.image().begin() + 0x3D0));
  EXPECT_EQ(doc.bandLow, 13600000);
  EXPECT_EQ(doc.bandHigh, 17400000);
  for (int n = 0; n <= 17; ++n)  // channels 1-16 only; bit 1 of the flags is kept
    EXPECT_EQ(doc.image()[0x10 * n + 12], n >= 1 && n <= 16 ? 0xEB : 0xFF) << n;
  doc.image().fill(0);
  doc.WriteDefaults();
  EXPECT_EQ(doc.image()[0x10 * 16 + 12], 0xE9);
  EXPECT_EQ(doc.image()[0x3C0], 0x06);
}

TEST(Document, SettingsReadThroughTheirClamps) {
  const struct { Setting s; const char* name; std::size_t at; std::uint8_t stored; int reads; } cases[] = {
      {Setting::FmRadio, "fmRadio", 0x3C0, 0x01, 1}, {Setting::FmRadio, "fmRadio", 0x3C0, 0xFE, 0},
      {Setting::BatterySaver, "batterySaver", 0x3C0, 0x02, 1},
      {Setting::BatterySaver, "batterySaver", 0x3C0, 0xFD, 0},
      {Setting::VoicePrompt, "voicePrompt", 0x3C0, 0x08, 2},
      {Setting::VoicePrompt, "voicePrompt", 0x3C0, 0x0C, 2},  // 3 reads as 2
      {Setting::VoicePrompt, "voicePrompt", 0x3C0, 0xF7, 1},
      {Setting::PttIdMode, "pttIdMode", 0x3C0, 0x30, 3}, {Setting::PttIdMode, "pttIdMode", 0x3C0, 0xEF, 2},
      {Setting::ScanMode, "scanMode", 0x3C0, 0x40, 1}, {Setting::ScanMode, "scanMode", 0x3C0, 0xBF, 0},
      {Setting::SquelchLevel, "squelchLevel", 0x3C1, 9, 9}, {Setting::SquelchLevel, "squelchLevel", 0x3C1, 10, 9},
      {Setting::SideKey1, "sideKey1", 0x3C2, 6, 6}, {Setting::SideKey1, "sideKey1", 0x3C2, 7, 6},
      {Setting::TxTimeout, "txTimeout", 0x3C3, 10, 10}, {Setting::TxTimeout, "txTimeout", 0x3C3, 11, 10},
      {Setting::VoxLevel, "voxLevel", 0x3C4, 9, 9}, {Setting::VoxLevel, "voxLevel", 0x3C4, 10, 9},
      {Setting::SideKey2, "sideKey2", 0x3C5, 6, 6}, {Setting::SideKey2, "sideKey2", 0x3C5, 7, 6},
      {Setting::PriorityChannel, "priorityChannel", 0x3C6, 0xFF, 0},
      {Setting::PriorityChannel, "priorityChannel", 0x3C6, 0x00, 1},
      {Setting::PriorityChannel, "priorityChannel", 0x3C6, 0xFE, 255},
      {Setting::VoxDelay, "voxDelay", 0x3C7, 6, 6}, {Setting::VoxDelay, "voxDelay", 0x3C7, 7, 6},
  };
  for (const auto& c : cases) {
    CRondelDoc doc;
    doc.image()[c.at] = c.stored;
    EXPECT_EQ(doc.GetSetting(c.s), c.reads) << c.name << " " << int(c.stored);
    EXPECT_EQ(SettingName(c.s), c.name);
  }
}

TEST(Document, SettingWritesThatDoNotFitAreRefused) {
  using B = std::array<std::uint8_t, 8>;
  const struct { Setting s; std::uint8_t start; int value; bool ok; B after; } cases[] = {
      {Setting::FmRadio, 0x00, 1, true, {0x01, 0, 0, 0, 0, 0, 0, 0}},
      {Setting::FmRadio, 0xFF, 0, true, {0xFE, F, F, F, F, F, F, F}},
      {Setting::FmRadio, 0x00, 2, false, {}}, {Setting::FmRadio, 0x00, -1, false, {}},
      {Setting::BatterySaver, 0x00, 1, true, {0x02, 0, 0, 0, 0, 0, 0, 0}},
      {Setting::BatterySaver, 0xFF, 0, true, {0xFD, F, F, F, F, F, F, F}},
      {Setting::BatterySaver, 0x00, 2, false, {}},
      {Setting::VoicePrompt, 0x00, 3, true, {0x0C, 0, 0, 0, 0, 0, 0, 0}},
      {Setting::VoicePrompt, 0xFF, 0, true, {0xF3, F, F, F, F, F, F, F}},
      {Setting::VoicePrompt, 0x00, 4, false, {}},
      {Setting::PttIdMode, 0x00, 3, true, {0x30, 0, 0, 0, 0, 0, 0, 0}},
      {Setting::PttIdMode, 0xFF, 0, true, {0xCF, F, F, F, F, F, F, F}},
      {Setting::PttIdMode, 0x00, 4, false, {}},
      {Setting::ScanMode, 0x00, 1, true, {0x40, 0, 0, 0, 0, 0, 0, 0}},
      {Setting::ScanMode, 0xFF, 0, true, {0xBF, F, F, F, F, F, F, F}},
      {Setting::ScanMode, 0x00, 2, false, {}},
      {Setting::SquelchLevel, 0x00, 255, true, {0, 0xFF, 0, 0, 0, 0, 0, 0}},
      {Setting::SquelchLevel, 0x00, 256, false, {}}, {Setting::SquelchLevel, 0x00, -1, false, {}},
      {Setting::SideKey1, 0x00, 1, true, {0, 0, 1, 0, 0, 0, 0, 0}},
      {Setting::TxTimeout, 0x00, 2, true, {0, 0, 0, 2, 0, 0, 0, 0}},
      {Setting::VoxLevel, 0x00, 3, true, {0, 0, 0, 0, 3, 0, 0, 0}},
      {Setting::SideKey2, 0x00, 4, true, {0, 0, 0, 0, 0, 4, 0, 0}},
      {Setting::VoxDelay, 0x00, 5, true, {0, 0, 0, 0, 0, 0, 0, 5}},
      {Setting::SideKey1, 0x00, 256, false, {}}, {Setting::TxTimeout, 0x00, 256, false, {}},
      {Setting::VoxLevel, 0x00, 256, false, {}}, {Setting::SideKey2, 0x00, 256, false, {}},
      {Setting::VoxDelay, 0x00, 256, false, {}},
      {Setting::PriorityChannel, 0x00, 0, true, {0, 0, 0, 0, 0, 0, 0xFF, 0}},
      {Setting::PriorityChannel, 0xFF, 1, true, {F, F, F, F, F, F, 0x00, F}},
      {Setting::PriorityChannel, 0x00, 16, true, {0, 0, 0, 0, 0, 0, 0x0F, 0}},
      {Setting::PriorityChannel, 0x00, 17, false, {}}, {Setting::PriorityChannel, 0x00, -1, false, {}},
  };
  for (const auto& c : cases) {
    CRondelDoc doc;
    std::fill_n(doc.image().begin() + 0x3C0, 8, c.start);
    EXPECT_EQ(doc.SetSetting(c.s, c.value), c.ok) << SettingName(c.s) << " " << c.value;
    B unchanged;
    unchanged.fill(c.start);
    EXPECT_EQ(SettingBytes(doc), c.ok ? c.after : unchanged) << SettingName(c.s) << " " << c.value;
  }
}

TEST(Document, ChannelsOneToSixteenOwnTheirRecords) {
  CRondelDoc doc;
  doc.image()[0x03] = 0x44;  // record 0 holds a frequency, yet is no channel
  doc.image()[0x113] = 0x44;  // nor is the record after channel 16
  for (const int n : {1, 16}) {
    doc.SetFrequencyText(n, Direction::Receive, "446.00625");
    doc.SetFrequencyText(n, Direction::Transmit, "446.00625");
    doc.SetToneText(n, Direction::Receive, "88.5");
    doc.SetToneText(n, Direction::Transmit, "D754I");
  }
  const CRondelDoc::Image before = doc.image();
  for (const int n : {0, 17, -1}) {
    EXPECT_TRUE(doc.IsChannelEmpty(n)) << n;
    EXPECT_EQ(doc.GetFrequencyText(n, Direction::Receive), "") << n;
    EXPECT_EQ(doc.GetToneText(n, Direction::Receive, "OFF"), "OFF") << n;
    EXPECT_EQ(doc.GetChannelOption(n, ChannelOption::Narrow), 1) << n;
    doc.SetFrequencyText(n, Direction::Receive, "150");
    doc.SetToneText(n, Direction::Receive, "67.0");
    doc.SetChannelOption(n, ChannelOption::Narrow, 0);
  }
  EXPECT_EQ(doc.image(), before);
  const std::uint8_t record[16] = {0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44,
                                   0x85, 0x08, 0x54, 0xC7, F, F, F, F};
  EXPECT_TRUE(std::equal(record, record + 16, doc.image().begin() + 0x10));
  EXPECT_TRUE(std::equal(record, record + 16, doc.image().begin() + 0x100));
  EXPECT_EQ(doc.GetFrequencyText(16, Direction::Transmit), "446.00625");
  EXPECT_EQ(doc.GetToneText(16, Direction::Receive, "OFF"), "88.5");
  EXPECT_EQ(doc.GetToneText(16, Direction::Transmit, "OFF"), "D754I");
  EXPECT_FALSE(doc.IsToneOff(16, Direction::Receive));
  EXPECT_TRUE(doc.IsToneOff(15, Direction::Transmit));
}

TEST(Document, ChannelComparisonsLookAtTheirOwnBytes) {
  const struct { std::array<std::uint8_t, 12> rec; bool empty, lacks, txEqualsRx, tonesEqual; } cases[] = {
      {{0, 0, 0, 0x99, 0, 0, 0, 0x99, 1, 2, 1, 2}, false, false, true, true},
      {{0, 0, 0, 0x9A, 0, 0, 0, 0x99, 1, 2, 1, 3}, true, true, false, false},
      {{0, 0, 0, 0x99, 0, 0, 0, 0x9A, 1, 2, 2, 2}, false, true, false, false},
      {{1, 0, 0, 0x44, 0, 0, 0, 0x44, 0, 2, 1, 2}, false, false, false, false},
      {{0, 0, 0, 0x44, 0, 0, 0, 0x44, 1, 0, 1, 2}, false, false, true, false},
  };
  for (const auto& c : cases) {
    CRondelDoc doc;
    std::copy(c.rec.begin(), c.rec.end(), doc.image().begin() + 0x50);
    EXPECT_EQ(doc.IsChannelEmpty(5), c.empty);
    EXPECT_EQ(doc.LacksFrequency(5), c.lacks);
    EXPECT_EQ(doc.TxEqualsRx(5), c.txEqualsRx);
    EXPECT_EQ(doc.TonesEqual(5), c.tonesEqual);
  }
}

TEST(Document, OptionBitsOfTheChannelFlags) {
  const struct { ChannelOption o; const char* name; int bit; } cases[] = {
      {ChannelOption::Opt8Off, "opt8Off", 0}, {ChannelOption::Narrow, "narrow", 2},
      {ChannelOption::HighPower, "highPower", 3}, {ChannelOption::Opt5Off, "opt5Off", 4},
      {ChannelOption::Opt9Off, "opt9Off", 5}, {ChannelOption::Opt10Off, "opt10Off", 6},
      {ChannelOption::Opt11Off, "opt11Off", 7},
  };
  for (const auto& c : cases) {
    CRondelDoc doc;
    doc.image()[0x7C] = 0x00;
    doc.SetChannelOption(7, c.o, 1);
    EXPECT_EQ(doc.image()[0x7C], 1 << c.bit) << c.name;
    EXPECT_EQ(doc.GetChannelOption(7, c.o), 1);
    doc.image()[0x7C] = 0xFF;
    doc.SetChannelOption(7, c.o, 0);
    EXPECT_EQ(doc.image()[0x7C], 0xFF & ~(1 << c.bit)) << c.name;
    EXPECT_EQ(doc.GetChannelOption(7, c.o), 0);
    EXPECT_EQ(ChannelOptionName(c.o), c.name);
  }
}

TEST(Document, CodesPasswordAndCalibrationStayInsideTheirBlocks) {
  CRondelDoc doc;
  doc.SetPttCodeText(PttCode::Start, "123456789ABCD01");
  doc.SetPttCodeText(PttCode::End, "D0");
  doc.SetReadPasswordText("aZ9xyz");
  const std::uint8_t start[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0, 1, F};
  EXPECT_TRUE(std::equal(start, start + 16, doc.image().begin() + 0x3A0));
  const std::uint8_t password[7] = {36, 35, 9, 59, 60, 61, F};
  EXPECT_TRUE(std::equal(password, password + 7, doc.image().begin() + 0x3B0));
  const std::uint8_t end[3] = {13, 0, F};
  EXPECT_TRUE(std::equal(end, end + 3, doc.image().begin() + 0x3E0));
  EXPECT_EQ(doc.image()[0x39F], F);
  EXPECT_EQ(doc.GetPttCodeText(PttCode::Start), "123456789ABCD01");
  EXPECT_EQ(doc.GetPttCodeText(PttCode::End), "D0");
  EXPECT_EQ(doc.GetReadPasswordText(), "aZ9xyz");

  doc.SetLastCalibrationIndex(4);
  for (int i = -1; i <= 6; ++i) doc.SetCalibration(i, static_cast<std::uint8_t>(0x10 + i));
  const std::uint8_t calibration[8] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 4, F};
  EXPECT_TRUE(std::equal(calibration, calibration + 8, doc.image().begin() + 0x3F0));
  EXPECT_EQ(doc.image()[0x3EF], F);
  EXPECT_EQ(doc.GetCalibration(0), 0x10);
  EXPECT_EQ(doc.GetCalibration(5), 0x15);
  EXPECT_EQ(doc.GetCalibration(6), 0);
  EXPECT_EQ(doc.GetCalibration(-1), 0);
  EXPECT_EQ(doc.GetLastCalibrationIndex(), 4);
}

TEST(Document, SelectModelTakesEntriesZeroToFifteen) {
  std::vector<std::string> entries(17, "60134017");
  entries[0] = "00400047";
  entries[15] = "00430044";
  entries[16] = "00400048";
  const struct { int k; BandCode code; std::int32_t low; } cases[] = {
      {0, {0x00, 0x40, 0x00, 0x47}, 40000000}, {15, {0x00, 0x43, 0x00, 0x44}, 43000000},
      {16, {F, F, F, F}, 40000000}, {-1, {F, F, F, F}, 40000000},  // code kept, entry 0's band
  };
  for (const auto& c : cases) {
    CRondelDoc doc;
    const AskedModels models(entries);
    doc.SelectModel(c.k, models);
    EXPECT_EQ(doc.GetBandCode(), c.code) << c.k;
    EXPECT_EQ(doc.bandLow, c.low) << c.k;
    EXPECT_EQ(doc.image()[0x3C3], 6) << "defaults written all the same";
    // Entries are looked up with a 32-byte buffer, the band read with a 60-byte one.
    EXPECT_EQ(models.asked.back().second, 60u);
    EXPECT_EQ(models.asked.front().second, 32u);
  }
  CRondelDoc none;
  none.SelectModel(0, TableModels{});
  EXPECT_EQ(none.bandLow, 10000000);
  EXPECT_EQ(none.bandHigh, 52000000);
  EXPECT_FALSE(none.IsModified());
  none.SetModifiedFlag();
  EXPECT_TRUE(none.IsModified());
}

}  // namespace
}  // namespace rondel
