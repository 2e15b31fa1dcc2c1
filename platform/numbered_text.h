// SPDX-License-Identifier: GPL-3.0-or-later
// Language-file texts with places for values. Language files are not format strings: only the
// places named here are filled in, and nothing else in a text is interpreted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rondel {

// `text` with its first `placeholder` ("%d", "%s") replaced by `value`, for the texts that have
// always named one value so.
std::string FillIn(std::string text, std::string_view placeholder, std::string_view value);

// `text` with every "%1" to "%9" replaced by the value of that number; a place without a value
// and every other "%" stay as they are. Numbered places stand for the values in that order, so
// a translation may put them wherever its grammar wants them.
std::string FillNumbered(std::string text, const std::vector<std::string>& values);

}  // namespace rondel
