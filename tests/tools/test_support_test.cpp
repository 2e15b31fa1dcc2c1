// The two helpers the command-line tests stand on: the JSON reader must refuse what is not
// JSON, and the process runner must neither hang nor lose output.
#include <gtest/gtest.h>

#include <csignal>

#include "support/json.h"
#include "support/process.h"

namespace rondel::test {
namespace {

struct GoodJson {
  const char* name;
  std::string text;
  std::string canonical;
};

const GoodJson kGoodJson[] = {
    {"KeyOrderKept", R"({"b":1,"a":[true,false,null]})", R"({"b":1,"a":[true,false,null]})"},
    {"WhiteSpace", " \t\r\n[ 1 , [ 2 , { \"x\" : \"y\" } ] ]\n", R"([1,[2,{"x":"y"}]])"},
    {"Empties", R"({"a":{},"b":[],"c":""})", R"({"a":{},"b":[],"c":""})"},
    {"NegativeZero", "-0", "0"},
    {"Smallest", "-9223372036854775808", "-9223372036854775808"},
    {"Largest", "9223372036854775807", "9223372036854775807"},
    {"Escapes", R"("\"\\\/\b\f\n\r\t")", "\"\\\"\\\\/\\u0008\\u000c\\u000a\\u000d\\u0009\""},
    {"UnicodeEscapes", R"("\u00e9\u20AC\ud83d\ude00")", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
    {"RawUtf8", "\"\xc3\xa9\xe2\x82\xac\"", "\"\xc3\xa9\xe2\x82\xac\""},
};

void PrintTo(const GoodJson& c, std::ostream* os) { *os << c.name; }

class CliSupportJsonGood : public ::testing::TestWithParam<GoodJson> {};

TEST_P(CliSupportJsonGood, Parses) {
  const json::ParseResult r = json::Parse(GetParam().text);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(json::ToText(r.value), GetParam().canonical);
}

INSTANTIATE_TEST_SUITE_P(Texts, CliSupportJsonGood, ::testing::ValuesIn(kGoodJson),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadJson {
  const char* name;
  std::string text;
};

const BadJson kBadJson[] = {
    {"Nothing", ""},
    {"OnlySpace", "  \n"},
    {"UnclosedObject", "{"},
    {"UnclosedArray", "[1"},
    {"TrailingCommaInArray", "[1,]"},
    {"TrailingCommaInObject", R"({"a":1,})"},
    {"MissingColon", R"({"a" 1})"},
    {"BareKey", "{a:1}"},
    {"DuplicateKey", R"({"a":1,"a":2})"},
    {"SecondValue", "[1] 2"},
    {"LeadingZero", "01"},
    {"Fraction", "1.5"},
    {"Exponent", "1e3"},
    {"PlusSign", "+1"},
    {"LoneMinus", "-"},
    {"TooLarge", "9223372036854775808"},
    {"TooSmall", "-9223372036854775809"},
    {"UnclosedString", R"("abc)"},
    {"RawTab", "\"a\tb\""},
    {"RawNewline", "\"a\nb\""},
    {"UnknownEscape", R"("\x41")"},
    {"ShortUnicodeEscape", R"("\u12")"},
    {"LoneHighSurrogate", R"("\ud800")"},
    {"LoneLowSurrogate", R"("\udc00")"},
    {"SingleQuotes", "'a'"},
    {"TruncatedTrue", "tru"},
    {"CapitalNull", "Null"},
    {"InvalidUtf8", "\"\xff\""},
    {"OverlongUtf8", "\"\xc0\xaf\""},
    {"TruncatedUtf8", "\"\xe2\x82\""},
    {"DeepNesting", std::string(200, '[') + std::string(200, ']')},
};

void PrintTo(const BadJson& c, std::ostream* os) { *os << c.name; }

class CliSupportJsonBad : public ::testing::TestWithParam<BadJson> {};

TEST_P(CliSupportJsonBad, IsRefusedWithAReason) {
  const json::ParseResult r = json::Parse(GetParam().text);
  EXPECT_FALSE(r.ok) << "parsed as " << json::ToText(r.value);
  EXPECT_NE(r.error, "");
}

INSTANTIATE_TEST_SUITE_P(Texts, CliSupportJsonBad, ::testing::ValuesIn(kBadJson),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliSupportJson, FindsMembersAndTellsKindsApart) {
  const json::ParseResult r = json::Parse(R"({"n":5,"s":"5","l":[5]})");
  ASSERT_TRUE(r.ok);
  ASSERT_TRUE(r.value.Find("n") && r.value.Find("n")->AsInteger());
  EXPECT_EQ(*r.value.Find("n")->AsInteger(), 5);
  EXPECT_EQ(r.value.Find("s")->AsInteger(), nullptr);
  EXPECT_EQ(*r.value.Find("s")->AsString(), "5");
  EXPECT_EQ(r.value.Find("x"), nullptr);
  EXPECT_FALSE(*r.value.Find("n") == *r.value.Find("s"));
}

// ---------------------------------------------------------------------------------------------

ProcessResult Shell(const std::string& script, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  return RunProcess("/bin/sh", {"-c", script}, limit);
}

TEST(CliSupportProcess, KeepsStatusAndBothStreamsApart) {
  const ProcessResult r = Shell("echo out; echo err >&2; printf more; exit 7");
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_EQ(r.exitStatus, 7);
  EXPECT_EQ(r.termSignal, 0);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.out, "out\nmore");
  EXPECT_EQ(r.err, "err\n");
}

TEST(CliSupportProcess, PassesArgumentsVerbatim) {
  const ProcessResult r =
      RunProcess("/bin/sh", {"-c", "printf '%s|' \"$@\"", "sh", "a b", "", "c'd", "*"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "a b||c'd|*|");
}

TEST(CliSupportProcess, ReadsMuchOfBothStreamsWithoutDeadlock) {
  // A megabyte on standard error before anything on standard output fills any pipe buffer.
  const ProcessResult r = Shell(
      "head -c 1048576 /dev/zero >&2; head -c 1048577 /dev/zero; head -c 3 /dev/zero >&2",
      std::chrono::seconds(20));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out.size(), 1048577u);
  EXPECT_EQ(r.err.size(), 1048579u);
}

TEST(CliSupportProcess, GivesTheChildAnEmptyStandardInput) {
  const ProcessResult r = Shell("cat; echo done", std::chrono::seconds(10));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.out, "done\n");
}

TEST(CliSupportProcess, KillsAHungChildAtTheTimeLimitAndKeepsWhatItSaid) {
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = Shell("echo early; exec sleep 30", std::chrono::milliseconds(300));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.termSignal, SIGKILL);
  EXPECT_EQ(r.exitStatus, -1);
  EXPECT_EQ(r.out, "early\n");
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(CliSupportProcess, ReportsAProgramThatCannotStart) {
  const ProcessResult r = RunProcess("/nonexistent/program", {});
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.error, "");
}

}  // namespace
}  // namespace rondel::test
