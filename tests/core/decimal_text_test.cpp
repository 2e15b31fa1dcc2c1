// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal texts split at their first point, whatever surrounds it.
#include "core/decimal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace rondel {
namespace {

TEST(DecimalText, SplitsAtTheFirstPoint) {
  const struct {
    std::string text, whole, fraction;
    bool point;
  } cases[] = {
      {"145.5000", "145", "5000", true},
      {"145", "145", "", false},
      {".5", "", "5", true},
      {"145.", "145", "", true},
      {".", "", "", true},
      {"1.2.3", "1", "2.3", true},
      {"..", "", ".", true},
      {"", "", "", false},
      {" 1 . 5 ", " 1 ", " 5 ", true},  // blanks are the reader's to refuse or trim
      {"12,5", "12,5", "", false},       // a comma is no point
  };
  for (const auto& c : cases) {
    const DecimalParts parts = SplitDecimal(c.text);
    EXPECT_EQ(std::make_tuple(std::string(parts.whole), std::string(parts.fraction), parts.point),
              std::make_tuple(c.whole, c.fraction, c.point))
        << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace rondel
