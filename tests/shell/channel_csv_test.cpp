// Channel lists as CSV on images built byte by byte: export of every kind of channel, import
// of our columns and of the common channel list through the grid's edit rules, the warnings
// for what the form adjusts, every refusal (which leaves the image as it was), and the round
// trip that gives a file back byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/rondel_doc.h"
#include "shell/app_paths.h"
#include "shell/channel_csv.h"
#include "shell/language.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;
using Bytes4 = std::array<std::uint8_t, 4>;
using Bytes2 = std::array<std::uint8_t, 2>;

constexpr Bytes4 kNoFreq{0xFF, 0xFF, 0xFF, 0xFF};
constexpr Bytes2 kOff{0xFF, 0xFF};
constexpr Bytes4 k446_00625{0x25, 0x06, 0x60, 0x44};
constexpr Bytes4 k446_00300{0x00, 0x03, 0x60, 0x44};  // off the raster
constexpr Bytes4 k446_00500{0x00, 0x05, 0x60, 0x44};
constexpr Bytes4 k446_10000{0x00, 0x00, 0x61, 0x44};
constexpr Bytes4 k446_20000{0x00, 0x00, 0x62, 0x44};
constexpr Bytes4 k451_00625{0x25, 0x06, 0x10, 0x45};
constexpr Bytes4 k445_40625{0x25, 0x06, 0x54, 0x44};
constexpr Bytes4 k440_10000{0x00, 0x00, 0x01, 0x44};
constexpr Bytes4 k400_00000{0x00, 0x00, 0x00, 0x40};
constexpr Bytes4 k470_00000{0x00, 0x00, 0x00, 0x47};
constexpr Bytes4 k480_00000{0x00, 0x00, 0x00, 0x48};  // above the 400-470 MHz band
constexpr Bytes2 k67_0{0x70, 0x06};
constexpr Bytes2 k88_5{0x85, 0x08};
constexpr Bytes2 k88_6{0x86, 0x08};  // in no list
constexpr Bytes2 k100_0{0x00, 0x10};
constexpr Bytes2 kD023N{0x23, 0x80};
constexpr Bytes2 kD023I{0x23, 0xC0};
constexpr Bytes2 kD025N{0x25, 0x80};
constexpr Bytes2 kD754N{0x54, 0x87};
constexpr Bytes2 kD754I{0x54, 0xC7};
constexpr Bytes2 kD777I{0x77, 0xC7};  // in no list

// "Aus" is the off text; the CSV texts are the ones the messages test names.
const char* const kLanguageFile =
    "[String]\nIDS_OFF=Aus\n"
    "IDS_CSV_AT=Zeile %1, Spalte %2:\nIDS_CSV_ATLINE=Zeile %1:\n"
    "IDS_CSV_BADCHANNEL=kein Kanal von 1 bis %1:\nIDS_CSV_NOHEADER=keine Kopfzeile.\n";

// Ten rows; model 0 is 400-470 MHz.
const char* const kIniFile =
    "[setup]\nchannel=10\n[ModelInfo]\ndata0=00400047\nFreq0=UHF\n";

struct Channel {
  Bytes4 rx = kNoFreq;
  Bytes4 tx = kNoFreq;
  Bytes2 rxTone = kOff;
  Bytes2 txTone = kOff;
  std::uint8_t flags = 0xEB;
  bool operator==(const Channel&) const = default;
};

void PrintTo(const Channel& c, std::ostream* os) {
  char text[96];
  std::snprintf(text, sizeof text, "{%02X%02X%02X%02X %02X%02X%02X%02X %02X%02X %02X%02X %02X}",
                c.rx[3], c.rx[2], c.rx[1], c.rx[0], c.tx[3], c.tx[2], c.tx[1], c.tx[0],
                c.rxTone[1], c.rxTone[0], c.txTone[1], c.txTone[0], c.flags);
  *os << text;
}

std::size_t At(int n) { return 0x10 * static_cast<std::size_t>(n); }

void Put(CRondelDoc& doc, int n, const Channel& c) {
  auto* r = doc.image().data() + At(n);
  std::copy(c.rx.begin(), c.rx.end(), r);
  std::copy(c.tx.begin(), c.tx.end(), r + 4);
  std::copy(c.rxTone.begin(), c.rxTone.end(), r + 8);
  std::copy(c.txTone.begin(), c.txTone.end(), r + 10);
  r[12] = c.flags;
}

Channel Get(const CRondelDoc& doc, int n) {
  const auto* r = doc.image().data() + At(n);
  Channel c;
  std::copy(r, r + 4, c.rx.begin());
  std::copy(r + 4, r + 8, c.tx.begin());
  std::copy(r + 8, r + 10, c.rxTone.begin());
  std::copy(r + 10, r + 12, c.txTone.begin());
  c.flags = r[12];
  return c;
}

// What a test expects of an issue: the problem, the line and the column it names.
struct Where {
  CsvProblem problem;
  int line;
  std::string column;
  std::string value;
};

std::string Describe(const CsvIssue& i) {
  return "problem " + std::to_string(static_cast<int>(i.problem)) + " at line " +
         std::to_string(i.line) + " column '" + i.column + "' value '" + i.value + "'";
}

