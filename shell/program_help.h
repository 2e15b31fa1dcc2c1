// SPDX-License-Identifier: GPL-3.0-or-later
// rondel --help and rondel --version: answered from the command line alone, before the toolkit
// starts, so they print and end without a window and without a display.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rondel {

enum class InfoRequest { None, Help, Version };

// `args`: the arguments after the program name. The first of "--help" (or "-h") and
// "--version" decides; None when neither is there.
InfoRequest FindInfoRequest(const std::vector<std::string>& args);

// The language file the help speaks: the one start-up would choose for the program in
// `exeDir` (the settings file's "language", else the locale's), or the locale's when the
// settings file or that language file cannot be used.
std::string HelpLanguagePath(const std::string& exeDir);

// Writes what `request` asks for: "rondel 1.0.0", or the usage, the options and the exit
// statuses worded by the language file at `langPath`. Nothing for None.
void WriteProgramInfo(InfoRequest request, const std::string& langPath, std::ostream& out);

}  // namespace rondel
