// The form's edit rules on images built byte by byte: what each grid and settings edit writes,
// when the document counts as modified, what the form's controls would refuse, and the one
// document operation that applies an edit and tells the views. Every case checks the whole
// image, so a byte written where it should not be is caught too.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/rondel_doc.h"
#include "shell/app_paths.h"
#include "shell/channel_columns.h"
#include "shell/form_edits.h"
#include "shell/rondel_document.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;
using Bytes4 = std::array<std::uint8_t, 4>;
using Bytes2 = std::array<std::uint8_t, 2>;

constexpr Bytes4 kNoFreq{0xFF, 0xFF, 0xFF, 0xFF};
constexpr Bytes2 kNoTone{0xFF, 0xFF};
constexpr Bytes4 k446_00625{0x25, 0x06, 0x60, 0x44};
constexpr Bytes4 k446_00300{0x00, 0x03, 0x60, 0x44};  // off the raster
constexpr Bytes4 k446_00500{0x00, 0x05, 0x60, 0x44};
constexpr Bytes4 k446_10000{0x00, 0x00, 0x61, 0x44};
constexpr Bytes4 k446_50000{0x00, 0x00, 0x65, 0x44};
constexpr Bytes4 k400_00000{0x00, 0x00, 0x00, 0x40};
constexpr Bytes4 k470_00000{0x00, 0x00, 0x00, 0x47};
constexpr Bytes4 k450_00000{0x00, 0x00, 0x00, 0x45};
constexpr Bytes2 k88_5{0x85, 0x08};
constexpr Bytes2 kD023N{0x23, 0x80};
constexpr Bytes2 kD754I{0x54, 0xC7};

// None of these texts is a shipped one; "Aus" is the off text.
const char* const kLanguageFile =
    "[String]\nIDS_OFF=Aus\nIDS_CONFIRM=Sicher?\nIDS_CONFIRM_FREQ=Alles weg?\n"
    "[VoiceAnnunciation]\n0=Stumm\n1=Deutsch\n2=Englisch\n"
    "[PttId]\n0=Keine\n1=Anfang\n2=Ende\n3=Beides\n"
    "[MonitorKey]\n0=T0\n1=T1\n2=T2\n3=T3\n4=T4\n5=T5\n6=T6\n"
    "[ScanMode]\n0=Zeit\n1=Traeger\n";

// Ten rows; model 0 is 400-470 MHz, model 2 is 136-174 MHz. Model 3 has a band but no name.
const char* const kIniFile =
    "[setup]\nchannel=10\n"
    "[ModelInfo]\n"
    "data0=00400047\nFreq0=UHF\n"
    "data1=00400048\nFreq1=UHF wide\n"
    "data2=60134017\nFreq2=VHF\n"
    "data3=00430044\n";

struct Channel {
  Bytes4 rx = kNoFreq;
  Bytes4 tx = kNoFreq;
  Bytes2 rxTone = kNoTone;
  Bytes2 txTone = kNoTone;
  std::uint8_t flags = 0xEB;
};

std::size_t At(int n) { return 0x10 * static_cast<std::size_t>(n); }

void Put(CRondelDoc::Image& image, int n, const Channel& c) {
  auto* r = image.data() + At(n);
  std::copy(c.rx.begin(), c.rx.end(), r);
  std::copy(c.tx.begin(), c.tx.end(), r + 4);
  std::copy(c.rxTone.begin(), c.rxTone.end(), r + 8);
  std::copy(c.txTone.begin(), c.txTone.end(), r + 10);
  r[12] = c.flags;
}

// The first differing image offsets, for a message that says where an image went wrong.
std::string Differences(const CRondelDoc::Image& want, const CRondelDoc::Image& got) {
  std::string s;
  int shown = 0;
  for (std::size_t i = 0; i < want.size() && shown < 8; ++i) {
    if (want[i] == got[i]) continue;
    char line[64];
    std::snprintf(line, sizeof line, " 0x%03zX: want %02X got %02X;", i, unsigned{want[i]},
                  unsigned{got[i]});
    s += line;
    ++shown;
  }
  return s;
}

class FormEdits : public testing::Test {
 protected:
  void SetUp() override {
    m_saved = {g_strExeDir, g_strIniPath, g_strLangPath};
    SetAppPaths(m_dir.path(), m_ini, m_dir.Write("test.lang", kLanguageFile));
    m_doc.Blank();
    m_doc.SelectModel(0, m_settings);
  }
  void TearDown() override { SetAppPaths(m_saved[0], m_saved[1], m_saved[2]); }

