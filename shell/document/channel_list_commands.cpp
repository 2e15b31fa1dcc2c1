// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/document/channel_list_commands.h"

#include <cstdint>
#include <span>

#include "platform/atomic_file.h"
#include "platform/prompt.h"
#include "shell/channel_list/channel_csv.h"
#include "shell/language.h"

namespace rondel {
namespace {

FileDialogRequest ListDialog(std::string proposed = {}) {
  return {GetLangString("IDS_CSV_FILTER"), kChannelCsvExtension, std::move(proposed)};
}

void ShowError(const std::string& text) {
  ShowPrompt(text, GetLangString("IDS_ERROR"), PromptIcon::Error, PromptButtons::Ok);
}

}  // namespace

bool ImportChannelList(CRondelDocument& document, const CSettings& settings) {
  const auto path = CurrentPrompter().ChooseFileToOpen(ListDialog());
  if (!path || path->empty()) return false;
  std::string text;
  if (!ReadChannelCsvFile(*path, text)) {
    ShowError(GetLangString("IDS_ERROR_OPENFILE") + "\n" + *path);
    return false;
  }
  const CsvImport result = document.ImportChannels(settings, text);
  if (!result.Imported()) {
    ShowError(GetLangString("IDS_CSV_REFUSED") + "\n" + CsvIssueText(*result.refusal, settings));
    return false;
  }
  if (!result.warnings.empty()) {
    std::string message = GetLangString("IDS_CSV_ADJUSTED");
    // Appended piece by piece: "text" + a temporary string draws GCC 12's false -Wrestrict at -O3.
    for (const CsvIssue& w : result.warnings)
      message.append("\n").append(CsvIssueText(w, settings));
    ShowPrompt(message, GetLangString("IDS_PROMPT"), PromptIcon::Warning, PromptButtons::Ok);
  }
  return true;
}

std::string ProposedChannelListPath(const CRondelDocument& document) {
  std::string name = document.GetPathName().empty() ? document.GetTitle() : document.GetPathName();
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
  return name + kChannelCsvExtension;
}

bool ExportChannelList(const CRondelDocument& document, const CSettings& settings) {
  const auto chosen = CurrentPrompter().ChooseFileToSave(ListDialog(ProposedChannelListPath(document)));
  if (!chosen || chosen->empty()) return false;
  const std::string target = WithExtension(*chosen, kChannelCsvExtension);
  const std::string text = ExportChannelCsv(document.Doc(), settings);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!WriteFileAtomically(target, std::span<const std::uint8_t>(bytes, text.size()))) {
    ShowError(GetLangString("IDS_ERROR_SAVEFILE") + "\n" + target);
    return false;
  }
  return true;
}

}  // namespace rondel
