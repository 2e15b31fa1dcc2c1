// The language-file lookups: the escapes and default of "String", each section's buffer (a
// value of exactly the buffer's size loses its last byte; the INI layer's own cuts are tested
// there), the grid headings, the numbered lists, the installed files, the start-up language,
// and the two shipped files against every key the program's sources name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "platform/profile.h"
#include "shell/language.h"
#include "shell_rig.h"

namespace rondel {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::string X(std::size_t n, char c = 'x') { return std::string(n, c); }

using LanguageLookup = test::ShellRig;

TEST_F(LanguageLookup, StringsResourcesAndFaceNamesTakeTheirOwnRules) {
  UseLanguage("[String]\nesc=one\\ntwo\\tthree\\n\ndoubled=a\\\\nb\nother=C:\\x\\N\\T\\\nempty=\n"
              "s999=" + X(999) + "\ns1000=" + X(1000) + "\ncut=" + X(998) + "\\n\n"
              "[Resource]\n1=Port\\n1\n2=" + X(1024) + "\n3=in Resource only\n"
              "[Face]\ndisp=" + X(100) + "\n");
  const std::string path = g_strLangPath;
  const std::pair<std::string, std::string> cases[] = {
      {GetLangString("esc"), "one\ntwo\tthree\n"},
      {GetLangString("doubled"), "a\\\nb"},
      {GetLangString("other"), "C:\\x\\N\\T\\"},
      {GetLangString("empty"), ""},
      {GetLangString("missing"), "Not Found"},
      {GetLangString("1"), "Not Found"},
      {GetLangString("s999"), X(999)},
      {GetLangString("s1000"), X(999)},
      // The cut comes first: an escape whose letter is cut off leaves its backslash.
      {GetLangString("cut"), X(998) + "\\"},
      {GetResourceText(1), "Port\\n1"},
      {GetResourceText(2), X(1023)},
      {GetResourceText(4), ""},
      {GetFaceName(path), X(99)},
      {GetFaceName(dir.Write("noface.lang", "[String]\ndisp=x\n")), "-----"},
      {GetFaceName(dir.Write("emptyface.lang", "[Face]\ndisp=\n")), ""},
      {GetLangStringFrom(dir.Write("o.lang", "[String]\nesc=other\\tfile\n"), "esc"), "other\tfile"},
      {GetLangStringFrom(dir.File("gone.lang"), "esc"), "Not Found"},
      {IncompleteFileText(4143), "Not Found"},
  };
  int i = 0;
  for (const auto& [got, want] : cases) EXPECT_EQ(got, want) << "case " << i++;
  UseLanguage("[String]\nIDS_WARN_INCOMPLETE=only %d of %d bytes\n");
  EXPECT_EQ(IncompleteFileText(4143), "only 4143 of %d bytes");
}

TEST(FillIn, ReplacesOnlyTheFirstPlaceholder) {
  EXPECT_EQ(FillIn("%d of %d", "%d", "5"), "5 of %d");
  EXPECT_EQ(FillIn("port %s.", "%s", "%s%d"), "port %s%d.");
  EXPECT_EQ(FillIn("no place", "%d", "5"), "no place");
}

TEST_F(LanguageLookup, AMissingHeadingRepeatsTheOneBeforeIt) {
  const std::string h = X(29, 'h');
  UseLanguage("[ChText]\nIDS_ChText1=" + h + "h\nIDS_ChText3=TX\nIDS_ChText11=Last\n"
              "IDS_ChText12=no\nIDS_ChText04=no\n");
  EXPECT_EQ(GetChannelHeadings(), (std::vector<std::string>{"", h, h, "TX", "TX", "TX", "TX",
                                                             "TX", "TX", "TX", "TX", "Last"}));
  g_strLangPath = dir.File("gone.lang");
  EXPECT_EQ(GetChannelHeadings(), std::vector<std::string>(12));
}

TEST_F(LanguageLookup, NumberedListsEndAtAGapAndNeverOfferMoreThanTheFieldHolds) {
  std::string lists;
  for (const char* section : {"VoiceAnnunciation", "PttId", "MonitorKey"}) {
    lists += "[" + std::string(section) + "]\n";
    for (int i = 0; i < 9; ++i) lists += std::to_string(i) + "=" + section[0] + std::to_string(i) + "\n";
  }
  UseLanguage(lists + "[ScanMode]\n0=" + X(30, 's') + "\n1=b\n2=c\n");
  const std::pair<NumberedList, std::vector<std::string>> full[] = {
      {NumberedList::VoiceAnnunciation, {"V0", "V1", "V2"}},
      {NumberedList::PttId, {"P0", "P1", "P2", "P3"}},
      {NumberedList::MonitorKey, {"M0", "M1", "M2", "M3", "M4", "M5", "M6"}},
      {NumberedList::ScanMode, {X(29, 's'), "b"}},
  };
  for (const auto& [list, want] : full) {
    EXPECT_EQ(GetNumberedList(list), want) << NumberedListSection(list);
    EXPECT_EQ(NumberedListCapacity(list), want.size());
  }
  UseLanguage("[PttId]\n0=a\n1=\n2=c\n[MonitorKey]\n0=a\n1=b\n3=d\n[VoiceAnnunciation]\n1=x\n");
  EXPECT_EQ(GetNumberedList(NumberedList::PttId), std::vector<std::string>{"a"});
  EXPECT_EQ(GetNumberedList(NumberedList::MonitorKey), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(GetNumberedList(NumberedList::VoiceAnnunciation).empty());
  EXPECT_TRUE(GetNumberedList(NumberedList::ScanMode).empty());
}

TEST(LanguageFiles, TheDialogOffersTheReadableLangFilesByName) {
  TempDir folder;
  folder.Write("b.lang", "[Face]\ndisp=Bee\n");
  folder.Write("a.lang", "[Face]\ndisp=Ay\n");
  folder.Write("noface.lang", "[String]\nIDS_OFF=Off\n");
  folder.Write("empty.lang", "[Face]\ndisp=\n");
  folder.Write(".lang", "[Face]\ndisp=Dot\n");
  folder.Write("lang", "[Face]\ndisp=Bare\n");
  folder.Write("c.lang.bak", "[Face]\ndisp=Backup\n");
  fs::create_directory(folder.File("d.lang"));
  ::mkfifo(folder.File("p.lang").c_str(), 0600);
  std::vector<std::string> got;
  for (const LanguageFile& f : ListLanguageFiles(folder.path()))
    got.push_back(f.name + "|" + f.displayName + "|" + f.path);
  const std::string at = folder.path() + "/";
  EXPECT_EQ(got, (std::vector<std::string>{"a|Ay|" + at + "a.lang", "b|Bee|" + at + "b.lang",
                                           "noface|-----|" + at + "noface.lang"}));
  EXPECT_TRUE(ListLanguageFiles(folder.File("none")).empty());
}

// Sets the three locale variables for one case and puts them back when it goes.
class Locale {
 public:
  using V = std::optional<std::string>;
  Locale(V all, V messages, V lang) {
    const V values[] = {all, messages, lang};
    for (int i = 0; i < 3; ++i) {
      if (const char* v = std::getenv(kVars[i])) m_saved[i] = v;
      Set(kVars[i], values[i]);
    }
  }
  ~Locale() {
    for (int i = 0; i < 3; ++i) Set(kVars[i], m_saved[i]);
  }

 private:
  static void Set(const char* var, const V& v) { v ? ::setenv(var, v->c_str(), 1) : ::unsetenv(var); }
  static constexpr const char* kVars[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  V m_saved[3];
};

TEST(StartLanguage, TheFirstSetLocaleVariableDecidesOnZhCn) {
  const auto no = std::nullopt;
  const struct {
    Locale::V all, messages, lang;
    const char* expected;
  } cases[] = {
      {no, no, no, "english"},          {no, no, "zh_CN.UTF-8", "chinese"},
      {no, no, "zh_CN", "chinese"},     {no, no, "zh_C", "english"},
      {no, no, "zh_TW.UTF-8", "english"}, {no, no, "", "english"},
      {no, "zh_CN", "en_US", "chinese"}, {no, "en_US", "zh_CN", "english"},
      {"C", "zh_CN", "zh_CN", "english"}, {"zh_CN", no, "en_US", "chinese"},
      {"", "", "zh_CN", "chinese"},
  };
  for (const auto& c : cases) {
    const Locale locale(c.all, c.messages, c.lang);
    EXPECT_EQ(DefaultLanguageName(), c.expected)
        << c.all.value_or("-") << " " << c.messages.value_or("-") << " " << c.lang.value_or("-");
  }
}

TEST(StartLanguage, TheSettingsFileNamesTheLanguageElseTheLocaleDoes) {
  const Locale locale(std::nullopt, std::nullopt, "zh_CN.UTF-8");
  TempDir dir;
  const std::string named = dir.Write("named.ini", "[SETUP]\nLanguage = klingon\n");
  EXPECT_EQ(ChooseLanguagePath("/p", named), "/p/klingon.lang");
  EXPECT_EQ(test::ReadText(named), "[SETUP]\nLanguage = klingon\n");
  EXPECT_EQ(ChooseLanguagePath("/p", dir.Write("empty.ini", "[setup]\nlanguage=\n")),
            "/p/chinese.lang");
  EXPECT_EQ(ChooseLanguagePath("/p", dir.File("none.ini")), "/p/chinese.lang");
  EXPECT_FALSE(fs::exists(dir.File("none.ini")));
}

// ---- the shipped files ----------------------------------------------------------------

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::set<std::string> KeysOf(const std::string& path) {
  std::set<std::string> keys;
  for (const std::string& section : profile::GetSections(path))
    for (const std::string& key : profile::GetKeys(path, section)) keys.insert(Lower(section + "/" + key));
  return keys;
}

const std::string kResources = std::string(RONDEL_SOURCE_DIR) + "/resources/";

TEST(ShippedLanguageFiles, HoldEveryKeyTheProgramNamesAndTheSameKeys) {
  const std::set<std::string> english = KeysOf(kResources + "english.lang");
  EXPECT_EQ(KeysOf(kResources + "chinese.lang"), english);
  std::set<std::string> named;  // every "IDS_..." and "Menu_..." literal of the program
  const std::regex literal("\"((IDS|Menu)_[A-Za-z0-9_]*[A-Za-z0-9])\"");
  for (const char* folder : {"core", "link", "platform", "shell", "tools", "view", "grid"}) {
    if (!fs::exists(std::string(RONDEL_SOURCE_DIR) + "/" + folder)) continue;
    for (const auto& e : fs::recursive_directory_iterator(std::string(RONDEL_SOURCE_DIR) + "/" + folder)) {
      if (!e.is_regular_file()) continue;
      std::ifstream in(e.path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string s = text.str();
      for (std::sregex_iterator m(s.begin(), s.end(), literal), end; m != end; ++m)
        named.insert((*m)[1]);
    }
  }
  EXPECT_GT(named.size(), 100u);
  for (const std::string& key : named) {
    if (key == "IDS_ChText") continue;  // the stem of the heading keys
    const std::string section = key.starts_with("IDS_ChText") ? "chtext/" : "string/";
    EXPECT_TRUE(english.count(Lower(section + key))) << key;
  }
}

TEST(ShippedLanguageFiles, NameThemselvesAndFillEveryListToItsField) {
  const std::pair<const char*, const char*> files[] = {{"english", "English"}, {"chinese", "简体中文"}};
  for (const auto& [name, disp] : files) {
    SCOPED_TRACE(name);
    const std::string path = kResources + name + ".lang";
    EXPECT_EQ(GetFaceName(path), disp);
    for (const NumberedList list : {NumberedList::VoiceAnnunciation, NumberedList::PttId,
                                    NumberedList::MonitorKey, NumberedList::ScanMode})
      EXPECT_EQ(profile::GetKeys(path, NumberedListSection(list)).size(), NumberedListCapacity(list));
    for (const char* key : {"IDS_WARN_INCOMPLETE", "IDS_CLI_INCOMPLETE", "IDS_CLI_MODELCOUNT"}) {
      const std::string text = GetLangStringFrom(path, key);
      EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 1) << key;
      EXPECT_NE(text.find("%d"), std::string::npos) << key;
    }
  }
}

}  // namespace
}  // namespace rondel
