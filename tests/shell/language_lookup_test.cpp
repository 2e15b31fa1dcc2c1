// The language-file lookups on files written by the test: escapes, cuts and defaults of each
// section, the grid headings, the form's numbered lists (and that no list can reach a
// neighbouring bit field), the installed-language list and the start-up choice of language.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/image_layout.h"
#include "core/rondel_doc.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ReadText;
using test::TempDir;

const std::string kNotFound = "Not Found";

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// Points the current language file at a file of the test and puts the process-wide paths
// back afterwards, so no other test sees our files.
class LanguageLookup : public testing::Test {
 protected:
  void SetUp() override {
    m_savedExe = g_strExeDir;
    m_savedIni = g_strIniPath;
    m_savedLang = g_strLangPath;
  }
  void TearDown() override { SetAppPaths(m_savedExe, m_savedIni, m_savedLang); }

  // Writes `text` as the current language file and returns its path.
  std::string UseLanguage(const std::string& text, const std::string& name = "test.lang") {
    const std::string path = m_dir.Write(name, text);
    SetAppPaths(m_dir.path(), m_dir.File("setting.ini"), path);
    return path;
  }
  void UseMissingLanguage() {
    SetAppPaths(m_dir.path(), m_dir.File("setting.ini"), m_dir.File("no-such.lang"));
  }

  TempDir m_dir;

 private:
  std::string m_savedExe, m_savedIni, m_savedLang;
};

// ---------------------------------------------------------------------------------------
// "String": escapes, cut, defaults

struct EscapeCase {
  const char* what;
  std::string raw;       // as written in the file
  std::string expected;  // what the lookup gives
};

const EscapeCase kEscapeCases[] = {
    {"line feed between words", R"(one\ntwo)", "one\ntwo"},
    {"tab between words", R"(one\ttwo)", "one\ttwo"},
    {"a Windows path", R"(C:\new\table)", "C:\new\table"},
    {"both escapes in a row", R"(\n\t\n)", "\n\t\n"},
    {"adjacent line feeds", R"(a\n\nb)", "a\n\nb"},
    {"other letters stay", R"(a\N\T\r\x\b)", R"(a\N\T\r\x\b)"},
    {"a digit after the backslash stays", R"(\0\9)", R"(\0\9)"},
    {"a backslash at the end stays", R"(end\)", R"(end\)"},
    // The doubled backslash is no escape: the first backslash-n pair found is the second
    // backslash with the n, so one backslash is left before the line feed.
    {"doubled backslash before n", R"(a\\nb)", "a\\\nb"},
    {"doubled backslash before t", R"(a\\tb)", "a\\\tb"},
    {"tripled backslash before n", R"(a\\\nb)", "a\\\\\nb"},
    {"doubled backslash alone", R"(a\\b)", R"(a\\b)"},
    {"the escape takes only its letter", R"(\nt\tn)", "\nt\tn"},
};

TEST_F(LanguageLookup, StringTextsTurnBackslashNAndBackslashTIntoLineFeedAndTab) {
  std::string file = "[String]\n";
  for (std::size_t i = 0; i < std::size(kEscapeCases); ++i)
    file += "key" + std::to_string(i) + "=" + kEscapeCases[i].raw + "\n";
  UseLanguage(file);
  for (std::size_t i = 0; i < std::size(kEscapeCases); ++i) {
    SCOPED_TRACE(kEscapeCases[i].what);
    EXPECT_EQ(GetLangString("key" + std::to_string(i)), kEscapeCases[i].expected);
  }
}

TEST_F(LanguageLookup, ResourceTextsKeepEveryBackslash) {
  std::string file = "[Resource]\n";
  for (std::size_t i = 0; i < std::size(kEscapeCases); ++i)
    file += std::to_string(1000 + i) + "=" + kEscapeCases[i].raw + "\n";
  UseLanguage(file);
  for (std::size_t i = 0; i < std::size(kEscapeCases); ++i) {
    SCOPED_TRACE(kEscapeCases[i].what);
    EXPECT_EQ(GetResourceText(static_cast<int>(1000 + i)), kEscapeCases[i].raw);
  }
}

