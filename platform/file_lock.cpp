// SPDX-License-Identifier: GPL-3.0-or-later
// flock() with a bounded wait, taken again when the locked file is no longer the one named.
#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <unistd.h>

namespace rondel {
namespace {

// Short against a person's patience, long against the few milliseconds a save takes.
constexpr std::chrono::milliseconds kRetryStep{20};

// Whether `path` names the file open as `fd`.
bool StillNamed(const std::string& path, int fd) {
  struct stat byName {}, byFd {};
  return ::stat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 &&
         byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

}  // namespace

LockOutcome LockForUpdate(const std::string& path, std::chrono::milliseconds wait, FileLock& lock,
                          int* error) {
  lock.Release();
  int localError = 0;
  int& e = error ? *error : localError;
  e = 0;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    // Read-only and without blocking: a FIFO named here must not stall us, and a file we may
    // read but not write is still refused by the save, not by the lock.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
      e = errno;
      return LockOutcome::NotLockable;
    }
    struct stat st {};
    const bool statted = ::fstat(fd.Get(), &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
      e = statted ? EISDIR : errno;
      return LockOutcome::NotLockable;
    }
    bool locked = false;
    for (;;) {
      if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
        locked = true;
        break;
      }
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) {
        e = errno;
        return LockOutcome::NotLockable;
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(kRetryStep);
    }
    if (!locked) {
      e = EWOULDBLOCK;
      return LockOutcome::Busy;
    }
    if (StillNamed(path, fd.Get())) {
      lock.m_fd = std::move(fd);
      return LockOutcome::Locked;
    }
    // The holder we waited for renamed its result over the path: that is the file to lock.
    fd.Reset();
    if (std::chrono::steady_clock::now() >= deadline) {
      e = EWOULDBLOCK;
      return LockOutcome::Busy;
    }
  }
}

}  // namespace rondel
