// Where a run finds its settings file: beside the program when the program's folder may be
// written (a copy unpacked in a home folder, the build tree), else a copy of the user's own,
// made from the shipped one at the first start, so each user's choices are kept.
#pragma once

#include <functional>
#include <string>

#include "platform/atomic_file.h"

namespace rondel {

// The user's home folder: $HOME when it is an absolute path, else the account's; empty when
// there is neither.
std::string HomeFolder();
// Creates `folder` and the folders above it that are missing, private to the user (0700) as
// the XDG rules ask for the folders they create. True when `folder` is a folder afterwards.
bool MakePrivateFolders(const std::string& folder);

// The XDG base folder `variable` names ("XDG_CONFIG_HOME"), or `underHome` in the home
// folder (".config") when the variable is unset, empty or not an absolute path, as the XDG
// rules say. Empty when there is no home either.
std::string XdgBaseFolder(const char* variable, const char* underHome);

// $XDG_CONFIG_HOME/rondel/setting.ini; $HOME/.config stands in for a variable that is unset,
// empty or not an absolute path, as the XDG rules say. Empty when there is no home either.
std::string UserSettingsPath();

// True when files may be created in `folder` by this process.
bool FolderWritable(const std::string& folder);
using FolderCheck = std::function<bool(const std::string& folder)>;

struct SettingsLocation {
  std::string path;            // the file to read and write; empty when there is none at all
  bool userCopy = false;       // the per-user copy
  bool madeUserCopy = false;   // ... made just now from the shipped file
};

// The settings file beside the program when `exeDir` is writable and the file is there;
// otherwise the per-user copy, made from the shipped file when it does not exist yet. When
// the copy cannot be made, the shipped file is used as it is (what is written then is lost,
// as on any read-only settings file). Empty path: neither file exists.
SettingsLocation LocateSettingsFile(const std::string& exeDir,
                                    const FolderCheck& writable = FolderWritable);

// Whether `path` may serve as a settings or language file: a regular file, not larger than
// the profile layer reads. `why` says what is wrong.
bool CheckProfileFile(const std::string& path, ReadError* why = nullptr);

}  // namespace rondel
