// SPDX-License-Identifier: GPL-3.0-or-later
// Running sums are brought up to date lazily from the first changed item, so setting every row
// height in turn costs one pass when the grid next needs a position.
#include "grid/grid_axis.h"

#include <algorithm>

namespace rondel {

void CGridAxis::Reserve(int count) {
  if (count <= 0) return;
  m_sizes.reserve(static_cast<std::size_t>(count));
  m_starts.reserve(static_cast<std::size_t>(count) + 1);
}

void CGridAxis::Resize(int count, int size) {
  const std::size_t n = static_cast<std::size_t>(std::max(count, 0));
  const std::size_t old = m_sizes.size();
  m_sizes.resize(n, std::max(size, 0));
  m_starts.resize(n + 1, 0);
  m_validUpTo = std::min({m_validUpTo, old, n});
}

void CGridAxis::SetSize(int index, int size) {
  const std::size_t i = static_cast<std::size_t>(index);
  m_sizes[i] = std::max(size, 0);
  m_validUpTo = std::min(m_validUpTo, i);
}

void CGridAxis::Refresh() const {
  for (std::size_t i = m_validUpTo; i < m_sizes.size(); ++i) m_starts[i + 1] = m_starts[i] + m_sizes[i];
  m_validUpTo = m_sizes.size();
}

std::int64_t CGridAxis::Start(int index) const {
  if (static_cast<std::size_t>(index) > m_validUpTo) Refresh();
  return m_starts[static_cast<std::size_t>(index)];
}

int CGridAxis::IndexAt(std::int64_t pos) const {
  if (pos < 0 || m_sizes.empty()) return -1;
  Refresh();
  // The first end beyond pos; items of size 0 end where they start and are passed over.
  const auto ends = m_starts.begin() + 1;
  const auto it = std::upper_bound(ends, m_starts.end(), pos);
  if (it == m_starts.end()) return -1;
  return static_cast<int>(it - ends);
}

}  // namespace rondel
