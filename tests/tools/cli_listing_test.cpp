// The readable listing of "rondel-cli info", judged on the real program: the model's name,
// every setting as the form's lists name it, the grid headings and each channel's cells in
// the shipped English and Chinese texts, rows as many as the settings file asks for, aligned
// columns, a missing language file, and the language the locale picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tools/cli/info_listing.h"
#include "tools/cli_harness.h"

namespace rondel::test::cli {
namespace {

using Row = std::array<std::string, 12>;

const char* const kIni =
    "[setup]\n"
    "channel=16\n"
    "[ModelInfo]\n"
    "data0=00400047\nFreq0=400-470MHz\n"
    "data1=60134017\nFreq1=136-174MHz\n"
    "data2=00430044\nFreq2=430-440MHz\n";

void PutChannel(ImageBytes& image, int n, std::array<std::uint8_t, 4> rx,
                std::array<std::uint8_t, 4> tx, std::array<std::uint8_t, 2> rxTone,
                std::array<std::uint8_t, 2> txTone, std::uint8_t flags) {
  const std::size_t at = 0x10 * static_cast<std::size_t>(n);
  std::copy(rx.begin(), rx.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
  std::copy(tx.begin(), tx.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 4));
  std::copy(rxTone.begin(), rxTone.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 8));
  std::copy(txTone.begin(), txTone.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 10));
  image[at + 12] = flags;
}

// A radio as a user might have it: the 136-174 MHz model, a handful of channels with CTCSS
// and DCS tones, one without transmit frequency, mixed options, and settings off their
// defaults (some of them stored beyond their range).
ImageBytes RealisticImage() {
  ImageBytes image = BlankImage();
  constexpr std::array<std::uint8_t, 4> none{0xFF, 0xFF, 0xFF, 0xFF};
  constexpr std::array<std::uint8_t, 2> off{0xFF, 0xFF};
  PutChannel(image, 1, {0x00, 0x00, 0x55, 0x14}, {0x00, 0x00, 0x55, 0x14}, {0x85, 0x08},
             {0x85, 0x08}, 0xEB);
  PutChannel(image, 2, {0x00, 0x25, 0x60, 0x14}, {0x00, 0x25, 0x66, 0x14}, {0x23, 0x80},
             {0x54, 0xC7}, 0x14);
  // Transmit left over from a deleted channel: still empty.
  PutChannel(image, 3, none, {0x00, 0x00, 0x55, 0x14}, off, {0x85, 0x08}, 0x00);
  PutChannel(image, 4, {0x00, 0x00, 0x70, 0x14}, none, off, {0x85, 0x08}, 0x22);
  PutChannel(image, 5, {0x00, 0x00, 0x48, 0x14}, {0x00, 0x00, 0x48, 0x14}, {0x30, 0x12}, off,
             0xC9);
  PutChannel(image, 10, {0x00, 0x00, 0x00, 0x15}, {0x00, 0x00, 0x50, 0x15}, off, {0x25, 0x81},
             0x08);
  PutChannel(image, 16, {0x75, 0x93, 0x39, 0x17}, {0x75, 0x93, 0x39, 0x17}, {0x41, 0x25},
             {0x70, 0x06}, 0xFF);

  image[0x3C0] = 0xF9;  // FM radio on, saver off, voice prompt 2, PTT ID 3, scan mode 1
  image[0x3C1] = 7;     // squelch
  image[0x3C2] = 4;     // side key 1
  image[0x3C3] = 0xFF;  // time-out: reads as 300 s
  image[0x3C4] = 0;     // VOX off
  image[0x3C5] = 9;     // side key 2: reads as 6
  image[0x3C6] = 9;     // priority channel 10
  image[0x3C7] = 3;     // VOX delay 2.0 s
  const std::uint8_t start[] = {1, 2, 10, 11};
  std::copy(std::begin(start), std::end(start), image.begin() + 0x3A0);
  image[0x3E0] = 0x0E;  // an empty end code
  const std::uint8_t password[] = {1, 2, 3, 36, 37, 62};
  std::copy(std::begin(password), std::end(password), image.begin() + 0x3B0);
  const std::uint8_t band[] = {0x60, 0x13, 0x40, 0x17};
  std::copy(std::begin(band), std::end(band), image.begin() + 0x3D8);
  return image;
}