void ExpectIssue(const CsvIssue& got, const Where& want) {
  EXPECT_EQ(got.problem, want.problem) << Describe(got);
  EXPECT_EQ(got.line, want.line) << Describe(got);
  EXPECT_EQ(got.column, want.column) << Describe(got);
  EXPECT_EQ(got.value, want.value) << Describe(got);
}

class ChannelCsv : public testing::Test {
 protected:
  void SetUp() override {
    m_saved = {g_strExeDir, g_strIniPath, g_strLangPath};
    SetAppPaths(m_dir.path(), m_ini, m_dir.Write("test.lang", kLanguageFile));
    Reset();
  }
  void TearDown() override { SetAppPaths(m_saved[0], m_saved[1], m_saved[2]); }

  void Reset() {
    m_doc.Blank();
    m_doc.SelectModel(0, m_settings);
  }

  // Imports and expects no refusal.
  CsvImport Import(const std::string& text) {
    CsvImport r = ImportChannelCsv(m_doc, m_settings, text);
    EXPECT_TRUE(r.Imported()) << (r.refusal ? Describe(*r.refusal) : "");
    return r;
  }

  TempDir m_dir;
  std::string m_ini = m_dir.Write("setting.ini", kIniFile);
  CSettings m_settings{m_ini};
  CRondelDoc m_doc;

 private:
  std::array<std::string, 3> m_saved;
};

// ---------------------------------------------------------------------------------------
// Export

struct ExportCase {
  const char* what;
  Channel channel;
  const char* row;  // channel 3's line, without its line end
};

TEST_F(ChannelCsv, ExportWritesEachChannelAsTheGridShowsIt) {
  const ExportCase cases[] = {
      {"an empty channel holds only its number", {}, "3,,,,,,,,,,,"},
      {"an empty channel's leftovers are not shown",
       {kNoFreq, k446_10000, k88_5, kD023N, 0x00}, "3,,,,,,,,,,,"},
      {"tones off are empty", {k446_00625, k446_00625, kOff, kOff, 0xEB},
       "3,446.00625,,446.00625,,0,0,1,1,1,1,1"},
      {"without transmit frequency the transmit tone is empty",
       {k446_00625, kNoFreq, k88_5, k88_5, 0xEB}, "3,446.00625,88.5,,,0,0,1,1,1,1,1"},
      {"DCS normal and inverted", {k446_00625, k446_10000, kD023N, kD754I, 0xEB},
       "3,446.00625,D023N,446.10000,D754I,0,0,1,1,1,1,1"},
      {"tones outside the lists as the grid shows them",
       {k446_00625, k446_00625, k88_6, kD777I, 0xEB},
       "3,446.00625,88.6,446.00625,D777I,0,0,1,1,1,1,1"},
      {"a frequency off the raster and one outside the band, as stored",
       {k446_00300, k480_00000, kOff, kOff, 0xEB}, "3,446.00300,,480.00000,,0,0,1,1,1,1,1"},
      {"every bit set", {k446_00625, k446_00625, kOff, kOff, 0xFF},
       "3,446.00625,,446.00625,,1,1,1,1,1,1,1"},
      // Columns opt5Off, narrow, highPower, opt8Off, opt9Off, opt10Off, opt11Off are the
      // bits 4, 2, 3, 0, 5, 6, 7; bit 1 has no column.
      {"bit 4 is opt5Off", {k446_00625, k446_00625, kOff, kOff, 0x10},
       "3,446.00625,,446.00625,,1,0,0,0,0,0,0"},
      {"bit 0 is opt8Off", {k446_00625, k446_00625, kOff, kOff, 0x01},
       "3,446.00625,,446.00625,,0,0,0,1,0,0,0"},
      {"bit 7 is opt11Off, bit 1 is not shown", {k446_00625, k446_00625, kOff, kOff, 0x82},
       "3,446.00625,,446.00625,,0,0,0,0,0,0,1"},
  };
  for (const ExportCase& c : cases) {
    SCOPED_TRACE(c.what);
    Put(m_doc, 3, c.channel);
    const std::string text = ExportChannelCsv(m_doc, m_settings);
    const std::string header =
        "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,opt8Off,opt9Off,"
        "opt10Off,opt11Off\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    const std::string row = std::string(c.row) + "\r\n";
    EXPECT_NE(text.find("\r\n" + row), std::string::npos) << text;
  }
}

TEST_F(ChannelCsv, ExportHasOneRowForEachChannelOfTheForm) {
  const std::string text = ExportChannelCsv(m_doc, m_settings);
  std::string want = "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,opt8Off,"
                     "opt9Off,opt10Off,opt11Off\r\n";
  for (int n = 1; n <= 10; ++n) want += std::to_string(n) + ",,,,,,,,,,,\r\n";
  EXPECT_EQ(text, want);
}

// ---------------------------------------------------------------------------------------
// Import of our list

struct ImportCase {
  const char* what;
  Channel before;  // channel 4
  std::string csv;
  Channel after;
};

