// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal digits and letter case of ASCII only. Our files are UTF-8 and the program runs in any
// locale, so no locale gets to decide what a digit or a capital letter is.
#pragma once

#include <algorithm>
#include <string_view>

namespace rondel {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True for the empty text too: callers check for an empty part where it matters.
constexpr bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsDigit);
}

// 'A'..'Z' as 'a'..'z'; every other byte, those of UTF-8 sequences included, as it is.
constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters folded, every other byte compared as it is.
constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace rondel