// What a language file says, read with the lookups the form uses.
struct Texts {
  std::string off, yes, no, wide, narrow, high, low;
  std::string model, settings, channels, pttStart, pttEnd, password;
  std::vector<std::string> headings, voice, pttId, monitorKey, scanMode;
  std::string Label(int id) const { return labels.at(static_cast<std::size_t>(id - 1000)); }
  std::vector<std::string> labels;  // Resource texts 1000..1099
};

Texts ReadTexts(const std::string& langPath) {
  const std::string savedExe = g_strExeDir, savedIni = g_strIniPath, savedLang = g_strLangPath;
  SetAppPaths(savedExe, savedIni, langPath);
  Texts t;
  const auto s = [&](const char* key) { return GetLangStringFrom(langPath, key); };
  t.off = s("IDS_OFF");
  t.yes = s("IDS_YES");
  t.no = s("IDS_NO");
  t.wide = s("IDS_WIDE");
  t.narrow = s("IDS_NARROW");
  t.high = s("IDS_HIGH");
  t.low = s("IDS_LOW");
  t.model = s("IDS_CLI_MODEL");
  t.settings = s("IDS_CLI_SETTINGS");
  t.channels = s("IDS_CLI_CHANNELS");
  t.pttStart = s("IDS_CLI_PTTSTART");
  t.pttEnd = s("IDS_CLI_PTTEND");
  t.password = s("IDS_CLI_PASSWORD");
  for (int c = 0; c < 12; ++c)
    t.headings.push_back(
        profile::GetString(langPath, "ChText", "IDS_ChText" + std::to_string(c), "", 30));
  t.voice = GetNumberedList(NumberedList::VoiceAnnunciation);
  t.pttId = GetNumberedList(NumberedList::PttId);
  t.monitorKey = GetNumberedList(NumberedList::MonitorKey);
  t.scanMode = GetNumberedList(NumberedList::ScanMode);
  for (int id = 1000; id < 1100; ++id) t.labels.push_back(GetResourceText(id));
  SetAppPaths(savedExe, savedIni, savedLang);
  return t;
}

// The channel table of RealisticImage, cell by cell.
std::vector<Row> ExpectedRows(const Texts& t) {
  std::vector<Row> rows(16);
  for (int n = 1; n <= 16; ++n) rows[static_cast<std::size_t>(n - 1)][0] = std::to_string(n);
  rows[0] = {"1", "145.50000", "88.5", "145.50000", "88.5", t.yes, t.wide, t.high, t.no, t.no,
             t.no, t.no};
  rows[1] = {"2", "146.02500", "D023N", "146.62500", "D754I", t.no, t.narrow, t.low, t.yes,
             t.yes, t.yes, t.yes};
  rows[3] = {"4", "147.00000", t.off, "", "", t.yes, t.wide, t.low, t.yes, t.no, t.yes, t.yes};
  rows[4] = {"5", "144.80000", "123.0", "144.80000", t.off, t.yes, t.wide, t.high, t.no, t.yes,
             t.no, t.no};
  rows[9] = {"10", "150.00000", t.off, "155.00000", "D125N", t.yes, t.wide, t.high, t.yes, t.yes,
             t.yes, t.yes};
  rows[15] = {"16", "173.99375", "254.1", "173.99375", "67.0", t.no, t.narrow, t.high, t.no,
              t.no, t.no, t.no};
  return rows;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The value of the one settings line "  <label>  <value>"; nullopt when no line or more than
// one line carries the label.
std::optional<std::string> SettingValue(const std::vector<std::string>& lines,
                                        const std::string& label) {
  std::optional<std::string> found;
  int count = 0;
  const std::string lead = "  " + label;
  for (const std::string& line : lines) {
    if (line.compare(0, lead.size(), lead) != 0) continue;
    const std::string rest = line.substr(lead.size());
    if (!rest.empty() && rest.compare(0, 2, "  ") != 0) continue;  // a longer label
    found = Trim(rest);
    ++count;
  }
  return count == 1 ? found : std::nullopt;
}

// The heading line and the channel lines below the channel table's title.
struct Table {
  bool found = false;
  std::string headings;
  std::vector<std::string> rows;
};

Table ChannelTable(const std::vector<std::string>& lines, const std::string& title) {
  Table table;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] != title) continue;
    table = Table{};  // the last line with the title is the table's
    table.found = true;
    table.headings = lines[i + 1];
    for (std::size_t j = i + 2; j < lines.size() && !lines[j].empty(); ++j)
      table.rows.push_back(lines[j]);
  }
  return table;
}

