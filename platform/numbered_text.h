// SPDX-License-Identifier: GPL-3.0-or-later
// Language-file texts with numbered places: "%1", "%2" ... stand for the values in that order,
// so a translation may put them wherever its grammar wants them.
#pragma once

#include <string>
#include <vector>

namespace rondel {

// `text` with every "%1" to "%9" replaced by the value of that number; a place without a value
// and every other "%" stay as they are. Nothing else in the text is interpreted.
std::string FillNumbered(std::string text, const std::vector<std::string>& values);

}  // namespace rondel
