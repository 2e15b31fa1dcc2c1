// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/document/app_core.h"

#include "shell/language.h"

namespace rondel {

CRondelAppCore::CRondelAppCore(const std::string& iniPath, RecentFileStore& recentStore)
    : m_settings(iniPath),
      m_document(m_doc, m_settings),
      m_recent(recentStore, 4),
      m_frame(m_document, m_recent, [](std::string_view key) { return GetLangString(key); }) {}

bool CRondelAppCore::Start(const std::string& commandLineFile) {
  m_document.SkipNextClearPrompt(true);
  if (commandLineFile.empty()) return OnFileNew();
  const OpenOutcome opened = Open(commandLineFile);
  return opened == OpenOutcome::Opened || opened == OpenOutcome::Refused;
}

OpenOutcome CRondelAppCore::Open(const std::string& path) {
  // Reset first, so whatever the file does not hold keeps a new document's values and never
  // the previous document's. The save-changes question is asked here, once: Cancel ends the
  // open with the document as it was.
  m_document.SkipNextClearPrompt(true);
  const bool reset = OnFileNew();
  m_document.SkipNextClearPrompt(false);
  if (!reset) return OpenOutcome::Cancelled;
  return m_frame.OpenDocumentFile(path);
}

OpenOutcome CRondelAppCore::OpenBackup(const std::string& path) {
  const OpenOutcome opened = Open(path);
  if (opened != OpenOutcome::Opened) return opened;
  m_recent.Remove(path);
  m_document.ForgetFile();
  return opened;
}

bool CRondelAppCore::OnFileOpen() {
  const auto path = m_frame.PromptFileToOpen();
  if (!path) return false;
  return OpenDocumentFile(*path);
}

bool CRondelAppCore::OnOpenRecentFile(std::size_t index) {
  const auto entries = m_recent.Entries();
  if (index >= entries.size()) return false;
  return OpenDocumentFile(entries[index]);
}

}  // namespace rondel
