// Comma-separated records as RFC 4180 has them: quoting, line ends of both kinds, the line a
// record begins on, malformed quotes, and lines written so that reading gives the fields back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/csv_records.h"

namespace rondel {
namespace {

using Fields = std::vector<std::string>;

struct ParseCase {
  const char* what;
  std::string text;
  std::vector<std::pair<int, Fields>> records;  // line, fields
};

TEST(CsvRecords, ParsesFieldsAndTheLineEachRecordBeginsOn) {
  const ParseCase cases[] = {
      {"LF line ends", "a,b\nc,d\n", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
      {"CRLF line ends, none after the last", "a,b\r\nc,d", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
      {"a CR alone ends a line too", "a\rb\r\n", {{1, {"a"}}, {2, {"b"}}}},
      {"empty fields, a trailing comma", ",a,,\n", {{1, {"", "a", "", ""}}}},
      {"a blank line is a record of one empty field", "a\n\nb\n", {{1, {"a"}}, {2, {""}}, {3, {"b"}}}},
      {"quoted commas and doubled quotes", "\"a,b\",\"say \"\"hi\"\"\",\"\"\n",
       {{1, {"a,b", "say \"hi\"", ""}}}},
      {"line breaks inside quotes move the line count", "\"x\r\ny\nz\",1\n2,\"\"\n3\n",
       {{1, {"x\r\ny\nz", "1"}}, {4, {"2", ""}}, {5, {"3"}}}},
      {"blanks are part of a field", " a , b \n", {{1, {" a ", " b "}}}},
      {"a byte-order mark is skipped", "\xEF\xBB\xBF" "a,b\n", {{1, {"a", "b"}}}},
      {"UTF-8 passes as it is", "\xE4\xBF\xA1\xE9\x81\x93,1\n", {{1, {"\xE4\xBF\xA1\xE9\x81\x93", "1"}}}},
      {"an empty text has no records", "", {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CsvParse p = ParseCsv(c.text);
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.records.size(), c.records.size());
    for (std::size_t k = 0; k < c.records.size(); ++k) {
      EXPECT_EQ(p.records[k].line, c.records[k].first) << "record " << k;
      EXPECT_EQ(p.records[k].fields, c.records[k].second) << "record " << k;
    }
  }
}

TEST(CsvRecords, MalformedQuotesAreRefusedWithTheirLine) {
  const std::pair<const char*, int> cases[] = {
      {"a,b\n\"open,c\n", 2},          // never closed: the line it opened on
      {"a\nb\n\"x\ny\n", 3},
      {"a,b\nc,d\"e\n", 2},            // a quote inside an unquoted field
      {"a\n\"x\"y,z\n", 2},            // text after the closing quote
      {"\"x\ny\"z\n", 2},              // ... on the line the field ended on
  };
  for (const auto& [text, line] : cases) {
    SCOPED_TRACE(text);
    const CsvParse p = ParseCsv(text);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.errorLine, line);
    EXPECT_TRUE(p.records.empty());
  }
}

TEST(CsvRecords, BlankRecordsHoldNothingButBlanks) {
  EXPECT_TRUE(IsBlankRecord({1, {""}}));
  EXPECT_TRUE(IsBlankRecord({1, {"", " ", "\t"}}));
  EXPECT_FALSE(IsBlankRecord({1, {"", "0"}}));
}

TEST(CsvRecords, LinesQuoteOnlyWhatMustBeQuotedAndReadBackTheSame) {
  const std::pair<Fields, const char*> cases[] = {
      {{"1", "446.00625", ""}, "1,446.00625,\r\n"},
      {{"a,b"}, "\"a,b\"\r\n"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
      {{"two\nlines", "x"}, "\"two\nlines\",x\r\n"},
      {{" lead", "trail "}, "\" lead\",\"trail \"\r\n"},
      {{""}, "\r\n"},
  };
  for (const auto& [fields, line] : cases) {
    SCOPED_TRACE(line);
    EXPECT_EQ(CsvLine(fields), line);
    const CsvParse p = ParseCsv(CsvLine(fields) + CsvLine({"end"}));
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.records.size(), 2u);
    EXPECT_EQ(p.records[0].fields, fields);
  }
}

}  // namespace
}  // namespace rondel
