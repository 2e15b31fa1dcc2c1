// SPDX-License-Identifier: GPL-3.0-or-later
// File → Compare with...: the other data file chosen through File → Open's dialog and read as
// File → Open reads it, then compared with the document. Plain C++; the dialog that lists the
// result is shell/qt/compare_dlg.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/document_compare.h"
#include "core/rondel_doc.h"
#include "platform/docframe.h"
#include "shell/settings.h"

namespace rondel {

struct FileComparison {
  std::string path;  // the other file
  std::vector<FieldDifference> differences;  // a: the document, b: the other file
};

// The document compared with the data file at `path`, loaded into a new document of model 0
// as an open would; a file cut short is compared with what it holds, after the open's
// warning. Nothing, after the open's message, when the file cannot be read or is no data file.
std::optional<FileComparison> CompareWithFile(const CRondelDoc& doc, const std::string& path,
                                              const CSettings& settings);
// The file chosen in the open dialog (`frame`'s, starting in the document's folder), compared
// as above; nothing when the user cancelled.
std::optional<FileComparison> CompareWithChosenFile(CDocFrame& frame, const CRondelDoc& doc,
                                                    const CSettings& settings);

}  // namespace rondel
