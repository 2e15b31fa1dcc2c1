// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli diff A B [--json]: what differs between two data files, field by field in the
// form's terms, then the bytes no field accounts for. Exits as diff(1) does: 0 equal, 1 not.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/document_compare.h"

namespace rondel {
class CSettings;
}

namespace rondel::cli {

inline constexpr int kExitDiffer = 1;

// The listing: one difference a line, "ch3.rxFreq 446.00625 → 446.01875" (an empty value as
// ""); nothing when equal.
std::string DifferencesText(const std::vector<FieldDifference>& differences);
// The JSON object, format 1: {"format": 1, "equal": BOOL, "differences": [...]}, each
// difference {"field"|"address"|"header": PLACE, "a": TEXT, "b": TEXT}.
std::string DifferencesJson(const std::vector<FieldDifference>& differences);

// `operands`: A and B.
int CmdDiff(const std::vector<std::string>& operands, bool json, const CSettings& settings,
            std::ostream& out, std::ostream& err);

}  // namespace rondel::cli
