// What the form shows as text: the channel grid's cells and their editability, the option
// columns and their choice lists, and the entries and selection of every settings list, on
// images built byte by byte and a language file of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "core/image_layout.h"
#include "core/rondel_doc.h"
#include "shell/app_paths.h"
#include "shell/form_texts.h"
#include "shell/settings.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;
using Bytes4 = std::array<std::uint8_t, 4>;
using Bytes2 = std::array<std::uint8_t, 2>;

constexpr Bytes4 kNoFreq{0xFF, 0xFF, 0xFF, 0xFF};
constexpr Bytes2 kNoTone{0xFF, 0xFF};

// Texts of the test's language file; none of them is a shipped text.
const std::string kOff = "Aus", kYes = "Ja", kNo = "Nein", kWide = "Breit", kNarrow = "Schmal",
                  kHigh = "Hoch", kLow = "Niedrig";

const char* const kLanguageFile =
    "[String]\n"
    "IDS_OFF=Aus\n"
    "IDS_YES=Ja\n"
    "IDS_NO=Nein\n"
    "IDS_WIDE=Breit\n"
    "IDS_NARROW=Schmal\n"
    "IDS_HIGH=Hoch\n"
    "IDS_LOW=Niedrig\n"
    "[VoiceAnnunciation]\n0=Stumm\n1=Deutsch\n2=Englisch\n"
    "[PttId]\n0=Keine\n1=Anfang\n2=Ende\n3=Beides\n"
    "[MonitorKey]\n0=T0\n1=T1\n2=T2\n3=T3\n4=T4\n5=T5\n6=T6\n"
    "[ScanMode]\n0=Zeit\n1=Traeger\n";

// Three named models and a fourth without a name.
const char* const kIniFile =
    "[setup]\n"
    "channel=10\n"
    "[ModelInfo]\n"
    "data0=00400047\nFreq0=UHF 400-470\n"
    "data1=60134017\nFreq1=VHF 136-174\n"
    "data2=00430044\nFreq2=430-440\n"
    "data3=00400048\n";

struct ChannelBytes {
  Bytes4 rx = kNoFreq;
  Bytes4 tx = kNoFreq;
  Bytes2 rxTone = kNoTone;
  Bytes2 txTone = kNoTone;
  std::uint8_t flags = 0xFF;
};

void PutChannel(CRondelDoc& doc, int n, const ChannelBytes& c) {
  auto* record = doc.image().data() + 0x10 * n;
  std::copy(c.rx.begin(), c.rx.end(), record + 0);
  std::copy(c.tx.begin(), c.tx.end(), record + 4);
  std::copy(c.rxTone.begin(), c.rxTone.end(), record + 8);
  std::copy(c.txTone.begin(), c.txTone.end(), record + 10);
  record[12] = c.flags;
}

// A frequency that is set: 446.00625 MHz.
constexpr Bytes4 kSomeFreq{0x25, 0x06, 0x60, 0x44};

class FormTexts : public testing::Test {
 protected:
  void SetUp() override {
    m_savedExe = g_strExeDir;
    m_savedIni = g_strIniPath;
    m_savedLang = g_strLangPath;
    UseLanguage(kLanguageFile);
    m_ini = m_dir.Write("setting.ini", kIniFile);
  }
  void TearDown() override { SetAppPaths(m_savedExe, m_savedIni, m_savedLang); }

  void UseLanguage(const std::string& text) {
    SetAppPaths(m_dir.path(), m_dir.File("setting.ini"), m_dir.Write("test.lang", text));
  }
  CSettings Settings() const { return CSettings(m_ini); }
  CSettings SettingsWith(const std::string& text) const {
    return CSettings(m_dir.Write("other.ini", text));
  }

  TempDir m_dir;
  std::string m_ini;

 private:
  std::string m_savedExe, m_savedIni, m_savedLang;
};

// ---------------------------------------------------------------------------------------
// Channel rows