TEST_F(ChannelCsv, ImportMakesEachValueAsTheGridsEditOfItsCell) {
  const Channel empty{};
  const Channel both{k446_00625, k446_00625, k88_5, k88_5, 0x10};
  const Channel split{k446_00625, k446_10000, k88_5, kD023N, 0x10};
  const std::string head = "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,"
                           "opt8Off,opt9Off,opt10Off,opt11Off\n";
  const ImportCase cases[] = {
      {"a receive frequency brings an empty channel to life, transmit following", empty,
       "channel,rxFreq\n4,446.00625\n", {k446_00625, k446_00625, kOff, kOff, 0xEB}},
      {"a whole row", empty, head + "4,446.00625,88.5,446.1,D754I,1,1,0,0,1,0,1\n",
       {k446_00625, k446_10000, k88_5, kD754I, 0xB6}},
      {"transmit follows a receive change while they are equal", both,
       "channel,rxFreq\n4,446.1\n", {k446_10000, k446_10000, k88_5, k88_5, 0x10}},
      {"transmit stays while they differ", split, "channel,rxFreq\n4,446.2\n",
       {k446_20000, k446_10000, k88_5, kD023N, 0x10}},
      {"the transmit tone follows a receive tone while they are equal", both,
       "channel,rxTone\n4,D023I\n", {k446_00625, k446_00625, kD023I, kD023I, 0x10}},
      {"a transmit tone never touches the receive tone", both, "channel,txTone\n4,67\n",
       {k446_00625, k446_00625, k88_5, k67_0, 0x10}},
      {"an empty receive frequency deletes the channel", split, "channel,rxFreq,rxTone\n4,,\n",
       {kNoFreq, kNoFreq, kOff, kOff, 0xE9}},
      {"an empty channel's row leaves an empty channel as it is",
       {kNoFreq, k446_10000, k88_5, kD023N, 0x00}, head + "4,,,,,,,,,,,\n",
       {kNoFreq, k446_10000, k88_5, kD023N, 0x00}},
      {"an empty transmit frequency turns its tone off", split, "channel,txFreq\n4,\n",
       {k446_00625, kNoFreq, k88_5, kOff, 0x10}},
      {"off written empty, as off, and as the language's off text", split,
       "channel,rxTone,txTone\n4,OFF,aus\n", {k446_00625, k446_10000, kOff, kOff, 0x10}},
      {"an empty tone is off", split, "channel,rxTone\n4,\n",
       {k446_00625, k446_10000, kOff, kD023N, 0x10}},
      {"DCS in lower case", split, "channel,txTone\n4,d754n\n",
       {k446_00625, k446_10000, k88_5, kD754N, 0x10}},
      {"columns in any order are still made receive, transmit, tones", empty,
       "txTone,narrow,txFreq,channel,rxTone,rxFreq\nD025N,1,446.1,4,100,446.00625\n",
       {k446_00625, k446_10000, k100_0, kD025N, 0xEF}},
      {"missing columns leave their fields as they are", split, "channel,highPower\n4,0\n",
       {k446_00625, k446_10000, k88_5, kD023N, 0x10}},
      {"an empty option leaves its bit", split, "channel,opt5Off,narrow\n4,,1\n",
       {k446_00625, k446_10000, k88_5, kD023N, 0x14}},
      {"quoted fields, blanks around values, CRLF", empty,
       "\"channel\",\"rxFreq\",txTone\r\n\"4\", 446.00625 ,\"88.5\"\r\n",
       {k446_00625, k446_00625, kOff, k88_5, 0xEB}},
      {"a byte-order mark and blank lines", empty, "\xEF\xBB\xBF\nchannel,rxFreq\n\n4,446.1\n,\n",
       {k446_10000, k446_10000, kOff, kOff, 0xEB}},
      {"a spreadsheet's six decimals", empty, "channel,rxFreq,txFreq\n4,446.006250,451.006250\n",
       {k446_00625, k451_00625, kOff, kOff, 0xEB}},
      {"headings in other case", empty, "CHANNEL,RxFreq\n4,446.1\n",
       {k446_10000, k446_10000, kOff, kOff, 0xEB}},
  };
  for (const ImportCase& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    Put(m_doc, 4, c.before);
    Put(m_doc, 6, {k446_00300, k446_00300, kD754I, kD754I, 0x5A});
    const CRondelDoc::Image others = m_doc.image();
    const CsvImport r = Import(c.csv);
    EXPECT_EQ(Get(m_doc, 4), c.after);
    EXPECT_EQ(r.changed, c.after != c.before);
    CRondelDoc::Image want = others;
    std::copy_n(m_doc.image().begin() + At(4), 16, want.begin() + At(4));
    EXPECT_TRUE(m_doc.image() == want) << "bytes outside channel 4 changed";
  }
}

TEST_F(ChannelCsv, DeletingThePriorityChannelResetsThePriority) {
  Put(m_doc, 2, {k446_00625, k446_00625, kOff, kOff, 0xEB});
  m_doc.SetSetting(Setting::PriorityChannel, 2);
  Import("channel,rxFreq\n2,\n");
  EXPECT_EQ(m_doc.GetSetting(Setting::PriorityChannel), 0);
  EXPECT_TRUE(m_doc.IsChannelEmpty(2));
}

struct WarningCase {
  const char* what;
  std::string csv;
  std::vector<Where> warnings;
  Channel after;  // channel 2
};

