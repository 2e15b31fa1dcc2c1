// The form's edit rules: what each grid and settings edit writes, when the document counts as
// modified, what the form's controls would refuse (at the edges of rows, lengths and
// characters), and the document operation that applies an edit and tells the views.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell/form_edits.h"
#include "shell/rondel_document.h"
#include "shell_rig.h"
#include "support/scripted_prompter.h"

namespace rondel {
namespace {

using namespace test;  // NOLINT: the rig's channel bytes
using FormEdits = ShellRig;

struct FrequencyCase {
  const char* what;
  Ch before;
  int priority;  // channel number, 0 off
  int row, column;
  const char* text;
  Ch after;
  int priorityAfter;
  bool modified;
};

TEST_F(FormEdits, FrequencyCommitsFollowTheRulesOfTheGrid) {
  const Ch empty{};
  const Ch same{k446_00625, k446_00625, k88_5, kD023N, 0x10};
  const Ch split{k446_00625, k446_10000, k88_5, kD023N, 0x16};
  const FrequencyCase cases[] = {
      {"into an empty channel, row 1", empty, 0, 1, 1, "446.00625", {k446_00625, k446_00625}, 0, true},
      {"into the last row of the form", empty, 0, 10, 1, "446.1", {k446_10000, k446_10000}, 0, true},
      {"below the band: the lower edge", empty, 0, 3, 1, "5", {k400, k400}, 0, true},
      {"above the band: the upper edge", empty, 0, 3, 1, "480", {k470, k470}, 0, true},
      {"leaving an off-raster value snaps it, no change", {k446_00300, k446_00300}, 0, 4, 1,
       "446.00300", {k446_00500, k446_00500}, 0, false},
      {"the same text again is no change", same, 0, 2, 1, "446.00625", same, 0, false},
      {"transmit follows while equal", same, 0, 2, 1, "446.1",
       {k446_10000, k446_10000, k88_5, kD023N, 0x10}, 0, true},
      {"transmit stays while it differs", split, 0, 2, 1, "446.00300",
       {k446_00500, k446_10000, k88_5, kD023N, 0x16}, 0, true},
      {"a transmit edit leaves the receive side", same, 0, 2, 3, "446.1",
       {k446_00625, k446_10000, k88_5, kD023N, 0x10}, 0, true},
      {"clearing receive deletes, bit 1 kept clear", same, 2, 2, 1, "", {.flags = 0xE9}, 0, true},
      {"clearing receive deletes, bit 1 kept set", split, 5, 2, 1, "", {}, 5, true},
      {"clearing transmit turns its tone off", same, 2, 2, 3, "",
       {k446_00625, kNoFreq, k88_5, kOff, 0x10}, 2, true},
      {"clearing an empty channel resets it, no change", {kNoFreq, k446_10000, k88_5, kD023N, 0},
       0, 6, 1, "", {.flags = 0xE9}, 0, false},
  };
  for (const FrequencyCase& c : cases) {
    SCOPED_TRACE(c.what);
    doc.Blank();
    doc.SelectModel(0, settings);
    Put(doc, 5, {k446_10000, k446_10000, kD754I, kD754I, 0x5A});
    Put(doc, c.row, c.before);
    doc.SetSetting(Setting::PriorityChannel, c.priority);
    CRondelDoc::Image want = doc.image();
    const EditOutcome o = ApplyFormEdit(doc, settings, FrequencyEdit{c.row, c.column, c.text});
    EXPECT_EQ(Get(doc, c.row), c.after);
    EXPECT_EQ(doc.GetSetting(Setting::PriorityChannel), c.priorityAfter);
    std::copy_n(doc.image().begin() + 0x10 * c.row, 16, want.begin() + 0x10 * c.row);
    want[0x3C6] = doc.image()[0x3C6];
    EXPECT_TRUE(doc.image() == want) << "a byte outside the row changed";
    EXPECT_TRUE(o.Applied());
    EXPECT_EQ(o.modified, c.modified);
    EXPECT_EQ(o.refresh, EditRefresh::Row);
    EXPECT_EQ(o.row * 100 + o.column, c.row * 100 + c.column);
  }
}

TEST_F(FormEdits, DeletingTheChannelThePriorityListShowsResetsThePriority) {
  // Priority 1 is empty, so the list's prefix search shows channel 10.
  Put(doc, 10, {k446_00625, k446_00625});
  doc.SetSetting(Setting::PriorityChannel, 1);
  ApplyFormEdit(doc, settings, FrequencyEdit{10, 1, ""});
  EXPECT_EQ(doc.GetSetting(Setting::PriorityChannel), 0);
}

TEST_F(FormEdits, EditsTheControlsWouldNotAllowChangeNothing) {
  Put(doc, 1, {k446_00625, k446_00625});
  Put(doc, 2, {k446_00625, kNoFreq});
  const std::pair<FormEdit, EditRefusal> cases[] = {
      {FrequencyEdit{0, 1, "446"}, EditRefusal::RowOutside},
      {FrequencyEdit{11, 1, "446"}, EditRefusal::RowOutside},
      {ToneEdit{-1, 2, "88.5"}, EditRefusal::RowOutside},
      {FrequencyEdit{3, 3, "446"}, EditRefusal::ReadOnlyCell},  // transmit of an empty channel
      {FrequencyEdit{1, 2, "446"}, EditRefusal::ReadOnlyCell},  // a tone column
      {FrequencyEdit{1, 0, "446"}, EditRefusal::ReadOnlyCell},
      {OptionEdit{1, 12, 1}, EditRefusal::ReadOnlyCell},
      {OptionEdit{1, 1, 1}, EditRefusal::ReadOnlyCell},
      {OptionEdit{3, 7, 1}, EditRefusal::ReadOnlyCell},
      {ToneEdit{2, 4, "88.5"}, EditRefusal::ReadOnlyCell},  // no transmit frequency
      {FrequencyEdit{1, 1, "446.006250"}, EditRefusal::TextRefused},
      {FrequencyEdit{1, 1, "4.4.6"}, EditRefusal::TextRefused},
      {ToneEdit{1, 2, "88.6"}, EditRefusal::NotInToneList},
      {ToneEdit{1, 2, "D12", true}, EditRefusal::NotInToneList},
      {OptionEdit{1, 7, 2}, EditRefusal::NotABit},
      {OptionEdit{1, 5, -1}, EditRefusal::NotABit},
      {CheckEdit{Setting::SquelchLevel, true}, EditRefusal::NotAControl},
      {CodeEdit{PttCode::Start, "0123456789ABCDd0"}, EditRefusal::TextRefused},
      {PasswordEdit{"zZ09aA1"}, EditRefusal::TextRefused},
  };
  const CRondelDoc::Image before = doc.image();
  int i = 0;
  for (const auto& [edit, why] : cases) {
    const EditOutcome o = ApplyFormEdit(doc, settings, edit);
    EXPECT_EQ(o.refused, why) << "case " << i;
    EXPECT_FALSE(o.modified || o.Applied()) << "case " << i;
    EXPECT_EQ(o.refresh, EditRefresh::None) << "case " << i++;
  }
  EXPECT_TRUE(doc.image() == before);
}

TEST(FormEditFilters, EachEditorTakesItsCharactersUpToItsLength) {
  const struct {
    const char* text;
    bool freq, code, password;
  } cases[] = {
      {"", true, true, true},          {"012345678", true, true, false},
      {"0123456789", false, true, false}, {"123456", true, true, true},
      {".", true, false, false},       {"1.2.3", false, false, false},
      {"/", false, false, false},      {":", false, false, false},
      {"AD", false, true, true},       {"ad", false, true, true},
      {"@", false, false, false},      {"E", false, false, true},
      {"e", false, false, true},       {"`", false, false, false},
      {"Zz", false, false, true},      {"[", false, false, false},
      {"{", false, false, false},      {"012345678901234", false, true, false},
      {"0123456789012345", false, false, false}, {"\xE4\xB8\x80", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FrequencyEditAccepts(c.text), c.freq) << c.text;
    EXPECT_EQ(PttCodeEditAccepts(c.text), c.code) << c.text;
    EXPECT_EQ(PasswordEditAccepts(c.text), c.password) << c.text;
  }
}

TEST_F(FormEdits, ToneCommitsFollowOnlyFromTheReceiveColumn) {
  const Ch off{k446_00625, k446_00625};
  const Ch differ{k446_00625, k446_00625, k88_5, kD023N};
  const struct {
    Ch before;
    int column;
    std::optional<std::string> item;
    bool anyHeld;
    B2 rx, tx;
    bool modified;
  } cases[] = {
      {off, 2, "88.5", false, k88_5, k88_5, true},
      {differ, 2, "d754i", false, kD754I, kD023N, true},
      {off, 4, "88.5", false, kOff, k88_5, true},
      {off, 2, "AUS", false, kOff, kOff, false},
      {differ, 2, "Aus", false, kOff, kD023N, true},
      {differ, 2, std::nullopt, false, k88_5, kD023N, false},
      {off, 2, "88.6", true, k88_6, k88_6, true},
  };
  int i = 0;
  for (const auto& c : cases) {
    Put(doc, 4, c.before);
    const EditOutcome o = ApplyFormEdit(doc, settings, ToneEdit{4, c.column, c.item, c.anyHeld});
    EXPECT_EQ(Get(doc, 4), (Ch{k446_00625, k446_00625, c.rx, c.tx})) << "case " << i;
    EXPECT_EQ(o.modified, c.modified) << "case " << i++;
  }
}

TEST_F(FormEdits, EachOptionColumnSetsItsBitWithoutCountingAsAChange) {
  const int bits[] = {4, 2, 3, 0, 5, 6, 7};  // columns 5 to 11
  for (int column = 5; column <= 11; ++column) {
    for (const int index : {1, 0}) {
      Put(doc, 9, {k446_00625, kNoFreq, kOff, kOff, std::uint8_t(index ? 0x00 : 0xFF)});
      const EditOutcome o = ApplyFormEdit(doc, settings, OptionEdit{9, column, index});
      EXPECT_EQ(Get(doc, 9).flags, std::uint8_t((index ? 0x00 : 0xFF) ^ (1 << bits[column - 5])))
          << column;
      EXPECT_FALSE(o.modified);
      EXPECT_EQ(o.refresh, EditRefresh::Cell);
    }
  }
}

TEST_F(FormEdits, AListEntryIsStoredAndAnIndexPastTheListRefused) {
  Put(doc, 3, {k446_00625});
  const struct {
    SettingsList list;
    int index;
    int stored;  // -1: refused
  } cases[] = {
      {SettingsList::SquelchLevel, -1, -1}, {SettingsList::SquelchLevel, 0, 0},
      {SettingsList::SquelchLevel, 9, 9},   {SettingsList::SquelchLevel, 10, -1},
      {SettingsList::TxTimeout, 10, 10},    {SettingsList::TxTimeout, 11, -1},
      {SettingsList::VoxLevel, 9, 9},       {SettingsList::VoxLevel, 10, -1},
      {SettingsList::VoxDelay, 5, 5},       {SettingsList::VoxDelay, 6, -1},
      {SettingsList::VoicePrompt, 2, 2},    {SettingsList::VoicePrompt, 3, -1},
      {SettingsList::PttId, 3, 3},          {SettingsList::PttId, 4, -1},
      {SettingsList::ScanMode, 1, 1},       {SettingsList::ScanMode, 2, -1},
      {SettingsList::SideKey1, 6, 6},       {SettingsList::SideKey2, 7, -1},
      {SettingsList::PriorityChannel, 1, 3}, {SettingsList::PriorityChannel, 0, 0},
      {SettingsList::PriorityChannel, 2, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.list)) + " index " + std::to_string(c.index));
    doc.SetSetting(SettingOfList(c.list), 1);
    const CRondelDoc::Image before = doc.image();
    const EditOutcome o = ApplyFormEdit(doc, settings, ListEdit{c.list, c.index});
    EXPECT_EQ(o.Applied(), c.stored >= 0);
    EXPECT_EQ(o.modified, c.stored >= 0);
    EXPECT_TRUE(c.stored < 0 ? doc.image() == before
                             : doc.GetSetting(SettingOfList(c.list)) == c.stored);
  }
}

