// The two shipped language files, english.lang and chinese.lang: every key the program looks
// up is there, every text fits the buffer and the box it is shown in, and both files agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"
#include "shell/language.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

// Big enough that nothing is cut, so a value's real length can be measured.
constexpr std::size_t kUncut = 1 << 20;
constexpr std::size_t kStringMax = 999;  // String buffer of 1000 bytes
constexpr std::size_t kShortMax = 29;    // ChText and numbered lists: 30 bytes
constexpr std::size_t kTipMax = 19;      // tool-tip field of 20 characters

std::string ResourcesDir() {
  if (const char* dir = std::getenv("RONDEL_SOURCE_DIR"); dir && *dir)
    return std::string(dir) + "/resources";
  std::string here = __FILE__;  // <repo>/tests/shell/language_files_test.cpp
  for (int i = 0; i < 3; ++i) here = here.substr(0, here.find_last_of('/'));
  return here + "/resources";
}

struct ShippedFile {
  const char* name;  // what [setup] "language" stores
  const char* disp;  // what the language dialog shows
};
const ShippedFile kShipped[] = {{"english", "English"}, {"chinese", "简体中文"}};

void PrintTo(const ShippedFile& f, std::ostream* os) { *os << f.name; }

std::string PathOf(const ShippedFile& f) { return ResourcesDir() + "/" + f.name + ".lang"; }

// Every key of section "String" the program looks up, in the order of the key list, then the
// program's own keys.
const char* const kStringKeys[] = {
    "IDS_WINDOWNAME",
    "IDS_TIP_57600", "IDS_TIP_57601", "IDS_TIP_57603", "IDS_TIP_32771", "IDS_TIP_32772",
    "IDS_TIP_57607", "IDS_TIP_32775",
    "Menu_File", "Menu_Program", "Menu_Setting", "Menu_Help",
    "Menu_File_New", "Menu_File_Open", "Menu_File_Save", "Menu_File_Save_As", "Menu_File_Print",
    "Menu_File_Print_Preview", "Menu_File_Print_Setup", "Menu_App_Exit", "Menu_Program_ReadData",
    "Menu_Program_WriteData", "Menu_Program_TestMode", "Menu_Setting_Port",
    "Menu_Setting_Language", "Menu_Help_Help", "Menu_App_About",
    "IDS_ERROR", "IDS_ERROR_PORTCONN", "IDS_ERROR_TYPE", "IDS_ERROR_PASSWORD",
    "IDS_PROMPT", "IDS_PROMPT_READ", "IDS_PROMPT_WRITE", "IDS_PROMPT_READFAIL",
    "IDS_PROMPT_WRITEFAIL", "IDS_PROMPT_WRITESUCC", "IDS_READDATA", "IDS_WRITEDATA",
    "IDS_SEARCHCOMPORT", "IDS_CONFIRM", "IDS_CONFIRM_FREQ", "IDS_WARN_CLEAR", "IDS_WARN_LOAD",
    "IDS_WARN_SAVE", "IDS_OFF", "IDS_YES", "IDS_NO", "IDS_WIDE", "IDS_NARROW", "IDS_HIGH",
    "IDS_LOW",
    // the program's own messages
    "IDS_SAVE_CHANGES", "IDS_ERROR_OPENFILE", "IDS_ERROR_SAVEFILE", "IDS_FILE_FILTER",
    "IDS_UNTITLED",
    // buttons of the message boxes
    "IDS_BUTTON_OK", "IDS_BUTTON_CANCEL", "IDS_BUTTON_YES", "IDS_BUTTON_NO",
    // rondel-cli
    "IDS_HELP_TITLE", "IDS_HELP_NAVIGATION", "IDS_HELP_BACK", "IDS_HELP_FORWARD", "IDS_HELP_HOME",
    "IDS_HELP_CANNOTOPEN", "IDS_HELP_NOPAGE", "IDS_CLI_USAGE", "IDS_CLI_BADARG", "IDS_CLI_NOSETTINGS", "IDS_CLI_NOINPUT", "IDS_CLI_NOOUTPUT",
    "IDS_CLI_CANCELLED", "IDS_CLI_MODEL", "IDS_CLI_SETTINGS", "IDS_CLI_CHANNELS",
    "IDS_CLI_PTTSTART", "IDS_CLI_PTTEND", "IDS_CLI_PASSWORD",
    "IDS_CLI_OPTIONS", "IDS_CLI_EXITCODES", "IDS_CLI_MISSING", "IDS_CLI_EMPTYARG",
    "IDS_CLI_TRYHELP", "IDS_CLI_NOMODEL", "IDS_CLI_MODELCOUNT", "IDS_CLI_INCOMPLETE",
    "IDS_CLI_PASSEDOVER", "IDS_CLI_NOLANG",
    // damaged and unusable files, the port tried, the file dialogs
    "IDS_WARN_INCOMPLETE", "IDS_ERROR_SETTINGSFILE", "IDS_ERROR_LANGFILE", "IDS_FILE_NOTREGULAR",
    "IDS_FILE_TOOLARGE", "IDS_ERROR_PORTTRIED", "IDS_ERROR_PORTSEARCHED", "IDS_FILTER_ALL",
};

