// The help-file reader and the contents parser on bad input (paths and entities as pages write
// them, sitemaps damaged or cut off, archives missing, foreign or cut short) and on our files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/qt/chm_archive.h"
#include "platform/qt/help_contents.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

// The test entry point sets both where the caller did not.
std::string Dir(const char* variable) { return std::getenv(variable); }

TEST(ChmPaths, NormaliseResolveAndTellPages) {
  const std::pair<const char*, const char*> normal[] = {
      {"index.html", "/index.html"}, {"/a/./b/../c.htm", "/a/c.htm"}, {"../../x.htm", "/x.htm"},
      {"a\\b.htm", "/a/b.htm"}, {"p.htm?q=1#f", "/p.htm"}, {"", "/"}, {"//a//b/", "/a/b/"},
  };
  for (const auto& [in, out] : normal) EXPECT_EQ(NormaliseChmPath(in), out) << in;
  const struct { const char* page; const char* link; const char* target; } links[] = {
      {"/dir/a.htm", "b.htm", "/dir/b.htm"}, {"/dir/a.htm", "../img/x.png", "/img/x.png"},
      {"/dir/a.htm", "/top.htm", "/top.htm"}, {"/a.htm", "b.htm#sec", "/b.htm"}, {"/a.htm", "#top", ""},
      {"/a.htm", "", ""}, {"/a.htm", "http://example.org/x.htm", ""}, {"/a.htm", "mailto:x@y.org", ""},
      {"/a.htm", "ms-its:other.chm::/x.htm", ""},
  };
  for (const auto& c : links) EXPECT_EQ(ResolveChmLink(c.page, c.link), c.target) << c.link;
  for (const char* page : {"/a.htm", "/a.HTML", ".htm"}) EXPECT_TRUE(IsHtmlPath(page)) << page;
  for (const char* other : {"/a.css", "/html", "/a.html5", "/a.ht", "htm", ""}) EXPECT_FALSE(IsHtmlPath(other)) << other;
}

TEST(HelpContents, EntitiesDecodeToUtf8AndUnknownOnesStay) {
  const std::pair<const char*, const char*> cases[] = {
      {"a &amp; b", "a & b"}, {"&lt;&gt;&quot;&apos;", "<>\"'"}, {"&AMP;", "&"}, {"&#65;&#x42;&#X43;", "ABC"},
      {"&nbsp;", "\xC2\xA0"}, {"&#x7F;&#x80;", "\x7F\xC2\x80"}, {"&#x7FF;&#x800;", "\xDF\xBF\xE0\xA0\x80"},
      {"&#xFFFF;&#x10000;", "\xEF\xBF\xBF\xF0\x90\x80\x80"}, {"&#x10FFFF;", "\xF4\x8F\xBF\xBF"},
      {"&#x110000;", "\xEF\xBF\xBD"}, {"&#0;", "\xEF\xBF\xBD"}, {"&#xD800;", "\xEF\xBF\xBD"},
      {"&#xDFFF;", "\xEF\xBF\xBD"}, {"&#xE000;", "\xEE\x80\x80"}, {"&#99999999999999999999;", "&#99999999999999999999;"},
      {"&unknown;", "&unknown;"}, {"AT&T", "AT&T"}, {"&#;", "&#;"}, {"&#xZZ;", "&#xZZ;"}, {"&", "&"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DecodeHtmlEntities(in), out) << in;
}

// The tree as one line: name[local]{children}.
std::string Shape(const std::vector<HelpTopic>& topics) {
  std::string s;
  for (const HelpTopic& t : topics) {
    s.append(s.empty() ? "" : ",").append(t.name).append("[").append(t.local).append("]");
    if (!t.children.empty()) s.append("{").append(Shape(t.children)).append("}");
  }
  return s;
}

TEST(HelpContents, SitemapsAsWrittenDamagedOrCutOff) {
  const std::string one = R"(<LI><OBJECT type="text/sitemap"><param name="Name" value="One"><param name="Local" value="1.htm"></OBJECT>)";
  const std::pair<std::string, const char*> cases[] = {
      // Lower case, single and missing quotes, a second Name, a comment, a list never closed.
      {R"(<ul><li><object type='text/sitemap'><param name=Name value="Fish &amp; Chips"><param name="Name" value="x">
<param name="local" value='a.htm'></object><!-- <li><object type="text/sitemap"><param name="Name" value="Hidden"></object> -->
<li><OBJECT TYPE="TEXT/SITEMAP"><PARAM NAME="NAME" VALUE="B"></OBJECT><li><object type="text/other"><param name="Name" value="No"></object>
<ul><li><object type="text/sitemap"><param name="Name" value="Deep"><param name="Local" value=c.htm></object>)",
       "Fish & Chips[a.htm],B[]{Deep[c.htm]}"},
      {"<UL>" + one + "<UL>" + one + "</UL>" + one + "</UL><UL>" + one + "</UL>", "One[1.htm]{One[1.htm]},One[1.htm],One[1.htm]"},
      {"<UL>" + one + R"(<LI><OBJECT type="text/sitemap"><param name="Name" value="Tw)", "One[1.htm]"},
      {"", ""}, {"no tags", ""}, {R"(<<<>>></ul></ul><param name="Name" value="x">)", ""},
  };
  for (const auto& [html, shape] : cases) EXPECT_EQ(Shape(ParseSitemap(html)), shape) << html;
}