TEST_F(FormEdits, CheckBoxesCodesAndPasswordCountOnlyWhatChangesTheBytes) {
  for (const bool on : {true, false}) {
    for (const Setting s : {Setting::FmRadio, Setting::BatterySaver}) {
      EXPECT_TRUE(ApplyFormEdit(doc, settings, CheckEdit{s, on}).modified);
      EXPECT_EQ(doc.GetSetting(s), on ? 1 : 0);
    }
  }
  const struct {
    FormEdit edit;
    bool modified;
  } cases[] = {
      {CodeEdit{PttCode::End, "12ab"}, true},  {CodeEdit{PttCode::End, "12AB"}, false},
      {CodeEdit{PttCode::End, "0123456789ABCDd"}, true}, {CodeEdit{PttCode::End, ""}, true},
      {CodeEdit{PttCode::End, ""}, false},     {PasswordEdit{"42AB"}, true},
      {PasswordEdit{"42AB"}, false},           {PasswordEdit{"42ab"}, true},
      {PasswordEdit{"zZ09aA"}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(ApplyFormEdit(doc, settings, c.edit).modified, c.modified);
  EXPECT_EQ(doc.GetPttCodeText(PttCode::End), "");
  EXPECT_EQ(doc.GetReadPasswordText(), "zZ09aA");
}

TEST_F(FormEdits, ARangeChangeAsksThenErasesTheChannelsAndSelectsTheModel) {
  CRondelDoc model1;
  model1.Blank();
  model1.SelectModel(1, settings);
  const struct {
    int index;
    std::optional<bool> answer;  // none: not asked
    EditRefusal refused;
    bool erased;
    EditRefresh refresh;
  } cases[] = {
      {0, std::nullopt, EditRefusal::None, false, EditRefresh::None},
      {2, std::nullopt, EditRefusal::NotAnEntry, false, EditRefresh::None},  // no name
      {-1, std::nullopt, EditRefusal::NotAnEntry, false, EditRefresh::None},
      {1, false, EditRefusal::None, false, EditRefresh::Settings},
      {1, true, EditRefusal::None, true, EditRefresh::Form},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    Put(doc, 1, {k446_00625, k446_00625, k88_5});
    const CRondelDoc::Image before = doc.image();
    int asked = 0;
    const EditOutcome o = ApplyFormEdit(doc, settings, ListEdit{SettingsList::FrequencyRange, c.index},
                                        [&] { return ++asked, c.answer.value_or(true); });
    EXPECT_EQ(asked, c.answer ? 1 : 0);
    EXPECT_EQ(o.refused, c.refused);
    EXPECT_EQ(o.declined, c.answer == false);
    EXPECT_EQ(o.modified, c.erased);
    EXPECT_EQ(o.refresh, c.refresh);
    EXPECT_TRUE(doc.image() == (c.erased ? model1.image() : before));
  }
  EXPECT_EQ(doc.bandHigh, 17400000);
}

TEST_F(FormEdits, TheRangeQuestionGoesThroughThePromptLayer) {
  for (const PromptAnswer answer : {PromptAnswer::Ok, PromptAnswer::Cancel}) {
    ScriptedPrompter prompter;
    prompter.Answer(answer);
    EXPECT_EQ(AskFrequencyRangeChange(), answer == PromptAnswer::Ok);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text + "|" + prompter.prompts[0].caption, "Alles weg?|Sicher?");
    EXPECT_EQ(prompter.prompts[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompter.prompts[0].buttons, PromptButtons::OkCancel);
  }
}

TEST_F(FormEdits, TheToneEditorOpensOnTheFirstItemBeginningWithTheCell) {
  const std::vector<std::string> items = ToneListItems();
  ASSERT_EQ(items.size(), 259u);
  EXPECT_EQ(items[0] + items[1] + items[258], "Aus67.0D754I");
  const struct {
    const char* cell;
    int opened, exact;
  } cases[] = {{"AUS", 0, 0}, {"d023n", 51, 51}, {"D754I", 258, 258}, {"88.6", -1, -1},
               {"D02", 51, -1}, {"", 0, -1}, {"D754IX", -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(ToneItemForCell(items, c.cell), c.opened) << c.cell;
    EXPECT_EQ(FindToneItem(items, c.cell), c.exact) << c.cell;
  }
}

TEST_F(FormEdits, TheDocumentMarksModifiedAsTheRuleSaysAndTellsTheViews) {
  int skip = 0;
  CRondelDocument document(doc, settings, skip);
  int updates = 0;
  std::vector<EditRefresh> told;
  document.onUpdateAllViews = [&] { ++updates; };
  document.onEditApplied = [&](const EditOutcome& o) { told.push_back(o.refresh); };
  doc.SetModifiedFlag(false);
  document.ApplyEdit(FrequencyEdit{2, 1, "446.1"});
  EXPECT_TRUE(doc.IsModified());
  document.ApplyEdit(OptionEdit{2, 7, 0});
  document.ApplyEdit(ListEdit{SettingsList::SquelchLevel, 10});
  EXPECT_EQ(told, (std::vector<EditRefresh>{EditRefresh::Row, EditRefresh::Cell}));
  doc.SetModifiedFlag(false);
  document.ApplyEdit(OptionEdit{2, 7, 1});
  EXPECT_FALSE(doc.IsModified());
  document.ApplyEdit(ListEdit{SettingsList::FrequencyRange, 1}, [] { return true; });
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(told.size(), 3u);
}

}  // namespace
}  // namespace rondel