// The menu: which drop-down an entry belongs to, and the accelerator its text shows after the
// tab (empty: the command has no accelerator, so the entry shows none).
struct MenuEntry {
  const char* key;
  int menu;  // 0 File, 1 Programming, 2 Settings, 3 Help
  const char* shortcut;
};
const MenuEntry kMenuEntries[] = {
    {"Menu_File_New", 0, "Ctrl+N"},
    {"Menu_File_Open", 0, "Ctrl+O"},
    {"Menu_File_Save", 0, "Ctrl+S"},
    {"Menu_File_Save_As", 0, ""},
    {"Menu_File_Print", 0, "Ctrl+P"},
    {"Menu_File_Print_Preview", 0, ""},
    {"Menu_File_Print_Setup", 0, ""},
    {"Menu_App_Exit", 0, ""},
    {"Menu_Program_ReadData", 1, "Ctrl+R"},
    {"Menu_Program_WriteData", 1, "Ctrl+W"},
    {"Menu_Program_TestMode", 1, "Ctrl+T"},
    {"Menu_Setting_Port", 2, "Ctrl+C"},
    {"Menu_Setting_Language", 2, "Ctrl+L"},
    {"Menu_Help_Help", 3, ""},
    {"Menu_App_About", 3, ""},
};
const char* const kMenuTitles[] = {"Menu_File", "Menu_Program", "Menu_Setting", "Menu_Help"};
const char* const kToolTips[] = {"IDS_TIP_57600", "IDS_TIP_57601", "IDS_TIP_57603", "IDS_TIP_32771",
                                 "IDS_TIP_32772", "IDS_TIP_57607", "IDS_TIP_32775"};

// Every text-bearing number of the dialogs, with the width of its box in dialog units and what
// the box spends on other things than text (check mark, radio circle, button edges). 0 as a
// width: no fixed box (captions; the status line, which is overwritten while running).
// 65535 is missing on purpose: one entry would rename every unnamed control of every dialog,
// the "0" and "255" scale labels of the test mode among them.
struct ResourceBox {
  int number;
  int widthDu;
  int chromeDu;
};
constexpr int kCheck = 12;   // a check box's or radio button's mark and gap
constexpr int kButton = 8;   // a push button's edges
const ResourceBox kResources[] = {
    // about box
    {100, 0, 0}, {1015, 152, 0},
    // form
    {101, 0, 0}, {1020, 179, kButton}, {1021, 52, 0}, {1025, 75, 0}, {1029, 78, 0}, {1031, 75, 0},
    {1033, 75, 0}, {1035, 75, 0}, {1037, 78, 0}, {1039, 52, 0}, {1041, 52, 0}, {1043, 75, 0},
    {1045, 52, 0}, {1047, 78, 0}, {1049, 78, 0}, {1051, 52, 0}, {1023, 49, kCheck}, {1024, 65, kCheck},
    // communication port
    {130, 0, 0}, {1001, 36, kCheck}, {1002, 36, kCheck}, {1003, 36, kCheck}, {1004, 36, kCheck},
    {1005, 36, kCheck}, {1006, 36, kCheck}, {1007, 36, kCheck}, {1008, 36, kCheck},
    {1011, 123, kButton}, {1012, 38, kCheck},
    // OK and Cancel of every dialog (the narrowest ones: 37 by 14 in the progress dialog)
    {1, 37, kButton}, {2, 37, kButton},
    // language
    {131, 0, 0}, {1013, 63, 0},
    // progress
    {132, 0, 0}, {1010, 159, 0},
    // test mode: slider labels, value labels (they end where the value field begins), buttons
    {137, 0, 0}, {1110, 61, 0}, {1118, 61, 0}, {1122, 61, 0}, {1111, 61, 0}, {1126, 61, 0},
    {1130, 61, 0}, {1115, 42, 0}, {1120, 42, 0}, {1124, 42, 0}, {1114, 42, 0}, {1128, 42, 0},
    {1132, 42, 0}, {1169, 67, kButton}, {1170, 75, kButton},
    // test-mode password
    {139, 0, 0}, {1172, 99, 0},
};

