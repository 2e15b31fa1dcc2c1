// SPDX-License-Identifier: GPL-3.0-or-later
// The document as the framework sees it: the memory-image document with its own new-document
// step, its Save question, the data-file reading and writing, and the one door through which
// every change of the image passes, with its undo history.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "core/data_file.h"
#include "core/edit_history.h"
#include "core/rondel_doc.h"
#include "platform/docframe.h"
#include "shell/channel_list/channel_csv.h"
#include "shell/form/form_edits.h"
#include "shell/settings.h"

namespace rondel {

class CRondelDocument : public CDocument {
 public:
  CRondelDocument(CRondelDoc& doc, const CSettings& settings);

  // Read access to the image. Every change goes through the operations below.
  const CRondelDoc& Doc() const { return m_doc; }

  // Whether the next new-document step resets the document without its question: the start
  // and every open, which ask their own question first, set it. That step clears it again.
  void SkipNextClearPrompt(bool skip) { m_skipClearPrompt = skip; }

  void DeleteContents() override;
  // Asks "IDS_WARN_CLEAR" unless SkipNextClearPrompt said not to; Cancel abandons the
  // New and leaves the document exactly as it was.
  bool OnNewDocument() override;
  ReadOutcome ReadFile(const std::string& path) override;
  // How the latest ReadFile went: a refused file leaves the new document the open made, and
  // only this tells it from a file that loaded.
  LoadResult LastLoadResult() const { return m_lastLoad; }
  // Through a symbolic link at `path` only when the link leads to the very file the document
  // was opened from (or last saved to); any other link there is replaced by the file.
  bool WriteFile(const std::string& path) override;
  // Modified exactly when the history does not stand where the document was last saved or
  // opened (or when the framework says so).
  bool IsModified() const override { return m_doc.IsModified(); }
  void SetModifiedFlag(bool modified) override;

  // Menu Save: asks before writing over the document's file, then the framework's save.
  bool OnFileSave(CDocFrame& frame);
  // The document keeps what it holds, and its history, but no longer belongs to a file: a
  // new, unnamed document, whose Save asks for a name.
  void ForgetFile();
  // Recompute the band limits and refresh every view (after a language switch, a read).
  void RecomputeAndRefresh();

  // --- The one door: each call that changes the bytes is one step of the history. ---
  // One edit of the form: the rule writes the image, and the views show the result (a range
  // change refreshes them all, any other edit tells them through onEditApplied what to show
  // again). The question before a range change is `confirm`'s.
  EditOutcome ApplyEdit(const FormEdit& edit,
                        const ConfirmRangeChange& confirm = AskFrequencyRangeChange);
  std::function<void(const EditOutcome&)> onEditApplied;
  // The radio's memory replaces the image (a completed read, the test mode's entry read); the
  // views are refreshed.
  void ReplaceImage(const CRondelDoc::Image& image);
  // A channel list imported into the image; the views are refreshed when it was taken.
  CsvImport ImportChannels(const CSettings& settings, std::string_view text);
  // A calibration value committed in the test mode, and the slider it came from.
  void CommitCalibration(int index, std::uint8_t value);

  // Undo and redo restore header and image as they were and refresh the views. False when
  // there was no step to take.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return m_history.CanUndo(); }
  bool CanRedo() const { return m_history.CanRedo(); }
  const CEditHistory& History() const { return m_history; }

  // Bytes the data file held when the image came from a file cut short, 0 otherwise: a write
  // of such an image would send blank bytes for what the file lacked.
  std::size_t ShortFileLength() const { return m_history.Current().shortFileLength; }

 private:
  bool Step(const DocumentSnapshot* (CEditHistory::*move)());
  DocumentSnapshot Snapshot() const;
  void Restore(const DocumentSnapshot& state);
  // A new history standing at the document as it is now.
  void StartHistory(std::size_t shortFileLength = 0);
  // Whatever changed the image outside the door still becomes a step of its own.
  void Sync();
  // After a change: a step when the bytes differ, the modified flag from the history.
  bool Record(std::size_t shortFileLength);
  void TakeFlagFromHistory();

  CRondelDoc& m_doc;
  const CSettings& m_settings;
  bool m_skipClearPrompt = false;
  LoadResult m_lastLoad = LoadResult::HeaderRejected;
  // The file behind the document's path when it was opened or saved.
  std::optional<FileIdentity> m_fileIdentity;
  CEditHistory m_history;
};

}  // namespace rondel