constexpr std::array<bool, 12> kEmptyEditable{false, true, false, false, false, false,
                                              false, false, false, false, false, false};
constexpr std::array<bool, 12> kRxOnlyEditable{false, true, true, true, false, true,
                                               true,  true, true, true, true,  true};
constexpr std::array<bool, 12> kFullEditable{false, true, true, true, true, true,
                                             true,  true, true, true, true, true};

struct RowCase {
  const char* what;
  int n;
  ChannelBytes bytes;
  std::array<std::string, 12> texts;
  std::array<bool, 12> editable;
};

std::vector<RowCase> RowCases() {
  return {
      {"never used", 3, {}, {"3"}, kEmptyEditable},
      {"transmit set but receive not", 7,
       {kNoFreq, kSomeFreq, {0x85, 0x08}, {0x85, 0x08}, 0x00}, {"7"}, kEmptyEditable},
      {"receive's top byte just past BCD", 12,
       {{0x00, 0x00, 0x00, 0x9A}, kSomeFreq, kNoTone, kNoTone, 0x14}, {"12"}, kEmptyEditable},
      {"channel 1 empty", 1, {kNoFreq, kNoFreq, kNoTone, kNoTone, 0xEB}, {"1"}, kEmptyEditable},
      {"receive only: no transmit tone shown even when its bytes are set", 4,
       {{0x00, 0x00, 0x70, 0x14}, kNoFreq, {0x85, 0x08}, {0x23, 0x80}, 0x22},
       {"4", "147.00000", "88.5", "", "", kYes, kWide, kLow, kYes, kNo, kYes, kYes},
       kRxOnlyEditable},
      {"receive only, transmit top byte past BCD", 9,
       {{0x00, 0x00, 0x55, 0x14}, {0x00, 0x00, 0x50, 0x9A}, kNoTone, {0x54, 0xC7}, 0x1D},
       {"9", "145.50000", kOff, "", "", kNo, kNarrow, kHigh, kNo, kYes, kYes, kYes},
       kRxOnlyEditable},
      {"receive's top byte 0x99 is still set", 2,
       {{0x00, 0x00, 0x00, 0x99}, kNoFreq, kNoTone, kNoTone, 0x00},
       {"2", "990.00000", kOff, "", "", kYes, kWide, kLow, kYes, kYes, kYes, kYes},
       kRxOnlyEditable},
      {"full channel, tones off", 1,
       {kSomeFreq, kSomeFreq, kNoTone, kNoTone, 0x00},
       {"1", "446.00625", kOff, "446.00625", kOff, kYes, kWide, kLow, kYes, kYes, kYes, kYes},
       kFullEditable},
      {"full channel, CTCSS and inverted DCS, every bit set", 16,
       {{0x75, 0x93, 0x39, 0x17}, {0x00, 0x00, 0x50, 0x15}, {0x41, 0x25}, {0x54, 0xC7}, 0xFF},
       {"16", "173.99375", "254.1", "155.00000", "D754I", kNo, kNarrow, kHigh, kNo, kNo, kNo,
        kNo},
       kFullEditable},
      {"full channel, normal DCS and low CTCSS, defaults of a new channel", 5,
       {{0x00, 0x25, 0x60, 0x14}, {0x00, 0x25, 0x66, 0x14}, {0x23, 0x80}, {0x70, 0x06}, 0xEB},
       {"5", "146.02500", "D023N", "146.62500", "67.0", kYes, kWide, kHigh, kNo, kNo, kNo, kNo},
       kFullEditable},
      {"a tone is off by its high byte alone", 6,
       {kSomeFreq, kSomeFreq, {0x12, 0xFF}, {0x00, 0xFF}, 0x00},
       {"6", "446.00625", kOff, "446.00625", kOff, kYes, kWide, kLow, kYes, kYes, kYes, kYes},
       kFullEditable},
  };
}

