// The settings file's place on an installed system and the test a settings or language file
// must pass before it is used.
#include "shell/settings_location.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/profile.h"
#include "shell/settings.h"

namespace rondel {
namespace {

// Found the way a file search finds it: a folder of that name is no settings file, while a
// pipe or a device is one, refused later with a message that names it.
bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

bool MakePrivateFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
    return pw->pw_dir;
  return {};
}

std::string XdgBaseFolder(const char* variable, const char* underHome) {
  if (const char* xdg = std::getenv(variable); xdg && *xdg == '/') return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/" + underHome;
}

std::string UserSettingsPath() {
  const std::string config = XdgBaseFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return {};
  return config + "/rondel/" + kSettingsFileName;
}

bool FolderWritable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

SettingsLocation LocateSettingsFile(const std::string& exeDir, const FolderCheck& writable) {
  const std::string shipped = exeDir + "/" + kSettingsFileName;
  const bool haveShipped = Exists(shipped);
  if (haveShipped && writable(exeDir)) return {shipped, false, false};

  const std::string user = UserSettingsPath();
  if (!user.empty() && Exists(user)) return {user, true, false};
  if (!haveShipped) return {};

  // The first start of this user: the shipped file becomes theirs. A shipped file that cannot
  // be read is used as it is, so the start-up check names the file at fault.
  std::vector<std::uint8_t> bytes;
  if (user.empty() || !ReadWholeFile(shipped, bytes, profile::kMaxProfileBytes) ||
      !MakePrivateFolders(user.substr(0, user.rfind('/'))) || ReplaceFile(user, bytes) != 0)
    return {shipped, false, false};
  return {user, true, true};
}

bool CheckProfileFile(const std::string& path, ReadError* why) {
  const int fd = OpenRegularFile(path, profile::kMaxProfileBytes, why);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace rondel