// Checks that `cells` (the empty ones skipped) occur in `line` in this order.
void ExpectInOrder(const std::string& line, const Row& cells) {
  std::size_t at = 0;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (cells[c].empty()) continue;
    const std::size_t found = line.find(cells[c], at);
    ASSERT_NE(found, std::string::npos) << "column " << c << " \"" << cells[c]
                                        << "\" not found in order in: " << line;
    at = found + cells[c].size();
  }
}

std::size_t Utf8Length(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The characters of `line` that begin at display columns [from, to).
std::string ColumnSlice(const std::string& line, std::size_t from, std::size_t to) {
  std::string out;
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t len = Utf8Length(static_cast<unsigned char>(line[i]));
    const std::string ch = line.substr(i, len);
    if (column >= from && column < to) out += ch;
    column += DisplayWidth(ch);
    i += len;
  }
  return out;
}

// Display columns where the twelve headings begin, found one after the other.
std::vector<std::size_t> HeadingColumns(const std::string& line, const Texts& t) {
  std::vector<std::size_t> columns;
  std::size_t at = 0;
  for (const std::string& h : t.headings) {
    const std::size_t found = line.find(h, at);
    if (found == std::string::npos) return {};
    columns.push_back(DisplayWidth(line.substr(0, found)));
    at = found + h.size();
  }
  return columns;
}

// The alignment checks below measure with this; it has to be right on its own first.
TEST(CliListingWidth, EastAsianWideCharactersTakeTwoColumns) {
  struct WidthCase {
    const char* text;
    std::size_t columns;
  };
  const WidthCase cases[] = {
      {"", 0},
      {"Off", 3},
      {"RX frequency (MHz)", 18},
      {"été", 3},  // two-byte letters are narrow
      {"中文", 4},
      {"接收频率 (MHz)", 14},
      {"PTT-ID 上线码", 13},
      {"：", 2},   // fullwidth colon
      {"한글", 4},
      {"あa", 3},
  };
  for (const WidthCase& c : cases) EXPECT_EQ(DisplayWidth(c.text), c.columns) << c.text;
}

class CliListing : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(BinDir().empty()) << "RONDEL_BIN_DIR is not set";
    m_lang = BinDir() + "/" + GetParam();
    m_texts = ReadTexts(m_lang);
    m_ini = m_dir.Write("setting.ini", kIni);
    m_file = m_dir.WriteBytes("radio.dig", DataFile(RealisticImage()));
  }
  ProcessResult List() { return RunCli({"--ini", m_ini, "--lang", m_lang, "info", m_file}); }

  TempDir m_dir;
  std::string m_lang, m_ini, m_file;
  Texts m_texts;
};