struct CutCase {
  const char* what;
  std::string raw;
  std::string expected;
};

TEST_F(LanguageLookup, StringTextsAreCutAt999BytesBeforeTheEscapes) {
  const std::string han = "中";  // three bytes in UTF-8
  const CutCase cases[] = {
      {"2000 characters", Repeat('x', 2000), Repeat('x', 999)},
      {"exactly 999", Repeat('x', 999), Repeat('x', 999)},
      {"1000", Repeat('x', 1000), Repeat('x', 999)},
      {"998 stay whole", Repeat('x', 998), Repeat('x', 998)},
      {"a wide character that just fits", Repeat('a', 996) + han + han, Repeat('a', 996) + han},
      {"a wide character across the cut is dropped whole", Repeat('a', 997) + han,
       Repeat('a', 997)},
      {"one byte short of a wide character", Repeat('a', 998) + han, Repeat('a', 998)},
      // The cut comes first: an escape that still fits becomes a line feed...
      {"escape inside the buffer", Repeat('a', 997) + R"(\nzzz)", Repeat('a', 997) + "\n"},
      // ...one whose letter is cut off leaves its backslash.
      {"escape cut in half", Repeat('a', 998) + R"(\n)", Repeat('a', 998) + "\\"},
      {"escapes shorten the text after the cut", Repeat('a', 995) + R"(\n\tzz)",
       Repeat('a', 995) + "\n\t"},
  };
  std::string file = "[String]\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    file += "long" + std::to_string(i) + "=" + cases[i].raw + "\n";
  UseLanguage(file);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    const std::string got = GetLangString("long" + std::to_string(i));
    EXPECT_EQ(got.size(), cases[i].expected.size());
    EXPECT_EQ(got, cases[i].expected);
  }
}

TEST_F(LanguageLookup, MissingStringTextsReadNotFound) {
  UseLanguage(
      "[String]\n"
      "IDS_PRESENT=here\n"
      "IDS_EMPTY=\n"
      "[Resource]\n"
      "IDS_ELSEWHERE=in another section\n");
  EXPECT_EQ(GetLangString("IDS_PRESENT"), "here");
  EXPECT_EQ(GetLangString("IDS_ABSENT"), kNotFound);
  EXPECT_EQ(GetLangString("IDS_ELSEWHERE"), kNotFound);
  EXPECT_EQ(GetLangString(""), kNotFound);
  // A key that is there with no text is not missing: its text is empty, as the profile
  // functions give it.
  EXPECT_EQ(GetLangString("IDS_EMPTY"), "");

  UseLanguage("; a language file without any section\nIDS_PRESENT=here\n", "bare.lang");
  EXPECT_EQ(GetLangString("IDS_PRESENT"), kNotFound);

  UseMissingLanguage();
  for (const char* key : {"IDS_PRESENT", "IDS_OFF", "IDS_WINDOWNAME"}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(GetLangString(key), kNotFound);
  }
}

TEST_F(LanguageLookup, GetLangStringFromReadsTheNamedFileNotTheCurrentOne) {
  const std::string other = m_dir.Write("other.lang", "[String]\nIDS_X=other\\tfile\n");
  UseLanguage("[String]\nIDS_X=current\n");
  EXPECT_EQ(GetLangStringFrom(other, "IDS_X"), "other\tfile");
  EXPECT_EQ(GetLangString("IDS_X"), "current");
  EXPECT_EQ(GetLangStringFrom(m_dir.File("gone.lang"), "IDS_X"), kNotFound);
}