struct NumberedListCase {
  const char* section;
  std::size_t entries;  // exactly as many as the stored field has values
};
const NumberedListCase kLists[] = {
    {"VoiceAnnunciation", 3}, {"PttId", 4}, {"MonitorKey", 7}, {"ScanMode", 2}};

// Channel grid column widths in pixels, column 0 to 11; columns 0 to 4 may wrap their heading
// onto two lines.
const int kColumnPx[12] = {40, 80, 70, 80, 70, 70, 60, 70, 70, 73, 70, 70};
constexpr int kWrappedColumns = 5;

std::string Raw(const std::string& path, std::string_view section, std::string_view key) {
  return profile::GetString(path, section, key, "", kUncut);
}

// Width in average Latin characters: one per ASCII byte, two per wide (CJK) character.
int AverageChars(std::string_view text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      ++width;
    } else if ((b & 0xC0) != 0x80) {
      width += b >= 0xE0 ? 2 : 1;  // three- and four-byte sequences are the wide scripts here
    }
  }
  return width;
}

std::size_t Utf8Characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Returns the offset of
// the first bad byte, or npos.
std::size_t FirstInvalidUtf8(const std::vector<std::uint8_t>& bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t b = bytes[i];
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) { ++i; continue; }
    if (b >= 0xC2 && b <= 0xDF) { len = 2; cp = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { len = 3; cp = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { len = 4; cp = b & 0x07; }
    else return i;
    if (i + len > bytes.size()) return i;
    for (std::size_t k = 1; k < len; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (bytes[i + k] & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return i;
    i += len;
  }
  return std::string::npos;
}

std::set<std::string> LowerKeys(const std::string& path, std::string_view section) {
  std::set<std::string> keys;
  for (std::string k : profile::GetKeys(path, section)) {
    std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::tolower(c); });
    keys.insert(k);
  }
  return keys;
}

class ShippedLanguageFile : public ::testing::TestWithParam<ShippedFile> {
 protected:
  std::string path() const { return PathOf(GetParam()); }
  bool english() const { return std::string_view(GetParam().name) == "english"; }
};

TEST_P(ShippedLanguageFile, IsValidUtf8AndNamedInTheLanguageDialog) {
  const std::vector<std::uint8_t> bytes = test::ReadBytes(path());
  ASSERT_FALSE(bytes.empty()) << path();
  EXPECT_EQ(FirstInvalidUtf8(bytes), std::string::npos);
  EXPECT_EQ(GetFaceName(path()), GetParam().disp);
}

TEST_P(ShippedLanguageFile, EveryStringKeyHasAText) {
  for (const char* key : kStringKeys) {
    SCOPED_TRACE(key);
    const std::string text = GetLangStringFrom(path(), key);
    EXPECT_NE(text, kLangNotFound);
    EXPECT_FALSE(text.empty());
  }
}

// The texts that get a number or a name filled in carry exactly one place for it, and no
// other "%" that could be taken for one.
TEST_P(ShippedLanguageFile, FillInTextsHaveTheirOnePlaceholder) {
  const std::pair<const char*, const char*> keys[] = {
      {"IDS_WARN_INCOMPLETE", "%d"}, {"IDS_CLI_INCOMPLETE", "%d"}, {"IDS_CLI_MODELCOUNT", "%d"},
      {"IDS_ERROR_PORTTRIED", "%s"}, {"IDS_ERROR_PORTSEARCHED", "%s"}};
  for (const auto& [key, placeholder] : keys) {
    SCOPED_TRACE(key);
    const std::string text = GetLangStringFrom(path(), key);
    EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 1);
    EXPECT_NE(text.find(placeholder), std::string::npos);
  }
}

