// SPDX-License-Identifier: GPL-3.0-or-later
// The advisory lock of a read-modify-write: while one program reads, changes and saves a
// file, a second one that means to do the same waits for it, and then reads its result.
#pragma once

#include <chrono>
#include <string>

#include "platform/unique_fd.h"

namespace rondel {

enum class LockOutcome {
  Locked,       // `lock` holds the file the path names now
  Busy,         // another holder kept it for all of `wait`
  NotLockable,  // no regular file to lock (missing, a folder, a FIFO), or the file system
                // takes no locks: `error` holds the errno value; the caller's read reports it
};

// An exclusive flock() on one file, released when the object goes (or by Release()).
class FileLock {
 public:
  bool held() const { return m_fd.IsOpen(); }
  // Closing the only descriptor of the open file releases its lock.
  void Release() { m_fd.Reset(); }

 private:
  friend LockOutcome LockForUpdate(const std::string&, std::chrono::milliseconds, FileLock&,
                                   int*);
  UniqueFd m_fd;
};

// Locks the file `path` names, trying until `wait` has passed. Every program that rewrites
// the file takes this lock before it reads it and keeps it until the new file is renamed over
// the path. The rename puts another file under the path, so a lock won on the file that was
// there before is given up and taken again on the new one: once it is held, `path` names the
// locked file, and what is read through `path` is the previous holder's result.
LockOutcome LockForUpdate(const std::string& path, std::chrono::milliseconds wait, FileLock& lock,
                          int* error = nullptr);

}  // namespace rondel