TEST_F(ChannelCsv, WhatTheFormWouldAdjustIsStoredSoAndNamedWithLineAndColumn) {
  const WarningCase cases[] = {
      {"a frequency off the raster is snapped", "channel,rxFreq\n2,446.003\n",
       {{CsvProblem::SnappedToRaster, 2, "rxFreq", "446.00500"}},
       {k446_00500, k446_00500, kOff, kOff, 0xEB}},
      {"digits below 10 Hz are dropped", "channel,rxFreq\n2,446.0062509\n",
       {{CsvProblem::SnappedToRaster, 2, "rxFreq", "446.00625"}},
       {k446_00625, k446_00625, kOff, kOff, 0xEB}},
      {"above the band gives the upper edge", "channel,rxFreq,txFreq\n2,446.1,480\n",
       {{CsvProblem::ClampedToBand, 2, "txFreq", "470.00000"}},
       {k446_10000, k470_00000, kOff, kOff, 0xEB}},
      {"below the band gives the lower edge", "channel,rxFreq\n2,5\n",
       {{CsvProblem::ClampedToBand, 2, "rxFreq", "400.00000"}},
       {k400_00000, k400_00000, kOff, kOff, 0xEB}},
      {"tones outside the lists are stored as written",
       "channel,rxFreq,rxTone,txTone\n2,446.00625,88.6,d777i\n",
       {{CsvProblem::ToneNotInLists, 2, "rxTone", "88.6"},
        {CsvProblem::ToneNotInLists, 2, "txTone", "D777I"}},
       {k446_00625, k446_00625, k88_6, kD777I, 0xEB}},
      {"a line break inside quotes counts as a line",
       "channel,rxFreq,rxTone\n1,446.1,\"88.5\n\"\n2,446.00625,88.6\n",
       {{CsvProblem::ToneNotInLists, 4, "rxTone", "88.6"}},
       {k446_00625, k446_00625, k88_6, k88_6, 0xEB}},
  };
  for (const WarningCase& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    const CsvImport r = ImportChannelCsv(m_doc, m_settings, c.csv);
    ASSERT_TRUE(r.Imported()) << Describe(*r.refusal);
    ASSERT_EQ(r.warnings.size(), c.warnings.size());
    for (std::size_t k = 0; k < c.warnings.size(); ++k) {
      EXPECT_TRUE(r.warnings[k].IsWarning());
      ExpectIssue(r.warnings[k], c.warnings[k]);
    }
    EXPECT_EQ(Get(m_doc, 2), c.after);
  }
}

struct RefusalCase {
  const char* what;
  std::string rows;  // after a header and a valid first row
  Where refusal;
};

TEST_F(ChannelCsv, RefusedListsChangeNothing) {
  const std::string head = "channel,rxFreq,rxTone,txFreq,txTone,narrow\n1,446.1,88.5,,,1\n";
  const RefusalCase cases[] = {
      {"a quote left open", "2,\"446.1\n", {CsvProblem::Unreadable, 3, "", ""}},
      {"a quote inside a field", "2,44\"6\n", {CsvProblem::Unreadable, 3, "", ""}},
      {"a field past the header", "2,446.1,,,,0,x\n", {CsvProblem::ExtraField, 3, "", "x"}},
      {"a channel past N", "11,446.1\n", {CsvProblem::BadChannel, 3, "channel", "11"}},
      {"no channel number", ",446.1\n", {CsvProblem::BadChannel, 3, "channel", ""}},
      {"a channel that is no number", "2x,446.1\n", {CsvProblem::BadChannel, 3, "channel", "2x"}},
      {"a channel twice", "2,446.1\n1,446.2\n", {CsvProblem::DuplicateChannel, 4, "channel", "1"}},
      {"a comma in a frequency", "2,\"446,1\"\n", {CsvProblem::BadFrequency, 3, "rxFreq", "446,1"}},
      {"a letter in a frequency", "2,44a\n", {CsvProblem::BadFrequency, 3, "rxFreq", "44a"}},
      {"a unit after a frequency", "2,446 MHz\n", {CsvProblem::BadFrequency, 3, "rxFreq", "446 MHz"}},
      {"a point alone", "2,.\n", {CsvProblem::BadFrequency, 3, "rxFreq", "."}},
      {"a frequency too long to type", "2,446.1,,1000000\n",
       {CsvProblem::BadFrequency, 3, "txFreq", "1000000"}},
      {"a second decimal of a CTCSS tone", "2,446.1,88.55\n", {CsvProblem::BadTone, 3, "rxTone", "88.55"}},
      {"CTCSS above 254.1 Hz", "2,446.1,254.2\n", {CsvProblem::BadTone, 3, "rxTone", "254.2"}},
      {"a DCS digit that is not octal", "2,446.1,D823N\n", {CsvProblem::BadTone, 3, "rxTone", "D823N"}},
      {"a DCS code of two digits", "2,446.1,D12\n", {CsvProblem::BadTone, 3, "rxTone", "D12"}},
      {"a unit after a tone", "2,446.1,88.5Hz\n", {CsvProblem::BadTone, 3, "rxTone", "88.5Hz"}},
      {"a bit 2", "2,446.1,,,,2\n", {CsvProblem::BadBit, 3, "narrow", "2"}},
      {"a deleting row that sets a tone", "2,,88.5\n",
       {CsvProblem::DeleteWithValues, 3, "rxTone", "88.5"}},
      {"a deleting row that sets a bit", "2,,,,,0\n", {CsvProblem::DeleteWithValues, 3, "narrow", "0"}},
      {"a transmit tone without transmit frequency", "2,446.1,,,88.5\n",
       {CsvProblem::NoTransmitFrequency, 3, "txTone", "88.5"}},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    Put(m_doc, 1, {k446_00625, k446_00625, kOff, kOff, 0xEB});
    const CRondelDoc::Image before = m_doc.image();
    const CsvImport r = ImportChannelCsv(m_doc, m_settings, head + c.rows);
    ASSERT_FALSE(r.Imported());
    EXPECT_FALSE(r.refusal->IsWarning());
    ExpectIssue(*r.refusal, c.refusal);
    EXPECT_TRUE(m_doc.image() == before) << "a refused list changed the image";
    EXPECT_FALSE(r.changed);
  }
}