TEST_P(ShippedLanguageFile, StringsFitTheirBuffer) {
  for (const std::string& key : profile::GetKeys(path(), "String")) {
    SCOPED_TRACE(key);
    EXPECT_LE(Raw(path(), "String", key).size(), kStringMax);
  }
}

TEST_P(ShippedLanguageFile, MenuEntriesCarryMnemonicsAndTheirAccelerators) {
  std::map<int, std::set<char>> mnemonics;  // per drop-down; index 4 for the menu bar
  auto mnemonicOf = [](const std::string& text) -> char {
    const std::size_t amp = text.find('&');
    if (amp == std::string::npos || amp + 1 >= text.size()) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[amp + 1])));
  };
  for (const MenuEntry& e : kMenuEntries) {
    SCOPED_TRACE(e.key);
    const std::string text = GetLangStringFrom(path(), e.key);
    const char m = mnemonicOf(text);
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(m))) << text;
    EXPECT_TRUE(mnemonics[e.menu].insert(m).second) << "mnemonic used twice: " << m;
    const std::size_t tab = text.find('\t');
    if (*e.shortcut == '\0') {
      EXPECT_EQ(tab, std::string::npos) << text;
    } else {
      ASSERT_NE(tab, std::string::npos) << text;
      EXPECT_EQ(text.substr(tab + 1), e.shortcut);
      EXPECT_EQ(text.find('\t', tab + 1), std::string::npos);
    }
    EXPECT_EQ(text.find('\n'), std::string::npos);
  }
  for (const char* key : kMenuTitles) {
    SCOPED_TRACE(key);
    const std::string text = GetLangStringFrom(path(), key);
    const char m = mnemonicOf(text);
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(m))) << text;
    EXPECT_TRUE(mnemonics[4].insert(m).second) << "mnemonic used twice: " << m;
    EXPECT_EQ(text.find('\t'), std::string::npos);
  }
}

TEST_P(ShippedLanguageFile, ToolTipsAreNotCut) {
  for (const char* key : kToolTips) {
    SCOPED_TRACE(key);
    const std::string text = GetLangStringFrom(path(), key);
    // The tip field holds 19 characters; in bytes, so a wide script is not cut either.
    EXPECT_LE(text.size(), kTipMax) << text;
    if (english()) {
      EXPECT_LE(Utf8Characters(text), kTipMax);
    }
  }
}

TEST_P(ShippedLanguageFile, OffIsNotReadAsATone) {
  // The tone editor commits the text of its item in upper case; text-to-tone takes a leading
  // digit or D as a tone.
  const std::string off = GetLangStringFrom(path(), "IDS_OFF");
  ASSERT_FALSE(off.empty());
  const char first = off.front();
  EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(first))) << off;
  EXPECT_NE(first, 'D') << off;
  EXPECT_NE(first, 'd') << off;
}

TEST_P(ShippedLanguageFile, ChoicePairsAreToldApartByPrefix) {
  // The choice editor selects the item whose text begins with the cell's text, so neither text
  // of a pair may begin with the other.
  const std::pair<const char*, const char*> pairs[] = {
      {"IDS_YES", "IDS_NO"}, {"IDS_WIDE", "IDS_NARROW"}, {"IDS_LOW", "IDS_HIGH"}};
  for (const auto& [a, b] : pairs) {
    SCOPED_TRACE(std::string(a) + " / " + b);
    const std::string ta = GetLangStringFrom(path(), a);
    const std::string tb = GetLangStringFrom(path(), b);
    EXPECT_FALSE(ta.starts_with(tb)) << ta << " / " << tb;
    EXPECT_FALSE(tb.starts_with(ta)) << ta << " / " << tb;
  }
}

