// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/edit_history.h"

#include <algorithm>

namespace rondel {

CEditHistory::CEditHistory(std::size_t maxSteps) : m_maxSteps(std::max<std::size_t>(maxSteps, 1)) {
  m_states.emplace_back();
  m_saved = 0;
}

void CEditHistory::Reset(const DocumentSnapshot& current) {
  m_states.clear();
  m_states.push_back(current);
  m_position = 0;
  m_saved = 0;
}

bool CEditHistory::Record(const DocumentSnapshot& after) {
  if (after == Current()) return false;
  // A new change after an undo: the undone steps can no longer be redone.
  m_states.erase(m_states.begin() + static_cast<std::ptrdiff_t>(m_position) + 1, m_states.end());
  if (m_saved && *m_saved > m_position) m_saved.reset();
  m_states.push_back(after);
  ++m_position;
  if (m_states.size() > m_maxSteps + 1) {
    m_states.pop_front();
    --m_position;
    if (m_saved) {
      if (*m_saved == 0) {
        m_saved.reset();
      } else {
        --*m_saved;
      }
    }
  }
  return true;
}

const DocumentSnapshot* CEditHistory::Undo() {
  if (!CanUndo()) return nullptr;
  --m_position;
  return &m_states[m_position];
}

const DocumentSnapshot* CEditHistory::Redo() {
  if (!CanRedo()) return nullptr;
  ++m_position;
  return &m_states[m_position];
}

}  // namespace rondel
