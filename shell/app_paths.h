// SPDX-License-Identifier: GPL-3.0-or-later
// The three process-wide paths: the executable's folder, its "setting.ini" and the current
// language file. Set once at start-up; only the language dialog changes the last.
#pragma once

#include <string>

namespace rondel {

extern std::string g_strExeDir;
extern std::string g_strIniPath;
extern std::string g_strLangPath;

// Sets the three paths for a program in `exeDir` with language `languageName`
// (the language file is exeDir + "/" + languageName + ".lang").
void SetAppPaths(const std::string& exeDir, const std::string& iniPath, const std::string& langPath);

// "chinese" when the process locale (LC_ALL, then LC_MESSAGES, then LANG) begins with zh_CN,
// else "english": the language of a settings file without a "language" key.
std::string DefaultLanguageName();

// The language file start-up picks: [setup] "language" of the settings file at `iniPath`, or
// DefaultLanguageName() when that is empty; the file sits in `exeDir`.
std::string ChooseLanguagePath(const std::string& exeDir, const std::string& iniPath);

}  // namespace rondel