TEST_F(FormTexts, ChannelRowsShowTheImageLocalisedAndOnlyWhatMayBeEdited) {
  for (const RowCase& c : RowCases()) {
    SCOPED_TRACE(c.what);
    CRondelDoc doc;
    PutChannel(doc, c.n, c.bytes);
    const ChannelRowTexts row = ChannelRow(doc, c.n);
    for (std::size_t col = 0; col < 12; ++col) {
      EXPECT_EQ(row.text[col], c.texts[col]) << "column " << col;
      EXPECT_EQ(row.editable[col], c.editable[col]) << "column " << col;
    }
  }
}

TEST_F(FormTexts, EveryChannelOfABlankImageShowsOnlyItsNumber) {
  CRondelDoc doc;
  for (int n = 1; n <= 16; ++n) {
    SCOPED_TRACE(n);
    const ChannelRowTexts row = ChannelRow(doc, n);
    EXPECT_EQ(row.text[0], std::to_string(n));
    for (std::size_t col = 1; col < 12; ++col) EXPECT_EQ(row.text[col], "") << col;
    EXPECT_EQ(row.editable, kEmptyEditable);
  }
}

TEST_F(FormTexts, ARowReadsOnlyItsOwnRecord) {
  // Neighbours full of data must not show through.
  CRondelDoc doc;
  const ChannelBytes full{kSomeFreq, kSomeFreq, {0x85, 0x08}, {0x85, 0x08}, 0x00};
  PutChannel(doc, 7, full);
  PutChannel(doc, 9, full);
  const ChannelRowTexts row = ChannelRow(doc, 8);
  EXPECT_EQ(row.text[1], "");
  EXPECT_EQ(row.editable, kEmptyEditable);
  EXPECT_EQ(ChannelRow(doc, 7).text[2], "88.5");
}

// Column, its chanFlags bit, the option, and the texts for bit 0 and bit 1.
struct OptionColumnCase {
  int column;
  int bit;
  ChannelOption option;
  std::string clear, set;
};
const OptionColumnCase kOptionColumns[] = {
    {5, 4, ChannelOption::Opt5Off, kYes, kNo},       {6, 2, ChannelOption::Narrow, kWide, kNarrow},
    {7, 3, ChannelOption::HighPower, kLow, kHigh},   {8, 0, ChannelOption::Opt8Off, kYes, kNo},
    {9, 5, ChannelOption::Opt9Off, kYes, kNo},       {10, 6, ChannelOption::Opt10Off, kYes, kNo},
    {11, 7, ChannelOption::Opt11Off, kYes, kNo},
};

TEST_F(FormTexts, EachOptionColumnShowsItsOwnBit) {
  for (const OptionColumnCase& c : kOptionColumns) {
    SCOPED_TRACE("column " + std::to_string(c.column));
    EXPECT_EQ(OptionOfColumn(c.column), c.option);
    EXPECT_EQ(OptionChoices(c.column), (std::array<std::string, 2>{c.clear, c.set}));

    // Only this bit set, then only this bit clear: the column follows, all others do not.
    for (const bool alone : {true, false}) {
      const auto mask = static_cast<std::uint8_t>(1u << c.bit);
      CRondelDoc doc;
      PutChannel(doc, 3, {kSomeFreq, kSomeFreq, kNoTone, kNoTone,
                          static_cast<std::uint8_t>(alone ? mask : ~mask)});
      EXPECT_EQ(doc.GetChannelOption(3, OptionOfColumn(c.column)), alone ? 1 : 0);
      const ChannelRowTexts row = ChannelRow(doc, 3);
      for (const OptionColumnCase& other : kOptionColumns) {
        const bool bitSet = (other.column == c.column) == alone;
        EXPECT_EQ(row.text[static_cast<std::size_t>(other.column)], bitSet ? other.set : other.clear)
            << "column " << other.column << (alone ? " with the bit alone" : " with all others");
      }
    }
  }
}

