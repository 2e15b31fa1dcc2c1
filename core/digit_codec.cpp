// SPDX-License-Identifier: GPL-3.0-or-later
// PTT codes and the read password as digit bytes; 0xFF after the last character is how the
// radio knows where a code or the password ends.
#include "core/digit_codec.h"

namespace rondel {

namespace {

constexpr std::uint8_t kUnused = 0xFF;
constexpr std::uint8_t kPttDigitLimit = 14;   // values 0-13: "0"-"9", "A"-"D"
constexpr std::uint8_t kPasswordLimit = 62;   // values 0-61: "0"-"9", "A"-"Z", "a"-"z"

// The byte value of a code character, or kUnused for one a PTT code cannot hold.
std::uint8_t PttValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'D') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'd') return static_cast<std::uint8_t>(c - 'a' + 10);
  return kUnused;
}

// The password is case-sensitive, so upper and lower case have values of their own.
std::uint8_t PasswordValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 36);
  return kUnused;
}

// Stores characters until the first one `value` refuses (or the text ends); from there on
// every byte is unused, so nothing typed after a bad character reaches the radio.
template <std::size_t N, typename ValueOf>
std::array<std::uint8_t, N> EncodeDigits(std::string_view text, ValueOf value) {
  std::array<std::uint8_t, N> bytes;
  bytes.fill(kUnused);
  for (std::size_t at = 0; at < N && at < text.size(); ++at) {
    const std::uint8_t v = value(text[at]);
    if (v == kUnused) break;
    bytes[at] = v;
  }
  return bytes;
}

}  // namespace

std::string DecodePttCode(std::span<const std::uint8_t, layout::kPttCodeSize> bytes) {
  std::string text;
  for (const std::uint8_t v : bytes) {
    if (v >= kPttDigitLimit) break;
    text += static_cast<char>(v < 10 ? '0' + v : 'A' + (v - 10));
  }
  return text;
}

PttCodeBytes EncodePttCode(std::string_view text) {
  return EncodeDigits<std::tuple_size_v<PttCodeBytes>>(text, PttValue);
}

std::string DecodePassword(std::span<const std::uint8_t, layout::kReadPasswordSize> bytes) {
  std::string text;
  for (const std::uint8_t v : bytes) {
    if (v >= kPasswordLimit) break;
    text += static_cast<char>(v < 10 ? '0' + v : v < 36 ? 'A' + (v - 10) : 'a' + (v - 36));
  }
  return text;
}

PasswordBytes EncodePassword(std::string_view text) {
  return EncodeDigits<std::tuple_size_v<PasswordBytes>>(text, PasswordValue);
}

bool IsPasswordText(std::string_view text) {
  return text.size() <= layout::kReadPasswordSize &&
         text.find_first_not_of(kPasswordCharacters) == std::string_view::npos;
}

}  // namespace rondel
