// SPDX-License-Identifier: GPL-3.0-or-later
// The document as the JSON listing of "rondel-cli info --json": model, radio-wide settings,
// codes, calibration and all 16 channels, decoded field by field.
#pragma once

#include <string>
#include <string_view>

#include "core/model_info.h"
#include "core/rondel_doc.h"

namespace rondel {

// `s` as a quoted JSON string appended to `out`: quote, backslash and control characters
// escaped, UTF-8 passed through.
void AppendJsonString(std::string& out, std::string_view s);

// The number of the layout below, its first member "format"; raised when a member changes
// its meaning or type (members may be added without).
inline constexpr int kInfoJsonFormat = 1;

std::string DocumentToJson(const CRondelDoc& doc, const ModelDataSource& models);

}  // namespace rondel