  // Applies the edit and checks the whole image against `want`.
  EditOutcome ApplyAndExpect(const FormEdit& edit, const CRondelDoc::Image& want,
                             const ConfirmRangeChange& confirm = {}) {
    const EditOutcome o = ApplyFormEdit(m_doc, m_settings, edit, confirm);
    EXPECT_TRUE(m_doc.image() == want) << Differences(want, m_doc.image());
    return o;
  }

  TempDir m_dir;
  std::string m_ini = m_dir.Write("setting.ini", kIniFile);
  CSettings m_settings{m_ini};
  CRondelDoc m_doc;

 private:
  std::array<std::string, 3> m_saved;
};

// ---------------------------------------------------------------------------------------
// Committing a frequency

struct FrequencyCase {
  const char* what;
  Channel before;
  int priority;  // 0: off, else channel number
  int row;
  int column;
  const char* text;
  Channel after;
  int priorityAfter;
  bool modified;
};

std::vector<FrequencyCase> FrequencyCases() {
  const Channel empty{};
  const Channel full{k446_00625, k446_00625, k88_5, kD023N, 0x10};
  return {
      {"446.00625 into an empty channel sets both frequencies", empty, 0, 3, 1, "446.00625",
       {k446_00625, k446_00625, kNoTone, kNoTone, 0xEB}, 0, true},
      {"5 below a 400-470 MHz band stores the lower edge", empty, 0, 3, 1, "5",
       {k400_00000, k400_00000, kNoTone, kNoTone, 0xEB}, 0, true},
      {"480 above the band stores the upper edge", empty, 0, 3, 1, "480",
       {k470_00000, k470_00000, kNoTone, kNoTone, 0xEB}, 0, true},
      {"the edges belong to the band", empty, 0, 3, 1, "470",
       {k470_00000, k470_00000, kNoTone, kNoTone, 0xEB}, 0, true},
      {"a point alone is below the band", empty, 0, 3, 1, ".",
       {k400_00000, k400_00000, kNoTone, kNoTone, 0xEB}, 0, true},
      {"leaving 446.00300 unchanged snaps it and is no change",
       {k446_00300, k446_00300, kNoTone, kNoTone, 0xEB}, 0, 4, 1, "446.00300",
       {k446_00500, k446_00500, kNoTone, kNoTone, 0xEB}, 0, false},
      {"a text that snaps to the stored value still differs as text",
       {k446_00500, k446_10000, kNoTone, kNoTone, 0xEB}, 0, 4, 1, "446.00300",
       {k446_00500, k446_10000, kNoTone, kNoTone, 0xEB}, 0, true},
      {"receive edit with a different transmit frequency leaves it",
       {k446_00625, k446_10000, k88_5, kD023N, 0x00}, 0, 2, 1, "446.5",
       {k446_50000, k446_10000, k88_5, kD023N, 0x00}, 0, true},
      {"receive edit with an equal transmit frequency takes it along", full, 0, 2, 1, "446.5",
       {k446_50000, k446_50000, k88_5, kD023N, 0x10}, 0, true},
      {"transmit edit never touches the receive frequency", full, 0, 2, 3, "446.5",
       {k446_00625, k446_50000, k88_5, kD023N, 0x10}, 0, true},
      {"transmit edit into a receive-only channel",
       {k446_00625, kNoFreq, k88_5, kD023N, 0x10}, 0, 2, 3, "450",
       {k446_00625, k450_00000, k88_5, kD023N, 0x10}, 0, true},
      {"clearing the receive frequency deletes the channel, bit 1 kept", full, 2, 2, 1, "",
       {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xE9}, 0, true},
      {"clearing the receive frequency with bit 1 set",
       {k446_00625, k446_10000, k88_5, kD754I, 0x16}, 0, 2, 1, "",
       {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xEB}, 0, true},
      {"deleting another channel keeps the priority channel", full, 5, 2, 1, "",
       {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xE9}, 5, true},
      {"clearing the transmit frequency turns its tone off, the channel stays", full, 2, 2, 3,
       "", {k446_00625, kNoFreq, k88_5, kNoTone, 0x10}, 2, true},
      {"clearing an empty channel is no change but resets what it holds",
       {kNoFreq, k446_10000, k88_5, kD023N, 0x00}, 0, 6, 1, "",
       {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xE9}, 0, false},
      {"the same text again is no change", full, 0, 2, 1, "446.00625", full, 0, false},
  };
}

