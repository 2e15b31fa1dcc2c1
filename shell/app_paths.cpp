// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/app_paths.h"

#include <cstdlib>
#include <cstring>

#include "shell/settings.h"

namespace rondel {

std::string g_strExeDir;
std::string g_strIniPath;
std::string g_strLangPath;

void SetAppPaths(const std::string& exeDir, const std::string& iniPath, const std::string& langPath) {
  g_strExeDir = exeDir;
  g_strIniPath = iniPath;
  g_strLangPath = langPath;
}

std::string DefaultLanguageName() {
  // The first of these that is set decides, as it does for the C library's message locale.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return std::strncmp(value, "zh_CN", 5) == 0 ? "chinese" : "english";
  }
  return "english";
}

std::string ChooseLanguagePath(const std::string& exeDir, const std::string& iniPath) {
  std::string name = CSettings(iniPath).Language();
  if (name.empty()) name = DefaultLanguageName();
  return exeDir + "/" + name + ".lang";
}

}  // namespace rondel