TEST_P(CliListing, ShowsTheModelAndEverySettingAsTheFormsListsNameIt) {
  const ProcessResult r = List();
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, "");
  const Texts& t = m_texts;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].compare(0, t.model.size(), t.model), 0) << lines[0];
  EXPECT_NE(lines[0].find("136-174MHz"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("136.00000 - 174.00000 MHz"), std::string::npos) << lines[0];
  EXPECT_NE(std::find(lines.begin(), lines.end(), t.settings), lines.end()) << r.out;

  struct Expected {
    std::string label;
    std::string value;
  };
  const Expected settings[] = {
      {t.Label(1031), "7"},                  // squelch
      {t.Label(1035), "300"},                // time-out stored as 0xFF
      {t.Label(1025), t.voice.at(2)},        // voice prompt
      {t.Label(1029), t.pttId.at(3)},        // PTT ID
      {t.Label(1033), t.monitorKey.at(4)},   // side key 1
      {t.Label(1043), t.monitorKey.at(6)},   // side key 2 stored as 9
      {t.Label(1037), t.off},                // VOX level
      {t.Label(1049), "2.0"},                // VOX delay
      {t.Label(1047), t.scanMode.at(1)},     // scan mode
      {t.Label(1045), "10"},                 // priority channel
      {t.Label(1024), t.no},                 // battery saver
      {t.Label(1023), t.yes},                // FM radio
      {t.pttStart, "12AB"},
      {t.pttEnd, ""},
      {t.password, "123ab"},
  };
  for (const Expected& e : settings) {
    SCOPED_TRACE(e.label);
    ASSERT_FALSE(e.label.empty());
    EXPECT_EQ(SettingValue(lines, e.label), e.value) << r.out;
  }
}

TEST_P(CliListing, ChannelTableHasTheHeadingsAndEachChannelsCellsInOrder) {
  const ProcessResult r = List();
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const Table table = ChannelTable(Lines(r.out), m_texts.channels);
  ASSERT_TRUE(table.found) << r.out;

  Row headings;
  std::copy(m_texts.headings.begin(), m_texts.headings.end(), headings.begin());
  for (const std::string& h : headings) ASSERT_FALSE(h.empty());
  EXPECT_EQ(Trim(table.headings).compare(0, headings[0].size(), headings[0]), 0)
      << table.headings;
  ExpectInOrder(table.headings, headings);

  const std::vector<Row> expected = ExpectedRows(m_texts);
  ASSERT_EQ(table.rows.size(), expected.size()) << r.out;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("channel " + std::to_string(i + 1));
    const std::string line = Trim(table.rows[i]);
    const std::string number = expected[i][0];
    EXPECT_TRUE(line == number || line.rfind(number + " ", 0) == 0)
        << "the line does not begin with its channel number: " << table.rows[i];
    if (expected[i][1].empty()) {
      EXPECT_EQ(line, number) << "an empty channel shows only its number";
    } else {
      ExpectInOrder(line, expected[i]);
    }
  }
}

