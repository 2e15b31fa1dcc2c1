// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/numbered_text.h"

namespace rondel {

std::string FillIn(std::string text, std::string_view placeholder, std::string_view value) {
  const std::size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
  return text;
}

std::string FillNumbered(std::string text, const std::vector<std::string>& values) {
  for (std::size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size();
       at = text.find('%', at)) {
    const char digit = text[at + 1];
    const std::size_t k = static_cast<std::size_t>(digit - '1');
    if (digit >= '1' && digit <= '9' && k < values.size()) {
      text.replace(at, 2, values[k]);
      at += values[k].size();  // a value is never read as text with places of its own
    } else {
      at += 1;
    }
  }
  return text;
}

}  // namespace rondel
