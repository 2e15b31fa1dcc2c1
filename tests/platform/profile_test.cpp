// Private-profile reads and writes: lookups, cuts, integers, byte-exact in-place writes.
#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace rondel::profile {
namespace {

using test::ReadText;
using test::TempDir;

// ---------------------------------------------------------------------------------------------
// Lookups: one file, one question, one answer.

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kDef = "<default>";

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsTheValue) {
  const ReadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("setting.ini", c.file);
  EXPECT_EQ(GetString(path, c.section, c.key, kDef, 1000), c.expected);
}

const ReadCase kReadCases[] = {
    {"SectionAndKeyWithoutCase", "[SetUp]\nLanguage=english\n", "SETUP", "lAnGuAgE", "english"},
    {"OnlyAsciiLettersFold", "[\xC3\x84]\nk=v\n", "\xC3\xA4", "k", kDef},
    {"BlanksAroundKeyAndValue", "[s]\n \t key \t=  \t two  words \t \n", "s", "key", "two  words"},
    {"BlanksAroundHeaderAndName", "  \t[  setup \t]\nk=v\n", "setup", "k", "v"},
    {"TextAfterBracketIgnored", "[s] ; a remark [t]\nk=v\n", "s", "k", "v"},
    {"HeaderWithoutClosingBracket", "[s\nk=v\n", "s", "k", "v"},
    {"NamesAskedWithBlanks", "[s]\nk=v\n", "  s ", "\tk ", "v"},
    {"KeyWithInnerBlank", "[s]\nmy key = v\n", "s", "my key", "v"},
    {"DoubleQuotesDropped", "[s]\nk = \"  spaced  \"  \n", "s", "k", "  spaced  "},
    {"SingleQuotesDropped", "[s]\nk='x'\n", "s", "k", "x"},
    {"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", ""},
    {"MixedQuotesKept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
    {"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "\""},
    {"QuoteAtOneEndKept", "[s]\nk=\"abc\n", "s", "k", "\"abc"},
    {"InnerQuotesKept", "[s]\nk=a\"b\"c\n", "s", "k", "a\"b\"c"},
    {"SemicolonInValueKept", "[s]\nk=a;b ; c\n", "s", "k", "a;b ; c"},
    {"EqualsInValueKept", "[s]\nk=a=b\n", "s", "k", "a=b"},
    {"EmptyValueIsNotMissing", "[s]\nk=\n", "s", "k", ""},
    {"CommentIsNoKey", "[s]\n;k=commented\nk=real\n", "s", "k", "real"},
    {"IndentedCommentIsNoKey", "[s]\n \t;k=x\n", "s", "k", kDef},
    {"HashIsNoComment", "[s]\n#k=x\n", "s", "#k", "x"},
    {"LineWithoutEqualsIgnored", "[s]\nk\n", "s", "k", kDef},
    {"FirstDuplicateKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
    {"FirstDuplicateSectionWins", "[s]\na=1\n[t]\n[S]\na=3\n", "s", "a", "1"},
    {"LaterDuplicateSectionShadowed", "[s]\na=1\n[t]\n[S]\nc=4\n", "s", "c", kDef},
    {"KeyOfAnotherSection", "[a]\nk=1\n[b]\nj=2\n", "b", "k", kDef},
    {"KeyBeforeAnySection", "k=1\n[s]\n", "s", "k", kDef},
    {"EmptyKeyNameNotFound", "[s]\n=v\n", "s", "", kDef},
    {"MissingSection", "[a]\nk=1\n", "b", "k", kDef},
    {"MissingKey", "[a]\nk=1\n", "a", "j", kDef},
    {"EmptyFile", "", "a", "k", kDef},
    {"CrLfEndings", "[s]\r\nk = v \r\nj=w\r\n", "s", "k", "v"},
    {"CrLfNoCrInValue", "[s]\r\nk=v\r\n", "s", "k", "v"},
    {"NoFinalNewline", "[s]\nk=v", "s", "k", "v"},
    {"ByteOrderMark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
    {"Utf8Value", "[s]\nk=\xE4\xB8\xAD\xE6\x96\x87\n", "s", "k", "\xE4\xB8\xAD\xE6\x96\x87"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Cutting to the buffer: bufSize - 1 bytes, never half a UTF-8 character.

struct CutCase {
  const char* name;
  std::string value;
  std::size_t bufSize;
  std::string expected;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class ProfileCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(ProfileCut, CutsTheValue) {
  const CutCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[s]\nk=" + c.value + "\n");
  EXPECT_EQ(GetString(path, "s", "k", "unused", c.bufSize), c.expected);
}

TEST_P(ProfileCut, CutsTheDefaultTheSameWay) {
  const CutCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[s]\n");
  EXPECT_EQ(GetString(path, "s", "k", c.value, c.bufSize), c.expected);
}

const std::string kZhong = "\xE4\xB8\xAD";  // three bytes
const std::string kWen = "\xE6\x96\x87";
const std::string kGrin = "\xF0\x9F\x98\x80";  // four bytes

const CutCase kCutCases[] = {
    {"ZeroBuffer", "hello", 0, ""},
    {"OneByteBuffer", "hello", 1, ""},
    {"Shorter", "hello", 3, "he"},
    {"OneShort", "hello", 5, "hell"},
    {"ExactFit", "hello", 6, "hello"},
    {"Roomy", "hello", 100, "hello"},
    {"ChineseAtBoundary", kZhong + kWen, 4, kZhong},
    {"ChineseMidSecondChar", kZhong + kWen, 5, kZhong},
    {"ChineseLastByteMissing", kZhong + kWen, 6, kZhong},
    {"ChineseMidFirstChar", kZhong + kWen, 3, ""},
    {"ChineseWhole", kZhong + kWen, 7, kZhong + kWen},
    {"AsciiThenChinese", "a" + kZhong, 3, "a"},
    {"TwoByteChar", "a\xC3\xA9", 3, "a"},
    {"FourByteChar", kGrin + "x", 4, ""},
    {"FourByteCharWhole", kGrin + "x", 5, kGrin},
    {"StrayContinuationBytesCutBytewise", "\x80\x80\x80\x80\x80", 3, "\x80\x80"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileCut, ::testing::ValuesIn(kCutCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Integers: the leading decimal digits.

struct IntCase {
  const char* name;
  const char* value;
  int expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

constexpr int kIntDef = 77;

class ProfileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ReadsLeadingDigits) {
  const IntCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("setting.ini", std::string("[setup]\ncom=") + c.value + "\n");
  EXPECT_EQ(GetInt(path, "setup", "com", kIntDef), c.expected);
}

const IntCase kIntCases[] = {
    {"Plain", "12", 12},
    {"PortName", "COM3", 0},
    {"Empty", "", kIntDef},
    {"Blanks", " 7 ", 7},
    {"Negative", "-5", 0},
    {"Plus", "+5", 0},
    {"Huge", "99999999999", INT_MAX},
    {"IntMax", "2147483647", INT_MAX},
    {"OnePastIntMax", "2147483648", INT_MAX},
    {"Hex", "0x10", 0},
    {"DigitsThenText", "12abc", 12},
    {"LeadingZeros", "007", 7},
    {"Zero", "0", 0},
    {"Quoted", "\"42\"", 42},
    {"QuotedEmpty", "\"\"", kIntDef},
    {"InnerBlank", "1 2", 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileInt, ::testing::ValuesIn(kIntCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileIntDefaults, MissingFileSectionOrKeyGiveTheDefault) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[setup]\ncom=3\n");
  EXPECT_EQ(GetInt(dir.File("absent.ini"), "setup", "com", -1), -1);
  EXPECT_EQ(GetInt(path, "other", "com", -2), -2);
  EXPECT_EQ(GetInt(path, "setup", "searchcom", -3), -3);
  EXPECT_EQ(GetInt(path, "setup", "com", -4), 3);
}

// ---------------------------------------------------------------------------------------------
// Missing and unreadable files read as defaults.

TEST(ProfileMissingFile, ReadsAsDefaults) {
  TempDir dir;
  const std::string absent = dir.File("absent.ini");
  EXPECT_EQ(GetString(absent, "setup", "language", "Not Found", 1000), "Not Found");
  EXPECT_EQ(GetString(absent, "setup", "language", "Not Found", 4), "Not");
  EXPECT_TRUE(GetKeys(absent, "setup").empty());
  EXPECT_TRUE(GetSections(absent).empty());
}

TEST(ProfileMissingFile, FolderInPlaceOfFileReadsAsDefaults) {
  TempDir dir;
  EXPECT_EQ(GetString(dir.path(), "s", "k", "def", 100), "def");
  EXPECT_EQ(GetInt(dir.path(), "s", "k", 5), 5);
}

// ---------------------------------------------------------------------------------------------
// Writes: the whole file after the write, byte for byte.

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  std::string value;
  std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyTheEntry) {
  const WriteCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("setting.ini", c.before);
  ASSERT_TRUE(WriteString(path, c.section, c.key, c.value));
  EXPECT_EQ(ReadText(path), c.after);
  EXPECT_EQ(GetString(path, c.section, c.key, kDef, 1000), c.value);
}

const WriteCase kWriteCases[] = {
    {"InPlaceKeepsCommentsBlanksAndCrLf",
     "; top remark\r\n\r\n[Setup]\r\n  Language = english\r\n  com=3\r\n\r\n; tail\r\n[other]\r\nx=1\r\n",
     "setup", "language", "chinese",
     "; top remark\r\n\r\n[Setup]\r\n  Language=chinese\r\n  com=3\r\n\r\n; tail\r\n[other]\r\nx=1\r\n"},
    {"InPlaceKeepsKeySpelling", "[SETUP]\nCom = 1\n", "setup", "COM", "4", "[SETUP]\nCom=4\n"},
    {"InPlaceKeepsThatLinesEnding", "[s]\nk=1\r\nj=2\n", "s", "k", "9", "[s]\nk=9\r\nj=2\n"},
    {"InPlaceLastLineWithoutNewline", "[s]\nk=1", "s", "k", "22", "[s]\nk=22"},
    {"InPlaceDropsOldSemicolonText", "[s]\nk=1 ; old remark\n", "s", "k", "2", "[s]\nk=2\n"},
    {"InPlaceFirstDuplicateKey", "[s]\nk=1\nk=2\n", "s", "k", "9", "[s]\nk=9\nk=2\n"},
    {"InPlaceNotTheKeyAboveTheSection", "k=top\n[s]\nk=1\n", "s", "k", "2", "k=top\n[s]\nk=2\n"},
    {"InPlaceUnderHeaderWithRemark", "[s] ; remark\nk=1\n", "s", "k", "2", "[s] ; remark\nk=2\n"},
    {"InPlaceKeepsByteOrderMark", "\xEF\xBB\xBF[a]\nx=1\n", "a", "x", "2", "\xEF\xBB\xBF[a]\nx=2\n"},
    {"InPlaceEmptyValue", "[s]\nk=1\n", "s", "k", "", "[s]\nk=\n"},
    {"AddKeyBeforeBlankAndRemark", "[a]\nx=1\n\n; about b\n[b]\ny=2\n", "a", "z", "3",
     "[a]\nx=1\nz=3\n\n; about b\n[b]\ny=2\n"},
    {"AddKeyAfterLastEntryPastRemark", "[s]\nk=1\n; mid\nj=2\n; end\n", "s", "n", "v",
     "[s]\nk=1\n; mid\nj=2\nn=v\n; end\n"},
    {"AddKeyToEmptySection", "[a]\n\n[b]\n", "a", "k", "v", "[a]\nk=v\n\n[b]\n"},
    {"AddKeyAtEndWithoutNewline", "[a]\nx=1", "a", "k", "v", "[a]\nx=1\nk=v\n"},
    {"AddKeyUnderLoneHeaderWithoutNewline", "[a]", "a", "k", "v", "[a]\nk=v\n"},
    {"AddKeyCrLf", "[a]\r\nx=1\r\n", "a", "k", "v", "[a]\r\nx=1\r\nk=v\r\n"},
    {"AddKeyToFirstDuplicateSection", "[s]\na=1\n[t]\n[s]\nb=2\n", "s", "c", "3",
     "[s]\na=1\nc=3\n[t]\n[s]\nb=2\n"},
    {"AddSection", "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
    {"AddSectionWithoutFinalNewline", "[a]\nx=1", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
    {"AddSectionAfterBlankLine", "[a]\nx=1\n\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
    {"AddSectionCrLf", "[a]\r\nx=1\r\n", "b", "k", "v", "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
    {"AddSectionToEmptyFile", "", "b", "k", "v", "[b]\nk=v\n"},
    {"AddSectionKeepsByteOrderMark", "\xEF\xBB\xBF", "b", "k", "v", "\xEF\xBB\xBF[b]\nk=v\n"},
    {"NamesTrimmed", "[s]\nk=1\n", " s ", " k\t", "2", "[s]\nk=2\n"},
    {"SemicolonValueWrittenAsIs", "[s]\n", "s", "k", "a;b", "[s]\nk=a;b\n"},
    {"PaddedValueQuoted", "[s]\n", "s", "k", "  padded  ", "[s]\nk=\"  padded  \"\n"},
    {"QuotedValueQuotedAgain", "[s]\n", "s", "k", "\"q\"", "[s]\nk=\"\"q\"\"\n"},
    {"SingleQuotedValueQuoted", "[s]\n", "s", "k", "'q'", "[s]\nk=\"'q'\"\n"},
    {"LoneQuoteWrittenAsIs", "[s]\n", "s", "k", "\"", "[s]\nk=\"\n"},
    {"Utf8Value", "[s]\nk=1\n", "s", "k", kZhong + kWen, "[s]\nk=" + kZhong + kWen + "\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileWriteFile, CreatesAMissingFile) {
  TempDir dir;
  const std::string path = dir.File("new.ini");
  ASSERT_TRUE(WriteString(path, "setup", "language", "english"));
  EXPECT_EQ(ReadText(path), "[setup]\nlanguage=english\n");
  ASSERT_TRUE(WriteString(path, "setup", "com", "2"));
  EXPECT_EQ(ReadText(path), "[setup]\nlanguage=english\ncom=2\n");
}

TEST(ProfileWriteFile, MissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(WriteString(dir.File("no/such/folder.ini"), "s", "k", "v"));
}

TEST(ProfileWriteFile, FolderInPlaceOfFileFails) {
  TempDir dir;
  EXPECT_FALSE(WriteString(dir.path(), "s", "k", "v"));
}

TEST(ProfileWriteFile, ReadOnlyFileRefusedAndUnchanged) {
  TempDir dir;
  const std::string before = "[setup]\r\ncom=3\r\n";
  const std::string path = dir.Write("setting.ini", before);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteString(path, "setup", "com", "5"));
  EXPECT_FALSE(WriteString(path, "setup", "language", "english"));
  EXPECT_FALSE(WriteString(path, "new", "k", "v"));
  EXPECT_EQ(ReadText(path), before);
  EXPECT_EQ(GetInt(path, "setup", "com", 0), 3);
}

TEST(ProfileWriteFile, KeepsPermissionBits) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[s]\nk=1\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteString(path, "s", "k", "2"));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Names and values that would break the file's lines apart are refused before anything is
// written, and a refused write leaves no file behind.
struct RejectCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class ProfileWriteRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(ProfileWriteRejects, LeavesTheFileAlone) {
  const RejectCase& c = GetParam();
  TempDir dir;
  const std::string before = "[s]\nk=1\n";
  const std::string path = dir.Write("setting.ini", before);
  EXPECT_FALSE(WriteString(path, c.section, c.key, c.value));
  EXPECT_EQ(ReadText(path), before);
  const std::string absent = dir.File("absent.ini");
  EXPECT_FALSE(WriteString(absent, c.section, c.key, c.value));
  struct stat st {};
  EXPECT_NE(::stat(absent.c_str(), &st), 0);
}

const RejectCase kRejectCases[] = {
    {"EmptySection", "", "k", "v"},
    {"BlankSection", " \t ", "k", "v"},
    {"EmptyKey", "s", "", "v"},
    {"BlankKey", "s", "  ", "v"},
    {"SectionWithNewline", "s\nx", "k", "v"},
    {"SectionWithCr", "s\rx", "k", "v"},
    {"SectionWithOpenBracket", "a[b", "k", "v"},
    {"SectionWithCloseBracket", "a]b", "k", "v"},
    {"KeyWithNewline", "s", "k\nx", "v"},
    {"KeyWithCr", "s", "k\r", "v"},
    {"KeyWithEquals", "s", "a=b", "v"},
    {"KeyWithBracket", "s", "[k]", "v"},
    {"KeyLikeComment", "s", ";k", "v"},
    {"ValueWithNewline", "s", "k", "a\nb"},
    {"ValueWithCr", "s", "k", "a\rb"},
    {"ValueWithCrLf", "s", "k", "a\r\n[x]"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWriteRejects, ::testing::ValuesIn(kRejectCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Each read sees the file as it is at that moment.

TEST(ProfileFreshReads, ReadAfterWriteSeesTheNewValue) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[setup]\ncom=1\n");
  for (int port = 2; port <= 20; ++port) {
    ASSERT_TRUE(WriteString(path, "setup", "com", std::to_string(port)));
    EXPECT_EQ(GetInt(path, "setup", "com", 0), port);
  }
  EXPECT_EQ(ReadText(path), "[setup]\ncom=20\n");
}

TEST(ProfileFreshReads, HandEditBetweenReadsIsSeen) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[setup]\nlanguage=english\n");
  EXPECT_EQ(GetString(path, "setup", "language", "", 260), "english");
  dir.Write("setting.ini", "[setup]\nlanguage=chinese\n");
  EXPECT_EQ(GetString(path, "setup", "language", "", 260), "chinese");
  EXPECT_EQ(GetKeys(path, "setup"), std::vector<std::string>{"language"});
  dir.Write("setting.ini", "[other]\n");
  EXPECT_EQ(GetString(path, "setup", "language", "gone", 260), "gone");
  EXPECT_EQ(GetSections(path), std::vector<std::string>{"other"});
}

TEST(ProfileFreshReads, WriteMergesWithAHandEdit) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[setup]\ncom=1\n");
  ASSERT_TRUE(WriteString(path, "setup", "com", "2"));
  dir.Write("setting.ini", "[setup]\ncom=2\nsearchcom=0\n");
  ASSERT_TRUE(WriteString(path, "setup", "com", "3"));
  EXPECT_EQ(ReadText(path), "[setup]\ncom=3\nsearchcom=0\n");
}

// ---------------------------------------------------------------------------------------------
// Listing keys and sections.

TEST(ProfileList, KeysInFileOrderFirstSpelling) {
  TempDir dir;
  const std::string path =
      dir.Write("setting.ini", "[s]\nB=1\n;c=2\na=3\nnoequals\nb=4\n  d = 5\n=6\n[t]\ne=7\n[S]\nf=8\n");
  EXPECT_EQ(GetKeys(path, "S"), (std::vector<std::string>{"B", "a", "d"}));
  EXPECT_EQ(GetKeys(path, "t"), (std::vector<std::string>{"e"}));
  EXPECT_TRUE(GetKeys(path, "u").empty());
  EXPECT_TRUE(GetKeys(path, "").empty());
}

TEST(ProfileList, SectionsInFileOrderFirstSpelling) {
  TempDir dir;
  const std::string path =
      dir.Write("setting.ini", "k=0\n[a]\n[ B ] remark\n;[c]\n[b]\nx=[d]\n  [e\n[]\n[A]\n");
  EXPECT_EQ(GetSections(path), (std::vector<std::string>{"a", "B", "e"}));
}

TEST(ProfileList, ByteOrderMarkIsNoPartOfTheFirstName) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "\xEF\xBB\xBF[Face]\r\ndisp=English\r\n");
  EXPECT_EQ(GetSections(path), std::vector<std::string>{"Face"});
  EXPECT_EQ(GetKeys(path, "face"), std::vector<std::string>{"disp"});
}

}  // namespace
}  // namespace rondel::profile
