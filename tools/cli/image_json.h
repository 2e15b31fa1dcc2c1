// The document as the JSON listing of "rondel-cli info --json": model, radio-wide settings,
// codes, calibration and all 16 channels, decoded field by field.
#pragma once

#include <string>
#include <string_view>

#include "core/model_info.h"
#include "core/rondel_doc.h"

namespace rondel {

std::string DocumentToJson(const CRondelDoc& doc, const ModelDataSource& models);

// `s` as a JSON string, quoted and escaped, appended to `out`.
void AppendJsonString(std::string& out, std::string_view s);

}  // namespace rondel
