// The document as the framework sees it: the memory-image document with its own new-document
// step, its Save question, the data-file reading and writing, and the frequency-range change.
#pragma once

#include <functional>

#include "core/data_file.h"
#include "core/rondel_doc.h"
#include "platform/docframe.h"
#include "shell/form_edits.h"
#include "shell/settings.h"

namespace rondel {

class CRondelDocument : public CDocument {
 public:
  // `skipClearPrompt` is the application's flag: set, the next new-document step resets the
  // document without asking and clears it.
  CRondelDocument(CRondelDoc& doc, const CSettings& settings, int& skipClearPrompt);

  CRondelDoc& doc() { return m_doc; }
  const CRondelDoc& doc() const { return m_doc; }

  void DeleteContents() override;
  bool OnNewDocument() override;
  ReadOutcome ReadFile(const std::string& path) override;
  // How the latest ReadFile went: a refused file leaves the new document the open made, and
  // only this tells it from a file that loaded.
  LoadResult LastLoadResult() const { return m_lastLoad; }
  bool WriteFile(const std::string& path) override;
  bool IsModified() const override { return m_doc.IsModified(); }
  void SetModifiedFlag(bool modified) override { m_doc.SetModifiedFlag(modified); }

  // Menu Save: asks before writing over the document's file, then the framework's save.
  bool OnFileSave(CDocFrame& frame);
  // Recompute the band limits and refresh every view (after a read from the radio, a
  // language switch, the test mode).
  void RecomputeAndRefresh();
  // One edit of the form: the rule writes the image, the document counts as modified when
  // the rule says so, and the views show the result (a range change refreshes them all, any
  // other edit tells them through onEditApplied what to show again). The question before a
  // range change is `confirm`'s.
  EditOutcome ApplyEdit(const FormEdit& edit,
                        const ConfirmRangeChange& confirm = AskFrequencyRangeChange);
  std::function<void(const EditOutcome&)> onEditApplied;

 private:
  CRondelDoc& m_doc;
  const CSettings& m_settings;
  int& m_bSkipClearPrompt;
  LoadResult m_lastLoad = LoadResult::Empty;
};

}  // namespace rondel
