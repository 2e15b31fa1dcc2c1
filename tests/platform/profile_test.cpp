// SPDX-License-Identifier: GPL-3.0-or-later
// Private-profile (INI) reads and writes: the lookup rules, the cut to the caller's buffer,
// integers, and writes checked as the whole file afterwards, byte for byte.
#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace rondel::profile {
namespace {

using test::ReadText;
using test::TempDir;

const std::string kZhong = "\xE4\xB8\xAD";  // three bytes each
const std::string kWen = "\xE6\x96\x87";
const std::string kGrin = "\xF0\x9F\x98\x80";  // four bytes

TEST(Profile, GetStringFindsTheValueAndCutsItToTheBuffer) {
  const struct { std::string file; const char* section; const char* key; std::size_t buf; std::string want; } cases[] = {
      {"[SetUp]\nLanguage=english\n", "SETUP", "lAnGuAgE", 99, "english"},
      {"[`]\nk=v\n", "@", "k", 99, "def"},  // only A-Z fold
      {"[z]\nk=v\n", "Z", "k", 99, "v"}, {"[a]\nk=v\n", "A", "k", 99, "v"},
      {"[s]\n{=v\n", "s", "[", 99, "def"},
      {"[\xC3\x84]\nk=v\n", "\xC3\xA4", "k", 99, "def"},
      {"[s]\n \t key \t=  \t two  words \t \n", " s\t", "\tkey ", 99, "two  words"},
      {"[s]\nk=\vv\n", "s", "k", 99, "\vv"},  // only blanks and tabs are trimmed
      {"  \t[  s \t] ; remark\nk=v\n", "s", "k", 99, "v"},
      {"[s\nk=v\n", "s", "k", 99, "v"},  // a header without "]" runs to the line's end
      {"[s]\nk = \"  spaced  \"  \n", "s", "k", 99, "  spaced  "},
      {"[s]\nk='x'\n", "s", "k", 99, "x"},   {"[s]\nk=\"\"\n", "s", "k", 99, ""},
      {"[s]\nk=\"x'\n", "s", "k", 99, "\"x'"}, {"[s]\nk=\"\n", "s", "k", 99, "\""},
      {"[s]\nk=\"ab\n", "s", "k", 99, "\"ab"}, {"[s]\nk=a;b=c\n", "s", "k", 99, "a;b=c"},
      {"[s]\nk=\n", "s", "k", 99, ""},
      {"[s]\n;k=x\nk=real\n", "s", "k", 99, "real"}, {"[s]\n \t;k=x\n", "s", "k", 99, "def"},
      {"[s]\n#k=x\n", "s", "#k", 99, "x"},    {"[s]\nk\n", "s", "k", 99, "def"},
      {"[s]\nk=1\nK=2\n", "s", "k", 99, "1"},
      {"[s]\na=1\n[t]\n[S]\na=3\nc=4\n", "s", "c", 99, "def"},  // a later [S] is shadowed
      {"[a]\nk=1\n[b]\nj=2\n", "b", "k", 99, "def"}, {"k=1\n[s]\n", "s", "k", 99, "def"},
      {"[s]\n=v\n", "s", "", 99, "def"},     {"[s]\nk=v\n", "", "k", 99, "def"},
      {"", "s", "k", 99, "def"},              {"[s]\r\nk = v \r\r\nj=w\r\n", "s", "k", 99, "v"},
      {"[s]\nk=v", "s", "k", 99, "v"},        {"\xEF\xBB\xBF[s]\nk=v\n", "s", "k", 99, "v"},
      {"[s]\nk=hello\n", "s", "k", 0, ""},    {"[s]\nk=hello\n", "s", "k", 1, ""},
      {"[s]\nk=hello\n", "s", "k", 5, "hell"}, {"[s]\nk=hello\n", "s", "k", 6, "hello"},
      {"[s]\n", "s", "k", 3, "de"},           {"[s]\n", "s", "k", 4, "def"},
      {"[s]\nk=" + kZhong + kWen + "\n", "s", "k", 3, ""},
      {"[s]\nk=" + kZhong + kWen + "\n", "s", "k", 4, kZhong},
      {"[s]\nk=" + kZhong + kWen + "\n", "s", "k", 6, kZhong},
      {"[s]\nk=" + kZhong + kWen + "\n", "s", "k", 7, kZhong + kWen},
      {"[s]\nk=a\xC3\xA9\n", "s", "k", 3, "a"}, {"[s]\nk=\xC3\xA9\x80\n", "s", "k", 3, "\xC3\xA9"},
      {"[s]\nk=" + kGrin + "x\n", "s", "k", 4, ""}, {"[s]\nk=" + kGrin + "x\n", "s", "k", 5, kGrin},
      {"[s]\nk=\x80\x80\x80\x80\n", "s", "k", 3, "\x80\x80"},  // stray bytes cut where they fall
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.Write("setting.ini", c.file);
    EXPECT_EQ(GetString(path, c.section, c.key, "def", c.buf), c.want) << c.file << " / " << c.key;
  }
}

// Every character kind behind ASCII of every length, cut at every byte: what is left ends on a
// whole character, keeps every character and every ASCII byte that fits, and drops no byte that
// is no part of a character. A byte that cannot begin a sequence (F8..FF, a continuation byte
// without a lead, the head of a cut-off sequence) counts as a character of its own.
TEST(Profile, ACutNeverSplitsACharacterAndKeepsAllThatFits) {
  using Units = std::vector<std::string>;  // each kept whole or not at all
  const Units heads[] = {{}, {"a"}, {"a", "b"}, {"a", "b", "c"}, {"a", "b", "c", "d"}};
  const Units bodies[] = {
      {"\xC2\x80"}, {"\xC3\xA9"}, {"\xDF\xBF"},                             // U+0080, U+00E9, U+07FF
      {"\xE0\xA0\x80"}, {kZhong}, {"\xEF\xBF\xBD"},                        // U+0800, U+4E2D, U+FFFD
      {"\xF0\x90\x80\x80"}, {kGrin}, {"\xF1\x80\x80\x80"}, {"\xF3\xB0\x80\x80"},
      {"\xF4\x8F\xBF\xBF"},                                                  // U+10000 .. U+10FFFF
      {kZhong, kGrin, "\xC3\xA9"}, {kGrin, kGrin},
      {"\xF8", "\x80", "\x80", "\x80"}, {"\xF9", "\x80", "\x80", "\x80"}, {"\xFB", "\x80", "\x80", "\x80"},
      {"\xFC", "\x80", "\x80", "\x80", "\x80"}, {"\xFD", "\xBF", "\xBF", "\xBF"},
      {"\xFE", "\x80", "\x80"}, {"\xFF", "\x80"},
      {"\x80"}, {"\xBF", "\xBF"}, {"\x80", "\x80", "\x80", "\x80", "\x80"},
      {"\xC3\xA9", "\xA9"}, {kGrin, "\x80", "\x80"},                          // more continuation bytes than the lead has
      {"\xE4\xB8", "a"}, {"\xF0\x9F\x98", "\xC3\xA9"}, {"\xC3", kZhong},   // sequences cut off early
  };
  TempDir dir;
  int file = 0;
  for (const Units& head : heads) {
    for (const Units& body : bodies) {
      Units units = head;
      units.insert(units.end(), body.begin(), body.end());
      units.push_back("z");
      std::string value;
      for (const std::string& u : units) value += u;
      const std::string path = dir.Write("cut" + std::to_string(file++) + ".ini", "[s]\nk=" + value + "\n");
      for (std::size_t buf = 0; buf <= value.size() + 1; ++buf) {
        const std::size_t room = buf == 0 ? 0 : buf - 1;  // a C buffer's, with its terminator
        std::string want;
        for (const std::string& u : units)
          if (want.size() + u.size() <= room) want += u;
          else break;
        EXPECT_EQ(GetString(path, "s", "k", "", buf), want) << testing::PrintToString(value) << " in " << buf;
        EXPECT_EQ(GetString(path, "s", "none", value, buf), want) << testing::PrintToString(value) << " in " << buf;
      }
    }
  }
}

TEST(Profile, GetIntReadsTheLeadingDigits) {
  const struct { const char* value; int want; } cases[] = {
      {"12", 12}, {"COM3", 0}, {"", 77}, {"\"\"", 77}, {" 7 ", 7}, {"-5", 0}, {"\"42\"", 42},
      {"1/", 1}, {"1:", 1}, {"09", 9}, {"2147483646", 2147483646}, {"2147483647", INT_MAX},
      {"99999999999999999999", INT_MAX},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("setting.ini", std::string("[setup]\ncom=") + c.value + "\n");
    EXPECT_EQ(GetInt(path, "setup", "com", 77), c.want) << c.value;
    EXPECT_EQ(GetInt(path, "setup", "other", -3), -3);
  }
  EXPECT_EQ(GetInt(dir.File("absent.ini"), "setup", "com", -1), -1);
  EXPECT_EQ(GetInt(dir.path(), "setup", "com", -2), -2);  // a folder reads as missing
}

TEST(Profile, WriteChangesOnlyItsEntry) {
  const struct { std::string before; const char* section; const char* key; std::string value; std::string after; } cases[] = {
      {"; top\r\n\r\n[Setup]\r\n  Language = english ; old\r\n  com=3\r\n\r\n; tail\r\n[o]\r\nx=1\r\n",
       "setup", "LANGUAGE", "chinese",
       "; top\r\n\r\n[Setup]\r\n  Language=chinese\r\n  com=3\r\n\r\n; tail\r\n[o]\r\nx=1\r\n"},
      {"[s]\nk=1\r\nj=2\n", "s", "k", "9", "[s]\nk=9\r\nj=2\n"},
      {"[s]\nk=1", "s", "k", "22", "[s]\nk=22"},
      {"k=top\n[s]\nk=1\nk=2\n", "s", "k", "", "k=top\n[s]\nk=\nk=2\n"},
      {"\xEF\xBB\xBF[a]\nx=1\n", "a", "x", "2", "\xEF\xBB\xBF[a]\nx=2\n"},
      {"[a]\nx=1\n\n; about b\n[b]\ny=2\n", "a", "z", "3", "[a]\nx=1\nz=3\n\n; about b\n[b]\ny=2\n"},
      {"[s]\nk=1\n; mid\nj=2\n; end\n", "s", "n", "v", "[s]\nk=1\n; mid\nj=2\nn=v\n; end\n"},
      {"[a]\n\n[b]\n", "a", "k", "v", "[a]\nk=v\n\n[b]\n"},
      {"[a]\nx=1", "a", "k", "v", "[a]\nx=1\nk=v\n"},
      {"[a]", "a", "k", "v", "[a]\nk=v\n"},
      {"[a]\r\nx=1\r\n", "a", "k", "v", "[a]\r\nx=1\r\nk=v\r\n"},
      {"[s]\na=1\n[t]\n[s]\nb=2\n", "s", "c", "3", "[s]\na=1\nc=3\n[t]\n[s]\nb=2\n"},
      {"[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
      {"[a]\nx=1", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
      {"[a]\nx=1\n\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
      {"[a]\r\nx=1\r\n", "b", "k", "v", "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
      {"", "b", "k", "v", "[b]\nk=v\n"},
      {"\xEF\xBB\xBF", "b", "k", "v", "\xEF\xBB\xBF[b]\nk=v\n"},
      {"[s]\n", " s ", " k\t", "a;b", "[s]\nk=a;b\n"},
      {"[s]\n", "s", "k", " padded", "[s]\nk=\" padded\"\n"},
      {"[s]\n", "s", "k", "padded\t", "[s]\nk=\"padded\t\"\n"},
      {"[s]\n", "s", "k", "'q'", "[s]\nk=\"'q'\"\n"},
      {"[s]\n", "s", "k", "\"", "[s]\nk=\"\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.Write("setting.ini", c.before);
    ASSERT_TRUE(WriteString(path, c.section, c.key, c.value)) << c.before;
    EXPECT_EQ(ReadText(path), c.after) << c.before;
    EXPECT_EQ(GetString(path, c.section, c.key, "def", 99), c.value) << c.before;
  }
}

TEST(Profile, WritesThatWouldBreakTheFileAreRefused) {
  const struct { const char* section; const char* key; const char* value; } cases[] = {
      {"", "k", "v"},  {" \t", "k", "v"}, {"s\nx", "k", "v"}, {"s\rx", "k", "v"},
      {"a[b", "k", "v"}, {"a]b", "k", "v"}, {"s", "", "v"}, {"s", "k\n", "v"}, {"s", "k\r", "v"},
      {"s", "a=b", "v"}, {"s", "[k", "v"}, {"s", "k]", "v"}, {"s", ";k", "v"},
      {"s", "k", "a\nb"}, {"s", "k", "a\rb"},
  };
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[s]\nk=1\n");
  for (const auto& c : cases) {
    EXPECT_FALSE(WriteString(path, c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_FALSE(WriteString(dir.File("absent.ini"), c.section, c.key, c.value));
  }
  EXPECT_EQ(ReadText(path), "[s]\nk=1\n");
  struct stat st {};
  EXPECT_NE(::stat(dir.File("absent.ini").c_str(), &st), 0);
  EXPECT_TRUE(WriteString(path, "s", "k;", "v")) << "only a leading ';' makes a comment";

  // A missing file is made; one that is there but cannot be taken is never replaced.
  ASSERT_TRUE(WriteString(dir.File("new.ini"), "setup", "com", "2"));
  EXPECT_EQ(ReadText(dir.File("new.ini")), "[setup]\ncom=2\n");
  EXPECT_FALSE(WriteString(dir.File("no/such.ini"), "s", "k", "v"));
  EXPECT_FALSE(WriteString(dir.path(), "s", "k", "v"));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteString(path, "s", "k", "5"));
  EXPECT_EQ(GetInt(path, "s", "k", 0), 1);
}

TEST(Profile, AFileLargerThanTheLimitReadsAsMissingAndIsNeverRewritten) {
  TempDir dir;
  std::string text = "[s]\nk=v\n;";
  text.resize(kMaxProfileBytes, 'x');
  const std::string path = dir.Write("setting.ini", text);
  EXPECT_EQ(GetString(path, "s", "k", "def", 99), "v");
  dir.Write("setting.ini", text + "x");
  EXPECT_EQ(GetString(path, "s", "k", "def", 99), "def");
  EXPECT_TRUE(GetSections(path).empty());
  EXPECT_FALSE(WriteString(path, "s", "k", "w"));
  EXPECT_EQ(ReadText(path).size(), kMaxProfileBytes + 1);
}

TEST(Profile, KeysAndSectionsInFileOrderFirstSpelling) {
  TempDir dir;
  const std::string path = dir.Write(
      "setting.ini", "\xEF\xBB\xBFk=0\n[a]\nB=1\n;c=2\nx\nb=4\n  d = 5\n=6\n[ B ] r\n;[c]\ne=7\n[b]\n  [e\n[]\n[A]\nf=8\n");
  EXPECT_EQ(GetSections(path), (std::vector<std::string>{"a", "B", "e"}));
  EXPECT_EQ(GetKeys(path, "A"), (std::vector<std::string>{"B", "d"}));
  EXPECT_EQ(GetKeys(path, "b"), (std::vector<std::string>{"e"}));
  EXPECT_TRUE(GetKeys(path, "z").empty());
  EXPECT_TRUE(GetKeys(path, " ").empty());
}

}  // namespace
}  // namespace rondel::profile
