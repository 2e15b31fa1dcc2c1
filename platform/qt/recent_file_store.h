// SPDX-License-Identifier: GPL-3.0-or-later
// The recent-file list kept per user with QSettings, in the folder of the user's settings:
// $XDG_CONFIG_HOME/rondel/recent-files.conf (~/.config/rondel/ by default), group
// "Recent File List", keys "File1" to "File<n>". A list the earlier releases kept under
// organisation "Ostra radio program software", application "Rondel" is taken over once, at
// the first load that finds no list of ours; that file itself is left as it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/docframe.h"

namespace rondel {

// The organisation and application names the earlier releases kept the list under (and
// the names the desktop program gives Qt).
inline constexpr const char* kSettingsOrganisation = "Ostra radio program software";
inline constexpr const char* kSettingsApplication = "Rondel";
inline constexpr const char* kRecentFilesName = "recent-files.conf";

// UserConfigFolder()/recent-files.conf; empty when there is no home.
std::string RecentFilesPath();

class CQSettingsRecentFileStore final : public RecentFileStore {
 public:
  explicit CQSettingsRecentFileStore(std::size_t capacity = 4, std::string file = RecentFilesPath());
  // File1..File<capacity> in order; empty or missing keys are skipped.
  std::vector<std::string> Load() override;
  // Replaces the whole list and writes it to disk at once.
  void Save(const std::vector<std::string>& paths) override;

 private:
  std::size_t m_capacity;
  std::string m_file;
};

}  // namespace rondel
