// Whole-file writes through a temporary file and rename(2).
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
    if (fd >= 0) ::close(fd);
    if (!committed && !path.empty()) ::unlink(path.c_str());
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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return false;
  const std::string target = ResolveTarget(path);

  mode_t mode = 0;
  bool exists = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & 0222) == 0) return false;  // read-only: the write is refused
    mode = st.st_mode & 07777;
    exists = true;
  }

  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  TempFile tmp;
  tmp.path = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
  tmp.fd = ::mkostemp(tmp.path.data(), O_CLOEXEC);
  if (tmp.fd < 0) {
    tmp.path.clear();
    return false;
  }
  if (exists) {
    if (::fchmod(tmp.fd, mode) != 0) return false;
  } else {
    // mkostemp creates 0600; a new file gets the usual 0666 less the umask.
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(tmp.fd, 0666 & ~mask) != 0) return false;
  }
  if (!WriteAll(tmp.fd, bytes)) return false;
  if (::fsync(tmp.fd) != 0) return false;
  if (::close(tmp.fd) != 0) {
    tmp.fd = -1;
    return false;
  }
  tmp.fd = -1;
  if (::rename(tmp.path.c_str(), target.c_str()) != 0) return false;
  tmp.committed = true;
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  std::uint8_t chunk[8192];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return false;
    }
    if (n == 0) break;
    out.insert(out.end(), chunk, chunk + n);
  }
  ::close(fd);
  return true;
}

}  // namespace rondel
