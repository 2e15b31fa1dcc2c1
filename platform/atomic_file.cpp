// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes through a temporary file and rename(2); reads of regular files only.
#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temporary_cleanup.h"

namespace rondel {
namespace {

std::atomic<void (*)()> g_beforeRename{nullptr};

constexpr std::time_t kStaleAfterSeconds = 24 * 60 * 60;
constexpr int kNameAttempts = 100;

FileIdentity IdentityOfStat(const struct stat& st) { return {st.st_dev, st.st_ino}; }

// What a save replaces: `name` in `folder`, and whether it is a regular file whose mode stays.
struct Place {
  std::string folder;
  std::string name;
  bool existing = false;
  mode_t mode = 0;
};

int Split(const std::string& target, Place& place) {
  const std::size_t slash = target.rfind('/');
  place.name = slash == std::string::npos ? target : target.substr(slash + 1);
  place.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  // "folder/" names a folder, never a file to be made in it.
  return place.name.empty() ? EISDIR : 0;
}

// Where a save of `path` goes, by the rule of the header: 0 or the errno value of why nowhere.
int Locate(const std::string& path, const std::optional<FileIdentity>& openedFrom, Place& place) {
  if (path.empty()) return ENOENT;
  place = {};
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Split(path, place) : errno;
  std::string target = path;
  if (S_ISLNK(st.st_mode)) {
    struct stat to {};
    char resolved[PATH_MAX];
    const bool ownFile = openedFrom && ::stat(path.c_str(), &to) == 0 && S_ISREG(to.st_mode) &&
                         IdentityOfStat(to) == *openedFrom && ::realpath(path.c_str(), resolved);
    // Any other link is what gets replaced: nothing of where it leads is looked at.
    if (!ownFile) return Split(path, place);
    target = resolved;
    if (::lstat(target.c_str(), &st) != 0) return errno;
  }
  if (!S_ISREG(st.st_mode)) return EISDIR;
  if ((st.st_mode & 0222) == 0) return EACCES;  // read-only: the write is refused
  place.existing = true;
  place.mode = st.st_mode & 07777;
  return Split(target, place);
}

// The folder of a save, open for the *at calls. A folder that may be written in but not
// listed still takes the save; it is only not swept nor flushed.
struct Folder {
  UniqueFd fd;
  bool readable = false;
  explicit Folder(const std::string& path)
      : fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), readable(fd.IsOpen()) {
    if (!readable && errno == EACCES)
      fd.Reset(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
};

bool IsOurTemporaryName(const char* name) {
  const std::size_t prefix = std::strlen(kTemporaryPrefix);
  if (std::strlen(name) != kTemporaryNameLength || std::strncmp(name, kTemporaryPrefix, prefix) != 0)
    return false;
  for (const char* c = name + prefix; *c; ++c) {
    const bool alnum = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
    if (!alnum) return false;
  }
  return true;
}

int Sweep(int folderFd) {
  UniqueFd listing(::dup(folderFd));
  if (!listing.IsOpen()) return 0;
  DIR* d = ::fdopendir(listing.Get());
  if (!d) return 0;
  listing.Release();  // closedir closes it
  const std::time_t cutoff = std::time(nullptr) - kStaleAfterSeconds;
  int removed = 0;
  while (const dirent* e = ::readdir(d)) {
    if (!IsOurTemporaryName(e->d_name)) continue;
    struct stat st {};
    if (::fstatat(folderFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    // Another user's file, a link or a folder of that name is not one we made.
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_mtime >= cutoff) continue;
    removed += ::unlinkat(folderFd, e->d_name, 0) == 0;
  }
  ::closedir(d);
  return removed;
}

// Six letters or digits that differ between calls, processes and runs. Not a secret: the
// exclusive create, not the name, keeps two saves apart.
std::string TemporaryName() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x = counter.fetch_add(1) ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^
                    static_cast<std::uint64_t>(
                        std::chrono::steady_clock::now().time_since_epoch().count());
  x += 0x9E3779B97F4A7C15ull;  // splitmix64
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = kTemporaryPrefix;
  for (int i = 0; i < 6; ++i, x /= 62) name += kLetters[x % 62];
  return name;
}

// The temporary file of one save: registered for the signal handler while it exists, closed
// and removed unless the rename took it.
struct TempFile {
  int folderFd;
  UniqueFd fd;
  int slot = -1;
  std::string name;
  bool committed = false;
  explicit TempFile(int folder) : folderFd(folder) {}
  // 0 or the errno value of the failed create.
  int Create(mode_t mode) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      name = TemporaryName();
      fd.Reset(::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      if (fd.IsOpen()) {
        slot = RegisterTemporary(folderFd, name.c_str());
        return 0;
      }
      if (errno != EEXIST) break;
    }
    const int error = errno;
    name.clear();
    return error;
  }
  ~TempFile() {
    const int saved = errno;  // the caller reports the failure, not our clean-up
    fd.Reset();
    if (!committed && !name.empty()) ::unlinkat(folderFd, name.c_str(), 0);
    ForgetTemporary(slot);
    errno = saved;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The errno value of the last failed call, never 0 (a short write sets none).
int LastError() { return errno != 0 ? errno : EIO; }

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdentityOfStat(st);
}

void SetBeforeRenameHook(void (*hook)()) { g_beforeRename.store(hook); }

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes,
                std::optional<FileIdentity> openedFrom) {
  Place place;
  if (const int error = Locate(path, openedFrom, place); error != 0) return error;
  const Folder folder(place.folder);
  if (!folder.fd.IsOpen()) return LastError();
  if (folder.readable) Sweep(folder.fd.Get());

  TempFile tmp(folder.fd.Get());
  // A new file gets the usual 0666 less the umask from the create itself; the copy of an
  // existing one is private until it has that file's mode.
  errno = 0;
  if (const int error = tmp.Create(place.existing ? 0600 : 0666); error != 0) return error;
  if (place.existing && ::fchmod(tmp.fd.Get(), place.mode) != 0) return LastError();
  if (!WriteAll(tmp.fd.Get(), bytes)) return LastError();
  if (::fsync(tmp.fd.Get()) != 0) return LastError();
  // A close that fails may have lost written bytes, so it is not left to the owner.
  if (::close(tmp.fd.Release()) != 0) return LastError();
  if (void (*hook)() = g_beforeRename.load()) hook();
  if (::renameat(folder.fd.Get(), tmp.name.c_str(), folder.fd.Get(), place.name.c_str()) != 0)
    return LastError();
  tmp.committed = true;

  // The rename lives in the folder: without flushing it a power cut may bring back the old
  // file, or none. File systems that cannot flush a folder have nothing to lose here.
  if (folder.readable && ::fsync(folder.fd.Get()) != 0 && errno == EIO) return EIO;
  return 0;
}

int CheckReplaceable(const std::string& path, std::optional<FileIdentity> openedFrom) {
  Place place;
  if (const int error = Locate(path, openedFrom, place); error != 0) return error;
  struct stat dirSt {};
  if (::stat(place.folder.c_str(), &dirSt) != 0) return errno;
  if (!S_ISDIR(dirSt.st_mode)) return ENOTDIR;
  // The temporary file and the rename both need the folder, not the target.
  if (::faccessat(AT_FDCWD, place.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
  // A file system may take fewer bytes in a name than the one the path resolution knows.
  errno = 0;
  const long nameMax = ::pathconf(place.folder.c_str(), _PC_NAME_MAX);
  if (nameMax > 0 && place.name.size() > static_cast<std::size_t>(nameMax)) return ENAMETOOLONG;
  return 0;
}

int StoreUnderFreeName(const std::string& folder, std::span<const std::uint8_t> bytes,
                       const std::function<std::string(int)>& nameFor, int attempts,
                       std::string& path) {
  const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.IsOpen()) return LastError();
  TempFile tmp(dir.Get());
  errno = 0;
  if (const int error = tmp.Create(0600); error != 0) return error;
  if (!WriteAll(tmp.fd.Get(), bytes)) return LastError();
  if (::fsync(tmp.fd.Get()) != 0) return LastError();
  if (::close(tmp.fd.Release()) != 0) return LastError();
  const std::string in = folder == "/" ? std::string() : folder;
  for (int counter = 1; counter <= attempts; ++counter) {
    const std::string name = nameFor(counter);
    if (::linkat(dir.Get(), tmp.name.c_str(), dir.Get(), name.c_str(), 0) == 0) {
      path = in + "/" + name;
      // The temporary goes before the folder is flushed, so a power cut leaves the new name
      // and nothing else.
      ::unlinkat(dir.Get(), tmp.name.c_str(), 0);
      tmp.committed = true;
      ::fsync(dir.Get());
      return 0;
    }
    if (errno != EEXIST) return LastError();
  }
  return EEXIST;
}

int SweepStaleTemporaries(const std::string& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.IsOpen() ? Sweep(fd.Get()) : 0;
}

UniqueFd OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadError* why,
                         FileIdentity* identity) {
  ReadError local;
  ReadError& e = why ? *why : local;
  e = {};
  // Without O_NONBLOCK the open of a FIFO waits for a writer, and that of a serial device for
  // its carrier; only once it is known to be a plain file is it read like one.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.IsOpen()) {
    e = {ReadProblem::CannotOpen, errno};
    return UniqueFd();
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) {
    e = {ReadProblem::CannotOpen, errno};
  } else if (!S_ISREG(st.st_mode)) {
    e = {ReadProblem::NotRegular, 0};
  } else if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
    e = {ReadProblem::TooLarge, EFBIG};
  } else {
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    if (identity) *identity = IdentityOfStat(st);
    return fd;
  }
  return UniqueFd();
}

