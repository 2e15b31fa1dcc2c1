// CTCSS/DCS tones between the form's text and the image's two-byte tone code (low byte first;
// the high byte selects off, CTCSS, DCS normal or DCS inverted).
#pragma once

#include <array>
#include <cstdint>
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

}  // namespace rondel