TEST_F(LanguageLookup, SectionsAndKeysMatchWithoutCase) {
  UseLanguage(
      "[sTrInG]\n"
      "ids_off=Aus\n"
      "[RESOURCE]\n"
      "1025=Sprachansage\n"
      "[chtext]\n"
      "ids_chtext0=Kanal\n"
      "[voiceannunciation]\n"
      "0=Aus\n"
      "1=Deutsch\n"
      "[face]\n"
      "DISP=Deutsch\n");
  EXPECT_EQ(GetLangString("IDS_OFF"), "Aus");
  EXPECT_EQ(GetLangString("Ids_Off"), "Aus");
  EXPECT_EQ(GetResourceText(1025), "Sprachansage");
  EXPECT_EQ(GetChannelHeadings().at(0), "Kanal");
  EXPECT_EQ(GetNumberedList(NumberedList::VoiceAnnunciation),
            (std::vector<std::string>{"Aus", "Deutsch"}));
  EXPECT_EQ(GetFaceName(g_strLangPath), "Deutsch");
}

// ---------------------------------------------------------------------------------------
// "Resource"

TEST_F(LanguageLookup, ResourceTextsAreCutAt1023BytesAndEmptyWhenMissing) {
  const std::string han = "中";
  const CutCase cases[] = {
      {"2000 characters", Repeat('r', 2000), Repeat('r', 1023)},
      {"exactly 1023", Repeat('r', 1023), Repeat('r', 1023)},
      {"1024", Repeat('r', 1024), Repeat('r', 1023)},
      {"a wide character that just fits", Repeat('r', 1020) + han + han, Repeat('r', 1020) + han},
      {"a wide character across the cut", Repeat('r', 1021) + han, Repeat('r', 1021)},
      {"no escapes, no cut", R"(Port\n1)", R"(Port\n1)"},
  };
  std::string file = "[Resource]\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    file += std::to_string(2000 + i) + "=" + cases[i].raw + "\n";
  file += "1=OK\n[String]\n1021=not a resource\n";
  UseLanguage(file);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(GetResourceText(static_cast<int>(2000 + i)), cases[i].expected);
  }
  EXPECT_EQ(GetResourceText(1), "OK");
  EXPECT_EQ(GetResourceText(1021), "");  // only in "String"
  EXPECT_EQ(GetResourceText(65535), "");

  UseMissingLanguage();
  EXPECT_EQ(GetResourceText(1), "");
}

// ---------------------------------------------------------------------------------------
// "ChText": the twelve grid headings

struct HeadingCase {
  const char* what;
  std::string section;  // body of [ChText]
  std::array<std::string, 12> expected;
};