TEST_F(FormEdits, FrequencyCommitsFollowTheRulesOfTheGrid) {
  for (const FrequencyCase& c : FrequencyCases()) {
    SCOPED_TRACE(c.what);
    m_doc.Blank();
    m_doc.SelectModel(0, m_settings);
    Put(m_doc.image(), c.row, c.before);
    // Other channels that must stay as they are, and a priority channel.
    Put(m_doc.image(), 5, {k446_10000, k446_10000, kD754I, kD754I, 0x5A});
    Put(m_doc.image(), 7, {k446_00625, kNoFreq, kNoTone, kNoTone, 0x33});
    m_doc.SetSetting(Setting::PriorityChannel, c.priority);
    CRondelDoc::Image want = m_doc.image();
    Put(want, c.row, c.after);
    want[0x3C6] = c.priorityAfter == 0 ? 0xFF : static_cast<std::uint8_t>(c.priorityAfter - 1);

    const EditOutcome o = ApplyAndExpect(FrequencyEdit{c.row, c.column, c.text}, want);
    EXPECT_TRUE(o.Applied());
    EXPECT_EQ(o.modified, c.modified);
    EXPECT_EQ(o.refresh, EditRefresh::Row);
    EXPECT_EQ(o.row, c.row);
    EXPECT_EQ(o.column, c.column);
  }
}

TEST_F(FormEdits, DeletingTheChannelThePriorityListShowsResetsThePriority) {
  // Priority channel 1 is empty, so the list's prefix search shows channel 10: deleting
  // channel 10 resets the priority, as the list the user sees named it.
  Put(m_doc.image(), 10, {k446_00625, k446_00625, kNoTone, kNoTone, 0xEB});
  m_doc.SetSetting(Setting::PriorityChannel, 1);
  const auto shown = FillSettingsList(SettingsList::PriorityChannel, m_doc, m_settings);
  ASSERT_EQ(shown.entries, (std::vector<std::string>{"Aus", "10"}));
  ASSERT_EQ(shown.selection, 1);
  CRondelDoc::Image want = m_doc.image();
  Put(want, 10, {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xEB});
  want[0x3C6] = 0xFF;
  EXPECT_TRUE(ApplyAndExpect(FrequencyEdit{10, 1, ""}, want).modified);
}

struct RefusalCase {
  const char* what;
  FormEdit edit;
  EditRefusal why;
};

TEST_F(FormEdits, GridEditsTheFormWouldNotAllowChangeNothing) {
  Put(m_doc.image(), 1, {k446_00625, k446_00625, kNoTone, kNoTone, 0xEB});
  Put(m_doc.image(), 2, {k446_00625, kNoFreq, kNoTone, kNoTone, 0xEB});
  const RefusalCase cases[] = {
      {"row 0", FrequencyEdit{0, 1, "446"}, EditRefusal::RowOutside},
      {"row past N", FrequencyEdit{11, 1, "446"}, EditRefusal::RowOutside},
      {"row past the image", FrequencyEdit{17, 1, "446"}, EditRefusal::RowOutside},
      {"negative row", ToneEdit{-1, 2, "88.5"}, EditRefusal::RowOutside},
      {"transmit frequency of an empty channel", FrequencyEdit{3, 3, "446"},
       EditRefusal::ReadOnlyCell},
      {"a tone column with the frequency editor", FrequencyEdit{1, 2, "446"},
       EditRefusal::ReadOnlyCell},
      {"the number column", FrequencyEdit{1, 0, "446"}, EditRefusal::ReadOnlyCell},
      {"a column past the grid", OptionEdit{1, 12, 1}, EditRefusal::ReadOnlyCell},
      {"a second point", FrequencyEdit{1, 1, "446.0.1"}, EditRefusal::TextRefused},
      {"a tenth character", FrequencyEdit{1, 1, "446.006250"}, EditRefusal::TextRefused},
      {"a letter", FrequencyEdit{1, 1, "446a"}, EditRefusal::TextRefused},
      {"a sign", FrequencyEdit{1, 1, "-446"}, EditRefusal::TextRefused},
      {"a blank", FrequencyEdit{1, 1, " 446"}, EditRefusal::TextRefused},
      {"receive tone of an empty channel", ToneEdit{3, 2, "88.5"}, EditRefusal::ReadOnlyCell},
      {"transmit tone without transmit frequency", ToneEdit{2, 4, "88.5"},
       EditRefusal::ReadOnlyCell},
      {"a tone outside the lists", ToneEdit{1, 2, "88.6"}, EditRefusal::NotInToneList},
      {"a tone text the codec would read", ToneEdit{1, 2, "D12"}, EditRefusal::NotInToneList},
      {"an option of an empty channel", OptionEdit{3, 7, 1}, EditRefusal::ReadOnlyCell},
      {"an option item 2", OptionEdit{1, 7, 2}, EditRefusal::NotABit},
      {"an option item -1", OptionEdit{1, 5, -1}, EditRefusal::NotABit},
      {"an option on a frequency column", OptionEdit{1, 1, 1}, EditRefusal::ReadOnlyCell},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CRondelDoc::Image before = m_doc.image();
    const EditOutcome o = ApplyAndExpect(c.edit, before);
    EXPECT_EQ(o.refused, c.why);
    EXPECT_FALSE(o.Applied());
    EXPECT_FALSE(o.modified);
    EXPECT_EQ(o.refresh, EditRefresh::None);
  }
}

