#include "shell/file_messages.h"

#include <cstring>

#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/settings_location.h"

namespace rondel {

std::string ReadErrorReason(const ReadError& error, const std::string& langPath) {
  switch (error.problem) {
    case ReadProblem::None:
      return {};
    case ReadProblem::NotRegular:
      return GetLangStringFrom(langPath, "IDS_FILE_NOTREGULAR");
    case ReadProblem::TooLarge:
      return GetLangStringFrom(langPath, "IDS_FILE_TOOLARGE");
    case ReadProblem::CannotOpen:
    case ReadProblem::ReadFailed:
      break;
  }
  return std::strerror(error.error);
}

std::string WriteErrorReason(int error) { return std::strerror(error); }

std::string StartupLanguagePath(const std::string& exeDir) {
  const std::string preferred = exeDir + "/" + DefaultLanguageName() + ".lang";
  // The message may be about that very file: then the other shipped one says it.
  for (const char* name : {"english", "chinese"}) {
    if (CheckProfileFile(preferred)) break;
    const std::string other = exeDir + "/" + name + ".lang";
    if (CheckProfileFile(other)) return other;
  }
  return preferred;
}

}  // namespace rondel
