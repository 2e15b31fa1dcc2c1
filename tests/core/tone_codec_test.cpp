// Tone codec: CTCSS and DCS text to the two-byte tone code and back, and the off choice.
// Expected bytes are the documented examples and hand-packed BCD.
#include "core/tone_codec.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/tone_lists.h"

namespace rondel {
namespace {

// --- Text to tone --------------------------------------------------------------------------

struct EncodeCase {
  const char* text;
  ToneBytes bytes;  // low byte first
};
std::ostream& operator<<(std::ostream& os, const EncodeCase& c) {
  return os << '"' << c.text << '"';
}

class EncodeToneTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeToneTest, GivesTheToneCode) {
  EXPECT_EQ(EncodeTone(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Ctcss, EncodeToneTest, ::testing::Values(
    EncodeCase{"88.5", {0x85, 0x08}},
    EncodeCase{"67", {0x70, 0x06}},
    EncodeCase{"67.0", {0x70, 0x06}},
    EncodeCase{"88.", {0x80, 0x08}},       // a bare point still means tenths of zero
    EncodeCase{"100.0", {0x00, 0x10}},
    EncodeCase{"254.1", {0x41, 0x25}},
    EncodeCase{"123.45", {0x34, 0x12}},    // the second decimal is dropped
    EncodeCase{"88.5Hz", {0x85, 0x08}},    // the number ends at the letter
    EncodeCase{"150", {0x00, 0x15}}));     // not in the list, stored all the same

INSTANTIATE_TEST_SUITE_P(CtcssClamped, EncodeToneTest, ::testing::Values(
    EncodeCase{"300", {0x41, 0x25}},       // to 254.1
    EncodeCase{"254.2", {0x41, 0x25}},
    EncodeCase{"50", {0x70, 0x06}},        // to 67.0
    EncodeCase{"66.9", {0x70, 0x06}},
    EncodeCase{"0", {0x70, 0x06}},
    EncodeCase{"1", {0x70, 0x06}},
    EncodeCase{"99999999999999999999999999", {0x41, 0x25}}));

INSTANTIATE_TEST_SUITE_P(Dcs, EncodeToneTest, ::testing::Values(
    EncodeCase{"D023N", {0x23, 0x80}},
    EncodeCase{"D023I", {0x23, 0xC0}},
    EncodeCase{"D754I", {0x54, 0xC7}},
    EncodeCase{"d754i", {0x54, 0xC7}},
    EncodeCase{"D754N", {0x54, 0x87}},
    EncodeCase{"D754X", {0x54, 0x87}},     // any fifth character but I/i is normal
    EncodeCase{"D123I", {0x23, 0xC1}},
    EncodeCase{"D7778", {0x77, 0x87}}));

INSTANTIATE_TEST_SUITE_P(DcsMalformed, EncodeToneTest, ::testing::Values(
    EncodeCase{"D12", {0x23, 0x80}},
    EncodeCase{"D823N", {0x23, 0x80}},     // 8 is not octal
    EncodeCase{"D028N", {0x23, 0x80}},
    EncodeCase{"D754II", {0x23, 0x80}},   // six characters
    EncodeCase{"D", {0x23, 0x80}},
    EncodeCase{"d", {0x23, 0x80}}));

INSTANTIATE_TEST_SUITE_P(Off, EncodeToneTest, ::testing::Values(
    EncodeCase{"", {0xFF, 0xFF}},
    EncodeCase{"OFF", {0xFF, 0xFF}},
    EncodeCase{"off", {0xFF, 0xFF}},
    EncodeCase{"\xE5\x85\xB3", {0xFF, 0xFF}},  // a Chinese "off"
    EncodeCase{" 88.5", {0xFF, 0xFF}},         // only the first character decides
    EncodeCase{"-88.5", {0xFF, 0xFF}},
    EncodeCase{".5", {0xFF, 0xFF}}));

// The off choice is known only by its first character: a translation that starts like a
// tone is stored as that kind of tone.
INSTANTIATE_TEST_SUITE_P(LocalisedOffText, EncodeToneTest, ::testing::Values(
    EncodeCase{"0ff", {0x70, 0x06}},          // CTCSS 0, clamped to 67.0
    EncodeCase{"Desactivado", {0x23, 0x80}},  // DCS, malformed
    EncodeCase{"deakt", {0x23, 0x80}}));      // five characters, but not octal

// --- Tone to text --------------------------------------------------------------------------

struct DecodeCase {
  ToneBytes bytes;
  const char* text;
};
std::ostream& operator<<(std::ostream& os, const DecodeCase& c) {
  return os << "-> \"" << c.text << '"';
}

class DecodeToneTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeToneTest, ByTheHighByte) {
  EXPECT_EQ(DecodeTone(GetParam().bytes, "Aus"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeToneTest, ::testing::Values(
    DecodeCase{{0x85, 0x08}, "88.5"},
    DecodeCase{{0x70, 0x06}, "67.0"},
    DecodeCase{{0x00, 0x10}, "100.0"},
    DecodeCase{{0x41, 0x25}, "254.1"},
    DecodeCase{{0x23, 0x80}, "D023N"},
    DecodeCase{{0x23, 0xC0}, "D023I"},
    DecodeCase{{0x54, 0xC7}, "D754I"},
    DecodeCase{{0x00, 0xFF}, "Aus"},
    DecodeCase{{0x85, 0xFF}, "Aus"},
    DecodeCase{{0xFF, 0xFF}, "Aus"}));

// Nothing is checked below the kind: stray nibbles show as hex letters.
INSTANTIATE_TEST_SUITE_P(StrayNibbles, DecodeToneTest, ::testing::Values(
    DecodeCase{{0x7F, 0x7F}, "7f7.f"},
    DecodeCase{{0x23, 0xBF}, "Df23N"},
    DecodeCase{{0x23, 0xFE}, "De23I"},
    DecodeCase{{0xAB, 0x80}, "D0abN"}));

TEST(ToneKindOf, ByTheHighByte) {
  struct {
    std::uint8_t high;
    ToneKind kind;
  } const cases[] = {
      {0x00, ToneKind::Ctcss},     {0x7F, ToneKind::Ctcss},       {0x80, ToneKind::DcsNormal},
      {0xBF, ToneKind::DcsNormal}, {0xC0, ToneKind::DcsInverted}, {0xFE, ToneKind::DcsInverted},
      {0xFF, ToneKind::Off},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.high));
    EXPECT_EQ(ToneKindOf(ToneBytes{0x00, c.high}), c.kind);
    EXPECT_EQ(ToneKindOf(ToneBytes{0xFF, c.high}), c.kind);  // the low byte plays no part
  }
}

// --- Round trip over the tone lists ----------------------------------------------------------

TEST(ToneRoundTrip, EveryListedToneDecodesToItsOwnText) {
  int checked = 0;
  for (int list : {kToneListCtcss, kToneListDcsNormal, kToneListDcsInverted}) {
    for (const std::string& text : ToneList(list)) {
      const ToneBytes bytes = EncodeTone(text);
      EXPECT_NE(bytes[1], 0xFF) << text;
      EXPECT_EQ(DecodeTone(bytes, "OFF"), text);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 258);
}

TEST(ToneRoundTrip, ListsMapToTheirKinds) {
  for (const std::string& text : ToneList(kToneListCtcss))
    EXPECT_EQ(ToneKindOf(EncodeTone(text)), ToneKind::Ctcss) << text;
  for (const std::string& text : ToneList(kToneListDcsNormal))
    EXPECT_EQ(ToneKindOf(EncodeTone(text)), ToneKind::DcsNormal) << text;
  for (const std::string& text : ToneList(kToneListDcsInverted))
    EXPECT_EQ(ToneKindOf(EncodeTone(text)), ToneKind::DcsInverted) << text;
}

TEST(ToneRoundTrip, OffChoiceStaysOff) {
  EXPECT_EQ(DecodeTone(EncodeTone("OFF"), "OFF"), "OFF");
}

// --- Tones a file may name ------------------------------------------------------------------

TEST(HeldTone, ATextTheRadioCanHoldIsWrittenAsDecodingGivesItBack) {
  const std::pair<const char*, const char*> held[] = {
      {"88.5", "88.5"}, {"67", "67.0"},   {"67.0", "67.0"},   {"254.1", "254.1"},
      {"88.6", "88.6"}, {"150", "150.0"}, {"088.5", "88.5"},  {"D023N", "D023N"},
      {"d754i", "D754I"}, {"D000n", "D000N"}, {"D777I", "D777I"},
  };
  for (const auto& [text, want] : held) {
    SCOPED_TRACE(text);
    const auto got = HeldToneText(text);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, want);
    // Stored and shown again, it is the same text: nothing was clamped or replaced.
    EXPECT_EQ(DecodeTone(EncodeTone(*got), "OFF"), *got);
  }
}

TEST(HeldTone, TextTheCodecWouldClampOrReplaceIsNoTone) {
  for (const char* text : {"", "OFF", "66.9", "254.2", "300", "50", "88.55", "88.", ".5",
                           "1234", "88.5Hz", " 88.5", "8a.5", "D12", "D0234N", "D823N",
                           "D023X", "D02N", "DO23N", "E023N"}) {
    EXPECT_FALSE(HeldToneText(text).has_value()) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace rondel