bool ReadFromDescriptor(int fd, std::vector<std::uint8_t>& out, std::size_t maxBytes,
                        BeyondLimit beyond, ReadError* why) {
  out.clear();
  ReadError local;
  ReadError& e = why ? *why : local;
  e = {};
  std::uint8_t chunk[8192];
  for (;;) {
    std::size_t wanted = sizeof chunk;
    if (beyond == BeyondLimit::LeaveUnread) {
      // Asking for no more than the limit leaves the rest of a pipe to whoever reads on.
      wanted = std::min(wanted, maxBytes - out.size());
      if (wanted == 0) break;
    }
    const ssize_t n = ::read(fd, chunk, wanted);
    if (n < 0) {
      if (errno == EINTR) continue;
      e = {ReadProblem::ReadFailed, errno};
      break;
    }
    if (n == 0) break;
    // A file that grows while it is read, and a pipe, which says nothing of its length
    // beforehand, are held to the same limit.
    if (static_cast<std::size_t>(n) > maxBytes - out.size()) {
      e = {ReadProblem::TooLarge, EFBIG};
      break;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
  if (e.problem != ReadProblem::None) {
    out.clear();
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes,
                   ReadError* why, FileIdentity* identity, BeyondLimit beyond) {
  out.clear();
  ReadError local;
  ReadError& e = why ? *why : local;
  const std::size_t largest = beyond == BeyondLimit::Refuse ? maxBytes : kNoSizeLimit;
  const UniqueFd fd = OpenRegularFile(path, largest, &e, identity);
  if (!fd.IsOpen()) return false;
  return ReadFromDescriptor(fd.Get(), out, maxBytes, beyond, &e);
}

}  // namespace rondel