TEST(ShippedHelpFiles, HoldEveryPageByteForByteAndTheirContents) {
  for (const auto& [name, pages, title] : {std::tuple{"english", "en", "Rondel Help"}, std::tuple{"chinese", "zh", "Rondel 帮助"}}) {
    SCOPED_TRACE(name);
    CChmArchive archive;
    ASSERT_TRUE(archive.Open(Dir("RONDEL_BIN_DIR") + "/" + name + ".chm"));
    EXPECT_EQ(archive.Title(), title);
    EXPECT_EQ(archive.DefaultTopic(), "/index.html");
    EXPECT_EQ(archive.ContentsFile(), std::string("/").append(name).append(".hhc"));
    const auto topics = ParseSitemap(archive.Read(archive.ContentsFile()).value_or(""));
    ASSERT_GE(topics.size(), 10u);
    EXPECT_EQ(topics.front().local, "index.html");
    int count = 0;
    const std::string source = Dir("RONDEL_SOURCE_DIR") + "/resources/help/" + pages;
    for (const auto& entry : std::filesystem::directory_iterator(source)) {
      if (entry.path().extension() != ".html") continue;
      const std::string page = std::string("/").append(entry.path().filename().string());
      ++count;
      EXPECT_EQ(archive.Read(page), test::ReadText(entry.path().string())) << page;
    }
    EXPECT_GE(count, 12);
    for (const std::string& listed : archive.List()) EXPECT_NE(listed.find_first_of("#$"), 1u) << listed;
  }
}

void ExpectClosed(const CChmArchive& a) {
  EXPECT_TRUE(!a.IsOpen() && a.Path().empty() && a.List().empty() && a.DefaultTopic().empty() && a.Title().empty());
  EXPECT_FALSE(a.Read("/index.html"));
}

TEST(ChmArchive, MissingForeignAndCutOffFilesDoNotOpen) {
  test::TempDir dir;
  const std::string full = test::ReadText(Dir("RONDEL_BIN_DIR") + "/english.chm");
  ASSERT_GT(full.size(), 4000u);
  for (const std::string& path : {dir.File("none.chm"), dir.Write("empty.chm", ""), dir.Write("garbage.chm", std::string(5000, 'Z')),
                                  dir.path(), std::string(), dir.Write("cut1.chm", full.substr(0, 200)),
                                  dir.Write("cut2.chm", full.substr(0, full.size() / 2)),
                                  dir.Write("cut3.chm", full.substr(0, full.size() - 1))}) {
    CChmArchive archive;
    EXPECT_FALSE(archive.Open(path)) << path;  // the reader underneath would hand out zeros
    ExpectClosed(archive);
  }
  CChmArchive whole;
  ASSERT_TRUE(whole.Open(dir.Write("whole.chm", full)));
  EXPECT_FALSE(whole.Contains("/no-such-page.html"));
  EXPECT_FALSE(whole.Read("/" + std::string(600, 'a') + ".html"));
  EXPECT_FALSE(whole.Open(dir.File("none.chm"))) << "a failed open forgets the file before";
  ExpectClosed(whole);
}

// Damaged numbers of the compressed section: the fuzzer's finds and hand-made ones in our own
// file. None falls over or hands out what it holds compressed; where the directory is intact the
// file opens and what it holds uncompressed (the title) still reads. Numbers that chmlib trips
// over while opening or listing keep the file closed.
TEST(ChmArchive, DamagedCompressedSectionNeverYieldsCompressedContent) {
  test::TempDir dir;
  const std::string good = test::ReadText(Dir("RONDEL_BIN_DIR") + "/english.chm");
  const std::size_t lzxc = good.find("LZXC");                                   // control data + 4
  const std::size_t table = good.find(std::string("\x08\0\0\0\x28\0\0\0", 8));  // reset table + 8
  const std::size_t entry = good.find("MSCompressed/ControlData") + 24 + 3;     // its length
  ASSERT_TRUE(lzxc != std::string::npos && table != std::string::npos && good[entry] == 28);
  auto patched = [&](std::size_t at, std::size_t n, char to) { return std::string(good).replace(at, n, n, to); };
  const std::string seeds = Dir("RONDEL_SOURCE_DIR") + "/tests/fuzz/seeds/help_file/";
  enum Opens { kYes, kMaybe, kNo };
  const struct { const char* name; std::string bytes; Opens opens; } cases[] = {
      {"reset table of zeros", test::ReadText(seeds + "damaged_zero_reset_block.chm"), kMaybe},
      {"version 0: window of 2 bytes", test::ReadText(seeds + "damaged_lzx_window.chm"), kYes},
      {"block length past 2^32", test::ReadText(seeds + "damaged_lzx_overflow.chm"), kYes},
      {"windows per reset 0", patched(lzxc + 16, 4, 0), kYes},
      {"block length 0", patched(table + 24, 4, 0), kYes},
      {"window 0", patched(lzxc + 12, 4, 0), kNo},
      {"control data of 16 bytes", patched(entry, 1, 16), kNo},
      {"leaf chunk chained to itself", patched(good.find("PMGL") + 16, 4, 0), kNo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.bytes, good);
    CChmArchive archive;
    const bool opened = archive.Open(dir.Write("damaged.chm", c.bytes));
    if (c.opens != kMaybe) {
      ASSERT_EQ(opened, c.opens == kYes);
    }
    if (!opened) continue;
    if (c.opens == kYes) {
      EXPECT_EQ(archive.Title(), "Rondel Help");
    }
    EXPECT_FALSE(archive.List().empty());
    for (const std::string& name : archive.List()) EXPECT_FALSE(archive.Read(name)) << name;
  }
  CChmArchive intact;
  ASSERT_TRUE(intact.Open(dir.Write("good.chm", good)));
  EXPECT_TRUE(intact.Read(intact.DefaultTopic()).value_or("").find("<html") != std::string::npos);
}
}  // namespace
}  // namespace rondel
