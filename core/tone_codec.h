// SPDX-License-Identifier: GPL-3.0-or-later
// CTCSS/DCS tones between the form's text and the image's two-byte tone code (low byte first;
// the high byte selects off, CTCSS, DCS normal or DCS inverted).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rondel {

using ToneBytes = std::array<std::uint8_t, 2>;

enum class ToneKind { Off, Ctcss, DcsNormal, DcsInverted };

ToneKind ToneKindOf(std::span<const std::uint8_t, 2> bytes);

// "88.5", "D023N", "D754I", or `offText` when the high byte is 0xFF.
std::string DecodeTone(std::span<const std::uint8_t, 2> bytes, std::string_view offText);

// Empty text and any text that is neither CTCSS (first character a digit) nor DCS (first
// character "D" or "d") give FF FF. CTCSS is clamped to 67.0..254.1 Hz; malformed DCS text
// gives D023 normal.
ToneBytes EncodeTone(std::string_view text);

// A tone the radio can hold exactly, written as DecodeTone writes it back: CTCSS 67.0 to
// 254.1 Hz with at most one decimal ("67" gives "67.0"), DCS "D" + three octal digits + "N"
// or "I", in either case ("d754i" gives "D754I"). Nothing for any other text, empty included:
// unlike EncodeTone, nothing is clamped or replaced, so a text taken from a file is either
// stored as written or refused.
std::optional<std::string> HeldToneText(std::string_view text);

}  // namespace rondel
