// What the form shows as text: the channel grid's cells and which may be edited, the option
// columns' bits and choices, and every settings list's entries and selection. The clamps of
// stored values are the document's and are tested there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/form_texts.h"
#include "shell_rig.h"

namespace rondel {
namespace {

using namespace test;  // NOLINT: the rig's channel bytes
using FormTexts = ShellRig;
using Texts = std::array<std::string, 12>;
using Editable = std::array<bool, 12>;

constexpr Editable kNone{false, true}, kRxOnly{false, true, true, true, false, true,
                                                true,  true, true, true, true,  true};
constexpr Editable kFull{false, true, true, true, true, true, true, true, true, true, true, true};

TEST_F(FormTexts, ChannelRowsShowTheImageLocalisedAndOnlyWhatMayBeEdited) {
  const struct {
    int n;
    Ch bytes;
    Texts texts;
    Editable editable;
  } cases[] = {
      {1, {}, {"1"}, kNone},
      {7, {kNoFreq, k446_00625, k88_5, k88_5, 0x00}, {"7"}, kNone},
      {12, {{0x00, 0x00, 0x00, 0x9A}, k446_00625}, {"12"}, kNone},
      {4, {{0x00, 0x00, 0x70, 0x14}, kNoFreq, k88_5, kD023N, 0x22},
       {"4", "147.00000", "88.5", "", "", "Ja", "Breit", "Niedrig", "Ja", "Nein", "Ja", "Ja"}, kRxOnly},
      {2, {{0x00, 0x00, 0x00, 0x99}, {0x00, 0x00, 0x00, 0x9A}, kOff, kD754I, 0x1D},
       {"2", "990.00000", "Aus", "", "", "Nein", "Schmal", "Hoch", "Nein", "Ja", "Ja", "Ja"}, kRxOnly},
      {16, {{0x75, 0x93, 0x39, 0x17}, {0x00, 0x00, 0x50, 0x15}, {0x41, 0x25}, kD754I, 0xFF},
       {"16", "173.99375", "254.1", "155.00000", "D754I", "Nein", "Schmal", "Hoch", "Nein", "Nein",
        "Nein", "Nein"}, kFull},
      {5, {k446_00625, k446_10000, kD023N, k67_0, 0xEB},
       {"5", "446.00625", "D023N", "446.10000", "67.0", "Ja", "Breit", "Hoch", "Nein", "Nein",
        "Nein", "Nein"}, kFull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    CRondelDoc d;
    if (c.n > 1) Put(d, c.n - 1, {k446_00625, k446_00625, k88_5, k88_5, 0x00});  // not shown
    Put(d, c.n, c.bytes);
    if (c.n < 16) Put(d, c.n + 1, {k446_00625, k446_00625, k88_5, k88_5, 0x00});
    const ChannelRowTexts row = ChannelRow(d, c.n);
    EXPECT_EQ(row.text, c.texts);
    EXPECT_EQ(row.editable, c.editable);
  }
}

TEST_F(FormTexts, EachOptionColumnShowsItsOwnBitWithItsTwoChoices) {
  const struct {
    int column, bit;
    ChannelOption option;
    const char *clear, *set;
  } columns[] = {
      {5, 4, ChannelOption::Opt5Off, "Ja", "Nein"},  {6, 2, ChannelOption::Narrow, "Breit", "Schmal"},
      {7, 3, ChannelOption::HighPower, "Niedrig", "Hoch"}, {8, 0, ChannelOption::Opt8Off, "Ja", "Nein"},
      {9, 5, ChannelOption::Opt9Off, "Ja", "Nein"},  {10, 6, ChannelOption::Opt10Off, "Ja", "Nein"},
      {11, 7, ChannelOption::Opt11Off, "Ja", "Nein"},
  };
  for (const auto& c : columns) {
    SCOPED_TRACE(c.column);
    EXPECT_EQ(OptionOfColumn(c.column), c.option);
    EXPECT_EQ(OptionChoices(c.column), (std::array<std::string, 2>{c.clear, c.set}));
    Put(doc, 3, {k446_00625, k446_00625, kOff, kOff, std::uint8_t(1 << c.bit)});
    const ChannelRowTexts row = ChannelRow(doc, 3);
    for (const auto& other : columns)
      EXPECT_EQ(row.text[std::size_t(other.column)], other.column == c.column ? other.set : other.clear);
  }
  EXPECT_EQ(OptionChoices(4), (std::array<std::string, 2>{}));
  UseLanguage("[String]\nIDS_YES=Ja\n");
  EXPECT_EQ(OptionChoices(5), (std::array<std::string, 2>{"Ja", "Not Found"}));
}

TEST_F(FormTexts, SettingsListsOfferTheirEntriesInOrder) {
  using S = std::vector<std::string>;
  for (int n : {2, 5, 10, 11}) Put(doc, n, {k446_00625});
  Put(doc, 3, {kNoFreq, k446_00625});  // transmit alone makes no channel
  const std::pair<SettingsList, S> cases[] = {
      {SettingsList::SquelchLevel, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {SettingsList::TxTimeout, {"Aus", "30", "60", "90", "120", "150", "180", "210", "240", "270", "300"}},
      {SettingsList::VoxLevel, {"Aus", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {SettingsList::VoxDelay, {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}},
      {SettingsList::VoicePrompt, {"Stumm", "Deutsch", "Englisch"}},
      {SettingsList::PttId, {"Keine", "Anfang", "Ende", "Beides"}},
      {SettingsList::SideKey1, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}},
      {SettingsList::SideKey2, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}},
      {SettingsList::ScanMode, {"Zeit", "Traeger"}},
      {SettingsList::FrequencyRange, {"UHF", "VHF"}},
      {SettingsList::PriorityChannel, {"Aus", "2", "5", "10"}},  // rows 1..10 of the form
  };
  for (const auto& [list, entries] : cases)
    EXPECT_EQ(SettingsListEntries(list, doc, settings), entries) << static_cast<int>(list);
}

TEST_F(FormTexts, ListsSelectTheStoredIndexWhenTheListHasIt) {
  const struct {
    SettingsList list;
    int stored, selected;
  } cases[] = {
      {SettingsList::SquelchLevel, 0, 0}, {SettingsList::SquelchLevel, 9, 9},
      {SettingsList::VoxDelay, 5, 5},     {SettingsList::VoxDelay, 6, -1},
      {SettingsList::SideKey2, 6, 6},     {SettingsList::ScanMode, 1, 1},
  };
  for (const auto& c : cases) {
    if (c.list == SettingsList::VoxDelay) doc.image()[0x3C7] = std::uint8_t(c.stored);  // past the setter
    else doc.SetSetting(SettingOfList(c.list), c.stored);
    EXPECT_EQ(SettingsListSelection(c.list, doc, settings), c.selected) << static_cast<int>(c.list);
  }
  UseLanguage("[VoiceAnnunciation]\n0=Stumm\n1=Deutsch\n");
  doc.SetSetting(Setting::VoicePrompt, 2);
  EXPECT_EQ(SettingsListSelection(SettingsList::VoicePrompt, doc, settings), -1);
  doc.SetSetting(Setting::VoicePrompt, 1);
  EXPECT_EQ(SettingsListSelection(SettingsList::VoicePrompt, doc, settings), 1);
}

TEST_F(FormTexts, PrioritySelectsTheFirstEntryBeginningWithTheChannel) {
  const struct {
    std::vector<int> used;
    int priority, selected;
  } cases[] = {
      {{2, 5, 10}, 0, 0}, {{}, 0, 0},         {{2, 5, 10}, 5, 2}, {{1, 10}, 1, 1},
      {{2, 5, 10}, 1, 3}, {{2, 5}, 1, -1},    {{5, 10}, 2, -1},   {{2, 12}, 12, -1},
  };
  for (const auto& c : cases) {
    CRondelDoc d;
    for (int n : c.used) Put(d, n, {k446_00625});
    d.image()[0x3C6] = std::uint8_t(c.priority ? c.priority - 1 : 0xFF);
    EXPECT_EQ(SettingsListSelection(SettingsList::PriorityChannel, d, settings), c.selected)
        << c.priority;
  }
}

TEST_F(FormTexts, TheRangeListSelectsTheModelOfTheBandCode) {
  const std::pair<BandCode, int> cases[] = {
      {{0x00, 0x40, 0x00, 0x47}, 0}, {{0x60, 0x13, 0x40, 0x17}, 1},
      {{0x00, 0x43, 0x00, 0x44}, -1},  // a model without a name
      {{0x12, 0x34, 0x56, 0x78}, 0},
  };
  for (const auto& [code, selected] : cases) {
    doc.SetBandCode(code);
    EXPECT_EQ(SettingsListSelection(SettingsList::FrequencyRange, doc, settings), selected);
  }
}

}  // namespace
}  // namespace rondel
