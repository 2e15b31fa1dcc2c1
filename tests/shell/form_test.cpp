// SPDX-License-Identifier: GPL-3.0-or-later
// The form: what each grid and settings edit writes, when the document counts as modified, what
// the controls refuse (at the edges of rows, lengths, characters), the document's edit
// operation; and what the form shows: grid cells, which may be edited, every settings list with
// its selection. The clamps of stored values are the document's and are tested there.
#include <gtest/gtest.h>
#include <functional>
#include <optional>
#include "shell/form/channel_columns.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "shell/document/rondel_document.h"
#include "shell_rig.h"
#include "support/scripted_prompter.h"

namespace rondel {
namespace {
using namespace test;  // NOLINT: the rig's channel bytes
using FormEdits = ShellRig;

TEST_F(FormEdits, FrequencyCommitsFollowTheRulesOfTheGrid) {
  const Ch same{k446_00625, k446_00625, k88_5, kD023N, 0x10}, split{k446_00625, k446_10000, k88_5, kD023N, 0x16};
  // before, priority channel (0 off), row, column, text, after, priority after, modified
  const std::tuple<Ch, int, int, int, const char*, Ch, int, bool> cases[] = {
      {{}, 0, 1, 1, "446.00625", {k446_00625, k446_00625}, 0, true},
      {{}, 0, 10, 1, "446.1", {k446_10000, k446_10000}, 0, true},
      {{}, 0, 3, 1, "5", {k400, k400}, 0, true},  // outside the band: the nearer edge
      {{}, 0, 3, 1, "480", {k470, k470}, 0, true},
      {{k446_00300, k446_00300}, 0, 4, 1, "446.00300", {k446_00500, k446_00500}, 0, false},  // snapped
      {same, 0, 2, 1, "446.00625", same, 0, false},
      {same, 0, 2, 1, "446.1", {k446_10000, k446_10000, k88_5, kD023N, 0x10}, 0, true},
      {split, 0, 2, 1, "446.00300", {k446_00500, k446_10000, k88_5, kD023N, 0x16}, 0, true},
      {same, 0, 2, 3, "446.1", {k446_00625, k446_10000, k88_5, kD023N, 0x10}, 0, true},
      {same, 2, 2, 1, "", {.flags = 0xE9}, 0, true},  // deleted: bit 1 kept
      {split, 5, 2, 1, "", {}, 5, true},
      {same, 1, 10, 1, "", {.flags = 0xE9}, 0, true},  // priority 1 is empty: the list shows 10
      {same, 2, 2, 3, "", {k446_00625, kNoFreq, k88_5, kOff, 0x10}, 2, true},
      {{kNoFreq, k446_10000, k88_5, kD023N, 0}, 0, 6, 1, "", {.flags = 0xE9}, 0, false},
  };
  for (const auto& [before, priority, row, column, text, after, priorityAfter, modified] : cases) {
    doc.Blank();
    Put(doc, 5, {k446_10000, k446_10000, kD754I, kD754I, 0x5A});
    Put(doc, row, before);
    doc.SetSetting(Setting::PriorityChannel, priority);
    CRondelDoc::Image want = doc.image();
    const EditOutcome o = ApplyFormEdit(doc, settings, FrequencyEdit{row, column, text});
    EXPECT_EQ(std::make_tuple(Get(doc, row), doc.GetSetting(Setting::PriorityChannel), o.modified, o.Applied(), o.refresh,
                              o.row, o.column), std::make_tuple(after, priorityAfter, modified, true, EditRefresh::Row, row, column))
        << row << " " << text;
    std::copy_n(doc.image().begin() + 0x10 * row, 16, want.begin() + 0x10 * row);
    want[0x3C6] = doc.image()[0x3C6];
    EXPECT_TRUE(doc.image() == want) << "a byte outside the row changed: " << row << " " << text;
  }
}

TEST_F(FormEdits, EditsTheControlsWouldNotAllowChangeNothing) {
  Put(doc, 1, {k446_00625, k446_00625});
  Put(doc, 2, {k446_00625, kNoFreq});
  const std::pair<FormEdit, EditRefusal> cases[] = {
      {FrequencyEdit{0, 1, "446"}, EditRefusal::RowOutside},   {FrequencyEdit{11, 1, "446"}, EditRefusal::RowOutside},
      {ToneEdit{-1, 2, "88.5"}, EditRefusal::RowOutside},      {FrequencyEdit{3, 3, "446"}, EditRefusal::ReadOnlyCell},
      {FrequencyEdit{1, 2, "446"}, EditRefusal::ReadOnlyCell}, {FrequencyEdit{1, 0, "446"}, EditRefusal::ReadOnlyCell},
      {OptionEdit{1, 12, 1}, EditRefusal::ReadOnlyCell},       {OptionEdit{1, 1, 1}, EditRefusal::ReadOnlyCell},
      {OptionEdit{3, 7, 1}, EditRefusal::ReadOnlyCell},        {ToneEdit{2, 4, "88.5"}, EditRefusal::ReadOnlyCell},
      {FrequencyEdit{1, 1, "446.006250"}, EditRefusal::TextRefused},
      {FrequencyEdit{1, 1, "4.4.6"}, EditRefusal::TextRefused}, {ToneEdit{1, 2, "88.6"}, EditRefusal::NotInToneList},
      {ToneEdit{1, 2, "D12", true}, EditRefusal::NotInToneList}, {OptionEdit{1, 7, 2}, EditRefusal::NotABit},
      {OptionEdit{1, 5, -1}, EditRefusal::NotABit}, {CheckEdit{Setting::SquelchLevel, true}, EditRefusal::NotAControl},
      {CodeEdit{PttCode::Start, "0123456789ABCDd0"}, EditRefusal::TextRefused},
      {PasswordEdit{"zZ09aA1"}, EditRefusal::TextRefused},
  };
  const CRondelDoc::Image before = doc.image();
  for (const auto& c : cases) {
    const EditOutcome o = ApplyFormEdit(doc, settings, c.first);
    EXPECT_EQ(std::make_tuple(o.refused, o.modified, o.Applied(), o.refresh),
              std::make_tuple(c.second, false, false, EditRefresh::None)) << "case " << &c - cases;
  }
  EXPECT_TRUE(doc.image() == before);
}

TEST(FormEditFilters, EachEditorTakesItsCharactersUpToItsLength) {
  const std::tuple<const char*, bool, bool, bool> cases[] = {  // text, frequency, PTT code, password
      {"", 1, 1, 1},    {"012345678", 1, 1, 0}, {"0123456789", 0, 1, 0}, {"123456", 1, 1, 1}, {".", 1, 0, 0},
      {"1.2.3", 0, 0, 0}, {"/", 0, 0, 0}, {":", 0, 0, 0}, {"AD", 0, 1, 1}, {"ad", 0, 1, 1}, {"@", 0, 0, 0},
      {"E", 0, 0, 1},   {"e", 0, 0, 1},  {"`", 0, 0, 0},  {"Zz", 0, 0, 1},  {"[", 0, 0, 0},  {"{", 0, 0, 0},
      {"012345678901234", 0, 1, 0}, {"0123456789012345", 0, 0, 0}, {"\xE4\xB8\x80", 0, 0, 0}};
  for (const auto& [text, freq, code, password] : cases)
    EXPECT_EQ(std::make_tuple(FrequencyEditAccepts(text), PttCodeEditAccepts(text), PasswordEditAccepts(text)),
              std::make_tuple(freq, code, password)) << text;
}

TEST_F(FormEdits, TonesFollowOnlyFromTheReceiveColumn) {
  const Ch off{k446_00625, k446_00625}, differ{k446_00625, k446_00625, k88_5, kD023N};
  const std::tuple<Ch, int, std::optional<std::string>, bool, B2, B2, bool> cases[] = {
      {off, 2, "88.5", false, k88_5, k88_5, true},  {differ, 2, "d754i", false, kD754I, kD023N, true},
      {off, 4, "88.5", false, kOff, k88_5, true},   {off, 2, "AUS", false, kOff, kOff, false},
      {differ, 2, "Aus", false, kOff, kD023N, true}, {differ, 2, std::nullopt, false, k88_5, kD023N, false},
      {off, 2, "88.6", true, k88_6, k88_6, true}};
  for (const auto& [before, column, item, anyHeld, rx, tx, modified] : cases) {
    Put(doc, 4, before);
    EXPECT_EQ(ApplyFormEdit(doc, settings, ToneEdit{4, column, item, anyHeld}).modified, modified);
    EXPECT_EQ(Get(doc, 4), (Ch{k446_00625, k446_00625, rx, tx})) << item.value_or("none");
  }
  const std::vector<std::string> items = ToneListItems();  // the editor opens on the first that begins so
  EXPECT_EQ(std::make_tuple(items.size(), items[0] + items[1] + items[258], ToneItemForCell(items, "d02"),
                            ToneItemForCell(items, ""), ToneItemForCell(items, "D754IX"), ToneItemForCell(items, "88.6")),
            std::make_tuple(259u, "Aus67.0D754I", 51, 0, -1, -1));
}

TEST_F(FormEdits, AListEntryIsStoredAndAnIndexPastTheListRefused) {
  Put(doc, 3, {k446_00625});
  using L = SettingsList;
  const std::tuple<SettingsList, int, int> cases[] = {  // list, index, stored (-1: refused)
      {L::SquelchLevel, -1, -1}, {L::SquelchLevel, 0, 0}, {L::SquelchLevel, 9, 9}, {L::SquelchLevel, 10, -1},
      {L::TxTimeout, 10, 10},    {L::TxTimeout, 11, -1},  {L::VoxLevel, 9, 9},     {L::VoxLevel, 10, -1},
      {L::VoxDelay, 5, 5},       {L::VoxDelay, 6, -1},    {L::VoicePrompt, 2, 2},  {L::VoicePrompt, 3, -1},
      {L::PttId, 3, 3},          {L::PttId, 4, -1},       {L::ScanMode, 1, 1},     {L::ScanMode, 2, -1},
      {L::SideKey1, 6, 6},       {L::SideKey2, 7, -1},    {L::PriorityChannel, 1, 3},
      {L::PriorityChannel, 0, 0}, {L::PriorityChannel, 2, -1}};
  for (const auto& [list, index, stored] : cases) {
    doc.SetSetting(SettingOfList(list), 1);
    const CRondelDoc::Image before = doc.image();
    const EditOutcome o = ApplyFormEdit(doc, settings, ListEdit{list, index});
    EXPECT_EQ(std::make_tuple(o.Applied(), o.modified), std::make_tuple(stored >= 0, stored >= 0)) << index;
    EXPECT_TRUE(stored < 0 ? doc.image() == before : doc.GetSetting(SettingOfList(list)) == stored) << index;
  }
}

TEST_F(FormEdits, CheckBoxesCodesAndPasswordCountOnlyWhatChangesTheBytes) {
  for (const bool on : {true, false})
    for (const Setting s : {Setting::FmRadio, Setting::BatterySaver})
      EXPECT_TRUE(ApplyFormEdit(doc, settings, CheckEdit{s, on}).modified && doc.GetSetting(s) == on);
  const std::pair<FormEdit, bool> cases[] = {
      {CodeEdit{PttCode::End, "12ab"}, true}, {CodeEdit{PttCode::End, "12AB"}, false},
      {CodeEdit{PttCode::End, "0123456789ABCDd"}, true}, {CodeEdit{PttCode::End, ""}, true},
      {CodeEdit{PttCode::End, ""}, false}, {PasswordEdit{"42AB"}, true}, {PasswordEdit{"42AB"}, false},
      {PasswordEdit{"42ab"}, true}, {PasswordEdit{"zZ09aA"}, true}};
  for (const auto& [edit, modified] : cases) EXPECT_EQ(ApplyFormEdit(doc, settings, edit).modified, modified);
  EXPECT_EQ(doc.GetPttCodeText(PttCode::End) + doc.GetReadPasswordText(), "zZ09aA");
}

TEST_F(FormEdits, ARangeChangeAsksThenErasesTheChannelsAndSelectsTheModel) {
  CRondelDoc model1;
  model1.SelectModel(1, settings);
  const std::tuple<int, std::optional<bool>, EditRefusal, EditRefresh> cases[] = {  // answer none: not asked
      {0, std::nullopt, EditRefusal::None, EditRefresh::None}, {2, std::nullopt, EditRefusal::NotAnEntry, EditRefresh::None},
      {-1, std::nullopt, EditRefusal::NotAnEntry, EditRefresh::None}, {1, false, EditRefusal::None, EditRefresh::Settings},
      {1, true, EditRefusal::None, EditRefresh::Form}};
  for (const auto& [index, answer, refused, refresh] : cases) {
    Put(doc, 1, {k446_00625, k446_00625, k88_5});
    const CRondelDoc::Image before = doc.image();
    int asked = 0;
    const EditOutcome o = ApplyFormEdit(doc, settings, ListEdit{SettingsList::FrequencyRange, index},
                                        [&, a = answer] { return ++asked, a.value_or(true); });
    EXPECT_EQ(std::make_tuple(asked, o.refused, o.declined, o.modified, o.refresh),
              std::make_tuple(answer ? 1 : 0, refused, answer == false, answer == true, refresh)) << index;
    EXPECT_TRUE(doc.image() == (answer == true ? model1.image() : before));
  }
  EXPECT_EQ(doc.bandHigh, 17400000);
  ScriptedPrompter prompter;
  prompter.Answer(PromptAnswer::Cancel);
  prompter.Answer(PromptAnswer::Ok);
  EXPECT_FALSE(AskFrequencyRangeChange());
  EXPECT_TRUE(AskFrequencyRangeChange());
  const auto& p = prompter.prompts.at(1);
  EXPECT_EQ(std::make_tuple(p.text, p.caption, p.icon, p.buttons),
            std::make_tuple("Alles weg?", "Sicher?", PromptIcon::Warning, PromptButtons::OkCancel));
}

TEST_F(FormEdits, EveryEditOfTheFormMarksTheDocumentModifiedAndTellsTheViews) {
  Put(doc, 2, {k446_00625, k446_00625, k88_5, k88_5, 0xEB});
  CRondelDocument document(doc, settings);
  const auto flipped = [&](int column) { return 1 - doc.GetChannelOption(2, ColumnInfo(column).option); };
  const auto same = [&](int column) { return doc.GetChannelOption(2, ColumnInfo(column).option); };
  struct Case {
    const char* what;
    std::function<FormEdit()> edit;
    bool modified;
    EditRefresh told;  // what the views are told to show again; Form: every view updated
  };
  const Case cases[] = {
      {"frequency", [] { return FrequencyEdit{2, 1, "446.1"}; }, true, EditRefresh::Row},
      {"same frequency", [] { return FrequencyEdit{2, 1, "446.10000"}; }, false, EditRefresh::Row},
      {"tone", [] { return ToneEdit{2, 2, "100.0"}; }, true, EditRefresh::Row},
      {"scan add", [&] { return OptionEdit{2, 5, flipped(5)}; }, true, EditRefresh::Cell},
      {"bandwidth", [&] { return OptionEdit{2, 6, flipped(6)}; }, true, EditRefresh::Cell},
      {"power", [&] { return OptionEdit{2, 7, flipped(7)}; }, true, EditRefresh::Cell},
      {"busy lock", [&] { return OptionEdit{2, 8, flipped(8)}; }, true, EditRefresh::Cell},
      {"scrambler", [&] { return OptionEdit{2, 9, flipped(9)}; }, true, EditRefresh::Cell},
      {"compander", [&] { return OptionEdit{2, 10, flipped(10)}; }, true, EditRefresh::Cell},
      {"ptt id", [&] { return OptionEdit{2, 11, flipped(11)}; }, true, EditRefresh::Cell},
      {"same option", [&] { return OptionEdit{2, 11, same(11)}; }, false, EditRefresh::Cell},
      {"list", [] { return ListEdit{SettingsList::SquelchLevel, 7}; }, true, EditRefresh::None},
      {"check box", [&] { return CheckEdit{Setting::FmRadio, doc.GetSetting(Setting::FmRadio) == 0}; }, true, EditRefresh::None},
      {"code", [] { return CodeEdit{PttCode::Start, "12AB"}; }, true, EditRefresh::None},
      {"password", [] { return PasswordEdit{"Ab12"}; }, true, EditRefresh::None},
      {"same password", [] { return PasswordEdit{"Ab12"}; }, false, EditRefresh::None},
      {"range", [] { return ListEdit{SettingsList::FrequencyRange, 1}; }, true, EditRefresh::Form},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    document.SetModifiedFlag(false);  // as after a save
    int updates = 0;
    std::vector<EditRefresh> told;
    document.onUpdateAllViews = [&] { ++updates; };
    document.onEditApplied = [&](const EditOutcome& o) { told.push_back(o.refresh); };
    const EditOutcome o = document.ApplyEdit(c.edit(), [] { return true; });
    EXPECT_TRUE(o.Applied());
    EXPECT_EQ(o.modified, c.modified);
    EXPECT_EQ(document.IsModified(), c.modified);
    EXPECT_EQ(updates, c.told == EditRefresh::Form ? 1 : 0);
    EXPECT_EQ(told, c.told == EditRefresh::None || c.told == EditRefresh::Form ? std::vector<EditRefresh>{}
                                                                             : std::vector<EditRefresh>{c.told});
  }
}

using FormTexts = ShellRig;
using Strings = std::vector<std::string>;

TEST_F(FormTexts, ChannelRowsShowTheImageLocalisedAndOnlyWhatMayBeEdited) {
  const std::string none = "010000000000", rxOnly = "011101111111", full = "011111111111";
  const std::tuple<int, Ch, Strings, std::string> cases[] = {  // editable: one digit per column
      {1, {}, {"1"}, none}, {7, {kNoFreq, k446_00625, k88_5, k88_5, 0x00}, {"7"}, none},
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
    std::string got;
    for (std::size_t c = 0; c < 12; ++c) {
      got += row.editable[c] ? '1' : '0';
      EXPECT_EQ(row.text[c], c < texts.size() ? texts[c] : "") << n << " column " << c;
    }
    EXPECT_EQ(got, editable) << n;
  }
  EXPECT_EQ(std::make_pair(OptionOfColumn(9), OptionChoices(4)), std::make_pair(ChannelOption::Opt9Off, std::array<std::string, 2>{}));
  UseLanguage("[String]\nIDS_YES=Ja\n");
  EXPECT_EQ(OptionChoices(5), (std::array<std::string, 2>{"Ja", "Not Found"}));
}

TEST_F(FormTexts, SettingsListsOfferTheirEntriesAndSelectTheStoredIndexWhenTheyHaveIt) {
  for (int n : {2, 5, 10, 11}) Put(doc, n, {k446_00625});
  Put(doc, 3, {kNoFreq, k446_00625});  // transmit alone makes no channel
  using L = SettingsList;
  const std::pair<SettingsList, Strings> entries[] = {
      {L::SquelchLevel, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}}, {L::ScanMode, {"Zeit", "Traeger"}},
      {L::TxTimeout, {"Aus", "30", "60", "90", "120", "150", "180", "210", "240", "270", "300"}},
      {L::VoxLevel, {"Aus", "1", "2", "3", "4", "5", "6", "7", "8", "9"}}, {L::FrequencyRange, {"UHF", "VHF"}},
      {L::VoxDelay, {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}}, {L::VoicePrompt, {"Stumm", "Deutsch", "Englisch"}},
      {L::PttId, {"Keine", "Anfang", "Ende", "Beides"}}, {L::SideKey1, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}},
      {L::SideKey2, {"T0", "T1", "T2", "T3", "T4", "T5", "T6"}}, {L::PriorityChannel, {"Aus", "2", "5", "10"}}};  // rows 1..10
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
