// Why a file could not be read or written, in words for the user: the language file's for the
// program's own reasons, the C library's for the system's (no such folder, permission denied,
// no space left).
#pragma once

#include <string>

#include "platform/atomic_file.h"

namespace rondel {

// The reason of a refused or failed read, worded by the language file at `langPath`.
std::string ReadErrorReason(const ReadError& error, const std::string& langPath);
// The reason of a failed write, from its errno value.
std::string WriteErrorReason(int error);

// The language file to speak with before the settings file has named one: the locale's
// choice beside the program, or the other shipped one when that file cannot be used.
std::string StartupLanguagePath(const std::string& exeDir);

}  // namespace rondel
