// Whole-file writes through a temporary file and rename(2); reads of regular files only.
#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rondel {
namespace {

// Closes the descriptor and removes the temporary file unless the write was committed.
struct TempFile {
  int fd = -1;
  std::string path;
  bool committed = false;
  ~TempFile() {
    const int saved = errno;  // the caller reports the failure, not our clean-up
    if (fd >= 0) ::close(fd);
    if (!committed && !path.empty()) ::unlink(path.c_str());
    errno = saved;
  }
};

std::string ResolveTarget(const std::string& path) {
  // Follow a symbolic link so the link itself survives the rename.
  char resolved[PATH_MAX];
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved))
    return resolved;
  return path;
}

std::string FolderOf(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : target.substr(0, slash);
}

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

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return ENOENT;
  const std::string target = ResolveTarget(path);

  mode_t mode = 0;
  bool exists = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return EISDIR;
    if ((st.st_mode & 0222) == 0) return EACCES;  // read-only: the write is refused
    mode = st.st_mode & 07777;
    exists = true;
  }

  const std::size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  TempFile tmp;
  tmp.path = target.substr(0, slash == std::string::npos ? 0 : slash + 1) + "." + base + ".XXXXXX";
  errno = 0;
  tmp.fd = ::mkostemp(tmp.path.data(), O_CLOEXEC);
  if (tmp.fd < 0) {
    tmp.path.clear();
    return LastError();
  }
  if (exists) {
    if (::fchmod(tmp.fd, mode) != 0) return LastError();
  } else {
    // mkostemp creates 0600; a new file gets the usual 0666 less the umask.
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(tmp.fd, 0666 & ~mask) != 0) return LastError();
  }
  if (!WriteAll(tmp.fd, bytes)) return LastError();
  if (::fsync(tmp.fd) != 0) return LastError();
  const int closed = ::close(tmp.fd);
  tmp.fd = -1;
  if (closed != 0) return LastError();
  if (::rename(tmp.path.c_str(), target.c_str()) != 0) return LastError();
  tmp.committed = true;

  // The rename lives in the folder: without flushing it a power cut may bring back the old
  // file, or none. File systems that cannot flush a folder have nothing to lose here.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    const int synced = ::fsync(dir);
    const int error = errno;
    ::close(dir);
    if (synced != 0 && error == EIO) return EIO;
  }
  return 0;
}

int CheckReplaceable(const std::string& path) {
  if (path.empty()) return ENOENT;
  const std::string target = ResolveTarget(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return EISDIR;
    if ((st.st_mode & 0222) == 0) return EACCES;
  } else if (errno != ENOENT) {
    return errno;
  }
  const std::string folder = FolderOf(target);
  struct stat dirSt {};
  if (::stat(folder.c_str(), &dirSt) != 0) return errno;
  if (!S_ISDIR(dirSt.st_mode)) return ENOTDIR;
  // The temporary file and the rename both need the folder, not the target.
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

int OpenRegularFile(const std::string& path, std::size_t maxBytes, ReadError* why) {
  ReadError local;
  ReadError& e = why ? *why : local;
  e = {};
  // Without O_NONBLOCK the open of a FIFO waits for a writer, and that of a serial device for
  // its carrier; only once it is known to be a plain file is it read like one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    e = {ReadProblem::CannotOpen, errno};
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    e = {ReadProblem::CannotOpen, errno};
  } else if (!S_ISREG(st.st_mode)) {
    e = {ReadProblem::NotRegular, 0};
  } else if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
    e = {ReadProblem::TooLarge, EFBIG};
  } else {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
  }
  ::close(fd);
  return -1;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes,
                   ReadError* why) {
  out.clear();
  ReadError local;
  ReadError& e = why ? *why : local;
  const int fd = OpenRegularFile(path, maxBytes, &e);
  if (fd < 0) return false;
  std::uint8_t chunk[8192];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      e = {ReadProblem::ReadFailed, errno};
      break;
    }
    if (n == 0) break;
    // A file that grows while it is read is held to the same limit.
    if (static_cast<std::size_t>(n) > maxBytes - out.size()) {
      e = {ReadProblem::TooLarge, EFBIG};
      break;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
  ::close(fd);
  if (e.problem != ReadProblem::None) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace rondel
