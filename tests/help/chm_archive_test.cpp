// SPDX-License-Identifier: GPL-3.0-or-later
// The help-file reader and the contents parser on bad input (paths and entities as pages write
// them, sitemaps damaged or cut off, archives missing, foreign or cut short) and on our files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/help/chm_archive.h"
#include "platform/help/help_contents.h"
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

TEST(ChmArchive, MissingForeignAndCutOffFilesDoNotOpenAndSayWhy) {
  test::TempDir dir;
  const std::string full = test::ReadText(Dir("RONDEL_BIN_DIR") + "/english.chm");
  ASSERT_GT(full.size(), 4000u);
  const std::pair<std::string, ChmError> cases[] = {
      {dir.File("none.chm"), ChmError::kMissing}, {std::string(), ChmError::kMissing},
      {dir.File("none/x.chm"), ChmError::kMissing}, {dir.path(), ChmError::kUnreadable},
      {dir.Write("empty.chm", ""), ChmError::kNotHelpFile},
      {dir.Write("garbage.chm", std::string(5000, 'Z')), ChmError::kNotHelpFile},
      {dir.Write("cut1.chm", full.substr(0, 200)), ChmError::kDamaged},
      {dir.Write("cut2.chm", full.substr(0, full.size() / 2)), ChmError::kDamaged},
      {dir.Write("cut3.chm", full.substr(0, full.size() - 1)), ChmError::kDamaged},
  };
  for (const auto& [path, why] : cases) {
    CChmArchive archive;
    EXPECT_FALSE(archive.Open(path)) << path;
    EXPECT_EQ(archive.Error(), why) << path;
    ExpectClosed(archive);
  }
  CChmArchive whole;
  ASSERT_TRUE(whole.Open(dir.Write("whole.chm", full)));
  EXPECT_EQ(whole.Error(), ChmError::kNone);
  EXPECT_TRUE(whole.Contains("/INDEX.HTML") && whole.Read("/Index.html") == whole.Read("/index.html"));
  EXPECT_FALSE(whole.Contains("/no-such-page.html"));
  EXPECT_FALSE(whole.Read("/" + std::string(600, 'a') + ".html"));
  EXPECT_EQ(whole.Error(), ChmError::kMissing);
  CChmArchive moved(std::move(whole));  // the decompressor keeps working for its new owner
  EXPECT_TRUE(moved.Read("/reading.html").value_or("").find("<html") != std::string::npos);
  EXPECT_FALSE(moved.Open(dir.File("none.chm"))) << "a failed open forgets the file before";
  ExpectClosed(moved);
}

