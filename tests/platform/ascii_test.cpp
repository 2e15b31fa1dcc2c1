// SPDX-License-Identifier: GPL-3.0-or-later
// Digits and letter case by ASCII alone: the bytes next to each range, and bytes with the high
// bit set (UTF-8 sequences, or a locale's own letters), stay outside.
#include "platform/ascii.h"

#include <gtest/gtest.h>

#include <string>

namespace rondel {
namespace {

TEST(Ascii, DigitsAreZeroToNineOnly) {
  const std::pair<char, bool> cases[] = {
      {'/', false}, {'0', true}, {'5', true}, {'9', true}, {':', false}, {'\0', false},
      {' ', false}, {'O', false}, {'\xB0', false}, {'\xB9', false}, {'\xD9', false},
      {'\xF0', false}, {'\xFF', false}};
  for (const auto& [c, digit] : cases) EXPECT_EQ(IsDigit(c), digit) << int(static_cast<unsigned char>(c));

  const std::pair<std::string, bool> texts[] = {
      {"", true}, {"0", true}, {"0123456789", true}, {"12a", false}, {" 1", false},
      {"1 ", false}, {"1.5", false}, {"-1", false}, {"\xD9", false}, {std::string("1\0" "2", 3), false}};
  for (const auto& [text, digits] : texts) EXPECT_EQ(AllDigits(text), digits) << text;
}

TEST(Ascii, OnlyAsciiCapitalsFold) {
  const std::pair<char, char> cases[] = {
      {'@', '@'}, {'A', 'a'}, {'M', 'm'}, {'Z', 'z'}, {'[', '['}, {'`', '`'}, {'a', 'a'},
      {'z', 'z'}, {'{', '{'}, {'0', '0'}, {'\x80', '\x80'}, {'\xC1', '\xC1'},  // Latin-1 capital A acute
      {'\xC4', '\xC4'}, {'\xDA', '\xDA'}, {'\xDE', '\xDE'}, {'\xFF', '\xFF'}};
  for (const auto& [c, folded] : cases)
    EXPECT_EQ(FoldAscii(c), folded) << int(static_cast<unsigned char>(c));
}

TEST(Ascii, TextsEqualWithoutRegardToAsciiCase) {
  const struct {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"", "", true},
      {"COM1", "com1", true},
      {"Setup", "sETUP", true},
      {"com1", "com1 ", false},
      {"a", "", false},
      {"@", "`", false},  // one bit apart, as 'A' and 'a' are, but no letters
      {"[", "{", false},
      {"Z", "z", true},
      {"\xC3\x84", "\xC3\xA4", false},  // UTF-8 capital and small A umlaut are not folded
      {"\xC3\x84", "\xC3\x84", true},
      {"\xC1", "\xE1", false},  // nor those of Latin-1
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualNoCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

}  // namespace
}  // namespace rondel