TEST_F(LanguageLookup, ChannelHeadingsCarryTheColumnBeforeWhenAKeyIsMissing) {
  const std::string long40 = Repeat('h', 40);
  const std::string han10 = "一二三四五六七八九十";  // 30 bytes
  const HeadingCase cases[] = {
      {"all twelve",
       "IDS_ChText0=c0\nIDS_ChText1=c1\nIDS_ChText2=c2\nIDS_ChText3=c3\nIDS_ChText4=c4\n"
       "IDS_ChText5=c5\nIDS_ChText6=c6\nIDS_ChText7=c7\nIDS_ChText8=c8\nIDS_ChText9=c9\n"
       "IDS_ChText10=c10\nIDS_ChText11=c11\n",
       {"c0", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9", "c10", "c11"}},
      {"gaps repeat the previous heading",
       "IDS_ChText0=CH\nIDS_ChText3=TX\nIDS_ChText4=Tone\nIDS_ChText9=Opt\n",
       {"CH", "CH", "CH", "TX", "Tone", "Tone", "Tone", "Tone", "Tone", "Opt", "Opt", "Opt"}},
      {"column 0 missing is empty until the first key",
       "IDS_ChText2=RX tone\nIDS_ChText11=Last\n",
       {"", "", "RX tone", "RX tone", "RX tone", "RX tone", "RX tone", "RX tone", "RX tone",
        "RX tone", "RX tone", "Last"}},
      {"keys beyond column 11 and odd spellings are not read",
       "IDS_ChText12=twelve\nIDS_ChText01=zero-one\nIDS_ChText 1=blank\nIDS_ChText1=one\n",
       {"", "one", "one", "one", "one", "one", "one", "one", "one", "one", "one", "one"}},
      {"cut at 29 bytes, and the cut text is carried",
       "IDS_ChText0=" + long40 + "\nIDS_ChText1=" + han10 + "\n",
       {Repeat('h', 29), "一二三四五六七八九", "一二三四五六七八九", "一二三四五六七八九",
        "一二三四五六七八九", "一二三四五六七八九", "一二三四五六七八九", "一二三四五六七八九",
        "一二三四五六七八九", "一二三四五六七八九", "一二三四五六七八九",
        "一二三四五六七八九"}},
      {"no section at all", "", {}},
  };
  for (const HeadingCase& c : cases) {
    SCOPED_TRACE(c.what);
    UseLanguage(c.section.empty() ? "[String]\nIDS_OFF=Off\n" : "[ChText]\n" + c.section);
    const std::vector<std::string> headings = GetChannelHeadings();
    ASSERT_EQ(headings.size(), 12u);
    for (std::size_t col = 0; col < 12; ++col) EXPECT_EQ(headings[col], c.expected[col]) << col;
  }
  UseMissingLanguage();
  EXPECT_EQ(GetChannelHeadings(), std::vector<std::string>(12));
}

// ---------------------------------------------------------------------------------------
// Numbered lists of the form

struct ListShape {
  NumberedList list;
  const char* section;
  std::size_t capacity;  // values the stored field can take
};
const ListShape kLists[] = {
    {NumberedList::VoiceAnnunciation, "VoiceAnnunciation", 3},
    {NumberedList::PttId, "PttId", 4},
    {NumberedList::MonitorKey, "MonitorKey", 7},
    {NumberedList::ScanMode, "ScanMode", 2},
};

struct NumberedCase {
  const char* what;
  std::string body;
  std::vector<std::string> expected;
};

TEST_F(LanguageLookup, NumberedListsEndAtTheFirstMissingOrEmptyKey) {
  const NumberedCase cases[] = {
      {"a gap after key 1", "0=zero\n1=one\n3=three\n", {"zero", "one"}},
      {"an empty value ends the list", "0=zero\n1=\n2=two\n", {"zero"}},
      {"no key 0", "1=one\n2=two\n", {}},
      {"keys in any order", "1=one\n0=zero\n", {"zero", "one"}},
      {"cut at 29 bytes", "0=" + Repeat('e', 35) + "\n1=" + "一二三四五六七八九十\n",
       {Repeat('e', 29), "一二三四五六七八九"}},
      {"no such section", "", {}},
  };
  for (const ListShape& shape : kLists) {
    for (const NumberedCase& c : cases) {
      SCOPED_TRACE(std::string(shape.section) + ": " + c.what);
      UseLanguage(c.body.empty() ? "[String]\nIDS_OFF=Off\n"
                                 : "[" + std::string(shape.section) + "]\n" + c.body);
      EXPECT_EQ(GetNumberedList(shape.list), c.expected);
    }
  }
  UseMissingLanguage();
  for (const ListShape& shape : kLists) EXPECT_TRUE(GetNumberedList(shape.list).empty());
}

TEST_F(LanguageLookup, NumberedListsOfferNoMoreEntriesThanTheirFieldHolds) {
  for (const ListShape& shape : kLists) {
    SCOPED_TRACE(shape.section);
    std::string file = "[" + std::string(shape.section) + "]\n";
    std::vector<std::string> offered;
    for (int i = 0; i < 12; ++i) file += std::to_string(i) + "=entry " + std::to_string(i) + "\n";
    for (std::size_t i = 0; i < shape.capacity; ++i)
      offered.push_back("entry " + std::to_string(i));
    UseLanguage(file);
    EXPECT_EQ(NumberedListCapacity(shape.list), shape.capacity);
    EXPECT_STREQ(NumberedListSection(shape.list), shape.section);
    EXPECT_EQ(GetNumberedList(shape.list), offered);
  }
}

// Every index a long list offers, written as the form writes it, stays inside its own field.
struct FieldCase {
  NumberedList list;
  Setting setting;
  std::size_t offset;        // the byte the field lives in
  std::uint8_t fieldBits;    // its bits in that byte (all for a whole byte)
};
const FieldCase kFields[] = {
    {NumberedList::VoiceAnnunciation, Setting::VoicePrompt, 0x3C0, 0x0C},
    {NumberedList::PttId, Setting::PttIdMode, 0x3C0, 0x30},
    {NumberedList::ScanMode, Setting::ScanMode, 0x3C0, 0x40},
    {NumberedList::MonitorKey, Setting::SideKey1, 0x3C2, 0xFF},
    {NumberedList::MonitorKey, Setting::SideKey2, 0x3C5, 0xFF},
};

TEST_F(LanguageLookup, ALongerListCannotReachANeighbouringBitField) {
  std::string file;
  for (const ListShape& shape : kLists) {
    file += "[" + std::string(shape.section) + "]\n";
    for (int i = 0; i < 16; ++i) file += std::to_string(i) + "=item " + std::to_string(i) + "\n";
  }
  UseLanguage(file);
  for (const FieldCase& f : kFields) {
    const std::vector<std::string> entries = GetNumberedList(f.list);
    ASSERT_FALSE(entries.empty());
    for (const std::uint8_t start : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0xA5}}) {
      for (std::size_t index = 0; index < entries.size(); ++index) {
        SCOPED_TRACE(std::string(SettingName(f.setting)) + " start " + std::to_string(start) +
                     " index " + std::to_string(index));
        CRondelDoc doc;
        doc.image()[layout::kOptionByte] = start;
        for (std::size_t at = layout::kOptionByte + 1; at < layout::kOptionByte + 8; ++at)
          doc.image()[at] = start;
        const CRondelDoc::Image before = doc.image();
        EXPECT_TRUE(doc.SetSetting(f.setting, static_cast<int>(index)));
        EXPECT_EQ(doc.GetSetting(f.setting), static_cast<int>(index));
        // The option byte outside the field, and every other byte, as before.
        const auto optionMask =
            static_cast<std::uint8_t>(f.offset == layout::kOptionByte ? ~f.fieldBits : 0xFF);
        EXPECT_EQ(doc.image()[layout::kOptionByte] & optionMask, before[layout::kOptionByte] & optionMask);
        for (std::size_t at = 0; at < before.size(); ++at) {
          if (at == f.offset) continue;
          ASSERT_EQ(doc.image()[at], before[at]) << "byte " << at;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// "Face" and the installed language files

TEST_F(LanguageLookup, FaceNameDefaultsToDashesAndIsCutAt99Bytes) {
  struct FaceCase {
    const char* what;
    std::string file;
    std::string expected;
  };
  const FaceCase cases[] = {
      {"present", "[Face]\ndisp=Deutsch\n", "Deutsch"},
      {"no disp key", "[Face]\nname=Deutsch\n", "-----"},
      {"no Face section", "[String]\nIDS_OFF=Aus\n", "-----"},
      {"present but empty", "[Face]\ndisp=\n", ""},
      {"150 characters", "[Face]\ndisp=" + Repeat('d', 150) + "\n", Repeat('d', 99)},
      {"wide characters across the cut", "[Face]\ndisp=" + Repeat('d', 97) + "中\n",
       Repeat('d', 97)},
  };
  int i = 0;
  for (const FaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = m_dir.Write("face" + std::to_string(i++) + ".lang", c.file);
    EXPECT_EQ(GetFaceName(path), c.expected);
  }
  EXPECT_EQ(GetFaceName(m_dir.File("missing.lang")), "-----");
}

TEST_F(LanguageLookup, ListLanguageFilesOffersTheUsableLangFilesByName) {
  TempDir folder;
  // Written out of order on purpose.
  folder.Write("zulu.lang", "[Face]\ndisp=Zulu\n");
  folder.Write("alpha.lang", "[Face]\ndisp=Alpha\n");
  folder.Write("nodisp.lang", "[Face]\nname=none\n");
  folder.Write("noface.lang", "[String]\nIDS_OFF=Off\n");
  folder.Write("empty.lang", "[Face]\ndisp=\n");
  folder.Write("mid.lang", "[face]\nDisp=Middle\n");
  folder.Write("notes.txt", "[Face]\ndisp=Text\n");
  folder.Write("backup.lang.bak", "[Face]\ndisp=Backup\n");
  folder.Write("plainlang", "[Face]\ndisp=NoDot\n");
  folder.Write("lang", "[Face]\ndisp=JustLang\n");
  std::filesystem::create_directory(folder.File("folder.lang"));
  folder.Write("folder.lang/inner.lang", "[Face]\ndisp=Inner\n");
  // Neither a pipe nor a device can be a language file.
  ::mkfifo(folder.File("pipe.lang").c_str(), 0600);
  std::filesystem::create_symlink("/dev/zero", folder.File("zero.lang"));

  const std::vector<LanguageFile> files = ListLanguageFiles(folder.path());
  struct Expected {
    const char* name;
    const char* disp;
  };
  const Expected expected[] = {
      {"alpha", "Alpha"}, {"mid", "Middle"},    {"nodisp", "-----"},
      {"noface", "-----"}, {"zulu", "Zulu"},
  };
  ASSERT_EQ(files.size(), std::size(expected));
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(files[i].name, expected[i].name);
    EXPECT_EQ(files[i].displayName, expected[i].disp);
    EXPECT_EQ(files[i].path, folder.path() + "/" + expected[i].name + ".lang");
  }

  EXPECT_TRUE(ListLanguageFiles(folder.File("no-such-folder")).empty());
  TempDir none;
  EXPECT_TRUE(ListLanguageFiles(none.path()).empty());
}

// ---------------------------------------------------------------------------------------
// The language of start-up

// Saves the three locale variables and puts them back, set or unset, when it goes.
class LocaleGuard {
 public:
  LocaleGuard() {
    for (std::size_t i = 0; i < kVars.size(); ++i) {
      const char* v = std::getenv(kVars[i]);
      if (v) m_saved[i] = v;
    }
  }
  ~LocaleGuard() {
    for (std::size_t i = 0; i < kVars.size(); ++i) Set(kVars[i], m_saved[i]);
  }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;

  static void Set(const char* var, const std::optional<std::string>& value) {
    if (value)
      ::setenv(var, value->c_str(), 1);
    else
      ::unsetenv(var);
  }

  static constexpr std::array<const char*, 3> kVars = {"LC_ALL", "LC_MESSAGES", "LANG"};

 private:
  std::array<std::optional<std::string>, 3> m_saved;
};

struct LocaleCase {
  std::optional<std::string> lcAll, lcMessages, lang;
  const char* expected;
};

const LocaleCase kLocaleCases[] = {
    {std::nullopt, std::nullopt, "zh_CN.UTF-8", "chinese"},
    {std::nullopt, std::nullopt, "zh_CN", "chinese"},
    {std::nullopt, std::nullopt, "zh_CN.GB18030", "chinese"},
    {std::nullopt, std::nullopt, "zh_TW.UTF-8", "english"},
    {std::nullopt, std::nullopt, "zh_HK.UTF-8", "english"},
    {std::nullopt, std::nullopt, "zh", "english"},
    {std::nullopt, std::nullopt, "en_US.UTF-8", "english"},
    {std::nullopt, std::nullopt, "de_DE.UTF-8", "english"},
    {std::nullopt, std::nullopt, "C", "english"},
    {std::nullopt, std::nullopt, std::nullopt, "english"},
    {std::nullopt, std::nullopt, "", "english"},
    {"en_US.UTF-8", std::nullopt, "zh_CN.UTF-8", "english"},
    {"zh_CN.UTF-8", std::nullopt, "en_US.UTF-8", "chinese"},
    {"", std::nullopt, "zh_CN.UTF-8", "chinese"},
    {"", "", "zh_CN.UTF-8", "chinese"},
    {std::nullopt, "zh_CN.UTF-8", "en_US.UTF-8", "chinese"},
    {std::nullopt, "en_GB.UTF-8", "zh_CN.UTF-8", "english"},
    {"C", "zh_CN.UTF-8", "zh_CN.UTF-8", "english"},
    {"zh_CN.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "chinese"},
};

std::string Describe(const LocaleCase& c) {
  const auto show = [](const std::optional<std::string>& v) {
    return v ? "\"" + *v + "\"" : std::string("unset");
  };
  return "LC_ALL=" + show(c.lcAll) + " LC_MESSAGES=" + show(c.lcMessages) + " LANG=" + show(c.lang);
}

void ApplyLocale(const LocaleCase& c) {
  LocaleGuard::Set("LC_ALL", c.lcAll);
  LocaleGuard::Set("LC_MESSAGES", c.lcMessages);
  LocaleGuard::Set("LANG", c.lang);
}

TEST(StartLanguage, DefaultLanguageFollowsTheFirstSetLocaleVariable) {
  const LocaleGuard guard;
  for (const LocaleCase& c : kLocaleCases) {
    SCOPED_TRACE(Describe(c));
    ApplyLocale(c);
    EXPECT_EQ(DefaultLanguageName(), c.expected);
  }
}

TEST(StartLanguage, TheSettingsFileLanguageWinsOverTheLocaleAndTheFileStaysAsItWas) {
  const LocaleGuard guard;
  TempDir dir;
  struct IniCase {
    const char* what;
    std::optional<std::string> ini;  // nullopt: no settings file at all
    std::optional<std::string> named;  // the language the file names; nullopt: the locale's
  };
  const IniCase inis[] = {
      {"language key", "[setup]\r\nchannel=16\r\nlanguage=klingon\r\n", "klingon"},
      {"key spelt otherwise", "; comment\n[SETUP]\nLanguage = english\n", "english"},
      {"chinese named", "[setup]\nlanguage=chinese\n", "chinese"},
      {"empty key", "[setup]\nlanguage=\ncom=2\n", std::nullopt},
      {"commented-out key", "[setup]\n; language=english\n", std::nullopt},
      {"key in another section", "[ModelInfo]\nlanguage=klingon\n", std::nullopt},
      {"no settings file", std::nullopt, std::nullopt},
  };
  const std::string exeDir = dir.path() + "/program";
  for (const IniCase& ini : inis) {
    const std::string iniPath = dir.File("setting.ini");
    std::filesystem::remove(iniPath);
    if (ini.ini) dir.Write("setting.ini", *ini.ini);
    for (const LocaleCase& c : kLocaleCases) {
      SCOPED_TRACE(std::string(ini.what) + ", " + Describe(c));
      ApplyLocale(c);
      const std::string name = ini.named ? *ini.named : c.expected;
      EXPECT_EQ(ChooseLanguagePath(exeDir, iniPath), exeDir + "/" + name + ".lang");
      if (ini.ini) {
        EXPECT_EQ(ReadText(iniPath), *ini.ini);
      } else {
        EXPECT_FALSE(std::filesystem::exists(iniPath));
      }
    }
  }
}

}  // namespace
}  // namespace rondel
