// SPDX-License-Identifier: GPL-3.0-or-later
// The field codecs: frequency, tone, PTT code and password between text and image bytes, and
// the embedded tone lists. Every expected value is worked out by hand; each case sits next to
// a limit of the rule it pins (first and last accepted value, one past each).
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/digit_codec.h"
#include "core/frequency_codec.h"
#include "core/tone_codec.h"
#include "core/tone_lists.h"

namespace rondel {
namespace {

constexpr std::uint8_t F = 0xFF;

TEST(FrequencyCodec, TextToIntMovesThePointFivePlaces) {
  const struct { const char* text; std::int32_t value; } cases[] = {
      {"446.00625", 44600625}, {"446", 44600000}, {"446.", 44600000}, {".5", 50000},
      {"446.006259", 44600625},            // the sixth decimal is dropped, not rounded
      {"", 0}, {"-446", 0}, {"+446", 0}, {"abc", 0},
      {"1.2.3", 12},                       // only the first point moves: "12.300.000"
      {"0.00009", 9}, {"0.0000/", 0}, {"1:", 1}, {"1/", 1},  // digit range edges
      {"21474.83647", INT_MAX}, {"21474.83648", INT_MAX}, {"99999999999", INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(FrequencyTextToInt(c.text), c.value) << '"' << c.text << '"';
  // Every blank atoi skips is skipped before the number; any other leading character ends it.
  for (const char* blank : {" ", "\t", "\n", "\v", "\f", "\r"})
    EXPECT_EQ(FrequencyTextToInt(std::string(blank) + "446.5"), 44650000) << int(blank[0]);
  EXPECT_EQ(FrequencyTextToInt("\b446.5"), 0);
}

TEST(FrequencyCodec, EncodeSnapsToTheNearerRasterAndPacksBcd) {
  const struct { const char* text; std::int32_t snapped; FreqBytes bytes; } cases[] = {
      {"446.00625", 44600625, {0x25, 0x06, 0x60, 0x44}},
      {"446.0062", 44600625, {0x25, 0x06, 0x60, 0x44}},   // 6.25 kHz step agrees on the kHz
      {"446.01174", 44601000, {0x00, 0x10, 0x60, 0x44}},  // 76 below the 6.25 kHz step
      {"446.01175", 44601250, {0x50, 0x12, 0x60, 0x44}},  // 75 below it: rounds up
      {"446.0025", 44600000, {0x00, 0x00, 0x60, 0x44}},   // 5 kHz remainder 250 stays down
      {"446.00251", 44600500, {0x00, 0x05, 0x60, 0x44}},  // 251 goes up
      {"446.0056", 44600500, {0x00, 0x05, 0x60, 0x44}},   // 5 kHz step 60 away, 6.25 one 65
      {"446.0057", 44600625, {0x25, 0x06, 0x60, 0x44}},   // 70 against 55
      {"446.01375", 44601500, {0x00, 0x15, 0x60, 0x44}},  // 125 from both: the 5 kHz step
      {"0", 0, {0x00, 0x00, 0x00, 0x00}}, {"x", 0, {0x00, 0x00, 0x00, 0x00}},
      {"123.45678", 12345625, {0x25, 0x56, 0x34, 0x12}},  // every BCD position
      {"999.99999", 99999999, {0x99, 0x99, 0x99, 0x99}},  // eight digits full
      {"1000", 99999999, {0x99, 0x99, 0x99, 0x99}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SnapFrequency(FrequencyTextToInt(c.text)), c.snapped) << c.text;
    EXPECT_EQ(EncodeFrequency(c.text), c.bytes) << c.text;
  }
  EXPECT_EQ(EncodeFrequency(""), (FreqBytes{F, F, F, F}));
  EXPECT_EQ(SnapFrequency(INT_MAX), kMaxFrequency);
  EXPECT_EQ(SnapFrequency(-1000), 0);
}

TEST(FrequencyCodec, DecodePrintsTheNibblesWhileTheHighestByteIsBcd) {
  const struct { FreqBytes bytes; const char* text; } cases[] = {
      {{0x25, 0x06, 0x60, 0x44}, "446.00625"}, {{0x00, 0x00, 0x00, 0x05}, "50.00000"},
      {{0x98, 0x76, 0x54, 0x99}, "995.47698"}, {{0x00, 0x00, 0x00, 0x00}, "00.00000"},
      {{0x9A, 0x00, 0xAB, 0x44}, "44a.b009a"},  // a damaged digit shows as a letter
      {{0x00, 0x00, 0x00, 0x9A}, ""}, {{0x25, 0x06, 0x60, 0xFF}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeFrequency(c.bytes), c.text) << c.text;
    EXPECT_EQ(IsFrequencySet(c.bytes), *c.text != '\0') << c.text;
  }
}

TEST(FrequencyCodec, BandCheckIncludesBothEdges) {
  const struct { const char* text; int side; } cases[] = {
      {"", 0}, {"399.99999", -1}, {"400", 0}, {"470.00000", 0}, {"470.000009", 0},
      {"470.00001", 1}, {"abc", -1}, {"99999999999", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(BandCheck(c.text, 40000000, 47000000), c.side) << c.text;
  EXPECT_EQ(BandEdgeText(1, 5000000, 44600625), "446.00625");
  EXPECT_EQ(BandEdgeText(-1, 5000000, 44600625), "050.00000");
  EXPECT_EQ(BandEdgeText(0, 5000000, 44600625), "050.00000");  // only +1 picks the upper edge
  EXPECT_EQ(BandEdgeText(2, 5000000, 44600625), "050.00000");
}

TEST(ToneCodec, EncodeGivesTheToneCode) {
  const struct { const char* text; ToneBytes bytes; } cases[] = {
      {"88.5", {0x85, 0x08}}, {"67", {0x70, 0x06}}, {"88.", {0x80, 0x08}},
      {"123.45", {0x34, 0x12}}, {"88.5Hz", {0x85, 0x08}}, {"150", {0x00, 0x15}},
      {"66.9", {0x70, 0x06}}, {"0", {0x70, 0x06}},    // clamped up to 67.0
      {"254.1", {0x41, 0x25}}, {"254.2", {0x41, 0x25}}, {"99999999999999999999", {0x41, 0x25}},
      {"9", {0x70, 0x06}}, {"D023N", {0x23, 0x80}}, {"D023I", {0x23, 0xC0}},
      {"d754i", {0x54, 0xC7}}, {"D754X", {0x54, 0x87}}, {"D000N", {0x00, 0x80}},
      {"D123I", {0x23, 0xC1}},
      // Not "D" + three octal digits + suffix: D023 normal.
      {"D12", {0x23, 0x80}}, {"D123", {0x23, 0x80}}, {"D123NN", {0x23, 0x80}},
      {"D823N", {0x23, 0x80}}, {"D283N", {0x23, 0x80}}, {"D238N", {0x23, 0x80}},
      {"D/23N", {0x23, 0x80}}, {"Desactivado", {0x23, 0x80}},
      {"", {F, F}}, {"OFF", {F, F}}, {" 88.5", {F, F}}, {".5", {F, F}}, {"/", {F, F}},
      {":", {F, F}}, {"C023N", {F, F}}, {"E023N", {F, F}}, {"c", {F, F}}, {"e", {F, F}},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeTone(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(ToneCodec, DecodeByTheHighByte) {
  const struct { ToneBytes bytes; ToneKind kind; const char* text; } cases[] = {
      {{0x85, 0x08}, ToneKind::Ctcss, "88.5"},       {{0x41, 0x25}, ToneKind::Ctcss, "254.1"},
      {{0xF7, 0x7F}, ToneKind::Ctcss, "7ff.7"},      {{0x23, 0x80}, ToneKind::DcsNormal, "D023N"},
      {{0xAB, 0xBF}, ToneKind::DcsNormal, "DfabN"},  {{0x54, 0xC7}, ToneKind::DcsInverted, "D754I"},
      {{0x23, 0xC0}, ToneKind::DcsInverted, "D023I"}, {{0x23, 0xFE}, ToneKind::DcsInverted, "De23I"},
      {{0x00, 0xFF}, ToneKind::Off, "Aus"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToneKindOf(c.bytes), c.kind) << c.text;
    EXPECT_EQ(DecodeTone(c.bytes, "Aus"), c.text);
  }
}

TEST(ToneCodec, HeldToneTextTakesOnlyWhatTheRadioHoldsExactly) {
  const struct { const char* text; const char* held; } cases[] = {
      {"67.0", "67.0"}, {"67", "67.0"}, {"088.5", "88.5"}, {"254.1", "254.1"}, {"150", "150.0"},
      {"D023N", "D023N"}, {"d754i", "D754I"}, {"D000n", "D000N"}, {"D777I", "D777I"},
      {"66.9", nullptr}, {"254.2", nullptr}, {"1000", nullptr}, {"88.55", nullptr},
      {"88.", nullptr}, {".5", nullptr}, {"", nullptr}, {"8a.5", nullptr}, {"88.a", nullptr},
      {"9:", nullptr}, {"D023X", nullptr}, {"D823N", nullptr}, {"D283N", nullptr},
      {"D238N", nullptr}, {"D02N", nullptr}, {"D0234N", nullptr}, {"E023N", nullptr},
  };
  for (const auto& c : cases) {
    const auto held = HeldToneText(c.text);
    EXPECT_EQ(held.value_or("<none>"), c.held ? c.held : "<none>") << '"' << c.text << '"';
  }
}

TEST(ToneLists, ThreeListsInResourceOrderAfterTheOffChoice) {
  EXPECT_EQ(ToneList(kToneListCtcss).size(), 50u);
  EXPECT_EQ(ToneList(kToneListDcsNormal).size(), 104u);
  EXPECT_EQ(ToneList(kToneListDcsInverted).size(), 104u);
  EXPECT_TRUE(ToneList(137).empty());
  const auto choices = ToneChoices("\xE5\x85\xB3");
  ASSERT_EQ(choices.size(), 259u);
  const struct { std::size_t at; const char* text; } marks[] = {
      {0, "\xE5\x85\xB3"}, {1, "67.0"}, {2, "69.3"}, {50, "254.1"}, {51, "D023N"},
      {154, "D754N"}, {155, "D023I"}, {258, "D754I"},
  };
  for (const auto& m : marks) EXPECT_EQ(choices[m.at], m.text) << m.at;
  // Every listed tone is one the radio holds, and comes back as the same text.
  for (std::size_t i = 1; i < choices.size(); ++i)
    EXPECT_EQ(DecodeTone(EncodeTone(choices[i]), "OFF"), choices[i]);
}

template <typename Bytes>
Bytes Padded(std::initializer_list<std::uint8_t> head) {
  Bytes bytes;
  bytes.fill(F);
  std::copy(head.begin(), head.end(), bytes.begin());
  return bytes;
}

TEST(DigitCodec, PttCodeDigitsUntilTheFirstOtherCharacter) {
  const struct { const char* text; PttCodeBytes bytes; } cases[] = {
      {"09ADad", Padded<PttCodeBytes>({0, 9, 10, 13, 10, 13})},
      {"1234567890123456", {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5}},  // fifteen fit
      {"12*5", Padded<PttCodeBytes>({1, 2})}, {"", Padded<PttCodeBytes>({})},
      {"/", Padded<PttCodeBytes>({})}, {":", Padded<PttCodeBytes>({})},
      {"@", Padded<PttCodeBytes>({})}, {"E", Padded<PttCodeBytes>({})},
      {"`", Padded<PttCodeBytes>({})}, {"e", Padded<PttCodeBytes>({})},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodePttCode(c.text), c.bytes) << c.text;
  const struct { PttCodeBytes bytes; const char* text; } decoded[] = {
      {Padded<PttCodeBytes>({0, 9, 10, 13, 14, 1}), "09AD"},
      {Padded<PttCodeBytes>({1, F, 2}), "1"},
      {{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, "999999999999999"},
  };
  for (const auto& c : decoded) EXPECT_EQ(DecodePttCode(c.bytes), c.text);
}

TEST(DigitCodec, PasswordIsCaseSensitive) {
  const struct { const char* text; PasswordBytes bytes; } cases[] = {
      {"09AZaz", {0, 9, 10, 35, 36, 61}}, {"1234567", {1, 2, 3, 4, 5, 6}},
      {"ab!c", Padded<PasswordBytes>({36, 37})}, {"", Padded<PasswordBytes>({})},
      {"/", Padded<PasswordBytes>({})}, {":", Padded<PasswordBytes>({})},
      {"@", Padded<PasswordBytes>({})}, {"[", Padded<PasswordBytes>({})},
      {"`", Padded<PasswordBytes>({})}, {"{", Padded<PasswordBytes>({})},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodePassword(c.text), c.bytes) << c.text;
  const struct { PasswordBytes bytes; const char* text; } decoded[] = {
      {{0, 9, 10, 35, 36, 61}, "09AZaz"}, {{1, 62, 2, 3, 4, 5}, "1"},
      {Padded<PasswordBytes>({1, 2, F, 3}), "12"},
  };
  for (const auto& c : decoded) EXPECT_EQ(DecodePassword(c.bytes), c.text);
}

}  // namespace
}  // namespace rondel
