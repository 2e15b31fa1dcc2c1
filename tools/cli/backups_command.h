// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli backups: the backups of what was read from radios, newest first, as a table in
// the program's language or as a versioned JSON object.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "shell/document/radio_backups.h"

namespace rondel::cli {

// The version of the JSON object; it goes up when a field changes its meaning or goes away.
inline constexpr int kBackupsJsonVersion = 1;

// {"format": "rondel-backups", "version": 1, "folder": "...", "backups": [{"path": ...,
// "taken": "2026-12-09T13:45:07Z", "bandCode": "00400047", "model": "400-470MHz",
// "channelsInUse": 6}, ...]}, newest first.
std::string BackupsToJson(const std::string& folder, const std::vector<BackupEntry>& backups);
// The table: date, model, channels in use and file, under the language's headings; a line
// saying there are none yet when the list is empty.
std::string BackupsListing(const std::string& folder, const std::vector<BackupEntry>& backups);

int CmdBackups(const std::vector<std::string>& positional, bool json, const CSettings& settings,
               std::ostream& out, std::ostream& err);

}  // namespace rondel::cli
