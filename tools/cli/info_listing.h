// SPDX-License-Identifier: GPL-3.0-or-later
// The readable, localised listing of "rondel-cli info": the radio-wide settings as the form's
// lists name them, the model's name, and the channel table with the grid's headings.
#pragma once

#include <string>

#include "core/rondel_doc.h"
#include "shell/settings.h"

namespace rondel {

std::string DocumentListing(const CRondelDoc& doc, const CSettings& settings);

// Columns a text takes in a terminal: East Asian wide characters count two.
std::size_t DisplayWidth(const std::string& utf8);

}  // namespace rondel
