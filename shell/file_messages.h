// SPDX-License-Identifier: GPL-3.0-or-later
// Why a file could not be read or written, in words for the user: the language file's, for the
// program's own reasons and for the system's common ones (no such folder, permission denied,
// no space left); the C library's only for the rare rest.
#pragma once

#include <string>

#include "platform/atomic_file.h"

namespace rondel {

// The language file's key of the system reason `error` (an errno value), nullptr when it has
// none, and the reason in the words of the language file at `langPath`: the C library's text
// when the key is not one of ours or that file lacks it.
const char* ErrnoKey(int error);
std::string SystemErrorText(int error, const std::string& langPath);

// The reason of a refused or failed read, worded by the language file at `langPath`.
std::string ReadErrorReason(const ReadError& error, const std::string& langPath);
// The reason of a failed write, from its errno value, in the current language.
std::string WriteErrorReason(int error);

// The language file to speak with before the settings file has named one: the locale's
// choice beside the program, or the other shipped one when that file cannot be used.
std::string StartupLanguagePath(const std::string& exeDir);

}  // namespace rondel
