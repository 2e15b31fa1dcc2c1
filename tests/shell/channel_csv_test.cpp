// SPDX-License-Identifier: GPL-3.0-or-later
// Channel lists as CSV: the records underneath, the export, the import of our columns and of the
// common list through the grid's edit rules, warnings, refusals, the round trip, the messages.
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>
#include "shell/channel_list/channel_csv.h"
#include "shell/channel_list/csv_records.h"
#include "shell_rig.h"

namespace rondel {
namespace {
using namespace test;  // NOLINT: the rig's channel bytes
using Fields = std::vector<std::string>;

TEST(CsvRecords, FieldsQuotesAndTheLineEachRecordBeginsOn) {
  const std::pair<std::string, std::vector<std::pair<int, Fields>>> cases[] = {
      {"a,b\r\nc,d", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
      {"a\rb\n\n,a,,\n", {{1, {"a"}}, {2, {"b"}}, {3, {""}}, {4, {"", "a", "", ""}}}},
      {"\"x\r\ny\nz\",1\n 2 ,\"\"\n3", {{1, {"x\r\ny\nz", "1"}}, {4, {" 2 ", ""}}, {5, {"3"}}}},
      {"\xEF\xBB\xBF" "a\n", {{1, {"a"}}}}, {"", {}}};
  for (const auto& [text, records] : cases) {
    std::vector<std::pair<int, Fields>> got;
    for (const CsvRecord& r : ParseCsv(text).records) got.emplace_back(r.line, r.fields);
    EXPECT_EQ(got, records) << text;
  }
  for (const auto& [text, line] : {std::pair<const char*, int>{"a,b\n\"open,c\n", 2}, {"a,b\nc,d\"e\n", 2},
                                   {"a\n\"x\"y,z\n", 2}, {"\"x\ny\"z\n", 2}}) {
    const CsvParse p = ParseCsv(text);
    EXPECT_EQ(std::make_tuple(p.ok, p.errorLine, p.records.size()), std::make_tuple(false, line, 0u)) << text;
  }
  const Fields fields = {"1", "", "say \"hi\"", "a,b", "two\nlines", " lead", "trail "};
  EXPECT_EQ(CsvLine(fields), "1,,\"say \"\"hi\"\"\",\"a,b\",\"two\nlines\",\" lead\",\"trail \"\r\n");
  EXPECT_EQ(ParseCsv(CsvLine(fields)).records.at(0).fields, fields);
}

struct Where {
  CsvProblem problem = CsvProblem::Unreadable;
  int line = 0;
  std::string column = {}, value = {};
  bool operator==(const Where&) const = default;
};
void PrintTo(const Where& w, std::ostream* os) { *os << int(w.problem) << "@" << w.line << " " << w.column << "=" << w.value; }
using Issues = std::vector<Where>;

class ChannelCsv : public ShellRig {
 protected:
  Where Refusal(const std::string& csv) {
    const CRondelDoc::Image before = doc.image();
    const CsvImport r = ImportChannelCsv(doc, settings, csv);
    EXPECT_TRUE(doc.image() == before && !r.changed) << "a refused list changed the image";
    return r.refusal ? Where{r.refusal->problem, r.refusal->line, r.refusal->column, r.refusal->value} : Where{};
  }
  Issues Warnings(const std::string& csv) {
    const CsvImport r = ImportChannelCsv(doc, settings, csv);
    EXPECT_TRUE(r.Imported()) << (r.refusal ? r.refusal->column + "=" + r.refusal->value : "");
    Issues out;
    for (const CsvIssue& w : r.warnings) out.push_back({w.problem, w.line, w.column, w.value});
    return out;
  }
};

constexpr const char* kHeader =
    "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,opt8Off,opt9Off,opt10Off,opt11Off\r\n";

TEST_F(ChannelCsv, ExportWritesEachChannelAsTheGridShowsItAndImportsBackByteForByte) {
  const std::pair<int, Ch> channels[] = {{1, {k446_00625, k446_00625}}, {2, {k446_00625, kNoFreq, k88_5, k88_5}},
      {3, {k446_00625, k446_10000, kD023N, kD754I, 0x82}}, {4, {kNoFreq, k446_10000, k88_5, kD023N, 0x00}},
      {5, {k446_00300, k480, k88_6, kD777I, 0x10}}, {10, {k446_00625, k446_00625, kOff, kOff, 0x05}}, {11, {k446_00625}}};
  for (const auto& [n, c] : channels) Put(doc, n, c);
  const std::string empty = ",,,,,,,,,,,\r\n";
  EXPECT_EQ(ExportChannelCsv(doc, settings),
            std::string(kHeader) + "1,446.00625,,446.00625,,0,0,1,1,1,1,1\r\n2,446.00625,88.5,,,0,0,1,1,1,1,1\r\n"
                "3,446.00625,D023N,446.10000,D754I,0,0,0,0,0,0,1\r\n4" + empty +
                "5,446.00300,88.6,480.00000,D777I,1,0,0,0,0,0,0\r\n6" + empty + "7" + empty + "8" + empty + "9" +
                empty + "10,446.00625,,446.00625,,0,1,0,1,0,0,0\r\n");
  // What a radio may hold comes back byte for byte: leftovers, off-raster, out-of-band values.
  Put(doc, 6, {k446_00625, k446_10000, {0xAB, 0x0C}, {0x99, 0x8F}, 0x06});
  Put(doc, 7, {{0x00, 0x00, 0x00, 0x99}, {}, kOff, kOff, 0x12});
  const CRondelDoc::Image before = doc.image();
  EXPECT_EQ(Warnings(ExportChannelCsv(doc, settings)), Issues{});
  EXPECT_TRUE(doc.image() == before);
}

TEST_F(ChannelCsv, ImportMakesEachValueAsTheGridsEditOfItsCell) {
  const Ch same{k446_00625, k446_00625, k88_5, k88_5, 0x10}, split{k446_00625, k446_10000, k88_5, kD023N, 0x10};
  const std::string all = kHeader;
  const std::tuple<int, Ch, std::string, Ch> cases[] = {  // channel, before, list, after
      {1, {}, "channel,rxFreq\n1,446.00625\n", {k446_00625, k446_00625}},
      {10, {}, all + "10,446.00625,88.5,446.1,D754I,1,1,0,0,1,0,1\n", {k446_00625, k446_10000, k88_5, kD754I, 0xB6}},
      {4, same, "channel,rxFreq,rxTone\n4,446.1,D023I\n", {k446_10000, k446_10000, kD023I, kD023I, 0x10}},
      {4, split, "channel,rxFreq\n4,446.00300\n", {k446_00500, k446_10000, k88_5, kD023N, 0x10}},
      {4, same, "channel,txTone\n4,67\n", {k446_00625, k446_00625, k88_5, k67_0, 0x10}},
      {4, split, "channel,rxFreq,rxTone\n4,,\n", {.flags = 0xE9}},
      {4, {kNoFreq, k446_10000, k88_5, kD023N, 0}, all + "4,,,,,,,,,,,\n", {kNoFreq, k446_10000, k88_5, kD023N, 0}},
      {4, split, "channel,txFreq\n4,\n", {k446_00625, kNoFreq, k88_5, kOff, 0x10}},
      {4, split, "channel,rxTone,txTone\n4,OFF,aus\n", {k446_00625, k446_10000, kOff, kOff, 0x10}},
      {4, split, "channel,txTone,highPower,opt5Off,narrow\n4,d754n,0,,1\n", {k446_00625, k446_10000, k88_5, kD754N, 0x14}},
      {4, {}, "txTone,txFreq,CHANNEL,rxTone,RxFreq\nD023N,446.1,4,100,446.00625\n", {k446_00625, k446_10000, k100_0, kD023N}},
      {4, {}, "\xEF\xBB\xBF\"channel\",\"rxFreq\"\r\n\n\"4\", 446.006250 \r\n,\r\n", {k446_00625, k446_00625}},
  };
  for (const auto& [n, before, csv, after] : cases) {
    doc.Blank();
    Put(doc, n, before);
    Put(doc, 6, {k446_00300, k446_00300, kD754I, kD754I, 0x5A});
    CRondelDoc::Image want = doc.image();
    const CsvImport r = ImportChannelCsv(doc, settings, csv);
    EXPECT_EQ(std::make_tuple(r.Imported(), r.changed, Get(doc, n)), std::make_tuple(true, !(after == before), after)) << csv;
    std::copy_n(doc.image().begin() + 0x10 * n, 16, want.begin() + 0x10 * n);
    EXPECT_TRUE(doc.image() == want) << "bytes outside the row changed: " << csv;
  }
}

TEST_F(ChannelCsv, WhatTheFormWouldAdjustIsStoredSoAndNamed) {
  EXPECT_EQ(Warnings("channel,rxFreq\n2,446.0062509\n"), (Issues{{CsvProblem::SnappedToRaster, 2, "rxFreq", "446.00625"}}));
  EXPECT_EQ(Warnings("channel,rxFreq,txFreq\n2,5,480\n"), (Issues{{CsvProblem::ClampedToBand, 2, "rxFreq", "400.00000"},
                                                                   {CsvProblem::ClampedToBand, 2, "txFreq", "470.00000"}}));
  Put(doc, 1, {k446_00625, k446_00625});
  EXPECT_EQ(Warnings("channel,rxTone,txTone\n1,\"88.5\n\",\n2,88.6,d777i\n"),
            (Issues{{CsvProblem::ToneNotInLists, 4, "rxTone", "88.6"}, {CsvProblem::ToneNotInLists, 4, "txTone", "D777I"}}));
  EXPECT_EQ(Get(doc, 2), (Ch{k400, k470, k88_6, kD777I}));
  EXPECT_EQ(Warnings("channel,rxFreq,txFreq\n3,400,470\n"), Issues{});
}

TEST_F(ChannelCsv, RefusedListsChangeNothing) {
  Put(doc, 1, {k446_00625, k446_00625});
  const std::string head = "channel,rxFreq,rxTone,txFreq,txTone,narrow\n1,446.1,88.5,,,1\n";
  using P = CsvProblem;
  const std::pair<std::string, Where> cases[] = {
      {"\n \n,,\n", {P::NoHeader, 1}}, {"rxFreq\n446.1\n", {P::NoChannelColumn, 1}},
      {"channel,rxFrequency\n", {P::UnknownColumn, 1, "rxFrequency"}}, {"Location,Name\n", {P::UnknownColumn, 1, "Location"}},
      {"channel,rxFreq,RXFREQ\n", {P::DuplicateColumn, 1, "RXFREQ"}},
      {"channel,txFreq\n5,446.1\n", {P::NoReceiveFrequency, 2, "txFreq", "446.1"}},
      {head + "2,\"446.1\n", {P::Unreadable, 3}}, {head + "2,446.1,,,,0,x\n", {P::ExtraField, 3, "", "x"}},
      {head + "0,446.1\n", {P::BadChannel, 3, "channel", "0"}}, {head + "11,446.1\n", {P::BadChannel, 3, "channel", "11"}},
      {head + "2,446.1\n1,446.2\n", {P::DuplicateChannel, 4, "channel", "1"}},
      {head + "2,446 MHz\n", {P::BadFrequency, 3, "rxFreq", "446 MHz"}}, {head + "2x,1\n", {P::BadChannel, 3, "channel", "2x"}},
      {head + "2,446.1,88.55\n", {P::BadTone, 3, "rxTone", "88.55"}}, {head + "2,446.1,254.2\n", {P::BadTone, 3, "rxTone", "254.2"}},
      {head + "2,446.1,D823N\n", {P::BadTone, 3, "rxTone", "D823N"}}, {head + "2,446.1,,,,2\n", {P::BadBit, 3, "narrow", "2"}},
      {head + "2,,88.5\n", {P::DeleteWithValues, 3, "rxTone", "88.5"}},
      {head + "2,446.1,,,88.5\n", {P::NoTransmitFrequency, 3, "txTone", "88.5"}},
  };
  for (const auto& [csv, where] : cases) EXPECT_EQ(Refusal(csv), where) << csv;
  EXPECT_EQ(CsvIssueText({P::BadChannel, 7, "channel", "12"}, settings) + CsvIssueText({P::NoHeader, 1, "", ""}, settings),
            "Zeile 7, Spalte channel: kein Kanal von 1 bis 10: \"12\"Zeile 1: keine Kopfzeile.");
}

TEST_F(ChannelCsv, CommonListRowsBecomeOurChannel) {
  const auto row = [](std::map<std::string, std::string> given) {
    std::string text = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                       "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment\n";
    const std::map<std::string, std::string> defaults = {{"Location", "3"}, {"Frequency", "446.006250"},
        {"Offset", "0"}, {"rToneFreq", "88.5"}, {"cToneFreq", "100.0"}, {"DtcsCode", "023"}, {"DtcsPolarity", "NN"},
        {"RxDtcsCode", "754"}, {"CrossMode", "Tone->Tone"}, {"Mode", "FM"}, {"Power", "High"}, {"Name", "\"C, \"\"3\"\"\""}};
    for (const char* name : {"Location", "Name", "Frequency", "Duplex", "Offset", "Tone", "rToneFreq", "cToneFreq",
                             "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode", "TStep", "Skip", "Power", "Comment"})
      text += (given.count(name) ? given[name] : defaults.count(name) ? defaults.at(name) : "") + ",";
    text.back() = '\n';
    return text;
  };
  using P = CsvProblem;
  const std::tuple<std::map<std::string, std::string>, Ch, Where> cases[] = {  // refusal line 0: imported
      {{}, {k446_00625, k446_00625, kOff, kOff, 0x08}, {}},
      {{{"Duplex", "+"}, {"Offset", "5"}}, {k446_00625, k451_00625, kOff, kOff, 0x08}, {}},
      {{{"Duplex", "off"}, {"Tone", "TSQL"}}, {k446_00625, kNoFreq, k100_0, kOff, 0x08}, {}},
      {{{"Tone", "DTCS"}, {"DtcsCode", "25"}}, {k446_00625, k446_00625, {0x25, 0x80}, {0x25, 0x80}, 0x08}, {}},
      {{{"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}, {"DtcsPolarity", "NR"}}, {k446_00625, k446_00625, kD754I, kD023N, 0x08}, {}},
      {{{"Tone", "Cross"}, {"CrossMode", "Tone->DTCS"}, {"DtcsPolarity", "rn"}}, {k446_00625, k446_00625, kD754N, k88_5, 0x08}, {}},
      {{{"Mode", "NFM"}, {"Power", "low"}, {"Skip", "S"}}, {k446_00625, k446_00625, kOff, kOff, 0x14}, {}},
      {{{"Power", "1.99W"}}, {k446_00625, k446_00625, kOff, kOff, 0x00}, {}},
      {{{"Duplex", "-"}, {"Offset", "500"}}, {}, {P::BadFrequency, 2, "Offset", "500"}},
      {{{"Tone", "Cross"}, {"CrossMode", "DTCS->DTCS"}, {"DtcsPolarity", "N"}}, {}, {P::BadValue, 2, "DtcsPolarity", "N"}},
      {{{"Tone", "DTCS"}, {"DtcsCode", "0023"}}, {}, {P::BadTone, 2, "DtcsCode", "0023"}},
      {{{"Mode", "AM"}}, {}, {P::BadMode, 2, "Mode", "AM"}}, {{{"Power", "W"}}, {}, {P::BadValue, 2, "Power", "W"}},
      {{{"Location", "11"}}, {}, {P::BadChannel, 2, "Location", "11"}},
  };
  for (const auto& [given, after, refusal] : cases) {
    Put(doc, 3, {k446_10000, k446_10000, kD023N, kD754I, 0x00});
    if (refusal.line) {
      EXPECT_EQ(Refusal(row(given)), refusal);
    } else {
      EXPECT_EQ(Warnings(row(given)), Issues{});
      EXPECT_EQ(Get(doc, 3), after) << row(given);
    }
  }
  // Columns the list lacks leave their fields; a tone outside the lists is named once.
  Put(doc, 3, {k446_10000, k446_10000, kD023N, kD754I, 0x14});
  EXPECT_EQ(Warnings("Location,Frequency\n3,446.00625\n"), Issues{});
  EXPECT_EQ(Get(doc, 3), (Ch{k446_00625, k446_00625, kD023N, kD754I, 0x14}));
  Put(doc, 3, {});
  EXPECT_EQ(Warnings(row({{"Tone", "TSQL"}, {"cToneFreq", "88.6"}})), (Issues{{P::ToneNotInLists, 2, "cToneFreq", "88.6"}}));
}

}  // namespace
}  // namespace rondel