TEST_F(ChannelCsv, HeadersThatNameNoListAreRefused) {
  const RefusalCase cases[] = {
      {"an empty text", "", {CsvProblem::NoHeader, 1, "", ""}},
      {"blank lines only", "\n \n,,\n", {CsvProblem::NoHeader, 1, "", ""}},
      {"an unknown heading", "channel,rxFrequency\n", {CsvProblem::UnknownColumn, 1, "rxFrequency", ""}},
      {"an empty heading", "channel,,rxFreq\n", {CsvProblem::UnknownColumn, 1, "", ""}},
      {"a heading twice", "channel,rxFreq,RXFREQ\n", {CsvProblem::DuplicateColumn, 1, "RXFREQ", ""}},
      {"no channel column", "rxFreq,txFreq\n446.1,446.1\n", {CsvProblem::NoChannelColumn, 1, "", ""}},
      {"the common list without Frequency", "Location,Name\n1,A\n",
       {CsvProblem::UnknownColumn, 1, "Location", ""}},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CsvImport r = ImportChannelCsv(m_doc, m_settings, c.rows);
    ASSERT_FALSE(r.Imported());
    ExpectIssue(*r.refusal, c.refusal);
  }
}

TEST_F(ChannelCsv, ValuesForAChannelThatDoesNotExistAreRefused) {
  const RefusalCase cases[] = {
      {"a transmit frequency", "channel,txFreq\n5,446.1\n",
       {CsvProblem::NoReceiveFrequency, 2, "txFreq", "446.1"}},
      {"a tone", "channel,rxTone\n5,88.5\n", {CsvProblem::NoReceiveFrequency, 2, "rxTone", "88.5"}},
      {"an option", "channel,highPower\n5,0\n", {CsvProblem::NoReceiveFrequency, 2, "highPower", "0"}},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CsvImport r = ImportChannelCsv(m_doc, m_settings, c.rows);
    ASSERT_FALSE(r.Imported());
    ExpectIssue(*r.refusal, c.refusal);
  }
  // Empty values are what an empty channel shows: nothing to refuse.
  Import("channel,txFreq,rxTone,highPower\n5,,,\n");
  EXPECT_TRUE(m_doc.IsChannelEmpty(5));
}

// ---------------------------------------------------------------------------------------
// Round trips

// A radio as it may come: values the form could never type among them.
void FillAwkwardChannels(CRondelDoc& doc) {
  Put(doc, 1, {k446_00625, k446_00625, k88_5, k88_5, 0xEB});
  Put(doc, 2, {k446_00300, k480_00000, k88_6, kD777I, 0x00});  // off raster, out of band
  Put(doc, 3, {kNoFreq, k446_10000, k88_5, kD023N, 0x5A});     // empty, with leftovers
  Put(doc, 4, {k446_10000, kNoFreq, kD754I, k88_5, 0xFF});     // no transmit, tone left over
  Put(doc, 5, {k446_00625, k446_10000, Bytes2{0xAB, 0x0C}, Bytes2{0x99, 0x8F}, 0x06});  // no BCD
  Put(doc, 7, {Bytes4{0x00, 0x00, 0x00, 0x99}, Bytes4{0x00, 0x00, 0x00, 0x00}, kOff, kOff, 0x12});
  doc.image()[At(8) + 13] = 0x42;  // bytes no column shows
  doc.SetSetting(Setting::PriorityChannel, 4);
}

TEST_F(ChannelCsv, ImportingTheExportGivesTheImageBackByteForByte) {
  FillAwkwardChannels(m_doc);
  const CRondelDoc::Image before = m_doc.image();
  const std::string csv = ExportChannelCsv(m_doc, m_settings);
  const CsvImport r = Import(csv);
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_FALSE(r.changed);
  EXPECT_TRUE(m_doc.image() == before);
  EXPECT_EQ(ExportChannelCsv(m_doc, m_settings), csv);
}

