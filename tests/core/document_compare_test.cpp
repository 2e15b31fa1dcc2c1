// SPDX-License-Identifier: GPL-3.0-or-later
// Two documents compared: each kind of field by its catalogue name and reading, calibration,
// bits and bytes no field accounts for, the header, and the order of the list. Offsets are the
// radio's memory map, written out as literals.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/document_compare.h"
#include "core/field_catalogue.h"

namespace rondel {
namespace {

using P = FieldDifference::Place;

FieldDifference Field(std::string name, std::string a, std::string b) {
  return {P::Field, std::move(name), 0, std::move(a), std::move(b)};
}
FieldDifference Image(std::size_t at, std::string a, std::string b) {
  return {P::Image, {}, at, std::move(a), std::move(b)};
}
FieldDifference Header(std::size_t at, std::string a, std::string b) {
  return {P::Header, {}, at, std::move(a), std::move(b)};
}

// A new document's defaults with channel 3 in use.
CRondelDoc Base() {
  CRondelDoc doc;
  doc.WriteDefaults();
  doc.SetFrequencyText(3, Direction::Receive, "446.00625");
  doc.SetFrequencyText(3, Direction::Transmit, "446.00625");
  return doc;
}

using Change = std::function<void(CRondelDoc&)>;
struct PairCase {
  const char* what;
  Change changeB;
  std::vector<FieldDifference> expected;
  Change changeA = [](CRondelDoc&) {};
};

// clang-format off
const PairCase kPairs[] = {
    {"identical", [](CRondelDoc&) {}, {}},
    {"frequency", [](CRondelDoc& d) { d.SetFrequencyText(3, Direction::Receive, "446.01875"); },
     {Field("ch3.rxFreq", "446.00625", "446.01875")}},
    {"frequency set where there was none",
     [](CRondelDoc& d) { d.SetFrequencyText(16, Direction::Transmit, "446.5"); },
     {Field("ch16.txFreq", "", "446.50000")}},
    {"tone from off", [](CRondelDoc& d) { d.SetToneText(3, Direction::Receive, "88.5"); },
     {Field("ch3.rxTone", "off", "88.5")}},
    {"digital tone", [](CRondelDoc& d) { d.SetToneText(1, Direction::Transmit, "D754I"); },
     {Field("ch1.txTone", "off", "D754I")}},
    {"option bit", [](CRondelDoc& d) { d.SetChannelOption(12, ChannelOption::Narrow, 1); },
     {Field("ch12.narrow", "0", "1")}},
    {"setting in a bit field", [](CRondelDoc& d) { d.SetSetting(Setting::VoicePrompt, 2); },
     {Field("voicePrompt", "1", "2")}},
    {"setting of a whole byte", [](CRondelDoc& d) { d.SetSetting(Setting::SquelchLevel, 5); },
     {Field("squelchLevel", "3", "5")}},
    {"priority channel", [](CRondelDoc& d) { d.SetSetting(Setting::PriorityChannel, 3); },
     {Field("priorityChannel", "0", "3")}},
    {"PTT code", [](CRondelDoc& d) { d.SetPttCodeText(PttCode::End, "12AB"); },
     {Field("pttEndCode", "", "12AB")}},
    {"read password", [](CRondelDoc& d) { d.SetReadPasswordText("ab12"); },
     {Field("readPassword", "", "ab12")}},
    {"band code", [](CRondelDoc& d) { d.SetBandCode({0x00, 0x40, 0x00, 0x47}); },
     {Field("bandCode", "FFFFFFFF", "00400047")}},
    {"calibration", [](CRondelDoc& d) { d.SetCalibration(2, 131); },
     {Field("calibration[2]", "255", "131")}},
    {"slider last moved", [](CRondelDoc& d) { d.SetLastCalibrationIndex(4); },
     {Field("calibrationLast", "255", "4")}},
    {"byte of no field", [](CRondelDoc& d) { d.image()[0x3F8] = 0x12; }, {Image(0x3F8, "FF", "12")}},
    {"model identification", [](CRondelDoc& d) { d.image()[0x3D0] = 'M'; }, {Image(0x3D0, "4E", "4D")}},
    // Stored values above the clamp read alike: the bytes still differ.
    {"clamped setting", [](CRondelDoc& d) { d.image()[0x3C1] = 0x0B; }, {Image(0x3C1, "0A", "0B")},
     [](CRondelDoc& d) { d.image()[0x3C1] = 0x0A; }},
    {"bit no setting names", [](CRondelDoc& d) { d.image()[0x3C0] ^= 0x80; },
     {Image(0x3C0, "86", "06")}},
    {"bit beside the options", [](CRondelDoc& d) { d.image()[0x3C] ^= 0x02; },
     {Image(0x03C, "EB", "E9")}},
    {"field and an unnamed bit of its byte",
     [](CRondelDoc& d) { d.image()[0x3C0] ^= 0x80; d.SetSetting(Setting::FmRadio, 1); },
     {Field("fmRadio", "0", "1"), Image(0x3C0, "86", "07")}},
    {"unnamed bit alone, its field the same",
     [](CRondelDoc& d) { d.image()[0x3C0] ^= 0x80; },
     {Image(0x3C0, "87", "07")}, [](CRondelDoc& d) { d.SetSetting(Setting::FmRadio, 1); }},
    {"header byte", [](CRondelDoc& d) { d.header()[30] = 'A'; }, {Header(30, "00", "41")}},
    {"every kind at once, in the list's order",
     [](CRondelDoc& d) {
       d.header()[47] = 1;
       d.image()[0x800] = 0;
       d.SetCalibration(0, 9);
       d.SetChannelOption(1, ChannelOption::HighPower, 0);
       d.SetFrequencyText(3, Direction::Transmit, "446.5");
       d.SetSetting(Setting::VoxDelay, 2);
     },
     {Field("voxDelay", "0", "2"), Field("ch1.highPower", "1", "0"),
      Field("ch3.txFreq", "446.00625", "446.50000"), Field("calibration[0]", "255", "9"),
      Header(47, "00", "01"), Image(0x800, "FF", "00")}},
};
// clang-format on

TEST(CompareDocuments, ListsEachDifferenceInTheFormsTerms) {
  for (const PairCase& c : kPairs) {
    SCOPED_TRACE(c.what);
    CRondelDoc a = Base();
    c.changeA(a);
    CRondelDoc b = a;
    c.changeB(b);
    EXPECT_EQ(CompareDocuments(a, b), c.expected);
    std::vector<FieldDifference> expected = c.expected;
    // The other way round, a and b change places.
    for (FieldDifference& d : expected) std::swap(d.a, d.b);
    EXPECT_EQ(CompareDocuments(b, a), expected);
  }
}

TEST(CompareDocuments, NamesEachPlaceAsTheListingsDo) {
  const std::pair<FieldDifference, const char*> cases[] = {
      {Field("ch3.rxFreq", "", ""), "ch3.rxFreq"},
      {Image(0x3F8, "", ""), "0x3F8"},
      {Image(0x2C, "", ""), "0x02C"},
      {Header(0x1E, "", ""), "header+0x1E"},
      {Header(3, "", ""), "header+0x03"},
  };
  for (const auto& [d, place] : cases) EXPECT_EQ(DifferencePlace(d), place);
  EXPECT_EQ(DifferenceOffset(Header(0x1E, "", "")), "0x1E");
  EXPECT_EQ(DifferenceOffset(Image(0x3F8, "", "")), "0x3F8");
}

// Every field a document operation writes is in the catalogue at the bits the operation
// changes, so a difference there is named and never left to the byte list.
TEST(FieldCatalogue, EachEntryCoversTheBitsItsOperationWrites) {
  for (const FieldEntry& f : FieldCatalogue()) {
    const int n = f.perChannel ? 7 : 0;
    SCOPED_TRACE(FieldName(f, n));
    CRondelDoc doc;
    doc.WriteDefaults();
    doc.SetFrequencyText(7, Direction::Receive, "446.1");
    const CRondelDoc before = doc;
    switch (f.kind) {
      case FieldKind::Frequency: doc.SetFrequencyText(n, f.direction, "447.1"); break;
      case FieldKind::Tone: doc.SetToneText(n, f.direction, "D023N"); break;
      case FieldKind::ChannelOption:
        doc.SetChannelOption(n, f.option, 1 - doc.GetChannelOption(n, f.option));
        break;
      case FieldKind::Setting: {
        const int value = doc.GetSetting(f.setting);
        doc.SetSetting(f.setting, value == 0 ? 1 : 0);
        break;
      }
      case FieldKind::PttCode: doc.SetPttCodeText(f.code, "1234567890ABCDD"); break;
      case FieldKind::ReadPassword: doc.SetReadPasswordText("zzzzzz"); break;
      case FieldKind::BandCode: doc.SetBandCode({1, 2, 3, 4}); break;
      case FieldKind::Calibration: doc.SetCalibration(f.index, 7); break;
      case FieldKind::CalibrationLast: doc.SetLastCalibrationIndex(3); break;
    }
    const std::vector<FieldDifference> found = CompareDocuments(before, doc);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].place, P::Field);
    EXPECT_EQ(found[0].field, FieldName(f, n));
  }
}

