// The recent-file list kept per user with QSettings, in the layout of the original program's
// profile: organisation "Ostra radio program software", application "Rondel", group
// "Recent File List", keys "File1" to "File<n>".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/docframe.h"

namespace rondel {

inline constexpr const char* kSettingsOrganisation = "Ostra radio program software";
inline constexpr const char* kSettingsApplication = "Rondel";

class CQSettingsRecentFileStore final : public RecentFileStore {
 public:
  explicit CQSettingsRecentFileStore(std::size_t capacity = 4);

  // File1..File<capacity> in order; empty or missing keys are skipped.
  std::vector<std::string> Load() override;
  // Replaces the whole list and writes it to disk at once.
  void Save(const std::vector<std::string>& paths) override;

 private:
  std::size_t m_capacity;
};

}  // namespace rondel
