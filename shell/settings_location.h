// SPDX-License-Identifier: GPL-3.0-or-later
// Where a run finds its settings file: beside the program when the program's folder may be
// written and is no system folder (a copy unpacked in a home folder, the build tree), else a
// copy of the user's own, made from the shipped one at the first start, so each user's
// choices are kept, and brought up to date when a package update changes the shipped one.
#pragma once

#include <functional>
#include <string>

#include "platform/atomic_file.h"
#include "platform/user_folders.h"

namespace rondel {

// $XDG_CONFIG_HOME/rondel/setting.ini; $HOME/.config stands in for a variable that is unset,
// empty or not an absolute path, as the XDG rules say. Empty when there is no home either.
std::string UserSettingsPath();

// True when files may be created in `folder` by this process.
bool FolderWritable(const std::string& folder);
// True for the folders a package installs into (/usr, /opt, /bin, /sbin, /lib..., /etc,
// /snap): a file shipped there is the package's, never changed by the program, also when
// it runs as root and could.
bool IsSystemFolder(const std::string& folder);
using FolderCheck = std::function<bool(const std::string& folder)>;

struct SettingsLocation {
  std::string path;               // the file to read and write; empty when there is none at all
  bool userCopy = false;          // the per-user copy
  bool madeUserCopy = false;      // ... made just now from the shipped file
  bool updatedUserCopy = false;   // ... brought up to date just now from a changed shipped file
};

// The settings file beside the program when `exeDir` is writable, no system folder, and the
// file is there; otherwise the per-user copy, made from the shipped file when it does not
// exist yet. When the copy cannot be made, the shipped file is used as it is (what is
// written then is lost, as on any read-only settings file). Empty path: neither file exists.
//
// When the shipped file has changed since the user's copy was made from it (a package update;
// for a copy made before this was recorded: when the shipped file is newer than the copy),
// the copy is made again from the shipped file, keeping the user's values of the keys the
// program writes (kWrittenSettings) and of the keys the shipped file does not have at all
// (a [ports] entry added by hand); every other key (the model list, the handshake word, ...)
// is the shipped file's. The copy is replaced whole or not at all.
SettingsLocation LocateSettingsFile(const std::string& exeDir,
                                    const FolderCheck& writable = FolderWritable,
                                    const FolderCheck& system = IsSystemFolder);
// Where the identity of the shipped file the user's copy was last made from is recorded.
std::string ShippedStampPath(const std::string& userCopy);

// Whether `path` may serve as a settings or language file: a regular file, not larger than
// the profile layer reads. `why` says what is wrong.
bool CheckProfileFile(const std::string& path, ReadError* why = nullptr);

}  // namespace rondel