TEST_F(ChannelCsv, TheExportOfOneDocumentRebuildsItsChannelsInAnother) {
  Put(m_doc, 1, {k446_00625, k446_00625, k88_5, k88_5, 0xEB});
  Put(m_doc, 2, {k446_10000, k446_20000, kD023N, kD754I, 0x02});
  Put(m_doc, 3, {k446_10000, kNoFreq, k100_0, kOff, 0xFF});
  Put(m_doc, 9, {k440_10000, k445_40625, k88_6, kD777I, 0x16});
  const std::string csv = ExportChannelCsv(m_doc, m_settings);
  CRondelDoc other;
  other.Blank();
  other.SelectModel(0, m_settings);
  Put(other, 2, {k446_00300, k446_00300, kOff, kOff, 0xEB});  // to be overwritten
  Put(other, 5, {k446_00625, k446_00625, kOff, kOff, 0xEB});  // to be deleted
  const CsvImport r = ImportChannelCsv(other, m_settings, csv);
  ASSERT_TRUE(r.Imported());
  EXPECT_TRUE(r.changed);
  ASSERT_EQ(r.warnings.size(), 2u) << "the two tones outside the lists";
  ExpectIssue(r.warnings[0], {CsvProblem::ToneNotInLists, 10, "rxTone", "88.6"});
  // Every cell the grid shows is the same; where both frequencies are set, every byte too
  // (bit 1 of the options, which no column shows, was chosen alike in both).
  EXPECT_EQ(ExportChannelCsv(other, m_settings), csv);
  for (const int n : {1, 2, 9}) EXPECT_EQ(Get(other, n), Get(m_doc, n)) << "channel " << n;
  EXPECT_TRUE(other.IsChannelEmpty(5));
}

// ---------------------------------------------------------------------------------------
// The common channel list

const char* const kCommonHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment\n";

// A row of the common list: the defaults with some columns replaced.
std::string CommonRow(const std::map<std::string, std::string>& given) {
  const std::vector<std::pair<std::string, std::string>> defaults = {
      {"Location", "3"},   {"Name", "Ch, \"three\""}, {"Frequency", "446.006250"},
      {"Duplex", ""},      {"Offset", "0.000000"},     {"Tone", ""},
      {"rToneFreq", "88.5"}, {"cToneFreq", "100.0"},   {"DtcsCode", "023"},
      {"DtcsPolarity", "NN"}, {"RxDtcsCode", "754"},   {"CrossMode", "Tone->Tone"},
      {"Mode", "FM"},      {"TStep", "12.50"},         {"Skip", ""},
      {"Power", "High"},   {"Comment", "x"}};
  std::string row;
  for (const auto& [name, value] : defaults) {
    const auto it = given.find(name);
    std::string v = it == given.end() ? value : it->second;
    if (v.find_first_of(",\"") != std::string::npos) {
      std::string quoted = "\"";
      for (char ch : v) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
      v = quoted + "\"";
    }
    row += (row.empty() ? "" : ",") + v;
  }
  return row + "\n";
}

struct CommonCase {
  const char* what;
  std::map<std::string, std::string> row;
  Channel after;  // channel 3; ignored for a refusal
  std::optional<Where> refusal = std::nullopt;
};

void RunCommonCases(CRondelDoc& doc, const CSettings& settings,
                    const std::vector<CommonCase>& cases) {
  for (const CommonCase& c : cases) {
    SCOPED_TRACE(c.what);
    doc.Blank();
    doc.SelectModel(0, settings);
    Put(doc, 3, {k446_10000, k446_20000, kD023N, kD754I, 0x00});
    const CRondelDoc::Image before = doc.image();
    const CsvImport r = ImportChannelCsv(doc, settings, kCommonHeader + CommonRow(c.row));
    if (c.refusal) {
      ASSERT_FALSE(r.Imported());
      ExpectIssue(*r.refusal, *c.refusal);
      EXPECT_TRUE(doc.image() == before);
    } else {
      ASSERT_TRUE(r.Imported()) << Describe(*r.refusal);
      EXPECT_TRUE(r.warnings.empty()) << Describe(r.warnings[0]);
      EXPECT_EQ(Get(doc, 3), c.after);
    }
  }
}

TEST_F(ChannelCsv, CommonListDuplexGivesTheTransmitFrequency) {
  RunCommonCases(m_doc, m_settings, {
      {"empty: transmit is receive", {}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"+: receive plus offset", {{"Duplex", "+"}, {"Offset", "5.000000"}},
       {k446_00625, k451_00625, kOff, kOff, 0x08}},
      {"-: receive minus offset", {{"Duplex", "-"}, {"Offset", "0.6"}},
       {k446_00625, k445_40625, kOff, kOff, 0x08}},
      {"split: the offset is the transmit frequency", {{"Duplex", "split"}, {"Offset", "440.1"}},
       {k446_00625, k440_10000, kOff, kOff, 0x08}},
      {"off: no transmit frequency", {{"Duplex", "off"}}, {k446_00625, kNoFreq, kOff, kOff, 0x08}},
      {"an unknown duplex", {{"Duplex", "x"}}, {}, Where{CsvProblem::BadValue, 2, "Duplex", "x"}},
      {"+ without an offset", {{"Duplex", "+"}, {"Offset", ""}}, {},
       Where{CsvProblem::BadFrequency, 2, "Offset", ""}},
      {"- below zero", {{"Duplex", "-"}, {"Offset", "500"}}, {},
       Where{CsvProblem::BadFrequency, 2, "Offset", "500"}},
      {"split without an offset", {{"Duplex", "split"}, {"Offset", ""}}, {},
       Where{CsvProblem::BadFrequency, 2, "Offset", ""}},
      {"a malformed frequency", {{"Frequency", "446.1x"}}, {},
       Where{CsvProblem::BadFrequency, 2, "Frequency", "446.1x"}},
      {"no frequency deletes the channel", {{"Frequency", ""}},
       {kNoFreq, kNoFreq, kOff, kOff, 0xE9}},
  });
}

