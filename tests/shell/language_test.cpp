// SPDX-License-Identifier: GPL-3.0-or-later
// Language lookups: escapes, defaults and each section's buffer (a value of the buffer's size loses
// its last byte), headings, numbered lists, installed files, start-up language, shipped files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <array>
#include <filesystem>
#include <optional>
#include <fstream>
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
using Strings = std::vector<std::string>;
using LanguageLookup = test::ShellRig;

std::string X(std::size_t n, char c = 'x') { return std::string(n, c); }

TEST_F(LanguageLookup, StringsResourcesAndFaceNamesTakeTheirOwnRules) {
  UseLanguage("[String]\nesc=one\\n\\ntwo\\tthree\\n\ndoubled=a\\\\nb\nother=C:\\x\\N\\T\\\nempty=\ns999=" + X(999) +
              "\ns1000=" + X(1000) + "\ncut=" + X(998) + "\\n\nIDS_WARN_INCOMPLETE=only %d of %d\n"
              "[Resource]\n1=Port\\n1\n2=" + X(1024) + "\n[Face]\ndisp=" + X(100) + "\n");
  const std::pair<std::string, std::string> cases[] = {
      {GetLangString("esc"), "one\n\ntwo\tthree\n"}, {GetLangString("doubled"), "a\\\nb"},
      {GetLangString("other"), "C:\\x\\N\\T\\"}, {GetLangString("empty"), ""}, {GetLangString("gone"), "Not Found"},
      {GetLangString("1"), "Not Found"}, {GetLangString("s999"), X(999)}, {GetLangString("s1000"), X(999)},
      {GetLangString("cut"), X(998) + "\\"},  // cut first: the escape's letter is gone
      {IncompleteFileText(4143), "only 4143 of %d"}, {GetResourceText(1), "Port\\n1"},
      {GetResourceText(2), X(1023)}, {GetResourceText(3), ""}, {GetFaceName(g_strLangPath), X(99)},
      {GetFaceName(dir.Write("a.lang", "[String]\ndisp=x\n")), "-----"}, {GetFaceName(dir.Write("b.lang", "[Face]\ndisp=\n")), ""},
      {GetLangStringFrom(dir.Write("o.lang", "[String]\nesc=other\\tfile\n"), "esc"), "other\tfile"},
      {GetLangStringFrom(dir.File("gone.lang"), "esc"), "Not Found"},
      {FillIn("port %s.", "%s", "%s%d"), "port %s%d."}, {FillIn("no place", "%d", "5"), "no place"}};
  int i = 0;
  for (const auto& [got, want] : cases) EXPECT_EQ(got, want) << "case " << i++;
}

TEST_F(LanguageLookup, HeadingsRepeatTheOneBeforeAndListsEndAtAGapOrTheirField) {
  const std::string h = X(29, 'h');
  UseLanguage("[ChText]\nIDS_ChText1=" + h + "h\nIDS_ChText3=TX\nIDS_ChText11=Last\nIDS_ChText12=no\nIDS_ChText04=no\n"
              "[VoiceAnnunciation]\n0=V0\n1=V1\n2=V2\n3=V3\n[PttId]\n0=P0\n1=P1\n2=P2\n3=P3\n4=P4\n[MonitorKey]\n"
              "0=M0\n1=M1\n2=M2\n3=M3\n4=M4\n5=M5\n6=M6\n7=M7\n[ScanMode]\n0=" + X(30, 's') + "\n1=b\n2=c\n");
  EXPECT_EQ(GetChannelHeadings(), (Strings{"", h, h, "TX", "TX", "TX", "TX", "TX", "TX", "TX", "TX", "Last"}));
  const std::pair<NumberedList, Strings> full[] = {
      {NumberedList::VoiceAnnunciation, {"V0", "V1", "V2"}}, {NumberedList::PttId, {"P0", "P1", "P2", "P3"}},
      {NumberedList::MonitorKey, {"M0", "M1", "M2", "M3", "M4", "M5", "M6"}}, {NumberedList::ScanMode, {X(29, 's'), "b"}}};
  for (const auto& [list, want] : full) {
    EXPECT_EQ(GetNumberedList(list), want);
    EXPECT_EQ(NumberedListCapacity(list), want.size());
  }
  UseLanguage("[PttId]\n0=a\n1=\n2=c\n[MonitorKey]\n0=a\n1=b\n3=d\n[VoiceAnnunciation]\n1=x\n");
  EXPECT_EQ((std::vector<Strings>{GetNumberedList(NumberedList::PttId), GetNumberedList(NumberedList::MonitorKey),
             GetNumberedList(NumberedList::VoiceAnnunciation), GetNumberedList(NumberedList::ScanMode)}),
            (std::vector<Strings>{{"a"}, {"a", "b"}, {}, {}}));
  g_strLangPath = dir.File("gone.lang");
  EXPECT_EQ(GetChannelHeadings(), Strings(12));
}

