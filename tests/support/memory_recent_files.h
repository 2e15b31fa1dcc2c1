// SPDX-License-Identifier: GPL-3.0-or-later
// A recent-file store that keeps the list for the run only: the tests' own, so none of them
// touches a user's list.
#pragma once

#include <string>
#include <vector>

#include "platform/docframe.h"

namespace rondel {

class MemoryRecentFileStore final : public RecentFileStore {
 public:
  std::vector<std::string> Load() override { return m_paths; }
  void Save(const std::vector<std::string>& paths) override { m_paths = paths; }

 private:
  std::vector<std::string> m_paths;
};

}  // namespace rondel
