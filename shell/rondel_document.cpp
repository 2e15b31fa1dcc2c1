#include "shell/rondel_document.h"

#include "core/data_file.h"
#include "shell/language.h"

namespace rondel {

CRondelDocument::CRondelDocument(CRondelDoc& doc, const CSettings& settings, int& skipClearPrompt)
    : m_doc(doc), m_settings(settings), m_bSkipClearPrompt(skipClearPrompt) {}

void CRondelDocument::DeleteContents() { m_doc.Blank(); }

bool CRondelDocument::OnNewDocument() {
  if (m_bSkipClearPrompt) {
    m_bSkipClearPrompt = 0;
    if (!CDocument::OnNewDocument()) return false;
  } else if (ShowPrompt(GetLangString("IDS_WARN_CLEAR"), GetLangString("IDS_PROMPT"),
                        PromptIcon::Warning, PromptButtons::OkCancel) == PromptAnswer::Ok) {
    if (!CDocument::OnNewDocument()) return false;
  }
  // Declining the question keeps channels, codes, password and path; the radio-wide settings,
  // options and model become model 0's all the same.
  m_doc.SelectModel(0, m_settings);
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
      // Opened all the same, as it always was; but a cut-off copy must not pass for a radio's
      // whole memory unnoticed.
      ShowPrompt(IncompleteFileText(details.length), GetLangString("IDS_PROMPT"),
                 PromptIcon::Warning, PromptButtons::Ok);
      return ReadOutcome::Read;
    case LoadResult::Empty:
    case LoadResult::Loaded:
      return ReadOutcome::Read;
  }
  return ReadOutcome::CannotOpen;
}

bool CRondelDocument::WriteFile(const std::string& path) {
  return StoreDataFile(m_doc, path, m_settings);
}

bool CRondelDocument::OnFileSave(CDocFrame& frame) {
  if (!GetPathName().empty() &&
      ShowPrompt(GetLangString("IDS_WARN_SAVE") + GetPathName(), GetLangString("IDS_PROMPT"),
                 PromptIcon::Warning, PromptButtons::OkCancel) == PromptAnswer::Cancel)
    return false;
  return frame.DoFileSave();
}

void CRondelDocument::RecomputeAndRefresh() {
  m_doc.ComputeBandLimits(m_settings);
  UpdateAllViews();
}

EditOutcome CRondelDocument::ApplyEdit(const FormEdit& edit, const ConfirmRangeChange& confirm) {
  const EditOutcome outcome = ApplyFormEdit(m_doc, m_settings, edit, confirm);
  if (outcome.modified) m_doc.SetModifiedFlag(true);
  if (outcome.refresh == EditRefresh::Form)
    UpdateAllViews();
  else if (outcome.refresh != EditRefresh::None && onEditApplied)
    onEditApplied(outcome);
  return outcome;
}

}  // namespace rondel