TEST_F(ChannelCsv, CommonListToneAndCrossModeGiveBothTones) {
  RunCommonCases(m_doc, m_settings, {
      {"no tone", {{"Tone", ""}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"Tone: transmit rToneFreq, receive off", {{"Tone", "Tone"}},
       {k446_00625, k446_00625, kOff, k88_5, 0x08}},
      {"TSQL: cToneFreq both ways", {{"Tone", "TSQL"}},
       {k446_00625, k446_00625, k100_0, k100_0, 0x08}},
      {"DTCS: DtcsCode both ways", {{"Tone", "DTCS"}},
       {k446_00625, k446_00625, kD023N, kD023N, 0x08}},
      {"DTCS with a short code", {{"Tone", "DTCS"}, {"DtcsCode", "25"}},
       {k446_00625, k446_00625, kD025N, kD025N, 0x08}},
      {"Cross Tone->Tone", {{"Tone", "Cross"}},
       {k446_00625, k446_00625, k100_0, k88_5, 0x08}},
      {"Cross Tone->DTCS", {{"Tone", "Cross"}, {"CrossMode", "Tone->DTCS"}},
       {k446_00625, k446_00625, kD754N, k88_5, 0x08}},
      {"Cross DTCS->Tone", {{"Tone", "Cross"}, {"CrossMode", "DTCS->Tone"}},
       {k446_00625, k446_00625, k100_0, kD023N, 0x08}},
      {"Cross DTCS->DTCS", {{"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}},
       {k446_00625, k446_00625, kD754N, kD023N, 0x08}},
      {"Cross DTCS->", {{"Tone", "Cross"}, {"CrossMode", "DTCS->"}},
       {k446_00625, k446_00625, kOff, kD023N, 0x08}},
      {"Cross ->Tone", {{"Tone", "Cross"}, {"CrossMode", "->Tone"}},
       {k446_00625, k446_00625, k100_0, kOff, 0x08}},
      {"Cross ->DTCS", {{"Tone", "Cross"}, {"CrossMode", "->DTCS"}},
       {k446_00625, k446_00625, kD754N, kOff, 0x08}},
      {"TSQL on a channel that does not transmit", {{"Tone", "TSQL"}, {"Duplex", "off"}},
       {k446_00625, kNoFreq, k100_0, kOff, 0x08}},
      {"an unknown tone mode", {{"Tone", "DTCS-R"}}, {},
       Where{CsvProblem::BadValue, 2, "Tone", "DTCS-R"}},
      {"an unknown cross mode", {{"Tone", "Cross"}, {"CrossMode", "Tone->X"}}, {},
       Where{CsvProblem::BadValue, 2, "CrossMode", "Tone->X"}},
      {"a cross mode without arrow", {{"Tone", "Cross"}, {"CrossMode", "Tone"}}, {},
       Where{CsvProblem::BadValue, 2, "CrossMode", "Tone"}},
      {"a DCS code that is not octal", {{"Tone", "DTCS"}, {"DtcsCode", "8"}}, {},
       Where{CsvProblem::BadTone, 2, "DtcsCode", "8"}},
      {"a DCS code of four digits", {{"Tone", "DTCS"}, {"DtcsCode", "0023"}}, {},
       Where{CsvProblem::BadTone, 2, "DtcsCode", "0023"}},
      {"a receive DCS code that is not octal", {{"Tone", "Cross"}, {"CrossMode", "->DTCS"},
       {"RxDtcsCode", "9"}}, {}, Where{CsvProblem::BadTone, 2, "RxDtcsCode", "9"}},
      {"a CTCSS value out of range", {{"Tone", "Tone"}, {"rToneFreq", "300.0"}}, {},
       Where{CsvProblem::BadTone, 2, "rToneFreq", "300.0"}},
      {"an empty CTCSS value", {{"Tone", "TSQL"}, {"cToneFreq", ""}}, {},
       Where{CsvProblem::BadTone, 2, "cToneFreq", ""}},
  });
}

TEST_F(ChannelCsv, CommonListAToneOutsideTheListsIsStoredAndNamed) {
  const CsvImport r = ImportChannelCsv(
      m_doc, m_settings, kCommonHeader + CommonRow({{"Tone", "TSQL"}, {"cToneFreq", "88.6"}}));
  ASSERT_TRUE(r.Imported());
  ASSERT_EQ(r.warnings.size(), 1u) << "the transmit tone follows the receive tone unnamed";
  ExpectIssue(r.warnings[0], {CsvProblem::ToneNotInLists, 2, "cToneFreq", "88.6"});
  EXPECT_EQ(Get(m_doc, 3), (Channel{k446_00625, k446_00625, k88_6, k88_6, 0xEB}));
}

TEST_F(ChannelCsv, CommonListFrequencyOffTheRasterIsNamedOnceAndTransmitTakesItsValue) {
  const CsvImport r = Import(kCommonHeader + CommonRow({{"Frequency", "446.003"}}));
  ASSERT_EQ(r.warnings.size(), 1u);
  ExpectIssue(r.warnings[0], {CsvProblem::SnappedToRaster, 2, "Frequency", "446.00500"});
  EXPECT_EQ(Get(m_doc, 3), (Channel{k446_00500, k446_00500, kOff, kOff, 0xEB}));
}

TEST_F(ChannelCsv, CommonListDtcsPolarityIsTransmitThenReceive) {
  const auto cross = [](const char* polarity) {
    return std::map<std::string, std::string>{
        {"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}, {"DtcsPolarity", polarity}};
  };
  RunCommonCases(m_doc, m_settings, {
      {"NN", cross("NN"), {k446_00625, k446_00625, kD754N, kD023N, 0x08}},
      {"NR", cross("NR"), {k446_00625, k446_00625, kD754I, kD023N, 0x08}},
      {"RN", cross("RN"), {k446_00625, k446_00625, kD754N, kD023I, 0x08}},
      {"RR", cross("rr"), {k446_00625, k446_00625, kD754I, kD023I, 0x08}},
      {"a letter other than N and R", cross("NX"), {},
       Where{CsvProblem::BadValue, 2, "DtcsPolarity", "NX"}},
      {"one letter", cross("N"), {}, Where{CsvProblem::BadValue, 2, "DtcsPolarity", "N"}},
  });
}

TEST_F(ChannelCsv, CommonListModePowerAndSkipGiveTheirBits) {
  // 0x00 before: narrow (bit 2), highPower (bit 3), opt5Off (bit 4) all 0.
  RunCommonCases(m_doc, m_settings, {
      {"FM is wide", {{"Mode", "FM"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"NFM is narrow", {{"Mode", "NFM"}}, {k446_00625, k446_00625, kOff, kOff, 0x0C}},
      {"AM is refused", {{"Mode", "AM"}}, {}, Where{CsvProblem::BadMode, 2, "Mode", "AM"}},
      {"an empty mode is refused", {{"Mode", ""}}, {}, Where{CsvProblem::BadMode, 2, "Mode", ""}},
      {"High", {{"Power", "HIGH"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"low in lower case", {{"Power", "low"}}, {k446_00625, k446_00625, kOff, kOff, 0x00}},
      {"empty power is high", {{"Power", ""}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"5.0W is high", {{"Power", "5.0W"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"2W is high", {{"Power", "2W"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"1.99W is low", {{"Power", "1.99W"}}, {k446_00625, k446_00625, kOff, kOff, 0x00}},
      {"0.5w is low", {{"Power", "0.5w"}}, {k446_00625, k446_00625, kOff, kOff, 0x00}},
      {"10W is high", {{"Power", "10W"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {"a power that is neither", {{"Power", "Mid"}}, {}, Where{CsvProblem::BadValue, 2, "Power", "Mid"}},
      {"watts without a number", {{"Power", "W"}}, {}, Where{CsvProblem::BadValue, 2, "Power", "W"}},
      {"S skips: opt5Off", {{"Skip", "S"}}, {k446_00625, k446_00625, kOff, kOff, 0x18}},
      {"P is not ours", {{"Skip", "P"}}, {}, Where{CsvProblem::BadValue, 2, "Skip", "P"}},
      {"a location past N", {{"Location", "11"}}, {}, Where{CsvProblem::BadChannel, 2, "Location", "11"}},
      {"location 0", {{"Location", "0"}}, {}, Where{CsvProblem::BadChannel, 2, "Location", "0"}},
  });
}

TEST_F(ChannelCsv, CommonListColumnsItLacksLeaveTheirFields) {
  Put(m_doc, 3, {k446_10000, k446_20000, kD023N, kD754I, 0x14});
  Import("Frequency,Location,Name\n446.1,3,x\n");
  EXPECT_EQ(Get(m_doc, 3), (Channel{k446_10000, k446_20000, kD023N, kD754I, 0x14}));
  Import("Location,Frequency\n3,446.2\n");
  EXPECT_EQ(Get(m_doc, 3), (Channel{k446_20000, k446_20000, kD023N, kD754I, 0x14}));
}

// ---------------------------------------------------------------------------------------
// Messages

TEST_F(ChannelCsv, IssuesAreWordedByTheLanguageFileWithLineColumnAndValue) {
  EXPECT_EQ(CsvIssueText({CsvProblem::BadChannel, 7, "channel", "12"}, m_settings),
            "Zeile 7, Spalte channel: kein Kanal von 1 bis 10: \"12\"");
  EXPECT_EQ(CsvIssueText({CsvProblem::NoHeader, 1, "", ""}, m_settings),
            "Zeile 1: keine Kopfzeile.");
}

TEST_F(ChannelCsv, EveryIssueHasItsTextInBothShippedLanguages) {
  for (const char* language : {"english.lang", "chinese.lang"}) {
    g_strLangPath = std::string(RONDEL_SOURCE_DIR) + "/resources/" + language;
    for (int p = 0; p <= static_cast<int>(CsvProblem::ToneNotInLists); ++p) {
      const std::string text =
          CsvIssueText({static_cast<CsvProblem>(p), 12, "rxTone", "88.55"}, m_settings);
      SCOPED_TRACE(std::string(language) + ": " + text);
      EXPECT_EQ(text.find(kLangNotFound), std::string::npos);
      EXPECT_NE(text.find("12"), std::string::npos);
      EXPECT_NE(text.find("rxTone"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace rondel
