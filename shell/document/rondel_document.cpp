// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/document/rondel_document.h"

#include "core/data_file.h"
#include "shell/language.h"

namespace rondel {

CRondelDocument::CRondelDocument(CRondelDoc& doc, const CSettings& settings)
    : m_doc(doc), m_settings(settings) {
  StartHistory();
}

void CRondelDocument::DeleteContents() { m_doc.Blank(); }

bool CRondelDocument::OnNewDocument() {
  if (m_skipClearPrompt) {
    m_skipClearPrompt = false;
  } else if (ShowPrompt(GetLangString("IDS_WARN_CLEAR"), GetLangString("IDS_PROMPT"),
                        PromptIcon::Warning, PromptButtons::OkCancel) != PromptAnswer::Ok) {
    // Declined: nothing of the document changes, and it stays as modified as it was.
    return false;
  }
  if (!CDocument::OnNewDocument()) return false;
  m_doc.SelectModel(0, m_settings);
  m_fileIdentity.reset();
  StartHistory();
  return true;
}

ReadOutcome CRondelDocument::ReadFile(const std::string& path) {
  LoadDetails details;
  m_lastLoad = LoadDataFile(m_doc, path, m_settings, &details);
  switch (m_lastLoad) {
    case LoadResult::CannotOpen:
      return ReadOutcome::CannotOpen;
    case LoadResult::HeaderRejected:
      // The document stays the new one the open made; the file never becomes ours.
      ShowPrompt(GetLangString("IDS_WARN_LOAD"), GetLangString("IDS_ERROR"), PromptIcon::Error,
                 PromptButtons::Ok);
      return ReadOutcome::Refused;
    case LoadResult::Incomplete:
      m_fileIdentity = details.identity;
      // Opened all the same, as it always was; but a cut-off copy must not pass for a radio's
      // whole memory unnoticed, and a write of it asks first.
      StartHistory(details.length);
      ShowPrompt(IncompleteFileText(details.length), GetLangString("IDS_PROMPT"),
                 PromptIcon::Warning, PromptButtons::Ok);
      return ReadOutcome::Read;
    case LoadResult::Loaded:
      m_fileIdentity = details.identity;
      StartHistory();
      return ReadOutcome::Read;
  }
  return ReadOutcome::CannotOpen;
}

bool CRondelDocument::WriteFile(const std::string& path) {
  const bool ownFile = !GetPathName().empty() && path == GetPathName();
  if (!StoreDataFile(m_doc, path, m_settings, nullptr, ownFile ? m_fileIdentity : std::nullopt))
    return false;
  // The saved file is the document's file from now on (a save as makes it so).
  m_fileIdentity = IdentityOf(path);
  return true;
}

void CRondelDocument::SetModifiedFlag(bool modified) {
  Sync();
  if (modified) {
    // Said from outside: whatever was saved, this state is not it.
    if (m_history.AtSaved()) m_history.ForgetSaved();
  } else {
    m_history.MarkSaved();
  }
  m_doc.SetModifiedFlag(modified);
  NotifyStateChanged();
}

bool CRondelDocument::OnFileSave(CDocFrame& frame) {
  if (!GetPathName().empty() &&
      ShowPrompt(GetLangString("IDS_WARN_SAVE") + GetPathName(), GetLangString("IDS_PROMPT"),
                 PromptIcon::Warning, PromptButtons::OkCancel) == PromptAnswer::Cancel)
    return false;
  return frame.DoFileSave();
}

void CRondelDocument::ForgetFile() {
  m_fileIdentity.reset();
  ClearPathName();
}

void CRondelDocument::RecomputeAndRefresh() {
  m_doc.ComputeBandLimits(m_settings);
  UpdateAllViews();
}

EditOutcome CRondelDocument::ApplyEdit(const FormEdit& edit, const ConfirmRangeChange& confirm) {
  Sync();
  const EditOutcome outcome = ApplyFormEdit(m_doc, m_settings, edit, confirm);
  // A range change starts the image over: what a cut-short file lacked is gone with it.
  const bool startedOver = outcome.refresh == EditRefresh::Form && outcome.Applied();
  Record(startedOver ? 0 : ShortFileLength());
  if (outcome.refresh == EditRefresh::Form)
    UpdateAllViews();
  else if (outcome.refresh != EditRefresh::None && onEditApplied)
    onEditApplied(outcome);
  return outcome;
}

void CRondelDocument::ReplaceImage(const CRondelDoc::Image& image) {
  Sync();
  m_doc.image() = image;
  // The radio's whole memory: nothing of it is missing any more.
  Record(0);
  RecomputeAndRefresh();
}

CsvImport CRondelDocument::ImportChannels(const CSettings& settings, std::string_view text) {
  Sync();
  CsvImport result = ImportChannelCsv(m_doc, settings, text);
  if (result.Imported()) {
    Record(ShortFileLength());
    UpdateAllViews();
  }
  return result;
}

void CRondelDocument::CommitCalibration(int index, std::uint8_t value) {
  Sync();
  m_doc.SetCalibration(index, value);
  m_doc.SetLastCalibrationIndex(static_cast<std::uint8_t>(index));
  Record(ShortFileLength());
}

bool CRondelDocument::Undo() { return Step(&CEditHistory::Undo); }

bool CRondelDocument::Redo() { return Step(&CEditHistory::Redo); }

bool CRondelDocument::Step(const DocumentSnapshot* (CEditHistory::*move)()) {
  Sync();
  const DocumentSnapshot* state = (m_history.*move)();
  if (state == nullptr) return false;
  Restore(*state);
  return true;
}

DocumentSnapshot CRondelDocument::Snapshot() const {
  return {m_doc.header(), m_doc.image(), m_history.Current().shortFileLength};
}

void CRondelDocument::Restore(const DocumentSnapshot& state) {
  m_doc.header() = state.header;
  m_doc.image() = state.image;
  TakeFlagFromHistory();
  RecomputeAndRefresh();
}

void CRondelDocument::StartHistory(std::size_t shortFileLength) {
  m_history.Reset({m_doc.header(), m_doc.image(), shortFileLength});
  NotifyStateChanged();
}

void CRondelDocument::Sync() {
  const DocumentSnapshot now = Snapshot();
  if (now == m_history.Current()) return;
  const bool flagged = m_doc.IsModified();
  m_history.Record(now);
  // A change the flag did not see is a change all the same.
  if (flagged || !m_history.AtSaved()) m_doc.SetModifiedFlag(true);
}

bool CRondelDocument::Record(std::size_t shortFileLength) {
  DocumentSnapshot after = Snapshot();
  after.shortFileLength = shortFileLength;
  const bool changed = m_history.Record(after);
  if (changed) TakeFlagFromHistory();
  return changed;
}

void CRondelDocument::TakeFlagFromHistory() {
  m_doc.SetModifiedFlag(!m_history.AtSaved());
  NotifyStateChanged();
}

}  // namespace rondel
