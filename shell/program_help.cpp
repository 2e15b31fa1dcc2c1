// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/program_help.h"

#include "platform/version.h"
#include "shell/app_paths.h"
#include "shell/file_messages.h"
#include "shell/language.h"
#include "shell/settings_location.h"

namespace rondel {

InfoRequest FindInfoRequest(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") return InfoRequest::Help;
    if (a == "--version") return InfoRequest::Version;
  }
  return InfoRequest::None;
}

std::string HelpLanguagePath(const std::string& exeDir) {
  const std::string ini = LocateSettingsFile(exeDir).path;
  if (!ini.empty() && CheckProfileFile(ini)) {
    const std::string chosen = ChooseLanguagePath(exeDir, ini);
    if (CheckProfileFile(chosen)) return chosen;
  }
  return StartupLanguagePath(exeDir);
}

void WriteProgramInfo(InfoRequest request, const std::string& langPath, std::ostream& out) {
  switch (request) {
    case InfoRequest::None:
      return;
    case InfoRequest::Version:
      out << "rondel " << ProgramVersion() << "\n";
      return;
    case InfoRequest::Help:
      for (const char* key : {"IDS_APP_USAGE", "IDS_APP_OPTIONS", "IDS_APP_EXITCODES"})
        out << GetLangStringFrom(langPath, key) << "\n";
      return;
  }
}

}  // namespace rondel