TEST_P(ShippedLanguageFile, TextsThatGetSomethingAppendedEndTheRightWay) {
  // A percentage or dots follow these directly, so they end in a letter or character.
  for (const char* key : {"IDS_PROMPT_READ", "IDS_PROMPT_WRITE", "IDS_SEARCHCOMPORT"}) {
    SCOPED_TRACE(key);
    const std::string text = GetLangStringFrom(path(), key);
    ASSERT_FALSE(text.empty());
    const auto last = static_cast<unsigned char>(text.back());
    EXPECT_FALSE(std::ispunct(last) || std::isspace(last)) << text;
    for (const char* wide : {"。", "：", "…", "！"}) EXPECT_FALSE(text.ends_with(wide)) << text;
  }
  // The path follows the save question directly: on a line of its own.
  EXPECT_TRUE(GetLangStringFrom(path(), "IDS_WARN_SAVE").ends_with('\n'));
  // The file type is matched by its text, whatever the language.
  EXPECT_EQ(GetLangStringFrom(path(), "IDS_FILE_FILTER"), "Radio Program Data Files(*.dig)");
}

TEST_P(ShippedLanguageFile, PortErrorSaysWhatToCheckOnLinux) {
  const std::string text = GetLangStringFrom(path(), "IDS_ERROR_PORTCONN");
  for (const char* word : {"dialout", "usermod -aG dialout", "ModemManager", "udev", "brltty",
                           "CH340", "[ports]", "/dev/ttyUSB0"}) {
    EXPECT_NE(text.find(word), std::string::npos) << word;
  }
}

TEST_P(ShippedLanguageFile, EveryDialogNumberHasAText) {
  std::set<std::string> known;
  for (const ResourceBox& r : kResources) {
    const std::string key = std::to_string(r.number);
    known.insert(key);
    SCOPED_TRACE(key);
    EXPECT_FALSE(Raw(path(), "Resource", key).empty());
  }
  // Nothing else: an entry for an edit field or a list would overwrite its contents, and 65535
  // would rename every unnamed control of every dialog.
  for (const std::string& key : profile::GetKeys(path(), "Resource"))
    EXPECT_TRUE(known.count(key)) << "unexpected Resource entry " << key;
}

TEST_P(ShippedLanguageFile, DialogTextsFitTheirBoxes) {
  // A rough budget: the dialog font's average character is 4 dialog units wide, a CJK
  // character twice that.
  for (const ResourceBox& r : kResources) {
    if (r.widthDu == 0) continue;
    const std::string text = Raw(path(), "Resource", std::to_string(r.number));
    SCOPED_TRACE(std::to_string(r.number) + "=" + text);
    EXPECT_LE(AverageChars(text) * 4, r.widthDu - r.chromeDu);
  }
}

TEST_P(ShippedLanguageFile, ChannelGridHeadingsAreThereAndFit) {
  // At 8 points an average character is about 6 pixels wide; a heading of columns 0 to 4 may
  // take two lines, broken at blanks.
  constexpr int kPxPerChar = 6;
  for (int c = 0; c < kChannelColumns; ++c) {
    const std::string key = "IDS_ChText" + std::to_string(c);
    const std::string text = Raw(path(), "ChText", key);
    SCOPED_TRACE(key + "=" + text);
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), kShortMax);
    const int room = kColumnPx[c] - 4;
    if (c >= kWrappedColumns) {
      EXPECT_LE(AverageChars(text) * kPxPerChar, room);
    } else {
      int line = 0, lines = 1;
      std::size_t at = 0;
      while (at <= text.size()) {
        const std::size_t blank = std::min(text.find(' ', at), text.size());
        const int word = AverageChars(std::string_view(text).substr(at, blank - at));
        EXPECT_LE(word * kPxPerChar, room) << "word too wide";
        if (line > 0 && (line + 1 + word) * kPxPerChar > room) {
          ++lines;
          line = word;
        } else {
          line += (line > 0 ? 1 : 0) + word;
        }
        at = blank + 1;
      }
      EXPECT_LE(lines, 2);
    }
  }
}

TEST_P(ShippedLanguageFile, NumberedListsHoldExactlyWhatTheFieldCanStore) {
  for (const NumberedListCase& l : kLists) {
    SCOPED_TRACE(l.section);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < l.entries; ++i) expected.push_back(std::to_string(i));
    EXPECT_EQ(profile::GetKeys(path(), l.section), expected);
    std::set<std::string> seen;
    for (const std::string& key : expected) {
      const std::string text = Raw(path(), l.section, key);
      EXPECT_FALSE(text.empty()) << key;
      EXPECT_LE(text.size(), kShortMax) << key;
      EXPECT_TRUE(seen.insert(text).second) << "entry twice: " << text;
    }
  }
}

