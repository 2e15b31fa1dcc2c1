// SPDX-License-Identifier: GPL-3.0-or-later
// A model list held in memory, standing in for the settings file's [ModelInfo] entries.
#pragma once

#include <string>
#include <vector>

#include "core/model_info.h"

namespace rondel::test {

class TableModels : public ModelDataSource {
 public:
  explicit TableModels(std::vector<std::string> entries = {}) : m_entries(std::move(entries)) {}
  std::string ModelData(int k, std::size_t bufSize) const override {
    if (k < 0 || static_cast<std::size_t>(k) >= m_entries.size() || bufSize == 0) return {};
    return m_entries[static_cast<std::size_t>(k)].substr(0, bufSize - 1);
  }

 private:
  std::vector<std::string> m_entries;
};

// The four models of the shipped settings file.
inline TableModels ShippedModels() {
  return TableModels({"00400047", "00400048", "60134017", "00430044"});
}

}  // namespace rondel::test
