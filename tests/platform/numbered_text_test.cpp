// SPDX-License-Identifier: GPL-3.0-or-later
// Places in language-file texts: only those named are filled, and a value is never read as a
// text with places of its own.
#include "platform/numbered_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rondel {
namespace {

TEST(NumberedText, FillInFillsTheFirstPlaceOnly) {
  const struct {
    std::string text, placeholder, value, filled;
  } cases[] = {
      {"port %s.", "%s", "%s%d", "port %s%d."},
      {"%d of %d", "%d", "3", "3 of %d"},
      {"%s and %d", "%d", "7", "%s and 7"},
      {"no place", "%d", "5", "no place"},
      {"100%", "%d", "1", "100%"},
      {"", "%s", "x", ""},
      {"%s", "%s", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FillIn(c.text, c.placeholder, c.value), c.filled) << c.text;
}

TEST(NumberedText, FillNumberedFillsEachNumberWithItsValue) {
  const std::vector<std::string> nine = {"1", "2", "3", "4", "5", "6", "7", "8", "nine"};
  const struct {
    std::string text;
    std::vector<std::string> values;
    std::string filled;
  } cases[] = {
      {"%2 before %1", {"a", "b"}, "b before a"},
      {"%1%1", {"x"}, "xx"},
      {"%3 stays", {"a"}, "%3 stays"},
      {"%0 %9", nine, "%0 nine"},
      {"%1", {"%1"}, "%1"},
      {"%%1", {"a"}, "%a"},
      {"50%", {"a"}, "50%"},
      {"%", {}, "%"},
  };
  for (const auto& c : cases) EXPECT_EQ(FillNumbered(c.text, c.values), c.filled) << c.text;
}

}  // namespace
}  // namespace rondel