// ---------------------------------------------------------------------------------------
// Committing a tone and an option

struct ToneCase {
  const char* what;
  Channel before;
  int column;
  std::optional<std::string> item;
  Bytes2 rxAfter, txAfter;
  bool modified;
};

TEST_F(FormEdits, ToneCommitsFollowOnlyFromTheReceiveColumn) {
  const Channel off{k446_00625, k446_00625, kNoTone, kNoTone, 0xEB};
  const Channel differ{k446_00625, k446_00625, k88_5, kD023N, 0xEB};
  const ToneCase cases[] = {
      {"receive tone while both are off takes the transmit tone along", off, 2, "88.5", k88_5,
       k88_5, true},
      {"receive tone while they differ", differ, 2, "D754I", kD754I, kD023N, true},
      {"transmit tone never touches the receive tone", off, 4, "88.5", kNoTone, k88_5, true},
      {"the off item as the editor shows it, upper case, is no change", off, 2, "AUS", kNoTone,
       kNoTone, false},
      {"the off item turns a tone off", differ, 2, "Aus", kNoTone, kD023N, true},
      {"an item in other case is the same item", differ, 4, "d754i", k88_5, kD754I, true},
      {"the stored tone again is no change but still follows", 
       {k446_00625, k446_00625, k88_5, k88_5, 0xEB}, 2, "88.5", k88_5, k88_5, false},
      {"no item chosen keeps the stored tones", differ, 2, std::nullopt, k88_5, kD023N, false},
  };
  for (const ToneCase& c : cases) {
    SCOPED_TRACE(c.what);
    Put(m_doc.image(), 4, c.before);
    CRondelDoc::Image want = m_doc.image();
    Channel after = c.before;
    after.rxTone = c.rxAfter;
    after.txTone = c.txAfter;
    Put(want, 4, after);
    const EditOutcome o = ApplyAndExpect(ToneEdit{4, c.column, c.item}, want);
    EXPECT_TRUE(o.Applied());
    EXPECT_EQ(o.modified, c.modified);
    EXPECT_EQ(o.refresh, EditRefresh::Row);
  }
}

TEST_F(FormEdits, AListMayCarryAnyToneTheRadioHoldsButNoTextItCannot) {
  const Channel off{k446_00625, k446_00625, kNoTone, kNoTone, 0xEB};
  Put(m_doc.image(), 4, off);
  CRondelDoc::Image want = m_doc.image();
  want[At(4) + 8] = 0x86;  // 88.6 Hz, in no list, followed by the transmit tone
  want[At(4) + 9] = 0x08;
  want[At(4) + 10] = 0x86;
  want[At(4) + 11] = 0x08;
  EXPECT_TRUE(ApplyAndExpect(ToneEdit{4, 2, "88.6", true}, want).modified);
  for (const char* text : {"D12", "300", "88.65"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ApplyAndExpect(ToneEdit{4, 4, text, true}, want).refused, EditRefusal::NotInToneList);
  }
}