TEST_P(CliListing, EveryCellStartsAtItsHeadingsColumn) {
  const ProcessResult r = List();
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const Table table = ChannelTable(Lines(r.out), m_texts.channels);
  ASSERT_TRUE(table.found) << r.out;
  const std::vector<std::size_t> starts = HeadingColumns(table.headings, m_texts);
  ASSERT_EQ(starts.size(), 12u) << table.headings;

  const std::vector<Row> expected = ExpectedRows(m_texts);
  ASSERT_EQ(table.rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::string& line = table.rows[i];
    for (std::size_t c = 0; c < 12; ++c) {
      SCOPED_TRACE("channel " + std::to_string(i + 1) + " column " + std::to_string(c));
      const std::size_t to = c + 1 < 12 ? starts[c + 1] : std::string::npos;
      // The cell is exactly what lies between its heading's column and the next one...
      EXPECT_EQ(Trim(ColumnSlice(line, starts[c], to)), expected[i][c]) << line;
      // ...and it begins right at its heading's column, after a blank.
      if (!expected[i][c].empty()) {
        EXPECT_EQ(ColumnSlice(line, starts[c], starts[c] + DisplayWidth(expected[i][c])),
                  expected[i][c])
            << line;
        EXPECT_EQ(ColumnSlice(line, starts[c] - 1, starts[c]), " ") << line;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, CliListing,
                         testing::Values("english.lang", "chinese.lang"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

TEST(CliListingTexts, TheChineseListingIsInChinese) {
  TempDir dir;
  const ProcessResult r =
      RunCli({"--ini", dir.Write("setting.ini", kIni), "--lang", BinDir() + "/chinese.lang",
              "info", dir.WriteBytes("radio.dig", DataFile(RealisticImage()))});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  for (const char* text : {"信道", "接收频率 (MHz)", "发射亚音", "遇忙禁发", "英文", "上线码和下线码",
                           "载波恢复", "报警", "声控开关", "宽带", "窄带", "是", "否", "高", "低",
                           "关", "频段", "整机设置", "静噪等级"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
  for (const char* english : {"RX frequency", "Channels", "Yes", "Wide", "Squelch"}) {
    EXPECT_EQ(r.out.find(english), std::string::npos) << english;
  }
}

TEST(CliListingTexts, ChannelRowsAreAsManyAsTheSettingsFileAsksFor) {
  const Texts t = ReadTexts(BinDir() + "/english.lang");
  struct CountCase {
    const char* channelLine;
    std::size_t rows;
  };
  const CountCase cases[] = {
      {"channel=4", 4}, {"channel=1", 1},   {"channel=16", 16},
      {"channel=0", 0}, {"channel=40", 16}, {"", 0},
  };
  TempDir dir;
  const std::string file = dir.WriteBytes("radio.dig", DataFile(RealisticImage()));
  const std::vector<Row> expected = ExpectedRows(t);
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.channelLine);
    const std::string ini = dir.Write(
        "setting.ini", std::string("[setup]\n") + c.channelLine +
                           "\n[ModelInfo]\ndata0=60134017\nFreq0=136-174MHz\n");
    const ProcessResult r =
        RunCli({"--ini", ini, "--lang", BinDir() + "/english.lang", "info", file});
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    const Table table = ChannelTable(Lines(r.out), t.channels);
    ASSERT_TRUE(table.found) << r.out;
    ASSERT_EQ(table.rows.size(), c.rows) << r.out;
    for (std::size_t i = 0; i < table.rows.size(); ++i)
      EXPECT_EQ(Trim(table.rows[i]).compare(0, expected[i][0].size(), expected[i][0]), 0)
          << table.rows[i];
  }
}

// The settings file names a language whose file is not there, as the desktop program would
// meet it. (A --lang that names no file is a mistake on the command line, refused with 66.)
TEST(CliListingTexts, AMissingLanguageFileListsNotFoundAndStillSucceeds) {
  TempDir dir;
  const std::string ini = "[setup]\nlanguage=none\n" + std::string(kIni).substr(8);
  const ProcessResult r =
      RunCli({"--ini", dir.Write("setting.ini", ini), "info",
              dir.WriteBytes("radio.dig", DataFile(RealisticImage()))});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  EXPECT_NE(r.out.find("Not Found"), std::string::npos) << r.out;
  // The channel table's title is "Not Found" as well; its rows keep the image's values.
  const Table table = ChannelTable(lines, "Not Found");
  ASSERT_TRUE(table.found) << r.out;
  ASSERT_EQ(table.rows.size(), 16u) << r.out;
  const Row channel1 = {"1", "145.50000", "88.5", "145.50000", "88.5", "Not Found",
                        "Not Found", "Not Found", "Not Found", "Not Found", "Not Found",
                        "Not Found"};
  ExpectInOrder(Trim(table.rows[0]), channel1);
  const Row channel4 = {"4", "147.00000", "Not Found"};
  ExpectInOrder(Trim(table.rows[3]), channel4);
  EXPECT_EQ(Trim(table.rows[2]), "3");
  EXPECT_NE(lines.at(0).find("136-174MHz"), std::string::npos) << lines.at(0);
  for (const char* shipped : {"Yes", "Wide", "Off", "Narrow", "是"}) {
    EXPECT_EQ(r.out.find(shipped), std::string::npos) << shipped;
  }
}

// Saves the locale variables and restores them, set or unset.
class LocaleGuard {
 public:
  LocaleGuard() {
    for (std::size_t i = 0; i < 3; ++i)
      if (const char* v = std::getenv(kVars[i])) m_saved[i] = v;
  }
  ~LocaleGuard() {
    for (std::size_t i = 0; i < 3; ++i) Set(kVars[i], m_saved[i]);
  }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;
  static void Set(const char* var, const std::optional<std::string>& v) {
    if (v)
      ::setenv(var, v->c_str(), 1);
    else
      ::unsetenv(var);
  }
  static constexpr const char* kVars[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

 private:
  std::optional<std::string> m_saved[3];
};

TEST(CliListingTexts, WithoutLanguageKeyOrOptionTheLocalePicksTheLanguage) {
  const std::string bin = BinDir();
  ASSERT_FALSE(bin.empty());
  // A program folder of our own: the default files are looked up beside the executable,
  // which /proc/self/exe names with links resolved, so the program is copied, not linked.
  TempDir folder;
  namespace fs = std::filesystem;
  const std::string program = folder.File("rondel-cli");
  fs::copy_file(CliPath(), program);
  fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
  fs::copy_file(bin + "/english.lang", folder.File("english.lang"));
  fs::copy_file(bin + "/chinese.lang", folder.File("chinese.lang"));
  const std::string file = folder.WriteBytes("radio.dig", DataFile(RealisticImage()));

  const Texts english = ReadTexts(folder.File("english.lang"));
  const Texts chinese = ReadTexts(folder.File("chinese.lang"));

  struct LocaleCase {
    std::optional<std::string> lcAll;
    std::optional<std::string> lang;
    const char* languageLine;  // in [setup]; empty: none
    bool chineseExpected;
  };
  const LocaleCase cases[] = {
      {std::nullopt, "zh_CN.UTF-8", "", true},
      {std::nullopt, "en_US.UTF-8", "", false},
      {std::nullopt, "zh_TW.UTF-8", "", false},
      {std::nullopt, std::nullopt, "", false},
      {"en_US.UTF-8", "zh_CN.UTF-8", "", false},
      {"", "zh_CN.UTF-8", "", true},
      {std::nullopt, "zh_CN.UTF-8", "language=english", false},
      {std::nullopt, "en_US.UTF-8", "language=chinese", true},
  };
  const LocaleGuard guard;
  for (const LocaleCase& c : cases) {
    SCOPED_TRACE(std::string("LC_ALL=") + (c.lcAll ? *c.lcAll : "unset") +
                 " LANG=" + (c.lang ? *c.lang : "unset") + " [setup] " + c.languageLine);
    const std::string iniText = std::string("[setup]\nchannel=16\n") + c.languageLine +
                                "\n[ModelInfo]\ndata0=60134017\nFreq0=136-174MHz\n";
    folder.Write("setting.ini", iniText);
    LocaleGuard::Set("LC_ALL", c.lcAll);
    LocaleGuard::Set("LC_MESSAGES", std::nullopt);
    LocaleGuard::Set("LANG", c.lang);
    const ProcessResult r = RunProcess(program, {"info", file}, std::chrono::seconds(30));
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    const Texts& want = c.chineseExpected ? chinese : english;
    const Texts& other = c.chineseExpected ? english : chinese;
    const Table table = ChannelTable(Lines(r.out), want.channels);
    ASSERT_TRUE(table.found) << r.out;
    ExpectInOrder(table.headings, Row{want.headings[0], want.headings[1], want.headings[2]});
    EXPECT_EQ(r.out.find(other.headings[1]), std::string::npos) << r.out;
    EXPECT_EQ(test::ReadText(folder.File("setting.ini")), iniText);
  }
}

}  // namespace
}  // namespace rondel::test::cli