TEST_P(ShippedLanguageFile, OnlyTheStringSectionUsesEscapesAndNoValueIsQuoted) {
  const std::string text = test::ReadText(path());
  std::string section;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t lf = std::min(text.find('\n', at), text.size());
    const std::string_view line = std::string_view(text).substr(at, lf - at);
    at = lf + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      section = std::string(line.substr(1, line.find(']') - 1));
      continue;
    }
    const std::size_t eq = line.find('=');
    ASSERT_NE(eq, std::string_view::npos) << "not a key line: " << line;
    const std::string_view value = line.substr(eq + 1);
    EXPECT_NE(line.back(), '\r') << line;
    if (!value.empty()) {
      EXPECT_NE(value.front(), '"') << line;
      EXPECT_NE(value.front(), '\'') << line;
      EXPECT_NE(value.front(), ' ') << line;
      EXPECT_NE(value.back(), ' ') << line;
    }
    if (section != "String") {
      EXPECT_EQ(value.find('\\'), std::string_view::npos) << line;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLanguageFile, ::testing::ValuesIn(kShipped),
                         [](const ::testing::TestParamInfo<ShippedFile>& info) {
                           return std::string(info.param.name);
                         });

TEST(ShippedLanguageFiles, HaveTheSameKeysInEverySection) {
  const std::string english = PathOf(kShipped[0]);
  const std::string chinese = PathOf(kShipped[1]);
  const std::vector<std::string> sections = profile::GetSections(english);
  EXPECT_EQ(profile::GetSections(chinese), sections);
  for (const std::string& s : sections) {
    SCOPED_TRACE(s);
    EXPECT_EQ(LowerKeys(chinese, s), LowerKeys(english, s));
  }
}

TEST(ShippedLanguageFiles, AreOfferedByTheLanguageDialog) {
  std::map<std::string, std::string> offered;
  for (const LanguageFile& f : ListLanguageFiles(ResourcesDir())) offered[f.name] = f.displayName;
  for (const ShippedFile& f : kShipped) {
    SCOPED_TRACE(f.name);
    ASSERT_TRUE(offered.count(f.name));
    EXPECT_EQ(offered[f.name], f.disp);
  }
}

// The checks above must be able to fail: a file with the usual mistakes is caught by the same
// helpers.
TEST(ShippedLanguageFiles, TheChecksCatchABrokenFile) {
  test::TempDir dir;
  const std::string path = dir.Write("broken.lang",
                                     "[Face]\ndisp=\n"
                                     "[String]\nIDS_OFF=Dis\nIDS_TIP_57600=A tool tip far too long\n"
                                     "Menu_File_New=New\tCtrl+N\n"
                                     "[PttId]\n0=Off\n1=Start\n3=End\n");
  EXPECT_EQ(GetLangStringFrom(path, "IDS_WINDOWNAME"), kLangNotFound);
  EXPECT_EQ(GetLangStringFrom(path, "IDS_OFF").front(), 'D');
  EXPECT_GT(GetLangStringFrom(path, "IDS_TIP_57600").size(), kTipMax);
  EXPECT_EQ(GetLangStringFrom(path, "Menu_File_New").find('&'), std::string::npos);
  EXPECT_NE(profile::GetKeys(path, "PttId"), (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_TRUE(GetFaceName(path).empty());
  EXPECT_NE(FirstInvalidUtf8({'a', 0xC0, 0xAF}), std::string::npos);       // overlong '/'
  EXPECT_NE(FirstInvalidUtf8({0xED, 0xA0, 0x80}), std::string::npos);      // surrogate
  EXPECT_NE(FirstInvalidUtf8({0xE7, 0xAE}), std::string::npos);            // cut short
  EXPECT_EQ(FirstInvalidUtf8({0xE7, 0xAE, 0x80, 'x'}), std::string::npos); // 简
  EXPECT_EQ(AverageChars("信道 CH"), 7);
}

}  // namespace
}  // namespace rondel