TEST_F(FormEdits, EachOptionColumnSetsItsBitWithoutCountingAsAChange) {
  const int bits[] = {4, 2, 3, 0, 5, 6, 7};  // columns 5 to 11
  for (int column = 5; column <= 11; ++column) {
    for (const int index : {1, 0}) {
      SCOPED_TRACE("column " + std::to_string(column) + " item " + std::to_string(index));
      const std::uint8_t flags = index ? 0x00 : 0xFF;
      Put(m_doc.image(), 9, {k446_00625, kNoFreq, kNoTone, kNoTone, flags});
      CRondelDoc::Image want = m_doc.image();
      want[At(9) + 12] = static_cast<std::uint8_t>(flags ^ (1u << bits[column - 5]));
      const EditOutcome o = ApplyAndExpect(OptionEdit{9, column, index}, want);
      EXPECT_TRUE(o.Applied());
      EXPECT_FALSE(o.modified);
      EXPECT_EQ(o.refresh, EditRefresh::Cell);
      EXPECT_EQ(o.column, column);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Settings panel

struct ListCase {
  const char* what;
  SettingsList list;
  int index;
  std::size_t offset;
  std::uint8_t before, after;
};

TEST_F(FormEdits, EachSettingsListStoresItsEntryAndCountsAsAChange) {
  Put(m_doc.image(), 3, {k446_00625, kNoFreq, kNoTone, kNoTone, 0xEB});
  Put(m_doc.image(), 10, {k446_00625, kNoFreq, kNoTone, kNoTone, 0xEB});
  const ListCase cases[] = {
      {"squelch", SettingsList::SquelchLevel, 9, 0x3C1, 0x03, 0x09},
      {"side key 1", SettingsList::SideKey1, 6, 0x3C2, 0x00, 0x06},
      {"time-out off", SettingsList::TxTimeout, 0, 0x3C3, 0x06, 0x00},
      {"time-out 300", SettingsList::TxTimeout, 10, 0x3C3, 0x06, 0x0A},
      {"vox level", SettingsList::VoxLevel, 9, 0x3C4, 0x05, 0x09},
      {"side key 2", SettingsList::SideKey2, 3, 0x3C5, 0x00, 0x03},
      {"vox delay", SettingsList::VoxDelay, 5, 0x3C7, 0x00, 0x05},
      // The bit fields of optionByte keep their neighbours (bit 7 is set by the test).
      {"voice prompt", SettingsList::VoicePrompt, 2, 0x3C0, 0x86, 0x8A},
      {"voice prompt off", SettingsList::VoicePrompt, 0, 0x3C0, 0xFF, 0xF3},
      {"PTT ID", SettingsList::PttId, 3, 0x3C0, 0x86, 0xB6},
      {"scan mode", SettingsList::ScanMode, 1, 0x3C0, 0x86, 0xC6},
      {"priority: the entry's channel number", SettingsList::PriorityChannel, 2, 0x3C6, 0xFF,
       0x09},
      {"priority: the first entry is off", SettingsList::PriorityChannel, 0, 0x3C6, 0x02, 0xFF},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    m_doc.image()[c.offset] = c.before;
    CRondelDoc::Image want = m_doc.image();
    want[c.offset] = c.after;
    const EditOutcome o = ApplyAndExpect(ListEdit{c.list, c.index}, want);
    EXPECT_TRUE(o.Applied());
    EXPECT_TRUE(o.modified);
    EXPECT_EQ(o.refresh, EditRefresh::None);
  }
}

TEST_F(FormEdits, AnIndexThatIsNotAnEntryOfItsListIsRefused) {
  Put(m_doc.image(), 3, {k446_00625, kNoFreq, kNoTone, kNoTone, 0xEB});
  const struct {
    SettingsList list;
    int index;
  } cases[] = {
      {SettingsList::SquelchLevel, 10},   {SettingsList::SquelchLevel, -1},
      {SettingsList::TxTimeout, 11},      {SettingsList::VoxDelay, 6},
      {SettingsList::VoicePrompt, 3},     {SettingsList::PttId, 4},
      {SettingsList::ScanMode, 2},        {SettingsList::SideKey1, 7},
      {SettingsList::PriorityChannel, 2},  // the list is "Aus", "3"
      {SettingsList::FrequencyRange, 3},   // model 3 has no name, so no entry
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.list)) + " index " + std::to_string(c.index));
    const EditOutcome o = ApplyAndExpect(ListEdit{c.list, c.index}, m_doc.image(), [] {
      ADD_FAILURE() << "asked";
      return true;
    });
    EXPECT_EQ(o.refused, EditRefusal::NotAnEntry);
    EXPECT_FALSE(o.modified);
  }
}

TEST_F(FormEdits, ALanguageListLongerThanItsFieldIsCutSoNoNeighbourChanges) {
  SetAppPaths(m_dir.path(), m_ini,
              m_dir.Write("long.lang", "[String]\nIDS_OFF=Aus\n[ScanMode]\n0=a\n1=b\n2=c\n3=d\n"));
  const CRondelDoc::Image before = m_doc.image();
  EXPECT_EQ(ApplyAndExpect(ListEdit{SettingsList::ScanMode, 2}, before).refused,
            EditRefusal::NotAnEntry);
}