TEST(LanguageFiles, TheDialogOffersTheReadableLangFilesByName) {
  TempDir folder;
  for (const auto& [name, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"b.lang", "[Face]\ndisp=Bee"}, {"a.lang", "[Face]\ndisp=Ay"}, {"noface.lang", "[String]\nx=y"},
           {"empty.lang", "[Face]\ndisp="}, {".lang", "[Face]\ndisp=Dot"}, {"lang", "[Face]\ndisp=Bare"},
           {"c.lang.bak", "[Face]\ndisp=Backup"}})
    folder.Write(name, text);
  fs::create_directory(folder.File("d.lang"));
  ::mkfifo(folder.File("p.lang").c_str(), 0600);
  Strings got;
  for (const LanguageFile& f : ListLanguageFiles(folder.path())) got.push_back(f.name + "|" + f.displayName + "|" + f.path);
  const std::string at = folder.path() + "/";
  EXPECT_EQ(got, (Strings{"a|Ay|" + at + "a.lang", "b|Bee|" + at + "b.lang", "noface|-----|" + at + "noface.lang"}));
  EXPECT_EQ(ListLanguageFiles(folder.File("none")).size(), 0u);
}

TEST(StartLanguage, TheSettingsFileElseTheFirstSetLocaleVariableDecides) {
  const char* const vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved[3];
  for (int v = 0; v < 3; ++v)
    if (const char* value = std::getenv(vars[v])) saved[v] = value;
  const std::array<const char*, 4> cases[] = {  // LC_ALL, LC_MESSAGES, LANG (nullptr: unset), language
      {nullptr, nullptr, nullptr, "english"}, {nullptr, nullptr, "zh_CN.UTF-8", "chinese"},
      {nullptr, nullptr, "zh_CN", "chinese"}, {nullptr, nullptr, "zh_C", "english"},
      {nullptr, nullptr, "zh_TW.UTF-8", "english"}, {nullptr, nullptr, "", "english"},
      {nullptr, "zh_CN", "en_US", "chinese"}, {nullptr, "en_US", "zh_CN", "english"},
      {"C", "zh_CN", "zh_CN", "english"}, {"zh_CN", nullptr, "en_US", "chinese"}, {"", "", "zh_CN", "chinese"}};
  for (const auto& c : cases) {
    for (int v = 0; v < 3; ++v) c[v] ? ::setenv(vars[v], c[v], 1) : ::unsetenv(vars[v]);
    EXPECT_EQ(DefaultLanguageName(), c[3]) << (c[0] ? c[0] : "-") << " " << (c[1] ? c[1] : "-") << " " << (c[2] ? c[2] : "-");
  }
  TempDir dir;  // the last case's locale says chinese
  const std::string named = dir.Write("named.ini", "[SETUP]\nLanguage = klingon\n");
  EXPECT_EQ(ChooseLanguagePath("/p", named) + test::ReadText(named), "/p/klingon.lang[SETUP]\nLanguage = klingon\n");
  EXPECT_EQ(ChooseLanguagePath("/p", dir.Write("empty.ini", "[setup]\nlanguage=\n")), "/p/chinese.lang");
  EXPECT_EQ(ChooseLanguagePath("/p", dir.File("none.ini")), "/p/chinese.lang");
  EXPECT_FALSE(fs::exists(dir.File("none.ini")));
  for (int v = 0; v < 3; ++v) saved[v] ? ::setenv(vars[v], saved[v]->c_str(), 1) : ::unsetenv(vars[v]);
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::set<std::string> KeysOf(const std::string& path) {
  std::set<std::string> keys;
  for (const std::string& section : profile::GetSections(path))
    for (const std::string& key : profile::GetKeys(path, section)) keys.insert(Lower(section + "/" + key));
  return keys;
}

TEST(ShippedLanguageFiles, HoldEveryKeyTheProgramNamesInBothLanguages) {
  const std::string resources = std::string(RONDEL_SOURCE_DIR) + "/resources/";
  const std::set<std::string> english = KeysOf(resources + "english.lang");
  EXPECT_EQ(KeysOf(resources + "chinese.lang"), english);
  std::set<std::string> named;  // every "IDS_..." and "Menu_..." literal of the program
  const std::regex literal("\"((IDS|Menu)_[A-Za-z0-9_]*[A-Za-z0-9])\"");
  for (const char* folder : {"core", "link", "platform", "shell", "tools", "view", "grid"}) {
    for (const auto& e : fs::recursive_directory_iterator(std::string(RONDEL_SOURCE_DIR) + "/" + folder)) {
      std::stringstream text;
      if (e.is_regular_file()) text << std::ifstream(e.path()).rdbuf();
      const std::string s = text.str();
      for (std::sregex_iterator m(s.begin(), s.end(), literal), end; m != end; ++m) named.insert((*m)[1]);
    }
  }
  EXPECT_GT(named.size(), 100u);
  for (const std::string& key : named)
    EXPECT_TRUE(key == "IDS_ChText" || english.count(Lower((key.starts_with("IDS_ChText") ? "chtext/" : "string/") + key)))
        << key;
  const std::string chinese = resources + "chinese.lang";
  EXPECT_EQ(GetFaceName(resources + "english.lang") + "|" + GetFaceName(chinese), "English|简体中文");
  for (const NumberedList list : {NumberedList::VoiceAnnunciation, NumberedList::PttId, NumberedList::MonitorKey,
                                  NumberedList::ScanMode})  // as many entries as the field has values
    EXPECT_EQ(profile::GetKeys(chinese, NumberedListSection(list)).size(), NumberedListCapacity(list));
}
}  // namespace
}  // namespace rondel