TEST_F(FormTexts, ChoosingAnOptionByItsListIndexShowsThatEntry) {
  for (const OptionColumnCase& c : kOptionColumns) {
    const auto choices = OptionChoices(c.column);
    for (int index : {1, 0, 1}) {
      SCOPED_TRACE("column " + std::to_string(c.column) + " index " + std::to_string(index));
      CRondelDoc doc;
      PutChannel(doc, 11, {kSomeFreq, kNoFreq, kNoTone, kNoTone, 0x5A});
      doc.SetChannelOption(11, OptionOfColumn(c.column), index);
      EXPECT_EQ(ChannelRow(doc, 11).text[static_cast<std::size_t>(c.column)],
                choices[static_cast<std::size_t>(index)]);
    }
  }
}

TEST_F(FormTexts, BitOneHasNoColumn) {
  for (const std::uint8_t base : {std::uint8_t{0x00}, std::uint8_t{0xFD}, std::uint8_t{0x55}}) {
    CRondelDoc without, with;
    PutChannel(without, 2, {kSomeFreq, kSomeFreq, kNoTone, kNoTone, base});
    PutChannel(with, 2, {kSomeFreq, kSomeFreq, kNoTone, kNoTone,
                         static_cast<std::uint8_t>(base | 0x02)});
    EXPECT_EQ(ChannelRow(without, 2).text, ChannelRow(with, 2).text) << int{base};
  }
}

TEST_F(FormTexts, AMissingChoiceKeyShowsWhatTheLookupGivesForIt) {
  UseLanguage("[String]\nIDS_OFF=Aus\nIDS_YES=Ja\nIDS_NO=Nein\nIDS_NARROW=Schmal\n");
  CRondelDoc doc;
  PutChannel(doc, 1, {kSomeFreq, kSomeFreq, kNoTone, kNoTone, 0x00});
  const ChannelRowTexts row = ChannelRow(doc, 1);
  EXPECT_EQ(row.text[6], "Not Found");
  EXPECT_EQ(row.text[7], "Not Found");
  EXPECT_EQ(row.text[5], kYes);
  EXPECT_EQ(OptionChoices(6), (std::array<std::string, 2>{"Not Found", "Schmal"}));
}

// ---------------------------------------------------------------------------------------
// Settings lists: entries

std::vector<std::string> Strings(std::initializer_list<const char*> items) {
  return {items.begin(), items.end()};
}

TEST_F(FormTexts, SettingsListsOfferTheirEntriesInOrder) {
  struct EntriesCase {
    SettingsList list;
    const char* what;
    std::vector<std::string> expected;
  };
  const EntriesCase cases[] = {
      {SettingsList::SquelchLevel, "squelch",
       Strings({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})},
      {SettingsList::TxTimeout, "time-out",
       Strings({"Aus", "30", "60", "90", "120", "150", "180", "210", "240", "270", "300"})},
      {SettingsList::VoxLevel, "vox level",
       Strings({"Aus", "1", "2", "3", "4", "5", "6", "7", "8", "9"})},
      {SettingsList::VoxDelay, "vox delay", Strings({"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"})},
      {SettingsList::VoicePrompt, "voice prompt", Strings({"Stumm", "Deutsch", "Englisch"})},
      {SettingsList::PttId, "PTT ID", Strings({"Keine", "Anfang", "Ende", "Beides"})},
      {SettingsList::SideKey1, "side key 1", Strings({"T0", "T1", "T2", "T3", "T4", "T5", "T6"})},
      {SettingsList::SideKey2, "side key 2", Strings({"T0", "T1", "T2", "T3", "T4", "T5", "T6"})},
      {SettingsList::ScanMode, "scan mode", Strings({"Zeit", "Traeger"})},
      {SettingsList::FrequencyRange, "frequency range",
       Strings({"UHF 400-470", "VHF 136-174", "430-440"})},
      {SettingsList::PriorityChannel, "priority, blank image", Strings({"Aus"})},
  };
  const CRondelDoc doc;
  for (const EntriesCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SettingsListEntries(c.list, doc, Settings()), c.expected);
  }
}