TEST_F(FormEdits, CheckBoxesWriteTheirBitAndCountAsAChange) {
  const struct {
    Setting setting;
    bool checked;
    std::uint8_t before, after;
  } cases[] = {
      {Setting::FmRadio, true, 0x86, 0x87},
      {Setting::FmRadio, false, 0xFF, 0xFE},
      {Setting::BatterySaver, false, 0x86, 0x84},
      {Setting::BatterySaver, true, 0x00, 0x02},
  };
  for (const auto& c : cases) {
    m_doc.image()[0x3C0] = c.before;
    CRondelDoc::Image want = m_doc.image();
    want[0x3C0] = c.after;
    const EditOutcome o = ApplyAndExpect(CheckEdit{c.setting, c.checked}, want);
    EXPECT_TRUE(o.modified);
  }
  const CRondelDoc::Image before = m_doc.image();
  EXPECT_EQ(ApplyAndExpect(CheckEdit{Setting::SquelchLevel, true}, before).refused,
            EditRefusal::NotAControl);
}

struct TextFieldCase {
  const char* what;
  const char* stored;  // typed in before, through the same rule
  const char* text;
  EditRefusal why;
  bool modified;
  std::vector<std::uint8_t> bytes;  // leading bytes; the rest are 0xFF
};

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> lead, std::size_t size) {
  lead.resize(size, 0xFF);
  return lead;
}

TEST_F(FormEdits, PttCodesAreStoredOnlyWhenTheirBytesChange) {
  const TextFieldCase cases[] = {
      {"12ab", "", "12ab", EditRefusal::None, true, {1, 2, 10, 11}},
      {"leaving it unchanged", "12ab", "12ab", EditRefusal::None, false, {1, 2, 10, 11}},
      {"the same code in capitals", "12ab", "12AB", EditRefusal::None, false, {1, 2, 10, 11}},
      {"emptied", "12ab", "", EditRefusal::None, true, {}},
      {"fifteen digits", "", "0123456789ABCDd", EditRefusal::None, true,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 13}},
      {"sixteen digits", "1", "0123456789ABCDd0", EditRefusal::TextRefused, false, {1}},
      {"a letter past D", "1", "12E", EditRefusal::TextRefused, false, {1}},
      {"a star", "1", "12A*", EditRefusal::TextRefused, false, {1}},
  };
  for (const PttCode which : {PttCode::Start, PttCode::End}) {
    const std::size_t offset = which == PttCode::Start ? 0x3A0 : 0x3E0;
    for (const TextFieldCase& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (which == PttCode::Start ? " start" : " end"));
      ASSERT_TRUE(ApplyFormEdit(m_doc, m_settings, CodeEdit{which, c.stored}).Applied());
      CRondelDoc::Image want = m_doc.image();
      const auto bytes = Padded(c.bytes, 15);
      std::copy(bytes.begin(), bytes.end(), want.begin() + static_cast<std::ptrdiff_t>(offset));
      const EditOutcome o = ApplyAndExpect(CodeEdit{which, c.text}, want);
      EXPECT_EQ(o.refused, c.why);
      EXPECT_EQ(o.modified, c.modified);
    }
  }
}

TEST_F(FormEdits, TheReadPasswordIsStoredOnlyWhenItsBytesChange) {
  const TextFieldCase cases[] = {
      {"42AB", "", "42AB", EditRefusal::None, true, {4, 2, 10, 11}},
      {"unchanged", "42AB", "42AB", EditRefusal::None, false, {4, 2, 10, 11}},
      {"case counts", "42AB", "42ab", EditRefusal::None, true, {4, 2, 36, 37}},
      {"six characters", "", "zZ09aA", EditRefusal::None, true, {61, 35, 0, 9, 36, 10}},
      {"seven characters", "1", "zZ09aA1", EditRefusal::TextRefused, false, {1}},
      {"a blank", "1", "4 2", EditRefusal::TextRefused, false, {1}},
      {"emptied", "42", "", EditRefusal::None, true, {}},
  };
  for (const TextFieldCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(ApplyFormEdit(m_doc, m_settings, PasswordEdit{c.stored}).Applied());
    CRondelDoc::Image want = m_doc.image();
    const auto bytes = Padded(c.bytes, 6);
    std::copy(bytes.begin(), bytes.end(), want.begin() + 0x3B0);
    const EditOutcome o = ApplyAndExpect(PasswordEdit{c.text}, want);
    EXPECT_EQ(o.refused, c.why);
    EXPECT_EQ(o.modified, c.modified);
  }
}

// ---------------------------------------------------------------------------------------
// Frequency-range change

