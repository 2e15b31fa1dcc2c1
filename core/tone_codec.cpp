// SPDX-License-Identifier: GPL-3.0-or-later
// Tone codes between text and image bytes. The encoder accepts any CTCSS value in range, not
// only the listed ones, because the radio decodes whatever tenths of Hz it is given.
#include "core/tone_codec.h"

#include <cstdio>

#include "core/decimal_text.h"
#include "platform/ascii.h"

namespace rondel {

namespace {

constexpr int kCtcssLowest = 670;    // 67.0 Hz, in tenths
constexpr int kCtcssHighest = 2541;  // 254.1 Hz
constexpr ToneBytes kToneOff{0xFF, 0xFF};
constexpr ToneBytes kDcsFallback{0x23, 0x80};  // D023 normal
constexpr std::uint8_t kDcsNormal = 0x80;
constexpr std::uint8_t kDcsInverted = 0xC0;

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Tenths of Hz from CTCSS text; a long run of digits stops growing once it is past the clamp,
// so no count of digits can overflow.
int CtcssTenths(std::string_view text) {
  // The point moves one place right by editing the text, so further decimals are dropped.
  std::string moved(text);
  moved += moved.find('.') == std::string::npos ? ".0" : "0";
  const std::size_t p = moved.find('.');
  moved.insert(p + 2, 1, '.');
  moved.erase(p, 1);
  int n = 0;
  for (std::size_t at = 0; at < moved.size() && IsDigit(moved[at]); ++at) {
    n = n * 10 + (moved[at] - '0');
    if (n > kCtcssHighest) return kCtcssHighest;
  }
  return n < kCtcssLowest ? kCtcssLowest : n;
}

ToneBytes EncodeCtcss(std::string_view text) {
  // Four decimal digits packed as BCD: hundreds and tens high, units and tenths low.
  const int n = CtcssTenths(text);
  const int c0 = n / 1000, c1 = n / 100 % 10, c2 = n / 10 % 10, c3 = n % 10;
  return {static_cast<std::uint8_t>(c2 << 4 | c3), static_cast<std::uint8_t>(c0 << 4 | c1)};
}

ToneBytes EncodeDcs(std::string_view text) {
  // Anything but "D" + three octal digits + suffix is not a code the radio knows, and D023
  // normal is the first entry of the list, the least surprising stand-in.
  if (text.size() != 5 || !IsOctal(text[1]) || !IsOctal(text[2]) || !IsOctal(text[3]))
    return kDcsFallback;
  const bool inverted = text[4] == 'I' || text[4] == 'i';
  const auto nibble = [&](std::size_t at) { return static_cast<unsigned>(text[at]) & 0x0Fu; };
  return {static_cast<std::uint8_t>(nibble(2) << 4 | nibble(3)),
          static_cast<std::uint8_t>((inverted ? kDcsInverted : kDcsNormal) | nibble(1))};
}

}  // namespace

ToneKind ToneKindOf(std::span<const std::uint8_t, 2> bytes) {
  const std::uint8_t high = bytes[1];
  if (high == 0xFF) return ToneKind::Off;
  if (high < kDcsNormal) return ToneKind::Ctcss;
  if (high < kDcsInverted) return ToneKind::DcsNormal;
  return ToneKind::DcsInverted;
}

std::string DecodeTone(std::span<const std::uint8_t, 2> bytes, std::string_view offText) {
  const unsigned low = bytes[0];
  const unsigned high = bytes[1];
  char text[16] = {};
  switch (ToneKindOf(bytes)) {
    case ToneKind::Off:
      return std::string(offText);
    case ToneKind::Ctcss:
      std::snprintf(text, sizeof text, "%x%x.%x", high, low >> 4, low & 0x0Fu);
      break;
    case ToneKind::DcsNormal:
      std::snprintf(text, sizeof text, "D%x%02xN", high & 0x0Fu, low);
      break;
    case ToneKind::DcsInverted:
      std::snprintf(text, sizeof text, "D%x%02xI", high & 0x0Fu, low);
      break;
  }
  return text;
}

ToneBytes EncodeTone(std::string_view text) {
  // Only the first character decides the kind; the off choice is recognised by being neither.
  if (text.empty()) return kToneOff;
  if (IsDigit(text[0])) return EncodeCtcss(text);
  if (text[0] == 'D' || text[0] == 'd') return EncodeDcs(text);
  return kToneOff;
}

std::optional<std::string> HeldToneText(std::string_view text) {
  if (text.size() == 5 && (text[0] == 'D' || text[0] == 'd') && IsOctal(text[1]) &&
      IsOctal(text[2]) && IsOctal(text[3])) {
    const char suffix = text[4];
    if (suffix != 'N' && suffix != 'n' && suffix != 'I' && suffix != 'i') return std::nullopt;
    std::string held = "D";
    held += text.substr(1, 3);
    held += (suffix == 'I' || suffix == 'i') ? 'I' : 'N';
    return held;
  }
  // Up to three digits of Hz and one of tenths: nothing longer can be in range.
  const auto [whole, tenth, point] = SplitDecimal(text);
  if (whole.empty() || whole.size() > 3 || tenth.size() > 1 || (point && tenth.empty()))
    return std::nullopt;
  int n = 0;
  for (const char c : whole) {
    if (!IsDigit(c)) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  n *= 10;
  if (!tenth.empty()) {
    if (!IsDigit(tenth[0])) return std::nullopt;
    n += tenth[0] - '0';
  }
  if (n < kCtcssLowest || n > kCtcssHighest) return std::nullopt;
  return std::to_string(n / 10) + "." + std::to_string(n % 10);
}

}  // namespace rondel