TEST_F(FormTexts, ListsFromTheLanguageFileAreEmptyWithoutTheirSection) {
  UseLanguage("[String]\nIDS_OFF=Aus\n[ScanMode]\n0=Zeit\n1=Traeger\n2=Dritter\n");
  const CRondelDoc doc;
  for (const SettingsList list : {SettingsList::VoicePrompt, SettingsList::PttId,
                                  SettingsList::SideKey1, SettingsList::SideKey2}) {
    EXPECT_TRUE(SettingsListEntries(list, doc, Settings()).empty());
    EXPECT_EQ(SettingsListSelection(list, doc, Settings()), -1);
  }
  // A longer list is held to what its field can store.
  EXPECT_EQ(SettingsListEntries(SettingsList::ScanMode, doc, Settings()),
            Strings({"Zeit", "Traeger"}));
}

TEST_F(FormTexts, FrequencyRangesComeFromTheModelNamesOfTheSettingsFile) {
  const CRondelDoc doc;
  struct RangeCase {
    const char* what;
    const char* ini;
    std::vector<std::string> expected;
  };
  const RangeCase cases[] = {
      {"an empty name ends the list",
       "[ModelInfo]\nFreq0=first\nFreq1=\nFreq2=third\n", Strings({"first"})},
      {"a missing name ends the list", "[ModelInfo]\nFreq0=first\nFreq2=third\n",
       Strings({"first"})},
      {"names without data", "[modelinfo]\nfreq0=a\nFREQ1=b\n", Strings({"a", "b"})},
      {"no section", "[setup]\nchannel=16\n", {}},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SettingsListEntries(SettingsList::FrequencyRange, doc, SettingsWith(c.ini)),
              c.expected);
  }
}

TEST_F(FormTexts, PriorityListHoldsOffAndTheUsedChannelsUpToTheFormsCount) {
  CRondelDoc doc;
  for (int n : {2, 5, 10, 12, 16})
    PutChannel(doc, n, {kSomeFreq, kNoFreq, kNoTone, kNoTone, 0xEB});
  // Transmit alone does not make a channel.
  PutChannel(doc, 3, {kNoFreq, kSomeFreq, kNoTone, kNoTone, 0xEB});
  struct PriorityCase {
    const char* channelLine;
    std::vector<std::string> expected;
  };
  const PriorityCase cases[] = {
      {"channel=10", Strings({"Aus", "2", "5", "10"})},
      {"channel=16", Strings({"Aus", "2", "5", "10", "12", "16"})},
      {"channel=4", Strings({"Aus", "2"})},
      {"channel=1", Strings({"Aus"})},
      {"channel=0", Strings({"Aus"})},
      {"channel=99", Strings({"Aus", "2", "5", "10", "12", "16"})},
      {"channel=abc", Strings({"Aus"})},
      {"", Strings({"Aus"})},
  };
  for (const PriorityCase& c : cases) {
    SCOPED_TRACE(c.channelLine);
    const CSettings settings = SettingsWith(std::string("[setup]\n") + c.channelLine + "\n");
    EXPECT_EQ(SettingsListEntries(SettingsList::PriorityChannel, doc, settings), c.expected);
  }
}

// ---------------------------------------------------------------------------------------
// Settings lists: selection

