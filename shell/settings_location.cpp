// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's place on an installed system and the test a settings or language file
// must pass before it is used.
#include "shell/settings_location.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ascii.h"
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

// The shipped file as it is now: modification time and size.
std::string ShippedStamp(const std::string& shipped) {
  struct stat st {};
  if (::stat(shipped.c_str(), &st) != 0) return {};
  return std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
         std::to_string(st.st_size) + "\n";
}

bool Newer(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_mtim.tv_sec != sb.st_mtim.tv_sec ? sa.st_mtim.tv_sec > sb.st_mtim.tv_sec
                                                : sa.st_mtim.tv_nsec > sb.st_mtim.tv_nsec;
}

bool RecordShipped(const std::string& shipped, const std::string& user) {
  const std::string stamp = ShippedStamp(shipped);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stamp.data());
  return ReplaceFile(ShippedStampPath(user), {bytes, stamp.size()}) == 0;
}

// Whether the shipped file changed since the user's copy was made from it.
bool ShippedChanged(const std::string& shipped, const std::string& user) {
  std::vector<std::uint8_t> recorded;
  if (!ReadWholeFile(ShippedStampPath(user), recorded, 256)) return Newer(shipped, user);
  return std::string(recorded.begin(), recorded.end()) != ShippedStamp(shipped);
}

bool HasKey(const std::vector<std::string>& keys, const std::string& key) {
  for (const std::string& k : keys)
    if (EqualNoCase(k, key)) return true;
  return false;
}

// The user's copy made again from the shipped file, keeping what is the user's own. Staged
// beside the copy and renamed over it, so an interruption leaves the old copy.
bool UpdateUserCopy(const std::string& shipped, const std::string& user) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(shipped, bytes, profile::kMaxProfileBytes)) return false;
  const std::string staged = user + ".update";
  if (ReplaceFile(staged, bytes) != 0) return false;
  bool ok = true;
  for (const std::string& section : profile::GetSections(user)) {
    const std::vector<std::string> shippedKeys = profile::GetKeys(shipped, section);
    for (const std::string& key : profile::GetKeys(user, section)) {
      if (!IsWrittenSetting(section, key) && HasKey(shippedKeys, key)) continue;
      ok = ok && profile::WriteString(staged, section, key,
                                      profile::GetString(user, section, key, "",
                                                         profile::kMaxProfileBytes));
    }
  }
  if (!ok || ::rename(staged.c_str(), user.c_str()) != 0) {
    ::unlink(staged.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string ShippedStampPath(const std::string& userCopy) { return userCopy + ".shipped"; }

bool IsSystemFolder(const std::string& folder) {
  for (const char* root : {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                           "/etc", "/snap"}) {
    const std::string r = root;
    if (folder == r || folder.starts_with(r + "/")) return true;
  }
  return false;
}

std::string UserSettingsPath() {
  const std::string folder = UserConfigFolder();
  if (folder.empty()) return {};
  return folder + "/" + kSettingsFileName;
}

bool FolderWritable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

SettingsLocation LocateSettingsFile(const std::string& exeDir, const FolderCheck& writable,
                                    const FolderCheck& system) {
  const std::string shipped = exeDir + "/" + kSettingsFileName;
  const bool haveShipped = Exists(shipped);
  if (haveShipped && writable(exeDir) && !system(exeDir)) return {shipped, false, false};

  const std::string user = UserSettingsPath();
  if (!user.empty() && Exists(user)) {
    SettingsLocation found{user, true, false};
    if (haveShipped && ShippedChanged(shipped, user)) {
      found.updatedUserCopy = UpdateUserCopy(shipped, user);
      if (found.updatedUserCopy) RecordShipped(shipped, user);
    }
    return found;
  }
  if (!haveShipped) return {};

  // The first start of this user: the shipped file becomes theirs. A shipped file that cannot
  // be read is used as it is, so the start-up check names the file at fault.
  std::vector<std::uint8_t> bytes;
  if (user.empty() || !ReadWholeFile(shipped, bytes, profile::kMaxProfileBytes) ||
      !MakePrivateFolders(user.substr(0, user.rfind('/'))) || ReplaceFile(user, bytes) != 0)
    return {shipped, false, false};
  RecordShipped(shipped, user);
  return {user, true, true};
}

bool CheckProfileFile(const std::string& path, ReadError* why) {
  // Opened only to be checked: the owner closes it again at once.
  return OpenRegularFile(path, profile::kMaxProfileBytes, why).IsOpen();
}

}  // namespace rondel