TEST(FieldCatalogue, SpellsNamesAsTheListingsAndEditDo) {
  EXPECT_EQ(FieldName(FrequencyField(Direction::Receive), 3), "ch3.rxFreq");
  EXPECT_EQ(FieldName(ToneField(Direction::Transmit), 16), "ch16.txTone");
  EXPECT_EQ(FieldName(OptionField(ChannelOption::Opt11Off), 1), "ch1.opt11Off");
  EXPECT_EQ(FieldName(SettingField(Setting::SideKey2)), "sideKey2");
  EXPECT_EQ(FieldName(PttCodeField(PttCode::Start)), "pttStartCode");
  EXPECT_EQ(FieldName(FieldOfKind(FieldKind::Calibration)), "calibration[0]");

  const struct {
    const char* name;
    bool split;
    int channel;
    const char* field;
  } cases[] = {
      {"ch3.rxFreq", true, 3, "rxFreq"}, {"ch03.narrow", true, 3, "narrow"},
      {"ch-1.rxFreq", true, -1, "rxFreq"}, {"ch17.volume", true, 17, "volume"},
      {"ch.rxFreq", false, 0, ""},       {"chx.rxFreq", false, 0, ""},
      {"ch1rxFreq", false, 0, ""},       {"c1.rxFreq", false, 0, ""},
      {"ch+1.rxFreq", false, 0, ""},     {"ch1 .rxFreq", false, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto split = SplitChannelFieldName(c.name);
    ASSERT_EQ(split.has_value(), c.split);
    if (!split) continue;
    EXPECT_EQ(split->channel, c.channel);
    EXPECT_EQ(split->field, c.field);
  }
  EXPECT_EQ(FindChannelField("txFreq"), &FrequencyField(Direction::Transmit));
  EXPECT_EQ(FindChannelField("squelchLevel"), nullptr);
}

}  // namespace
}  // namespace rondel
