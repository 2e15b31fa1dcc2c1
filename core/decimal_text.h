// SPDX-License-Identifier: GPL-3.0-or-later
// A decimal number's text ("145.5000") taken apart at its point, before any digit is looked
// at, so each reader decides for itself what a missing or empty part means.
#pragma once

#include <string_view>

namespace rondel {

struct DecimalParts {
  std::string_view whole;     // before the point; the whole text when there is none
  std::string_view fraction;  // after the point, up to the end (a second point included)
  bool point = false;         // whether there is a point at all: "145." is not "145"
};

constexpr DecimalParts SplitDecimal(std::string_view text) {
  const std::size_t at = text.find('.');
  if (at == std::string_view::npos) return {text, {}, false};
  return {text.substr(0, at), text.substr(at + 1), true};
}

}  // namespace rondel
