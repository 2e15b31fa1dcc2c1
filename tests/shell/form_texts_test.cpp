// What the form shows as text: the channel grid's cells and which may be edited, the option
// columns' bits and choices, and every settings list's entries and selection. The clamps of
// stored values are the document's and are tested there.
#include <gtest/gtest.h>
#include "shell/form_texts.h"
#include "shell_rig.h"

namespace rondel {
namespace {
using namespace test;  // NOLINT: the rig's channel bytes
using FormTexts = ShellRig;
using Strings = std::vector<std::string>;

TEST_F(FormTexts, ChannelRowsShowTheImageLocalisedAndOnlyWhatMayBeEdited) {
  const std::string none = "010000000000", rxOnly = "011101111111", full = "011111111111";
  const std::tuple<int, Ch, Strings, std::string> cases[] = {  // editable: one digit per column
      {1, {}, {"1"}, none}, {7, {kNoFreq, k446_00625, k88_5, k88_5, 0x00}, {"7"}, none},
      {12, {{0x00, 0x00, 0x00, 0x9A}, k446_00625}, {"12"}, none},
      {4, {{0x00, 0x00, 0x70, 0x14}, kNoFreq, k88_5, kD023N, 0x22},
       {"4", "147.00000", "88.5", "", "", "Ja", "Breit", "Niedrig", "Ja", "Nein", "Ja", "Ja"}, rxOnly},
      {2, {{0x00, 0x00, 0x00, 0x99}, {0x00, 0x00, 0x00, 0x9A}, kOff, kD754I, 0x1D},
       {"2", "990.00000", "Aus", "", "", "Nein", "Schmal", "Hoch", "Nein", "Ja", "Ja", "Ja"}, rxOnly},
      {16, {{0x75, 0x93, 0x39, 0x17}, {0x00, 0x00, 0x50, 0x15}, {0x41, 0x25}, kD754I, 0xFF},
       {"16", "173.99375", "254.1", "155.00000", "D754I", "Nein", "Schmal", "Hoch", "Nein", "Nein", "Nein", "Nein"}, full},
      {5, {k446_00625, k446_10000, kD023N, k67_0, 0xEB},
       {"5", "446.00625", "D023N", "446.10000", "67.0", "Ja", "Breit", "Hoch", "Nein", "Nein", "Nein", "Nein"}, full}};
  for (const auto& [n, bytes, texts, editable] : cases) {
    CRondelDoc d;
    for (const int other : {n - 1, n + 1})  // neighbours never show through
      if (other >= 1 && other <= 16) Put(d, other, {k446_00625, k446_00625, k88_5, k88_5, 0x00});
    Put(d, n, bytes);
    const ChannelRowTexts row = ChannelRow(d, n);
    Strings want = texts;
    want.resize(12);
    EXPECT_EQ(Strings(row.text.begin(), row.text.end()), want) << n;
    std::string got;
    for (const bool e : row.editable) got += e ? '1' : '0';
    EXPECT_EQ(got, editable) << n;
  }
}

TEST_F(FormTexts, EachOptionColumnShowsItsOwnBitWithItsTwoChoices) {
  const std::tuple<int, int, ChannelOption, const char*, const char*> columns[] = {
      {5, 4, ChannelOption::Opt5Off, "Ja", "Nein"}, {6, 2, ChannelOption::Narrow, "Breit", "Schmal"},
      {7, 3, ChannelOption::HighPower, "Niedrig", "Hoch"}, {8, 0, ChannelOption::Opt8Off, "Ja", "Nein"},
      {9, 5, ChannelOption::Opt9Off, "Ja", "Nein"}, {10, 6, ChannelOption::Opt10Off, "Ja", "Nein"},
      {11, 7, ChannelOption::Opt11Off, "Ja", "Nein"}};
  for (const auto& [column, bit, option, clear, set] : columns) {
    EXPECT_EQ(OptionOfColumn(column), option);
    EXPECT_EQ(OptionChoices(column), (std::array<std::string, 2>{clear, set}));
    Put(doc, 3, {k446_00625, k446_00625, kOff, kOff, std::uint8_t(1 << bit)});
    const ChannelRowTexts row = ChannelRow(doc, 3);
    for (const auto& [c, b, o, clearText, setText] : columns)
      EXPECT_EQ(row.text[std::size_t(c)], c == column ? setText : clearText) << column << " " << c;
  }
  EXPECT_EQ(OptionChoices(4), (std::array<std::string, 2>{}));
  UseLanguage("[String]\nIDS_YES=Ja\n");
  EXPECT_EQ(OptionChoices(5), (std::array<std::string, 2>{"Ja", "Not Found"}));
}

TEST_F(FormTexts, SettingsListsOfferTheirEntriesAndSelectTheStoredIndexWhenTheyHaveIt) {
  for (int n : {2, 5, 10, 11}) Put(doc, n, {k446_00625});
  Put(doc, 3, {kNoFreq, k446_00625});  // transmit alone makes no channel
  using L = SettingsList;
  const std::pair<SettingsList, Strings> entries[] = {
      {L::SquelchLevel, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {L::TxTimeout, {"Aus", "30", "60", "90", "120", "150", "180", "210", "240", "270", "300"}},
      {L::VoxLevel, {"Aus", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {L::VoxDelay, {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}}, {L::VoicePrompt, {"Stumm", "Deutsch", "Englisch"}},
      {L::PttId, {"Keine", "Anfang", "Ende", "Beides"}}, {L::SideKey1, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}},
      {L::SideKey2, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}}, {L::ScanMode, {"Zeit", "Traeger"}},
      {L::FrequencyRange, {"UHF", "VHF"}}, {L::PriorityChannel, {"Aus", "2", "5", "10"}}};  // rows 1..10 only
  for (const auto& [list, want] : entries) EXPECT_EQ(SettingsListEntries(list, doc, settings), want);
  const std::tuple<SettingsList, int, int> selections[] = {  // list, stored, selected
      {L::SquelchLevel, 0, 0}, {L::SquelchLevel, 9, 9}, {L::VoxDelay, 5, 5}, {L::VoxDelay, 6, -1},
      {L::SideKey2, 6, 6}, {L::ScanMode, 1, 1}};
  for (const auto& [list, stored, selected] : selections) {
    doc.image()[0x3C7] = std::uint8_t(list == L::VoxDelay ? stored : 0);  // past what the setter takes
    if (list != L::VoxDelay) doc.SetSetting(SettingOfList(list), stored);
    EXPECT_EQ(SettingsListSelection(list, doc, settings), selected) << stored;
  }
  UseLanguage("[VoiceAnnunciation]\n0=Stumm\n1=Deutsch\n");
  for (const int stored : {2, 1}) {
    doc.SetSetting(Setting::VoicePrompt, stored);
    EXPECT_EQ(SettingsListSelection(L::VoicePrompt, doc, settings), stored == 2 ? -1 : 1);
  }
}

TEST_F(FormTexts, PriorityAndRangeListsSelectByChannelAndBandCode) {
  const std::tuple<Strings, int, int> cases[] = {  // channels used, priority, selected
      {{"2", "5", "10"}, 0, 0}, {{}, 0, 0}, {{"2", "5", "10"}, 5, 2}, {{"1", "10"}, 1, 1},
      {{"2", "5", "10"}, 1, 3}, {{"2", "5"}, 1, -1}, {{"5", "10"}, 2, -1}, {{"2", "12"}, 12, -1}};
  for (const auto& [used, priority, selected] : cases) {
    CRondelDoc d;
    for (const std::string& n : used) Put(d, std::stoi(n), {k446_00625});
    d.image()[0x3C6] = std::uint8_t(priority ? priority - 1 : 0xFF);
    EXPECT_EQ(SettingsListSelection(SettingsList::PriorityChannel, d, settings), selected) << priority;
  }
  const std::pair<BandCode, int> bands[] = {{{0x00, 0x40, 0x00, 0x47}, 0}, {{0x60, 0x13, 0x40, 0x17}, 1},
                                            {{0x00, 0x43, 0x00, 0x44}, -1}, {{0x12, 0x34, 0x56, 0x78}, 0}};
  for (const auto& [code, selected] : bands) {
    doc.SetBandCode(code);  // a model without a name has no entry; an unknown code is the first
    EXPECT_EQ(SettingsListSelection(SettingsList::FrequencyRange, doc, settings), selected);
  }
}
}  // namespace
}  // namespace rondel
