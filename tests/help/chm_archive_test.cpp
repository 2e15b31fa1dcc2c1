// The reader of compiled help files and the contents parser, on the two help files the build
// makes (english.chm, chinese.chm beside the programs), on small archives compiled here, and
// on missing and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/chm_archive.h"
#include "platform/qt/help_contents.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;

std::string BinDir() {
  const char* dir = std::getenv("RONDEL_BIN_DIR");
  return dir && *dir ? dir : RONDEL_BIN_DIR;
}
std::string SourceDir() {
  const char* dir = std::getenv("RONDEL_SOURCE_DIR");
  return dir && *dir ? dir : RONDEL_SOURCE_DIR;
}

// ---- path helpers ----

struct PathCase {
  const char* in;
  const char* out;
};

TEST(ChmPaths, NormaliseFoldsStepsAndDropsQueryAndFragment) {
  const PathCase cases[] = {
      {"index.html", "/index.html"},       {"/index.html", "/index.html"},
      {"/a/./b/../c.htm", "/a/c.htm"},     {"../../x.htm", "/x.htm"},
      {"a\\b.htm", "/a/b.htm"},            {"p.htm#frag", "/p.htm"},
      {"p.htm?q=1#f", "/p.htm"},           {"", "/"},
      {"/dir/", "/dir/"},                  {"//a//b", "/a/b"},
      {"/帮助/页.html", "/帮助/页.html"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(NormaliseChmPath(c.in), c.out) << c.in;
}

TEST(ChmPaths, LinksResolveAgainstThePageTheyAreOn) {
  struct LinkCase {
    const char* page;
    const char* link;
    const char* target;  // empty: not a link into the archive
  };
  const LinkCase cases[] = {
      {"/index.html", "cable.html", "/cable.html"},
      {"/dir/a.htm", "b.htm", "/dir/b.htm"},
      {"/dir/a.htm", "../img/x.png", "/img/x.png"},
      {"/dir/a.htm", "./c.htm", "/dir/c.htm"},
      {"/dir/a.htm", "/top.htm", "/top.htm"},
      {"/a.htm", "b.htm#sec", "/b.htm"},
      {"/a.htm", "#top", ""},
      {"/a.htm", "", ""},
      {"/a.htm", "http://example.org/x.htm", ""},
      {"/a.htm", "mailto:someone@example.org", ""},
      {"/a.htm", "ms-its:other.chm::/x.htm", ""},
  };
  for (const LinkCase& c : cases)
    EXPECT_EQ(ResolveChmLink(c.page, c.link), c.target) << c.page << " + " << c.link;
}

TEST(ChmPaths, HtmlPagesAreToldByTheirExtension) {
  EXPECT_TRUE(IsHtmlPath("/a.htm"));
  EXPECT_TRUE(IsHtmlPath("/a.HTML"));
  EXPECT_TRUE(IsHtmlPath("/dir/b.Htm"));
  EXPECT_FALSE(IsHtmlPath("/style.css"));
  EXPECT_FALSE(IsHtmlPath("/html"));
  EXPECT_FALSE(IsHtmlPath("/a.html5"));
  EXPECT_FALSE(IsHtmlPath(""));
}

// ---- entities and contents ----

TEST(HelpContents, EntitiesDecodeToUtf8AndUnknownOnesStay) {
  const PathCase cases[] = {
      {"a &amp; b", "a & b"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&AMP;", "&"},
      {"&#65;&#x42;&#X43;", "ABC"},
      {"&#x5E2E;&#21161;", "帮助"},
      {"&nbsp;", "\xC2\xA0"},
      {"&#x1F4FB;", "\xF0\x9F\x93\xBB"},
      {"&#0;", "\xEF\xBF\xBD"},
      {"&#xD800;", "\xEF\xBF\xBD"},
      {"&unknown;", "&unknown;"},
      {"AT&T", "AT&T"},
      {"&#;", "&#;"},
      {"&#xZZ;", "&#xZZ;"},
      {"&", "&"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(DecodeHtmlEntities(c.in), c.out) << c.in;
}

// The tree as one line: name[local]{children}, so a wrong nesting shows at a glance.
std::string Shape(const std::vector<HelpTopic>& topics) {
  std::string s;
  for (const HelpTopic& t : topics) {
    if (!s.empty()) s += ",";
    s += t.name + "[" + t.local + "]";
    if (!t.children.empty()) s += "{" + Shape(t.children) + "}";
  }
  return s;
}

TEST(HelpContents, NestedListsBecomeChildrenOfTheEntryBeforeThem) {
  const char* hhc = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Start"><param name="Local" value="index.html"></OBJECT>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Editing"></OBJECT>
  <UL>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="Settings"><param name="Local" value="settings.html"></OBJECT>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="Channels"><param name="Local" value="channels.html"></OBJECT>
    <UL><LI><OBJECT type="text/sitemap"><param name="Name" value="Tones"><param name="Local" value="tones.html"></OBJECT></UL>
  </UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="End"><param name="Local" value="end.html"></OBJECT>
</UL></BODY></HTML>)";
  EXPECT_EQ(Shape(ParseSitemap(hhc)),
            "Start[index.html],Editing[]{Settings[settings.html],Channels[channels.html]{Tones[tones.html]}},"
            "End[end.html]");
}

TEST(HelpContents, ToleratesTheWaysSitemapsAreWritten) {
  // Lower-case tags, single and missing quotes, entities, a second Name, a commented-out
  // entry, and a list that is never closed.
  const char* hhc = R"(<ul>
<li><object type='text/sitemap'><param name=Name value="Fish &amp; Chips"><param name="Name" value="ignored">
<param name="local" value='a.htm'></object>
<!-- <li><object type="text/sitemap"><param name="Name" value="Hidden"></object> -->
<li><OBJECT TYPE="TEXT/SITEMAP"><PARAM NAME="NAME" VALUE="&#x5E2E;&#x52A9;"><PARAM NAME="LOCAL" VALUE="b.htm"></OBJECT>
<li><object type="text/other"><param name="Name" value="Not an entry"></object>
<ul><li><object type="text/sitemap"><param name="Name" value="Deep"><param name="Local" value=c.htm></object>)";
  EXPECT_EQ(Shape(ParseSitemap(hhc)), "Fish & Chips[a.htm],帮助[b.htm]{Deep[c.htm]}");
}

TEST(HelpContents, DamagedInputGivesWhatCanBeRead) {
  EXPECT_TRUE(ParseSitemap("").empty());
  EXPECT_TRUE(ParseSitemap("no tags at all").empty());
  EXPECT_TRUE(ParseSitemap("<<<>>></ul></ul><param name=\"Name\" value=\"x\">").empty());
  // Cut in the middle of the second entry: the first is kept, the half one is not.
  EXPECT_EQ(Shape(ParseSitemap("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"One\">"
                               "<param name=\"Local\" value=\"1.htm\"></OBJECT><LI><OBJECT type=\"text/sitemap\">"
                               "<param name=\"Name\" value=\"Tw")),
            "One[1.htm]");
  // Two lists one after the other are siblings, not nested.
  EXPECT_EQ(Shape(ParseSitemap("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"></OBJECT></UL>"
                               "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\"></OBJECT></UL>")),
            "A[],B[]");
}

// ---- the shipped help files ----

struct HelpFile {
  const char* name;   // english -> english.chm, english.hhc
  const char* pages;  // folder of the page sources
  const char* title;
};
void PrintTo(const HelpFile& f, std::ostream* os) { *os << f.name; }

const HelpFile kHelpFiles[] = {{"english", "en", "Rondel Help"}, {"chinese", "zh", "Rondel 帮助"}};

std::vector<std::string> SourcePages(const HelpFile& f) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/resources/help/" + f.pages))
    if (entry.path().extension() == ".html") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t follow = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      follow = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      follow = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      follow = 3;
    } else if (c >= 0x80) {
      return false;
    }
    for (std::size_t k = 1; k <= follow; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

bool HasChineseCharacters(const std::string& s) {
  // U+4E00..U+9FFF is E4 B8 80 .. E9 BF BF in UTF-8.
  for (std::size_t i = 0; i + 2 < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0xE4 && c <= 0xE9 && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
      if (c > 0xE4 || static_cast<unsigned char>(s[i + 1]) >= 0xB8) return true;
    }
  }
  return false;
}

std::vector<std::string> LinksIn(const std::string& html) {
  static const std::regex kLink(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
  std::vector<std::string> links;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink); it != std::sregex_iterator(); ++it)
    links.push_back((*it)[1].str());
  return links;
}

void ForEachTopic(const std::vector<HelpTopic>& topics, const std::function<void(const HelpTopic&)>& f) {
  for (const HelpTopic& t : topics) {
    f(t);
    ForEachTopic(t.children, f);
  }
}

class ShippedHelpFile : public testing::TestWithParam<HelpFile> {
 protected:
  void SetUp() override {
    m_path = BinDir() + "/" + GetParam().name + ".chm";
    ASSERT_TRUE(m_archive.Open(m_path)) << m_path;
  }
  std::string m_path;
  CChmArchive m_archive;
};

INSTANTIATE_TEST_SUITE_P(Both, ShippedHelpFile, testing::ValuesIn(kHelpFiles));

TEST_P(ShippedHelpFile, NamesItsTitleFirstPageAndContents) {
  EXPECT_TRUE(m_archive.IsOpen());
  EXPECT_EQ(m_archive.Path(), m_path);
  EXPECT_EQ(m_archive.Title(), GetParam().title);
  EXPECT_EQ(m_archive.DefaultTopic(), "/index.html");
  EXPECT_EQ(m_archive.ContentsFile(), "/" + std::string(GetParam().name) + ".hhc");
  EXPECT_TRUE(m_archive.IndexFile().empty());
}

TEST_P(ShippedHelpFile, HoldsEveryPageByteForByteAndNoBookkeeping) {
  const std::vector<std::string> listed = m_archive.List();
  const std::set<std::string> names(listed.begin(), listed.end());
  for (const std::string& page : SourcePages(GetParam())) {
    ASSERT_TRUE(names.count("/" + page)) << page << " is missing from " << m_path;
    const std::string source =
        test::ReadText(SourceDir() + "/resources/help/" + GetParam().pages + "/" + page);
    EXPECT_EQ(m_archive.Read("/" + page), source) << page;
    EXPECT_TRUE(m_archive.Contains(page));
  }
  for (const char* shared : {"/style.css", "/rondel-48.png", "/toolbar.png"})
    EXPECT_TRUE(names.count(shared)) << shared;
  EXPECT_EQ(m_archive.Read("/toolbar.png"),
            test::ReadText(SourceDir() + "/resources/icons/toolbar.png"));
  for (const std::string& name : listed) {
    EXPECT_EQ(name.front(), '/') << name;
    EXPECT_NE(name.rfind("/#", 0), 0u) << name;
    EXPECT_NE(name.rfind("/$", 0), 0u) << name;
    EXPECT_NE(name.rfind("/_#_", 0), 0u) << name;
  }
}

TEST_P(ShippedHelpFile, EveryLinkAndPictureIsInTheArchive) {
  int links = 0;
  for (const std::string& name : m_archive.List()) {
    if (!IsHtmlPath(name)) continue;
    const std::string html = m_archive.Read(name).value_or("");
    for (const std::string& link : LinksIn(html)) {
      const std::string target = ResolveChmLink(name, link);
      if (target.empty()) continue;
      ++links;
      EXPECT_TRUE(m_archive.Contains(target)) << name << " links to " << link;
    }
  }
  EXPECT_GT(links, 50);  // the pages do link to each other
}

TEST_P(ShippedHelpFile, ContentsReachEveryPageAndOnlyPagesThatExist) {
  const std::string hhc = m_archive.ContentsFile();
  const std::vector<HelpTopic> topics = ParseSitemap(m_archive.Read(hhc).value_or(""));
  ASSERT_FALSE(topics.empty());
  EXPECT_EQ(topics.front().local, "index.html");
  std::set<std::string> reached;
  ForEachTopic(topics, [&](const HelpTopic& t) {
    EXPECT_FALSE(t.name.empty());
    if (t.local.empty()) {
      EXPECT_FALSE(t.children.empty()) << t.name << " opens nothing and holds nothing";
      return;
    }
    const std::string target = ResolveChmLink(hhc, t.local);
    EXPECT_TRUE(m_archive.Contains(target)) << t.name << " -> " << t.local;
    reached.insert(target);
  });
  for (const std::string& page : SourcePages(GetParam()))
    EXPECT_TRUE(reached.count("/" + page)) << page << " is not in the contents";
}

TEST_P(ShippedHelpFile, TextIsUtf8AndSaysSo) {
  for (const std::string& name : m_archive.List()) {
    if (!IsHtmlPath(name) && name != m_archive.ContentsFile()) continue;
    const std::string text = m_archive.Read(name).value_or("");
    EXPECT_TRUE(IsValidUtf8(text)) << name;
    static const std::regex kUtf8Declared(R"re(charset\s*=\s*"?utf-8)re", std::regex::icase);
    EXPECT_TRUE(std::regex_search(text, kUtf8Declared)) << name << " does not declare UTF-8";
    if (std::string(GetParam().name) == "chinese") {
      EXPECT_TRUE(HasChineseCharacters(text)) << name;
    }
  }
  EXPECT_TRUE(IsValidUtf8(m_archive.Title()));
}

TEST(ShippedHelpFiles, BothLanguagesHaveTheSamePages) {
  EXPECT_EQ(SourcePages(kHelpFiles[0]), SourcePages(kHelpFiles[1]));
  EXPECT_GE(SourcePages(kHelpFiles[0]).size(), 12u);
}

TEST(ShippedHelpFiles, TheUtf8CheckAndTheChineseCheckCanFail) {
  EXPECT_FALSE(IsValidUtf8("\xC3"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(IsValidUtf8("a\x80z"));
  EXPECT_FALSE(IsValidUtf8("\xE5\xB8"));
  EXPECT_TRUE(IsValidUtf8("帮助 ok"));
  EXPECT_FALSE(HasChineseCharacters("Rondel Help \xC3\xA9"));
  EXPECT_TRUE(HasChineseCharacters("Rondel 帮助"));
}

// ---- archives compiled here ----

std::string Chmcmd() { return RONDEL_CHMCMD; }

// Compiles the project p.hhp in `dir` (chmcmd takes every name relative to the folder it runs
// in); the .chm's path, empty when chmcmd failed.
std::string Compile(const test::TempDir& dir) {
  const test::ProcessResult r =
      test::RunProcess("/bin/sh", {"-c", "cd \"$1\" && exec \"$2\" --no-html-scan p.hhp", "sh", dir.path(), Chmcmd()});
  EXPECT_EQ(r.exitStatus, 0) << test::Describe(r);
  return r.exitStatus == 0 ? dir.File("out.chm") : std::string();
}

TEST(ChmArchive, FallsBackToTheFirstPageAndContentsFileWhenTheProjectNamesNone) {
  test::TempDir dir;
  dir.Write("b.htm", "<html><body>b</body></html>");
  dir.Write("a.htm", "<html><body>a</body></html>");
  dir.Write("notes.txt", "not a page");
  dir.Write("toc.hhc", "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\">"
                       "<param name=\"Local\" value=\"b.htm\"></OBJECT></UL>");
  dir.Write("p.hhp",
            "[OPTIONS]\nCompiled file=out.chm\nDefault topic=gone.htm\nTitle=Fallbacks\n\n"
            "[FILES]\nnotes.txt\nb.htm\na.htm\ntoc.hhc\n");
  const std::string chm = Compile(dir);
  ASSERT_FALSE(chm.empty());
  CChmArchive archive;
  ASSERT_TRUE(archive.Open(chm));
  EXPECT_EQ(archive.Title(), "Fallbacks");
  EXPECT_FALSE(archive.Contains("gone.htm"));
  EXPECT_EQ(archive.DefaultTopic(), "/a.htm");  // the named one is not there
  EXPECT_EQ(archive.ContentsFile(), "/toc.hhc");
  EXPECT_EQ(archive.Read("notes.txt"), "not a page");
  EXPECT_EQ(archive.Read("/A.HTM"), "<html><body>a</body></html>");  // names match without case
}

TEST(ChmArchive, AnEmptyObjectReadsAsEmpty) {
  test::TempDir dir;
  dir.Write("a.htm", "<html><body>a</body></html>");
  dir.Write("empty.css", "");
  dir.Write("p.hhp", "[OPTIONS]\nCompiled file=out.chm\nDefault topic=a.htm\n\n[FILES]\na.htm\nempty.css\n");
  const std::string chm = Compile(dir);
  ASSERT_FALSE(chm.empty());
  CChmArchive archive;
  ASSERT_TRUE(archive.Open(chm));
  EXPECT_TRUE(archive.Contains("empty.css"));
  EXPECT_EQ(archive.Read("empty.css"), "");
  EXPECT_EQ(archive.DefaultTopic(), "/a.htm");
}

// ---- failures ----

void ExpectClosed(const CChmArchive& archive) {
  EXPECT_FALSE(archive.IsOpen());
  EXPECT_TRUE(archive.Path().empty());
  EXPECT_TRUE(archive.List().empty());
  EXPECT_FALSE(archive.Contains("/index.html"));
  EXPECT_FALSE(archive.Read("/index.html"));
  EXPECT_TRUE(archive.DefaultTopic().empty());
  EXPECT_TRUE(archive.Title().empty());
  EXPECT_TRUE(archive.ContentsFile().empty());
}

TEST(ChmArchive, MissingEmptyForeignAndFolderPathsDoNotOpen) {
  test::TempDir dir;
  const std::string garbage(5000, '\x5A');
  for (const std::string& path :
       {dir.File("none.chm"), dir.Write("empty.chm", ""), dir.Write("text.chm", "Pelto Radio Program data v1.02"),
        dir.Write("garbage.chm", garbage), dir.path(), std::string()}) {
    CChmArchive archive;
    EXPECT_FALSE(archive.Open(path)) << path;
    ExpectClosed(archive);
  }
}

TEST(ChmArchive, AFailedOpenForgetsTheFileOpenedBefore) {
  CChmArchive archive;
  ASSERT_TRUE(archive.Open(BinDir() + "/english.chm"));
  EXPECT_FALSE(archive.Open(BinDir() + "/no-such-language.chm"));
  ExpectClosed(archive);
}

TEST(ChmArchive, ACutOffFileDoesNotOpen) {
  // The reader underneath would hand out zeros for the missing part.
  const std::string full = test::ReadText(BinDir() + "/english.chm");
  ASSERT_GT(full.size(), 4000u);
  test::TempDir dir;
  for (std::size_t keep : {std::size_t{200}, full.size() / 4, full.size() / 2, full.size() - 100, full.size() - 1}) {
    CChmArchive archive;
    EXPECT_FALSE(archive.Open(dir.Write("cut.chm", full.substr(0, keep)))) << "cut at " << keep;
    ExpectClosed(archive);
  }
  CChmArchive whole;
  EXPECT_TRUE(whole.Open(dir.Write("whole.chm", full)));
}

TEST(ChmArchive, ScrambledContentIsReadWithoutHarm) {
  const std::string full = test::ReadText(BinDir() + "/english.chm");
  CChmArchive good;
  ASSERT_TRUE(good.Open(BinDir() + "/english.chm"));
  const std::vector<std::string> names = good.List();
  test::TempDir dir;
  // Overwrite stretches of the file with a pattern: whatever then opens must be readable
  // (or refuse to read) without crashing, and a name it lists must be a real name.
  for (std::size_t from : {full.size() / 3, full.size() / 2, full.size() * 3 / 4}) {
    std::string scrambled = full;
    for (std::size_t i = from; i < std::min(full.size(), from + 512); ++i)
      scrambled[i] = static_cast<char>((i * 37) & 0xFF);
    CChmArchive archive;
    if (!archive.Open(dir.Write("scrambled.chm", scrambled))) continue;
    for (const std::string& name : archive.List()) {
      EXPECT_LE(name.size(), 512u);
      (void)archive.Read(name);
    }
    for (const std::string& name : names) (void)archive.Read(name);
    (void)archive.DefaultTopic();
    (void)archive.ContentsFile();
  }
}

TEST(ChmArchive, UnknownAndOverlongNamesAreNotFound) {
  CChmArchive archive;
  ASSERT_TRUE(archive.Open(BinDir() + "/english.chm"));
  EXPECT_FALSE(archive.Contains("/no-such-page.html"));
  EXPECT_FALSE(archive.Read("/no-such-page.html"));
  const std::string longName = "/" + std::string(600, 'a') + ".html";
  EXPECT_FALSE(archive.Contains(longName));
  EXPECT_FALSE(archive.Read(longName));
}

TEST(ChmArchive, MovingHandsTheFileOver) {
  CChmArchive first;
  ASSERT_TRUE(first.Open(BinDir() + "/english.chm"));
  CChmArchive second(std::move(first));
  EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move): moved-from is defined closed
  EXPECT_TRUE(second.Read("/index.html"));
  CChmArchive third;
  ASSERT_TRUE(third.Open(BinDir() + "/chinese.chm"));
  third = std::move(second);
  EXPECT_EQ(third.Title(), "Rondel Help");
  third.Close();
  ExpectClosed(third);
}

}  // namespace
}  // namespace rondel