// Every limit one help file is held to stops it with its own reason, and the shipped file lies
// well within each of them.
TEST(ChmArchive, EachLimitStopsTheFileWithItsOwnReason) {
  const std::string path = Dir("RONDEL_BIN_DIR") + "/english.chm";
  const std::uint64_t size = std::filesystem::file_size(path);
  auto with = [](auto change) {
    ChmLimits limits;
    change(limits);
    return limits;
  };
  const struct { const char* name; ChmLimits limits; bool opens; ChmError why; } cases[] = {
      {"file one byte over", with([&](ChmLimits& l) { l.maxFileSize = size - 1; }), false, ChmError::kTooLarge},
      {"file just fits", with([&](ChmLimits& l) { l.maxFileSize = size; }), true, ChmError::kNone},
      {"three objects", with([](ChmLimits& l) { l.maxObjects = 3; }), false, ChmError::kTooManyObjects},
      {"1 KiB of memory", with([](ChmLimits& l) { l.maxMemory = 1024; }), false, ChmError::kMemoryLimit},
      {"no time at all", with([](ChmLimits& l) { l.maxTime = std::chrono::milliseconds(0); }), false, ChmError::kTimeLimit},
      // The directory fits in 64 KiB; unpacking takes the 32 KiB window and more.
      {"64 KiB of memory", with([](ChmLimits& l) { l.maxMemory = 64 << 10; }), true, ChmError::kMemoryLimit},
      {"objects of 100 bytes", with([](ChmLimits& l) { l.maxObjectSize = 100; }), true, ChmError::kTooLarge},
      {"unpack no further than 4 KiB", with([](ChmLimits& l) { l.maxUnpackedOffset = 4096; }), true, ChmError::kTooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CChmArchive archive(c.limits);
    ASSERT_EQ(archive.Open(path), c.opens);
    if (!c.opens) {
      EXPECT_EQ(archive.Error(), c.why);
      continue;
    }
    // Where the file opens, the limit shows when its pages are read: some of them at least.
    int refused = 0;
    for (const std::string& name : archive.List()) refused += !archive.Read(name) && archive.Error() == c.why;
    EXPECT_EQ(refused > 0, c.why != ChmError::kNone) << refused;
  }
}

// The time one open file may take in all: a clock that moves on by a second at each look runs
// the budget down read by read, until every read says so; the next open starts afresh.
TEST(ChmArchive, AllReadsOfOneFileTogetherStayWithinTheirTime) {
  ChmLimits limits;
  limits.maxTime = std::chrono::hours(1);
  limits.maxTotalTime = std::chrono::hours(1);
  limits.clock = [t = std::chrono::steady_clock::time_point()]() mutable { return t += std::chrono::seconds(1); };
  const std::string path = Dir("RONDEL_BIN_DIR") + "/english.chm";
  CChmArchive archive(limits);
  ASSERT_TRUE(archive.Open(path));
  const std::vector<std::string> names = archive.List();
  int reads = 0;
  while (reads < 100000 && archive.Read(names[static_cast<std::size_t>(reads) % names.size()])) ++reads;
  EXPECT_GT(reads, static_cast<int>(names.size()));  // every page at least once, as a search reads them
  EXPECT_EQ(archive.Error(), ChmError::kTimeLimit);
  for (const std::string& name : names) EXPECT_FALSE(archive.Read(name)) << name;
  ASSERT_TRUE(archive.Open(path));
  EXPECT_TRUE(archive.Read(names.front()));
}

// Damaged help files: every input that ever crashed a reader (tests/fuzz/seeds/help_file/) and
// hand-made damages of our own file in every structure. None falls over; one that does not open
// says why, and one that opens hands out each object exactly as the intact file holds it, or
// nothing with a reason.
TEST(ChmArchive, DamagedFilesOpenWithAReasonOrReadTrue) {
  test::TempDir dir;
  const std::string good = test::ReadText(Dir("RONDEL_BIN_DIR") + "/english.chm");
  const std::string seeds = Dir("RONDEL_SOURCE_DIR") + "/tests/fuzz/seeds/help_file/";
  const std::size_t lzxc = good.find("LZXC");                                       // control data + 4
  const std::size_t table = good.find(std::string("\x08\0\0\0\x28\0\0\0", 8)) - 8;  // reset table
  const std::size_t itsp = good.find("ITSP"), pmgl = good.find("PMGL");            // directory, first chunk
  ASSERT_TRUE(lzxc != std::string::npos && table < good.size() && itsp == 0x78 && pmgl != std::string::npos);
  auto set = [&](std::size_t at, int n, std::uint64_t v) {
    std::string b = good;
    for (int i = 0; i < n; ++i, v >>= 8) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v & 0xFF);
    return b;
  };
  const std::uint64_t directory = 0x78, chunks = directory + 0x54, content = 0x10CC;
  enum Outcome { kRefused, kNothingCompressed, kSomeObjects, kEverything };
  const struct { const char* name; std::string bytes; Outcome outcome; } cases[] = {
      {"found by fuzzing: reset table of zeros", test::ReadText(seeds + "damaged_zero_reset_block.chm"), kNothingCompressed},
      {"found by fuzzing: version 0, window of 2 bytes", test::ReadText(seeds + "damaged_lzx_window.chm"), kNothingCompressed},
      {"found by fuzzing: block length past 2^32", test::ReadText(seeds + "damaged_lzx_overflow.chm"), kRefused},
      {"found by fuzzing: cut off", test::ReadText(seeds + "tiny_cut_off.chm"), kRefused},
      {"zero window", set(lzxc + 12, 4, 0), kNothingCompressed},
      {"window of 3", set(lzxc + 12, 4, 3), kNothingCompressed},
      {"zero reset interval", set(lzxc + 8, 4, 0), kNothingCompressed},
      {"unknown LZX version", set(lzxc + 4, 4, 9), kNothingCompressed},
      {"zero windows per reset", set(lzxc + 16, 4, 0), kEverything},
      {"block length past 32 KiB", set(table + 32, 8, 0x10000), kSomeObjects},
      {"zero block length", set(table + 32, 8, 0), kSomeObjects},
      {"reset table past its object", set(table + 12, 4, 0xFFFFFF00), kSomeObjects},
      {"reset table of 2^28 entries", set(table + 4, 4, 0xFFFFFFF), kEverything},
      {"unpacked length of 2^60", set(table + 16, 8, std::uint64_t{1} << 60), kEverything},
      {"directory chunks of 2 GiB", set(directory + 0x10, 4, 0x7FFFFFFF), kRefused},
      {"directory chunks of 0 bytes", set(directory + 0x10, 4, 0), kRefused},
      {"2^28 directory chunks", set(directory + 0x2C, 4, 0xFFFFFFF), kRefused},
      {"leaf chunk chained to itself", set(pmgl + 16, 4, 0), kEverything},
      {"leaf chunk free space past it", set(pmgl + 4, 4, 0xFFFF), kEverything},
      {"directory past the file", set(0x48, 8, std::uint64_t{1} << 40), kRefused},
      {"content past the file", set(0x58, 8, std::uint64_t{1} << 40), kRefused},
      {"cut in the file header", good.substr(0, 0x30), kRefused},
      {"cut in header section 0", good.substr(0, 0x70), kRefused},
      {"cut in the directory header", good.substr(0, directory + 0x28), kRefused},
      {"cut in the first chunk", good.substr(0, chunks + 0x800), kRefused},
      {"cut where the content starts", good.substr(0, content), kRefused},
      {"cut in the content", good.substr(0, content + 0x1000), kRefused},
      {"cut by one byte", good.substr(0, good.size() - 1), kRefused},
  };
  CChmArchive intact;
  ASSERT_TRUE(intact.Open(dir.Write("good.chm", good)));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.bytes, good);
    CChmArchive archive;
    const bool opened = archive.Open(dir.Write("damaged.chm", c.bytes));
    ASSERT_EQ(opened, c.outcome != kRefused);
    if (!opened) {
      EXPECT_TRUE(archive.Error() == ChmError::kDamaged || archive.Error() == ChmError::kNotHelpFile);
      ExpectClosed(archive);
      continue;
    }
    int read = 0, refused = 0;
    for (const std::string& name : archive.List()) {
      const std::optional<std::string> data = archive.Read(name);
      if (data) {
        ++read;
        EXPECT_EQ(data, intact.Read(name)) << name;
      } else {
        ++refused;
        EXPECT_EQ(archive.Error(), ChmError::kDamaged) << name;
      }
    }
    EXPECT_EQ(read > 0, c.outcome != kNothingCompressed);
    EXPECT_EQ(refused > 0, c.outcome != kEverything);
  }
}
}  // namespace
}  // namespace rondel