TEST_F(FormTexts, SettingsListsSelectTheClampedStoredValue) {
  struct SelectionCase {
    const char* what;
    SettingsList list;
    std::size_t offset;
    std::uint8_t stored;
    int expected;                       // -1: no selection
    std::optional<std::string> shown;   // the selected entry's text
  };
  const SelectionCase cases[] = {
      {"squelch 4", SettingsList::SquelchLevel, 0x3C1, 4, 4, "4"},
      {"squelch 0", SettingsList::SquelchLevel, 0x3C1, 0, 0, "0"},
      {"squelch 10 reads 9", SettingsList::SquelchLevel, 0x3C1, 10, 9, "9"},
      {"squelch 0xFF reads 9", SettingsList::SquelchLevel, 0x3C1, 0xFF, 9, "9"},
      {"time-out off", SettingsList::TxTimeout, 0x3C3, 0, 0, kOff},
      {"time-out 180 s", SettingsList::TxTimeout, 0x3C3, 6, 6, "180"},
      {"time-out 0xFF reads 300 s", SettingsList::TxTimeout, 0x3C3, 0xFF, 10, "300"},
      {"time-out 11 reads 300 s", SettingsList::TxTimeout, 0x3C3, 11, 10, "300"},
      {"vox level off", SettingsList::VoxLevel, 0x3C4, 0, 0, kOff},
      {"vox level 5", SettingsList::VoxLevel, 0x3C4, 5, 5, "5"},
      {"vox level 200 reads 9", SettingsList::VoxLevel, 0x3C4, 200, 9, "9"},
      {"vox delay 0.5 s", SettingsList::VoxDelay, 0x3C7, 0, 0, "0.5"},
      {"vox delay 3.0 s", SettingsList::VoxDelay, 0x3C7, 5, 5, "3.0"},
      {"vox delay 6: nothing to select", SettingsList::VoxDelay, 0x3C7, 6, -1, std::nullopt},
      {"vox delay 0xFF reads 6", SettingsList::VoxDelay, 0x3C7, 0xFF, -1, std::nullopt},
      {"side key 1 value 4", SettingsList::SideKey1, 0x3C2, 4, 4, "T4"},
      {"side key 1 value 7 reads 6", SettingsList::SideKey1, 0x3C2, 7, 6, "T6"},
      {"side key 1 value 0xFF reads 6", SettingsList::SideKey1, 0x3C2, 0xFF, 6, "T6"},
      {"side key 2 value 3", SettingsList::SideKey2, 0x3C5, 3, 3, "T3"},
      {"side key 2 value 0", SettingsList::SideKey2, 0x3C5, 0, 0, "T0"},
      {"voice prompt 1", SettingsList::VoicePrompt, 0x3C0, 0x04, 1, "Deutsch"},
      {"voice prompt 3 reads 2", SettingsList::VoicePrompt, 0x3C0, 0x0C, 2, "Englisch"},
      {"voice prompt 0 among set bits", SettingsList::VoicePrompt, 0x3C0, 0xF3, 0, "Stumm"},
      {"PTT ID 3", SettingsList::PttId, 0x3C0, 0x30, 3, "Beides"},
      {"PTT ID 2 among set bits", SettingsList::PttId, 0x3C0, 0xEF, 2, "Ende"},
      {"PTT ID 0 among set bits", SettingsList::PttId, 0x3C0, 0xCF, 0, "Keine"},
      {"scan mode 1", SettingsList::ScanMode, 0x3C0, 0x40, 1, "Traeger"},
      {"scan mode 0 among set bits", SettingsList::ScanMode, 0x3C0, 0xBF, 0, "Zeit"},
  };
  for (const SelectionCase& c : cases) {
    SCOPED_TRACE(c.what);
    CRondelDoc doc;
    doc.image()[c.offset] = c.stored;
    const int selected = SettingsListSelection(c.list, doc, Settings());
    EXPECT_EQ(selected, c.expected);
    if (c.shown && selected >= 0) {
      const auto entries = SettingsListEntries(c.list, doc, Settings());
      ASSERT_LT(static_cast<std::size_t>(selected), entries.size());
      EXPECT_EQ(entries[static_cast<std::size_t>(selected)], *c.shown);
    }
  }
}

