// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/docframe.h"

#include <algorithm>

namespace rondel {
namespace {

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder part of a path with its slash; empty when it has none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool CDocument::OnNewDocument() {
  DeleteContents();
  ClearPathName();
  SetModifiedFlag(false);
  return true;
}

void CDocument::SetPathName(const std::string& path) {
  m_pathName = path;
  m_title = FileNameOf(path);
  NotifyStateChanged();
}

void CDocument::ClearPathName() {
  m_pathName.clear();
  m_title = kDefaultTitle;
  NotifyStateChanged();
}

CRecentFileList::CRecentFileList(RecentFileStore& store, std::size_t capacity)
    : m_store(store), m_capacity(capacity) {}

std::vector<std::string> CRecentFileList::Entries() const {
  std::vector<std::string> paths = m_store.Load();
  if (paths.size() > m_capacity) paths.resize(m_capacity);
  return paths;
}

void CRecentFileList::Add(const std::string& path) {
  std::vector<std::string> paths = Entries();
  paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
  paths.insert(paths.begin(), path);
  if (paths.size() > m_capacity) paths.resize(m_capacity);
  m_store.Save(paths);
}

void CRecentFileList::Remove(const std::string& path) {
  std::vector<std::string> paths = Entries();
  paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
  m_store.Save(paths);
}

CDocFrame::CDocFrame(CDocument& doc, CRecentFileList& recent, TextLookup texts,
                     DocTemplateStrings strings)
    : m_doc(doc), m_recent(recent), m_texts(std::move(texts)), m_strings(std::move(strings)) {}

bool CDocFrame::OnFileNew() {
  if (!SaveModified()) return false;
  if (!m_doc.OnNewDocument()) return false;
  m_doc.SetTitleToDefault();
  m_doc.SetModifiedFlag(false);
  m_doc.UpdateAllViews();
  return true;
}

OpenOutcome CDocFrame::OpenDocumentFile(const std::string& path) {
  if (!SaveModified()) return OpenOutcome::Cancelled;
  const bool wasModified = m_doc.IsModified();
  const ReadOutcome read = m_doc.ReadFile(path);
  if (read != ReadOutcome::Read) {
    if (read == ReadOutcome::CannotOpen)
      ShowPrompt(m_texts("IDS_ERROR_OPENFILE") + "\n" + path, m_texts("IDS_ERROR"),
                 PromptIcon::Error, PromptButtons::Ok);
    // Never our file: a Save must not offer to write over it, and the recent files must not
    // offer it again.
    m_doc.SetModifiedFlag(wasModified);
    m_recent.Remove(path);
    return read == ReadOutcome::CannotOpen ? OpenOutcome::CannotOpen : OpenOutcome::Refused;
  }
  m_doc.SetPathName(path);
  m_doc.SetModifiedFlag(false);
  m_recent.Add(path);
  m_doc.UpdateAllViews();
  return OpenOutcome::Opened;
}

std::optional<std::string> CDocFrame::PromptFileToOpen() {
  return CurrentPrompter().ChooseFileToOpen(
      {m_strings.filterName, m_strings.extension, FolderOf(m_doc.GetPathName())});
}

bool CDocFrame::DoFileSave() { return DoSave(m_doc.GetPathName(), true); }

bool CDocFrame::DoSave(const std::string& path, bool replace) {
  std::string target = path;
  if (target.empty()) {
    // Offer the document's title as the name, in the folder of its file when it has one.
    std::string proposed = m_doc.GetTitle();
    const std::string& current = m_doc.GetPathName();
    if (!current.empty()) proposed = current;
    const auto chosen = CurrentPrompter().ChooseFileToSave(
        {m_strings.filterName, m_strings.extension, WithExtension(proposed, m_strings.extension)});
    if (!chosen || chosen->empty()) return false;
    target = WithExtension(*chosen, m_strings.extension);
  }
  if (!m_doc.WriteFile(target)) {
    ShowPrompt(m_texts("IDS_ERROR_SAVEFILE") + "\n" + target, m_texts("IDS_ERROR"),
               PromptIcon::Error, PromptButtons::Ok);
    return false;
  }
  m_doc.SetModifiedFlag(false);
  if (replace) {
    m_doc.SetPathName(target);
    m_recent.Add(target);
  }
  return true;
}

bool CDocFrame::SaveModified() {
  if (!m_doc.IsModified()) return true;
  switch (ShowPrompt(m_texts("IDS_SAVE_CHANGES"), m_texts("IDS_PROMPT"), PromptIcon::Warning,
                     PromptButtons::YesNoCancel)) {
    case PromptAnswer::Yes:
      return DoFileSave();
    case PromptAnswer::No:
      return true;
    case PromptAnswer::Ok:
    case PromptAnswer::Cancel:
      break;
  }
  return false;
}

}  // namespace rondel
