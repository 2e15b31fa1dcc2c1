// SPDX-License-Identifier: GPL-3.0-or-later
// CGridAxis: the row heights (or column widths) of a grid with their running sums, so a cell's
// edges and the cell under a point come from arithmetic rather than from walking every row.
#pragma once

#include <cstdint>
#include <vector>

namespace rondel {

class CGridAxis {
 public:
  int Count() const { return static_cast<int>(m_sizes.size()); }
  // Appends items of the given size or drops items from the end.
  void Resize(int count, int size);
  // Reserves room for count items, so a later Resize to that count cannot fail half-way.
  void Reserve(int count);
  int Size(int index) const { return m_sizes[static_cast<std::size_t>(index)]; }
  void SetSize(int index, int size);
  // Sum of the sizes before index, 0 <= index <= Count().
  std::int64_t Start(int index) const;
  std::int64_t Total() const { return Start(Count()); }
  // The first item whose span [Start, Start + Size) holds pos; -1 before 0 or past the end.
  int IndexAt(std::int64_t pos) const;

 private:
  void Refresh() const;

  std::vector<int> m_sizes;
  // m_starts[i] is the sum of m_sizes[0 .. i-1]; valid up to m_validUpTo.
  mutable std::vector<std::int64_t> m_starts{0};
  mutable std::size_t m_validUpTo = 0;
};

}  // namespace rondel