TEST_F(FormTexts, AShortListLeavesAStoredValueBeyondItUnselected) {
  UseLanguage("[String]\nIDS_OFF=Aus\n[VoiceAnnunciation]\n0=Stumm\n1=Deutsch\n");
  CRondelDoc doc;
  doc.image()[0x3C0] = 0x08;  // voice prompt 2
  EXPECT_EQ(SettingsListSelection(SettingsList::VoicePrompt, doc, Settings()), -1);
  doc.image()[0x3C0] = 0x04;
  EXPECT_EQ(SettingsListSelection(SettingsList::VoicePrompt, doc, Settings()), 1);
}

TEST_F(FormTexts, PrioritySelectionFindsTheFirstEntryThatBeginsWithTheChannel) {
  struct PriorityCase {
    const char* what;
    std::vector<int> used;  // channels with a receive frequency
    std::uint8_t stored;    // the priority byte: channel - 1, 0xFF off
    int expected;
    std::optional<std::string> shown;
  };
  const PriorityCase cases[] = {
      {"off", {2, 5, 10}, 0xFF, 0, kOff},
      {"off with no channels", {}, 0xFF, 0, kOff},
      {"channel 5 listed", {2, 5, 10}, 4, 2, "5"},
      {"channel 1 listed", {1, 10}, 0, 1, "1"},
      {"channel 1 empty: 10 begins with 1", {2, 5, 10}, 0, 3, "10"},
      {"channel 1 empty and nothing begins with 1", {2, 5}, 0, -1, std::nullopt},
      {"channel 2 empty", {5, 10}, 1, -1, std::nullopt},
      {"channel 12 beyond the form's ten rows", {2, 12}, 11, -1, std::nullopt},
      {"a stored byte past the channel table", {2, 5, 10}, 0x20, -1, std::nullopt},
  };
  for (const PriorityCase& c : cases) {
    SCOPED_TRACE(c.what);
    CRondelDoc doc;
    for (int n : c.used) PutChannel(doc, n, {kSomeFreq, kNoFreq, kNoTone, kNoTone, 0xEB});
    doc.image()[0x3C6] = c.stored;
    const int selected = SettingsListSelection(SettingsList::PriorityChannel, doc, Settings());
    EXPECT_EQ(selected, c.expected);
    if (c.shown && selected >= 0) {
      const auto entries = SettingsListEntries(SettingsList::PriorityChannel, doc, Settings());
      ASSERT_LT(static_cast<std::size_t>(selected), entries.size());
      EXPECT_EQ(entries[static_cast<std::size_t>(selected)], *c.shown);
    }
  }
}

TEST_F(FormTexts, FrequencyRangeSelectsTheModelOfTheBandCode) {
  struct BandCase {
    const char* what;
    Bytes4 code;
    int expected;
  };
  const BandCase cases[] = {
      {"first model", {0x00, 0x40, 0x00, 0x47}, 0},
      {"second model", {0x60, 0x13, 0x40, 0x17}, 1},
      {"third model", {0x00, 0x43, 0x00, 0x44}, 2},
      {"a model without a name", {0x00, 0x40, 0x00, 0x48}, -1},
      {"unknown band code: the first entry", {0x12, 0x34, 0x56, 0x78}, 0},
      {"blank image", {0xFF, 0xFF, 0xFF, 0xFF}, 0},
  };
  for (const BandCase& c : cases) {
    SCOPED_TRACE(c.what);
    CRondelDoc doc;
    std::copy(c.code.begin(), c.code.end(), doc.image().begin() + 0x3D8);
    EXPECT_EQ(SettingsListSelection(SettingsList::FrequencyRange, doc, Settings()), c.expected);
  }
  CRondelDoc doc;
  EXPECT_EQ(SettingsListSelection(SettingsList::FrequencyRange, doc,
                                  SettingsWith("[setup]\nchannel=16\n")),
            -1);
}

}  // namespace
}  // namespace rondel
