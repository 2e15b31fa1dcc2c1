// PTT codes and read password between text and digit bytes; 0xFF marks every unused position.
// Expected bytes are worked out by hand from the character tables.
#include "core/digit_codec.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>

namespace rondel {
namespace {

constexpr std::uint8_t F = 0xFF;

// The given leading bytes, the rest 0xFF.
template <typename Bytes>
Bytes Padded(std::initializer_list<std::uint8_t> head) {
  Bytes bytes;
  bytes.fill(0xFF);
  std::size_t at = 0;
  for (std::uint8_t b : head) bytes[at++] = b;
  return bytes;
}

// --- PTT codes -----------------------------------------------------------------------------

struct PttCase {
  const char* text;
  PttCodeBytes bytes;
};
std::ostream& operator<<(std::ostream& os, const PttCase& c) { return os << '"' << c.text << '"'; }

class EncodePttCodeTest : public ::testing::TestWithParam<PttCase> {};

TEST_P(EncodePttCodeTest, StoresDigitsUntilTheFirstOther) {
  EXPECT_EQ(EncodePttCode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodePttCodeTest, ::testing::Values(
    PttCase{"12A*", Padded<PttCodeBytes>({0x01, 0x02, 0x0A})},  // then 12 bytes of FF
    PttCase{"", Padded<PttCodeBytes>({})},
    PttCase{"0123456789ABCD0",
            {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0}},
    PttCase{"abcd", Padded<PttCodeBytes>({10, 11, 12, 13})},
    PttCase{"1234567890123456789",  // only fifteen digits fit
            {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5}},
    PttCase{"E1", Padded<PttCodeBytes>({})},           // E is not a code digit
    PttCase{"12A*5", Padded<PttCodeBytes>({1, 2, 10})},  // nothing after the bad character
    PttCase{"1 2", Padded<PttCodeBytes>({1})},
    PttCase{"#", Padded<PttCodeBytes>({})}));

TEST(DecodePttCode, EndsAtTheFirstValueOf14OrMore) {
  struct {
    PttCodeBytes bytes;
    const char* text;
  } const cases[] = {
      {Padded<PttCodeBytes>({0x0E, 0x01}), ""},
      {Padded<PttCodeBytes>({0x01, 0x02, 0x0A}), "12A"},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0}, "0123456789ABCD0"},
      {Padded<PttCodeBytes>({0x01, 0x0D, 0x0E, 0x05}), "1D"},
      {Padded<PttCodeBytes>({0x01, F, 0x02}), "1"},
      {{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, "999999999999999"},
      {Padded<PttCodeBytes>({}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodePttCode(c.bytes), c.text);
}

TEST(PttCodeRoundTrip, EveryDigitInEveryPosition) {
  const std::string digits = "0123456789ABCD";
  for (std::size_t len = 0; len <= 15; ++len) {
    std::string text;
    for (std::size_t i = 0; i < len; ++i) text += digits[(i * 5 + len) % digits.size()];
    EXPECT_EQ(DecodePttCode(EncodePttCode(text)), text);
  }
}

// --- Read password ---------------------------------------------------------------------------

struct PasswordCase {
  const char* text;
  PasswordBytes bytes;
};
std::ostream& operator<<(std::ostream& os, const PasswordCase& c) {
  return os << '"' << c.text << '"';
}

class EncodePasswordTest : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(EncodePasswordTest, StoresCharactersUntilTheFirstOther) {
  EXPECT_EQ(EncodePassword(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodePasswordTest, ::testing::Values(
    PasswordCase{"aZ09zA", {36, 35, 0, 9, 61, 10}},
    PasswordCase{"", Padded<PasswordBytes>({})},
    PasswordCase{"1234567", {1, 2, 3, 4, 5, 6}},       // only six fit
    PasswordCase{"ab!c", Padded<PasswordBytes>({36, 37})},
    PasswordCase{"Ab", Padded<PasswordBytes>({10, 37})},  // case matters
    PasswordCase{"\xC3\xA9t", Padded<PasswordBytes>({})},
    PasswordCase{" 12", Padded<PasswordBytes>({})}));

TEST(DecodePassword, EndsAtTheFirstValueOf62OrMore) {
  struct {
    PasswordBytes bytes;
    const char* text;
  } const cases[] = {
      {{36, 35, 0, 9, 61, 10}, "aZ09zA"},
      {{1, 62, 2, 3, 4, 5}, "1"},  // bytes after the end are ignored
      {Padded<PasswordBytes>({61}), "z"},
      {Padded<PasswordBytes>({1, 2, F, 3}), "12"},
      {Padded<PasswordBytes>({0x40, 1}), ""},
      {Padded<PasswordBytes>({}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodePassword(c.bytes), c.text);
}

TEST(PasswordRoundTrip, EveryCharacterValue) {
  const std::string chars =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  ASSERT_EQ(chars.size(), 62u);
  for (std::size_t v = 0; v < chars.size(); ++v) {
    const std::string text(1, chars[v]);
    EXPECT_EQ(EncodePassword(text)[0], v) << text;
    EXPECT_EQ(DecodePassword(EncodePassword(text)), text);
  }
}

}  // namespace
}  // namespace rondel