TEST_F(FormEdits, ARangeChangeAsksThenErasesTheChannelsAndSelectsTheModel) {
  struct RangeCase {
    const char* what;
    int index;
    std::optional<bool> answer;  // none: no question expected
    bool erased;
    bool declined;
  };
  const RangeCase cases[] = {
      {"the entry already selected asks nothing", 0, std::nullopt, false, false},
      {"another entry, declined", 2, false, false, true},
      {"another entry, confirmed", 2, true, true, false},
  };
  CRondelDoc newModel2;
  newModel2.Blank();
  newModel2.SelectModel(2, m_settings);
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    m_doc.Blank();
    m_doc.SelectModel(0, m_settings);
    Put(m_doc.image(), 1, {k446_00625, k446_00625, k88_5, kNoTone, 0xEB});
    m_doc.SetPttCodeText(PttCode::Start, "12");
    int asked = 0;
    const EditOutcome o = ApplyAndExpect(
        ListEdit{SettingsList::FrequencyRange, c.index},
        c.erased ? newModel2.image() : m_doc.image(), [&] {
          ++asked;
          return c.answer.value_or(true);
        });
    EXPECT_EQ(asked, c.answer ? 1 : 0);
    EXPECT_EQ(o.declined, c.declined);
    EXPECT_EQ(o.modified, c.erased);
    EXPECT_EQ(o.refresh, c.erased     ? EditRefresh::Form
                         : c.declined ? EditRefresh::Settings
                                      : EditRefresh::None);
    if (c.erased) {
      EXPECT_EQ(m_doc.bandLow, 13600000);
      EXPECT_EQ(m_doc.bandHigh, 17400000);
    }
  }
}

TEST_F(FormEdits, TheFormsRangeQuestionGoesThroughThePromptLayer) {
  for (const PromptAnswer answer : {PromptAnswer::Ok, PromptAnswer::Cancel}) {
    test::ScriptedPrompter prompter;
    prompter.Answer(answer);
    EXPECT_EQ(AskFrequencyRangeChange(), answer == PromptAnswer::Ok);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text, "Alles weg?");
    EXPECT_EQ(prompter.prompts[0].caption, "Sicher?");
    EXPECT_EQ(prompter.prompts[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompter.prompts[0].buttons, PromptButtons::OkCancel);
  }
}

// ---------------------------------------------------------------------------------------
// Editors, editability and the tone list

TEST(FormEditFilters, TheEditorsAcceptWhatTheirKeysLetThrough) {
  const struct {
    const char* text;
    bool freq, code, password;
  } cases[] = {
      {"", true, true, true},
      {"446.00625", true, false, false},
      {"446.006250", false, false, false},
      {"4.4.6", false, false, false},
      {"446", true, true, true},
      {"123456", true, true, true},
      {"1234567", true, true, false},
      {"ABCDabcd", false, true, false},
      {"ABCdef", false, false, true},
      {"abcE", false, false, true},
      {"Zz", false, false, true},
      {"012345678901234", false, true, false},
      {"0123456789012345", false, false, false},
      {"1 2", false, false, false},
      {"\xE4\xB8\x80", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FrequencyEditAccepts(c.text), c.freq);
    EXPECT_EQ(PttCodeEditAccepts(c.text), c.code);
    EXPECT_EQ(PasswordEditAccepts(c.text), c.password);
  }
}

TEST(CellEditability, FollowsTheChannelsState) {
  struct StateCase {
    const char* what;
    Channel channel;
    std::array<bool, 12> editable;
  };
  const StateCase cases[] = {
      {"no receive frequency", {kNoFreq, k446_00625, k88_5, k88_5, 0},
       {false, true, false, false, false, false, false, false, false, false, false, false}},
      {"receive only", {k446_00625, kNoFreq, k88_5, k88_5, 0},
       {false, true, true, true, false, true, true, true, true, true, true, true}},
      {"both frequencies", {k446_00625, k446_00625, kNoTone, kNoTone, 0},
       {false, true, true, true, true, true, true, true, true, true, true, true}},
  };
  for (const StateCase& c : cases) {
    CRondelDoc doc;
    Put(doc.image(), 16, c.channel);
    for (int column = 0; column < 12; ++column)
      EXPECT_EQ(IsCellEditable(doc, 16, column), c.editable[static_cast<std::size_t>(column)])
          << c.what << ", column " << column;
    EXPECT_FALSE(IsCellEditable(doc, 16, 12)) << c.what;
    EXPECT_FALSE(IsCellEditable(doc, 17, 1)) << "no channel 17";
    EXPECT_FALSE(IsCellEditable(doc, 0, 1)) << "no channel 0";
  }
}

