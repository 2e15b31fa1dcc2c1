// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/document/compare_command.h"

#include "core/data_file.h"
#include "platform/prompt.h"
#include "shell/language.h"

namespace rondel {

std::optional<FileComparison> CompareWithFile(const CRondelDoc& doc, const std::string& path,
                                              const CSettings& settings) {
  CRondelDoc other;
  other.Blank();
  other.SelectModel(0, settings);
  LoadDetails details;
  switch (LoadDataFile(other, path, settings, &details)) {
    case LoadResult::CannotOpen:
      ShowPrompt(GetLangString("IDS_ERROR_OPENFILE") + "\n" + path, GetLangString("IDS_ERROR"),
                 PromptIcon::Error, PromptButtons::Ok);
      return std::nullopt;
    case LoadResult::HeaderRejected:
      ShowPrompt(GetLangString("IDS_WARN_LOAD"), GetLangString("IDS_ERROR"), PromptIcon::Error,
                 PromptButtons::Ok);
      return std::nullopt;
    case LoadResult::Incomplete:
      ShowPrompt(IncompleteFileText(details.length), GetLangString("IDS_PROMPT"),
                 PromptIcon::Warning, PromptButtons::Ok);
      break;
    case LoadResult::Loaded:
      break;
  }
  return FileComparison{path, CompareDocuments(doc, other)};
}

std::optional<FileComparison> CompareWithChosenFile(CDocFrame& frame, const CRondelDoc& doc,
                                                    const CSettings& settings) {
  const std::optional<std::string> path = frame.PromptFileToOpen();
  if (!path || path->empty()) return std::nullopt;
  return CompareWithFile(doc, *path, settings);
}

}  // namespace rondel
