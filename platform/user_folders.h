// SPDX-License-Identifier: GPL-3.0-or-later
// The user's own folders: home, and the XDG base folders under it where per-user data lives.
#pragma once

#include <string>

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
// $XDG_CONFIG_HOME/rondel: the one folder of the user's settings and recent-file list. Empty
// when there is no home.
std::string UserConfigFolder();

}  // namespace rondel
