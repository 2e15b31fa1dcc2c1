// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of one document: whole snapshots of header and image, one per change, the
// position the document stands at, and which snapshot was last saved or opened. Plain C++; the
// document decides what a change is and shows the result.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "core/rondel_doc.h"

namespace rondel {

// What a step of the history restores.
struct DocumentSnapshot {
  CRondelDoc::Header header{};
  CRondelDoc::Image image{};
  // Bytes the data file held when the image came from a file cut short; 0 for a whole one.
  std::size_t shortFileLength = 0;
  bool operator==(const DocumentSnapshot&) const = default;
};

class CEditHistory {
 public:
  // 1,000 steps of 4,144 bytes: about 4 MB at most.
  static constexpr std::size_t kDefaultMaxSteps = 1000;

  explicit CEditHistory(std::size_t maxSteps = kDefaultMaxSteps);

  // A new history that stands at `current`, which counts as saved (a new or opened document).
  void Reset(const DocumentSnapshot& current);
  // A change made `after` the current state. Anything that was undone is dropped; the oldest
  // step goes when the history is full. False, and nothing recorded, when `after` is the
  // current state itself.
  bool Record(const DocumentSnapshot& after);

  bool CanUndo() const { return m_position > 0; }
  bool CanRedo() const { return m_position + 1 < m_states.size(); }
  // One step back or forward; nullptr when there is none. The result is the new current state.
  const DocumentSnapshot* Undo();
  const DocumentSnapshot* Redo();
  const DocumentSnapshot& Current() const { return m_states[m_position]; }

  // The current state was written to the document's file.
  void MarkSaved() { m_saved = m_position; }
  // The document's file no longer holds any state of the history.
  void ForgetSaved() { m_saved.reset(); }
  // True exactly when the document stands where it was last saved or opened.
  bool AtSaved() const { return m_saved == m_position; }

  std::size_t UndoSteps() const { return m_position; }
  std::size_t RedoSteps() const { return m_states.size() - 1 - m_position; }

 private:
  std::size_t m_maxSteps;
  std::deque<DocumentSnapshot> m_states;  // never empty
  std::size_t m_position = 0;
  std::optional<std::size_t> m_saved;
};

}  // namespace rondel
