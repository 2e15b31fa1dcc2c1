// SPDX-License-Identifier: GPL-3.0-or-later
// The PTT ID codes (15 digits 0-9, A-D) and the read password (6 characters 0-9, A-Z, a-z)
// between text and the image's digit bytes; 0xFF fills the positions after the end.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/image_layout.h"

namespace rondel {

using PttCodeBytes = std::array<std::uint8_t, layout::kPttCodeSize>;
using PasswordBytes = std::array<std::uint8_t, layout::kReadPasswordSize>;

// Values 0-9 give "0"-"9", 10-13 "A"-"D"; the first value of 14 or more ends the text.
std::string DecodePttCode(std::span<const std::uint8_t, layout::kPttCodeSize> bytes);
// "0"-"9", "A"-"D", "a"-"d"; the first other character fills the rest with 0xFF.
PttCodeBytes EncodePttCode(std::string_view text);

// Values 0-9 give "0"-"9", 10-35 "A"-"Z", 36-61 "a"-"z"; 62 or more ends the text.
std::string DecodePassword(std::span<const std::uint8_t, layout::kReadPasswordSize> bytes);
PasswordBytes EncodePassword(std::string_view text);
// The characters a read password is made of, and a text the radio can hold as one: at most
// six of them (none at all is no password).
inline constexpr std::string_view kPasswordCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
bool IsPasswordText(std::string_view text);

}  // namespace rondel
