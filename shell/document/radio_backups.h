// SPDX-License-Identifier: GPL-3.0-or-later
// A copy of every memory image read from a radio, kept in the user's state folder before
// anything can overwrite what only the radio held. Plain C++ and POSIX.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/rondel_doc.h"
#include "shell/settings.h"

namespace rondel {

using BackupClock = std::chrono::system_clock;

// $XDG_STATE_HOME/rondel/backups; $HOME/.local/state stands in for a variable that is unset,
// empty or not an absolute path. Empty when there is no home either.
std::string BackupFolder();

// The file name of a backup taken at `when` (UTC) of a radio with `bandCode` (eight hex
// digits): "2026-12-09T13-45-07_00400047.dig", and for the second and later one of the same
// second and band "..._00400047-2.dig", "-3", ...
std::string BackupFileName(BackupClock::time_point when, std::string_view bandCode, int counter = 1);

// What a name of that pattern says; `valid` is false for any other name.
struct BackupName {
  bool valid = false;
  BackupClock::time_point taken;
  std::string bandCode;
  int counter = 1;
};
BackupName ParseBackupFileName(std::string_view name);

struct BackupResult {
  std::string path;  // the file written; empty when none was
  int error = 0;     // 0, or the errno value of what failed
  bool ok() const { return error == 0; }
};

// Writes the data file of `doc` (header and image, as SerializeDocument makes them) whole or
// not at all into `folder`, made with 0700 when missing, under the name of `now`. A backup of
// the same name is never replaced: the counter goes up instead. Then prunes the folder as
// PruneRadioBackups does.
BackupResult StoreRadioBackup(const CRondelDoc& doc, const CSettings& settings,
                              BackupClock::time_point now = BackupClock::now(),
                              const std::string& folder = BackupFolder());

// What a radio sent (`image`) under the header of `doc`, the document it is read for: the data
// file a save of the read would write, kept now in the backup folder.
BackupResult StoreRadioImageBackup(const CRondelDoc& doc, const CRondelDoc::Image& image,
                                   const CSettings& settings);

// Removes, oldest first, the backups older than the settings' "days" and those beyond its
// "files". Only regular files named as StoreRadioBackup names them are counted or removed;
// anything else in the folder is left alone. Returns how many were removed.
int PruneRadioBackups(const CSettings& settings, BackupClock::time_point now = BackupClock::now(),
                      const std::string& folder = BackupFolder());

struct BackupEntry {
  std::string path;
  BackupClock::time_point taken;  // from the name
  std::string when;               // "2026-12-09 13:45:07", UTC
  std::string bandCode;           // eight hex digits, from the image
  std::string model;              // the settings' name of that band, else the band code
  int channelsInUse = 0;          // channels with a receive frequency
};

// The backups in `folder`, newest first. A file that is not a complete data file of ours, or
// is named otherwise, is passed over.
std::vector<BackupEntry> ListRadioBackups(const CSettings& settings,
                                          const std::string& folder = BackupFolder());

}  // namespace rondel
