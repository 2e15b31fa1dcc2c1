// Channel lists as CSV: the RFC 4180 records underneath, the export of every kind of channel,
// the import of our columns and of the common channel list through the grid's edit rules, the
// warnings for what the form adjusts, the refusals (which leave the image as it was), the
// round trip, and the messages.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "shell/channel_csv.h"
#include "shell/csv_records.h"
#include "shell/language.h"
#include "shell_rig.h"

namespace rondel {
namespace {

using namespace test;  // NOLINT: the rig's channel bytes
using Fields = std::vector<std::string>;

TEST(CsvRecords, FieldsAndTheLineEachRecordBeginsOn) {
  const std::pair<std::string, std::vector<std::pair<int, Fields>>> cases[] = {
      {"a,b\r\nc,d", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
      {"a\rb\n\n,a,,\n", {{1, {"a"}}, {2, {"b"}}, {3, {""}}, {4, {"", "a", "", ""}}}},
      {"\"a,b\",\"say \"\"hi\"\"\",\"\"\n", {{1, {"a,b", "say \"hi\"", ""}}}},
      {"\"x\r\ny\nz\",1\n 2 ,\"\"\n3", {{1, {"x\r\ny\nz", "1"}}, {4, {" 2 ", ""}}, {5, {"3"}}}},
      {"\xEF\xBB\xBF" "a\n", {{1, {"a"}}}},
      {"", {}},
  };
  for (const auto& [text, records] : cases) {
    const CsvParse p = ParseCsv(text);
    ASSERT_TRUE(p.ok) << text;
    std::vector<std::pair<int, Fields>> got;
    for (const CsvRecord& r : p.records) got.emplace_back(r.line, r.fields);
    EXPECT_EQ(got, records) << text;
  }
  for (const auto& [text, line] : std::vector<std::pair<std::string, int>>{
           {"a,b\n\"open,c\n", 2}, {"a,b\nc,d\"e\n", 2}, {"a\n\"x\"y,z\n", 2}, {"\"x\ny\"z\n", 2}}) {
    const CsvParse p = ParseCsv(text);
    EXPECT_EQ(std::make_tuple(p.ok, p.errorLine, p.records.size()), std::make_tuple(false, line, 0u))
        << text;
  }
  EXPECT_TRUE(IsBlankRecord({1, {"", " ", "\t"}}));
  EXPECT_FALSE(IsBlankRecord({1, {"", "0"}}));
}

TEST(CsvRecords, LinesQuoteOnlyWhatMustBeQuoted) {
  const std::pair<Fields, const char*> cases[] = {
      {{"1", "446.00625", ""}, "1,446.00625,\r\n"}, {{"a,b"}, "\"a,b\"\r\n"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},    {{"two\nlines", "x"}, "\"two\nlines\",x\r\n"},
      {{" lead", "trail "}, "\" lead\",\"trail \"\r\n"}, {{""}, "\r\n"},
  };
  for (const auto& [fields, line] : cases) {
    EXPECT_EQ(CsvLine(fields), line);
    EXPECT_EQ(ParseCsv(line).records.at(0).fields, fields) << line;
  }
}

struct Where {
  CsvProblem problem;
  int line;
  std::string column, value;
  bool operator==(const Where&) const = default;
};
void PrintTo(const Where& w, std::ostream* os) {
  *os << "{problem " << int(w.problem) << ", line " << w.line << ", '" << w.column << "', '" << w.value << "'}";
}
Where W(const CsvIssue& i) { return {i.problem, i.line, i.column, i.value}; }

class ChannelCsv : public ShellRig {
 protected:
  Where Refusal(const std::string& csv) {
    const CRondelDoc::Image before = doc.image();
    const CsvImport r = ImportChannelCsv(doc, settings, csv);
    EXPECT_TRUE(doc.image() == before) << "a refused list changed the image";
    EXPECT_FALSE(r.changed);
    return r.refusal ? W(*r.refusal) : Where{};
  }
  std::vector<Where> Warnings(const std::string& csv) {
    const CsvImport r = ImportChannelCsv(doc, settings, csv);
    EXPECT_TRUE(r.Imported()) << (r.refusal ? r.refusal->column + " " + r.refusal->value : "");
    std::vector<Where> out;
    for (const CsvIssue& w : r.warnings) out.push_back(W(w));
    return out;
  }
};

constexpr const char* kHeader =
    "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,opt8Off,opt9Off,opt10Off,opt11Off\r\n";

TEST_F(ChannelCsv, ExportWritesEachChannelOfTheFormAsTheGridShowsIt) {
  Put(doc, 1, {k446_00625, k446_00625});
  Put(doc, 2, {k446_00625, kNoFreq, k88_5, k88_5});
  Put(doc, 3, {k446_00625, k446_10000, kD023N, kD754I, 0x82});
  Put(doc, 4, {kNoFreq, k446_10000, k88_5, kD023N, 0x00});
  Put(doc, 5, {k446_00300, k480, k88_6, kD777I, 0x10});
  Put(doc, 6, {k446_00625, k446_00625, kOff, kOff, 0x05});
  Put(doc, 11, {k446_00625, k446_00625});
  EXPECT_EQ(ExportChannelCsv(doc, settings),
            std::string(kHeader) +
                "1,446.00625,,446.00625,,0,0,1,1,1,1,1\r\n2,446.00625,88.5,,,0,0,1,1,1,1,1\r\n"
                "3,446.00625,D023N,446.10000,D754I,0,0,0,0,0,0,1\r\n4,,,,,,,,,,,\r\n"
                "5,446.00300,88.6,480.00000,D777I,1,0,0,0,0,0,0\r\n"
                "6,446.00625,,446.00625,,0,1,0,1,0,0,0\r\n7,,,,,,,,,,,\r\n8,,,,,,,,,,,\r\n"
                "9,,,,,,,,,,,\r\n10,,,,,,,,,,,\r\n");
}

TEST_F(ChannelCsv, ImportMakesEachValueAsTheGridsEditOfItsCell) {
  const Ch same{k446_00625, k446_00625, k88_5, k88_5, 0x10};
  const Ch split{k446_00625, k446_10000, k88_5, kD023N, 0x10};
  const struct {
    int n;
    Ch before;
    std::string csv;
    Ch after;
  } cases[] = {
      {1, {}, "channel,rxFreq\n1,446.00625\n", {k446_00625, k446_00625}},
      {10, {}, std::string(kHeader) + "10,446.00625,88.5,446.1,D754I,1,1,0,0,1,0,1\n",
       {k446_00625, k446_10000, k88_5, kD754I, 0xB6}},
      {4, same, "channel,rxFreq,rxTone\n4,446.1,D023I\n", {k446_10000, k446_10000, kD023I, kD023I, 0x10}},
      {4, split, "channel,rxFreq\n4,446.00300\n", {k446_00500, k446_10000, k88_5, kD023N, 0x10}},
      {4, same, "channel,txTone\n4,67\n", {k446_00625, k446_00625, k88_5, k67_0, 0x10}},
      {4, split, "channel,rxFreq,rxTone\n4,,\n", {.flags = 0xE9}},
      {4, {kNoFreq, k446_10000, k88_5, kD023N, 0}, std::string(kHeader) + "4,,,,,,,,,,,\n",
       {kNoFreq, k446_10000, k88_5, kD023N, 0}},
      {4, split, "channel,txFreq\n4,\n", {k446_00625, kNoFreq, k88_5, kOff, 0x10}},
      {4, split, "channel,rxTone,txTone\n4,OFF,aus\n", {k446_00625, k446_10000, kOff, kOff, 0x10}},
      {4, split, "channel,txTone,highPower,opt5Off,narrow\n4,d754n,0,,1\n",
       {k446_00625, k446_10000, k88_5, kD754N, 0x14}},
      {4, {}, "txTone,txFreq,CHANNEL,rxTone,RxFreq\nD023N,446.1,4,100,446.00625\n",
       {k446_00625, k446_10000, k100_0, kD023N}},
      {4, {}, "\xEF\xBB\xBF\"channel\",\"rxFreq\"\r\n\n\"4\", 446.006250 \r\n,\r\n", {k446_00625, k446_00625}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.csv);
    doc.Blank();
    Put(doc, c.n, c.before);
    Put(doc, 6, {k446_00300, k446_00300, kD754I, kD754I, 0x5A});
    CRondelDoc::Image want = doc.image();
    const CsvImport r = ImportChannelCsv(doc, settings, c.csv);
    EXPECT_TRUE(r.Imported());
    EXPECT_EQ(Get(doc, c.n), c.after);
    EXPECT_EQ(r.changed, !(c.after == c.before));
    std::copy_n(doc.image().begin() + 0x10 * c.n, 16, want.begin() + 0x10 * c.n);
    EXPECT_TRUE(doc.image() == want) << "bytes outside the row changed";
  }
}

TEST_F(ChannelCsv, WhatTheFormWouldAdjustIsStoredSoAndNamed) {
  EXPECT_EQ(Warnings("channel,rxFreq\n2,446.0062509\n"),
            (std::vector<Where>{{CsvProblem::SnappedToRaster, 2, "rxFreq", "446.00625"}}));
  EXPECT_EQ(Warnings("channel,rxFreq,txFreq\n2,5,480\n"),
            (std::vector<Where>{{CsvProblem::ClampedToBand, 2, "rxFreq", "400.00000"},
                                {CsvProblem::ClampedToBand, 2, "txFreq", "470.00000"}}));
  EXPECT_EQ(Get(doc, 2), (Ch{k400, k470}));
  Put(doc, 1, {k446_00625, k446_00625});
  EXPECT_EQ(Warnings("channel,rxTone,txTone\n1,\"88.5\n\",\n2,88.6,d777i\n"),
            (std::vector<Where>{{CsvProblem::ToneNotInLists, 4, "rxTone", "88.6"},
                                {CsvProblem::ToneNotInLists, 4, "txTone", "D777I"}}));
  EXPECT_EQ(Get(doc, 2), (Ch{k400, k470, k88_6, kD777I}));
  EXPECT_TRUE(Warnings("channel,rxFreq,txFreq\n3,400,470\n").empty());
}

TEST_F(ChannelCsv, RefusedListsChangeNothing) {
  Put(doc, 1, {k446_00625, k446_00625});
  const std::string head = "channel,rxFreq,rxTone,txFreq,txTone,narrow\n1,446.1,88.5,,,1\n";
  const std::pair<std::string, Where> cases[] = {
      {"", {CsvProblem::NoHeader, 1, "", ""}},
      {"\n \n,,\n", {CsvProblem::NoHeader, 1, "", ""}},
      {"channel,rxFrequency\n", {CsvProblem::UnknownColumn, 1, "rxFrequency", ""}},
      {"channel,rxFreq,RXFREQ\n", {CsvProblem::DuplicateColumn, 1, "RXFREQ", ""}},
      {"rxFreq\n446.1\n", {CsvProblem::NoChannelColumn, 1, "", ""}},
      {"Location,Name\n1,A\n", {CsvProblem::UnknownColumn, 1, "Location", ""}},
      {"channel,txFreq\n5,446.1\n", {CsvProblem::NoReceiveFrequency, 2, "txFreq", "446.1"}},
      {head + "2,\"446.1\n", {CsvProblem::Unreadable, 3, "", ""}},
      {head + "2,446.1,,,,0,x\n", {CsvProblem::ExtraField, 3, "", "x"}},
      {head + "0,446.1\n", {CsvProblem::BadChannel, 3, "channel", "0"}},
      {head + "11,446.1\n", {CsvProblem::BadChannel, 3, "channel", "11"}},
      {head + "2x,446.1\n", {CsvProblem::BadChannel, 3, "channel", "2x"}},
      {head + "2,446.1\n1,446.2\n", {CsvProblem::DuplicateChannel, 4, "channel", "1"}},
      {head + "2,446 MHz\n", {CsvProblem::BadFrequency, 3, "rxFreq", "446 MHz"}},
      {head + "2,.\n", {CsvProblem::BadFrequency, 3, "rxFreq", "."}},
      {head + "2,446.1,88.55\n", {CsvProblem::BadTone, 3, "rxTone", "88.55"}},
      {head + "2,446.1,254.2\n", {CsvProblem::BadTone, 3, "rxTone", "254.2"}},
      {head + "2,446.1,D823N\n", {CsvProblem::BadTone, 3, "rxTone", "D823N"}},
      {head + "2,446.1,,,,2\n", {CsvProblem::BadBit, 3, "narrow", "2"}},
      {head + "2,,88.5\n", {CsvProblem::DeleteWithValues, 3, "rxTone", "88.5"}},
      {head + "2,446.1,,,88.5\n", {CsvProblem::NoTransmitFrequency, 3, "txTone", "88.5"}},
  };
  for (const auto& [csv, where] : cases) EXPECT_EQ(Refusal(csv), where) << csv;
}

TEST_F(ChannelCsv, ImportingTheExportGivesTheImageBackByteForByte) {
  Put(doc, 1, {k446_00625, k446_00625, k88_5, k88_5});
  Put(doc, 2, {k446_00300, k480, k88_6, kD777I, 0x00});
  Put(doc, 3, {kNoFreq, k446_10000, k88_5, kD023N, 0x5A});
  Put(doc, 4, {k446_10000, kNoFreq, kD754I, k88_5, 0xFF});
  Put(doc, 5, {k446_00625, k446_10000, B2{0xAB, 0x0C}, B2{0x99, 0x8F}, 0x06});
  Put(doc, 10, {B4{0x00, 0x00, 0x00, 0x99}, B4{}, kOff, kOff, 0x12});
  doc.SetSetting(Setting::PriorityChannel, 4);
  const CRondelDoc::Image before = doc.image();
  const std::string csv = ExportChannelCsv(doc, settings);
  EXPECT_TRUE(Warnings(csv).empty());
  EXPECT_TRUE(doc.image() == before);
}

// ---- the common channel list ------------------------------------------------------------

const char* const kCommonHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment\n";

std::string CommonRow(const std::map<std::string, std::string>& given) {
  const std::pair<const char*, const char*> defaults[] = {
      {"Location", "3"}, {"Name", "\"Ch, \"\"3\"\"\""}, {"Frequency", "446.006250"}, {"Duplex", ""},
      {"Offset", "0.000000"}, {"Tone", ""}, {"rToneFreq", "88.5"}, {"cToneFreq", "100.0"},
      {"DtcsCode", "023"}, {"DtcsPolarity", "NN"}, {"RxDtcsCode", "754"}, {"CrossMode", "Tone->Tone"},
      {"Mode", "FM"}, {"TStep", "12.50"}, {"Skip", ""}, {"Power", "High"}, {"Comment", "x"}};
  std::string row;
  for (const auto& [name, value] : defaults) {
    const auto it = given.find(name);
    row += (row.empty() ? "" : ",") + (it == given.end() ? std::string(value) : it->second);
  }
  return row + "\n";
}

TEST_F(ChannelCsv, CommonListRowsBecomeOurChannel) {
  const struct {
    std::map<std::string, std::string> row;
    Ch after;
    std::optional<Where> refusal = std::nullopt;
  } cases[] = {
      {{}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {{{"Duplex", "+"}, {"Offset", "5"}}, {k446_00625, k451_00625, kOff, kOff, 0x08}},
      {{{"Duplex", "-"}, {"Offset", "0.00625"}}, {k446_00625, {0x00, 0x00, 0x60, 0x44}, kOff, kOff, 0x08}},
      {{{"Duplex", "split"}, {"Offset", "446.1"}}, {k446_00625, k446_10000, kOff, kOff, 0x08}},
      {{{"Duplex", "off"}}, {k446_00625, kNoFreq, kOff, kOff, 0x08}},
      {{{"Frequency", ""}}, {.flags = 0xE9}},
      {{{"Duplex", "x"}}, {}, Where{CsvProblem::BadValue, 2, "Duplex", "x"}},
      {{{"Duplex", "+"}, {"Offset", ""}}, {}, Where{CsvProblem::BadFrequency, 2, "Offset", ""}},
      {{{"Duplex", "-"}, {"Offset", "500"}}, {}, Where{CsvProblem::BadFrequency, 2, "Offset", "500"}},
      {{{"Tone", "Tone"}}, {k446_00625, k446_00625, kOff, k88_5, 0x08}},
      {{{"Tone", "TSQL"}, {"Duplex", "off"}}, {k446_00625, kNoFreq, k100_0, kOff, 0x08}},
      {{{"Tone", "DTCS"}, {"DtcsCode", "25"}}, {k446_00625, k446_00625, {0x25, 0x80}, {0x25, 0x80}, 0x08}},
      {{{"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}, {"DtcsPolarity", "NR"}},
       {k446_00625, k446_00625, kD754I, kD023N, 0x08}},
      {{{"Tone", "Cross"}, {"CrossMode", "Tone->DTCS"}, {"DtcsPolarity", "rn"}},
       {k446_00625, k446_00625, kD754N, k88_5, 0x08}},
      {{{"Tone", "Cross"}, {"CrossMode", "DTCS->"}}, {k446_00625, k446_00625, kOff, kD023N, 0x08}},
      {{{"Tone", "Cross"}, {"CrossMode", "->Tone"}}, {k446_00625, k446_00625, k100_0, kOff, 0x08}},
      {{{"Tone", "DTCS-R"}}, {}, Where{CsvProblem::BadValue, 2, "Tone", "DTCS-R"}},
      {{{"Tone", "Cross"}, {"CrossMode", "Tone"}}, {}, Where{CsvProblem::BadValue, 2, "CrossMode", "Tone"}},
      {{{"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}, {"DtcsPolarity", "N"}}, {},
       Where{CsvProblem::BadValue, 2, "DtcsPolarity", "N"}},
      {{{"Tone", "DTCS"}, {"DtcsCode", "0023"}}, {}, Where{CsvProblem::BadTone, 2, "DtcsCode", "0023"}},
      {{{"Tone", "TSQL"}, {"cToneFreq", ""}}, {}, Where{CsvProblem::BadTone, 2, "cToneFreq", ""}},
      {{{"Mode", "NFM"}, {"Power", "low"}, {"Skip", "S"}}, {k446_00625, k446_00625, kOff, kOff, 0x14}},
      {{{"Power", "1.99W"}}, {k446_00625, k446_00625, kOff, kOff, 0x00}},
      {{{"Power", "2W"}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {{{"Power", ""}}, {k446_00625, k446_00625, kOff, kOff, 0x08}},
      {{{"Mode", "AM"}}, {}, Where{CsvProblem::BadMode, 2, "Mode", "AM"}},
      {{{"Power", "W"}}, {}, Where{CsvProblem::BadValue, 2, "Power", "W"}},
      {{{"Skip", "P"}}, {}, Where{CsvProblem::BadValue, 2, "Skip", "P"}},
      {{{"Location", "11"}}, {}, Where{CsvProblem::BadChannel, 2, "Location", "11"}},
  };
  for (const auto& c : cases) {
    const std::string csv = kCommonHeader + CommonRow(c.row);
    SCOPED_TRACE(csv);
    Put(doc, 3, {k446_10000, k446_10000, kD023N, kD754I, 0x00});
    if (c.refusal) {
      EXPECT_EQ(Refusal(csv), *c.refusal);
    } else {
      EXPECT_TRUE(Warnings(csv).empty());
      EXPECT_EQ(Get(doc, 3), c.after);
    }
  }
  // Columns the list lacks leave their fields; a tone outside the lists is named once.
  Put(doc, 3, {k446_10000, k446_10000, kD023N, kD754I, 0x14});
  EXPECT_TRUE(Warnings("Location,Frequency\n3,446.00625\n").empty());
  EXPECT_EQ(Get(doc, 3), (Ch{k446_00625, k446_00625, kD023N, kD754I, 0x14}));
  Put(doc, 3, {});
  EXPECT_EQ(Warnings(kCommonHeader + CommonRow({{"Tone", "TSQL"}, {"cToneFreq", "88.6"}})),
            (std::vector<Where>{{CsvProblem::ToneNotInLists, 2, "cToneFreq", "88.6"}}));
}

TEST_F(ChannelCsv, IssuesAreWordedByTheLanguageFile) {
  EXPECT_EQ(CsvIssueText({CsvProblem::BadChannel, 7, "channel", "12"}, settings),
            "Zeile 7, Spalte channel: kein Kanal von 1 bis 10: \"12\"");
  EXPECT_EQ(CsvIssueText({CsvProblem::NoHeader, 1, "", ""}, settings), "Zeile 1: keine Kopfzeile.");
  for (const char* language : {"english.lang", "chinese.lang"}) {
    g_strLangPath = std::string(RONDEL_SOURCE_DIR) + "/resources/" + language;
    for (int p = 0; p <= static_cast<int>(CsvProblem::ToneNotInLists); ++p) {
      const std::string text = CsvIssueText({CsvProblem(p), 12, "rxTone", "88.55"}, settings);
      EXPECT_EQ(text.find(kLangNotFound), std::string::npos) << text;
      EXPECT_NE(text.find("12"), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace rondel
