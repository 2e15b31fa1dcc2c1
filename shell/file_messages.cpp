// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/file_messages.h"

#include <cerrno>
#include <cstring>

#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/settings_location.h"

namespace rondel {

namespace {

// The system's reasons the user meets with files and folders, in the language file's words.
struct ErrnoText {
  int error;
  const char* key;
};
constexpr ErrnoText kErrnoTexts[] = {
    {ENOENT, "IDS_ERRNO_ENOENT"},   {EACCES, "IDS_ERRNO_EACCES"},
    {EPERM, "IDS_ERRNO_EPERM"},     {EISDIR, "IDS_ERRNO_EISDIR"},
    {ENOTDIR, "IDS_ERRNO_ENOTDIR"}, {ENOSPC, "IDS_ERRNO_ENOSPC"},
    {EDQUOT, "IDS_ERRNO_EDQUOT"},   {EROFS, "IDS_ERRNO_EROFS"},
    {EEXIST, "IDS_ERRNO_EEXIST"},   {ENAMETOOLONG, "IDS_ERRNO_ENAMETOOLONG"},
    {ELOOP, "IDS_ERRNO_ELOOP"},     {EIO, "IDS_ERRNO_EIO"},
    {EBUSY, "IDS_ERRNO_EBUSY"},     {EFBIG, "IDS_ERRNO_EFBIG"},
    {ENXIO, "IDS_ERRNO_ENXIO"},     {EMFILE, "IDS_ERRNO_EMFILE"},
    {ENFILE, "IDS_ERRNO_ENFILE"},   {ETXTBSY, "IDS_ERRNO_ETXTBSY"},
};

}  // namespace

const char* ErrnoKey(int error) {
  for (const ErrnoText& t : kErrnoTexts)
    if (t.error == error) return t.key;
  return nullptr;
}

std::string SystemErrorText(int error, const std::string& langPath) {
  if (const char* key = ErrnoKey(error)) {
    std::string text = GetLangStringFrom(langPath, key);
    if (text != kLangNotFound) return text;
  }
  return std::strerror(error);
}

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
  return SystemErrorText(error.error, langPath);
}

std::string WriteErrorReason(int error) { return SystemErrorText(error, g_strLangPath); }

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