TEST(ChannelColumnTable, OneEntryPerColumnInOrder) {
  const int widths[] = {40, 80, 70, 80, 70, 70, 60, 70, 70, 73, 70, 70};
  const char* fields[] = {"channel", "rxFreq",  "rxTone",  "txFreq",   "txTone",  "opt5Off",
                          "narrow",  "highPower", "opt8Off", "opt9Off", "opt10Off", "opt11Off"};
  for (int c = 0; c < kChannelColumns; ++c) {
    const ChannelColumnInfo& info = ColumnInfo(c);
    EXPECT_EQ(ColumnIndex(info.column), c);
    EXPECT_EQ(info.width, widths[c]) << c;
    EXPECT_EQ(info.field, fields[c]) << c;
    EXPECT_EQ(info.wrapHeading, c <= 4) << c;
    if (info.editor == CellEditor::Choice) {
      EXPECT_EQ(ChannelOptionName(info.option), fields[c]);
    }
  }
  EXPECT_EQ(ColumnInfo(-1).editor, CellEditor::None);
  EXPECT_EQ(ColumnInfo(12).editor, CellEditor::None);
}

TEST_F(FormEdits, TheToneEditorOffersTheOffTextAndTheThreeLists) {
  const std::vector<std::string> items = ToneListItems();
  ASSERT_EQ(items.size(), 259u);
  EXPECT_EQ(items[0], "Aus");
  EXPECT_EQ(items[1], "67.0");
  EXPECT_EQ(items[50], "254.1");
  EXPECT_EQ(items[51], "D023N");
  EXPECT_EQ(items[155], "D023I");
  EXPECT_EQ(items[258], "D754I");
  const struct {
    const char* cell;
    int opened;  // ToneItemForCell
    int exact;   // FindToneItem
  } cases[] = {
      {"Aus", 0, 0},       {"AUS", 0, 0},     {"88.5", 9, 9},     {"d023n", 51, 51},
      {"D754I", 258, 258}, {"88.6", -1, -1},  {"D02", 51, -1},    {"10", 13, -1},
      {"", 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToneItemForCell(items, c.cell), c.opened) << c.cell;
    EXPECT_EQ(FindToneItem(items, c.cell), c.exact) << c.cell;
  }
}

// ---------------------------------------------------------------------------------------
// The document operation

TEST_F(FormEdits, TheDocumentMarksModifiedAsTheRuleSaysAndTellsTheViews) {
  int skip = 0;
  CRondelDocument document(m_doc, m_settings, skip);
  int updates = 0;
  std::vector<EditOutcome> told;
  document.onUpdateAllViews = [&] { ++updates; };
  document.onEditApplied = [&](const EditOutcome& o) { told.push_back(o); };
  const ConfirmRangeChange yes = [] { return true; };
  const ConfirmRangeChange no = [] { return false; };
  const struct {
    const char* what;
    FormEdit edit;
    ConfirmRangeChange confirm;
    bool modified;
    int updates;
    std::optional<EditRefresh> told;
  } cases[] = {
      {"a new channel", FrequencyEdit{2, 1, "446.00625"}, {}, true, 0, EditRefresh::Row},
      {"the same frequency again", FrequencyEdit{2, 1, "446.00625"}, {}, false, 0,
       EditRefresh::Row},
      {"an option", OptionEdit{2, 7, 0}, {}, false, 0, EditRefresh::Cell},
      {"a tone", ToneEdit{2, 2, "88.5"}, {}, true, 0, EditRefresh::Row},
      {"a settings list", ListEdit{SettingsList::SquelchLevel, 1}, {}, true, 0, std::nullopt},
      {"a refused edit", FrequencyEdit{2, 1, "4.4.6"}, {}, false, 0, std::nullopt},
      {"a range change declined", ListEdit{SettingsList::FrequencyRange, 1}, no, false, 0,
       EditRefresh::Settings},
      {"a range change", ListEdit{SettingsList::FrequencyRange, 1}, yes, true, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_doc.SetModifiedFlag(false);
    updates = 0;
    told.clear();
    document.ApplyEdit(c.edit, c.confirm);
    EXPECT_EQ(m_doc.IsModified(), c.modified);
    EXPECT_EQ(updates, c.updates);
    ASSERT_EQ(told.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(told[0].refresh, *c.told);
    }
  }
  // A modified document stays modified through an edit that is no change.
  m_doc.SetModifiedFlag(true);
  document.ApplyEdit(OptionEdit{2, 7, 1});
  EXPECT_TRUE(m_doc.IsModified());
}

}  // namespace
}  // namespace rondel
