// SPDX-License-Identifier: GPL-3.0-or-later
// The one owner of a POSIX file descriptor: it closes the descriptor when it goes, so no early
// return leaks one and none is closed twice.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace rondel {

class UniqueFd {
 public:
  UniqueFd() = default;
  // Takes `fd` over; -1 (what a failed open returns) owns nothing. 0 is a descriptor like any
  // other: a process started with its standard input closed gets it from its next open.
  explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const noexcept { return m_fd; }
  bool IsOpen() const noexcept { return m_fd >= 0; }

  // Hands the descriptor to the caller, who closes it from now on.
  int Release() noexcept { return std::exchange(m_fd, -1); }

  // Closes the descriptor held so far and takes `fd` in its place. The close keeps errno: it
  // is the clean-up of a failure whose errno the caller is about to report.
  void Reset(int fd = -1) noexcept {
    if (fd == m_fd) return;
    const int old = std::exchange(m_fd, fd);
    if (old < 0) return;
    const int saved = errno;
    ::close(old);
    errno = saved;
  }

 private:
  int m_fd = -1;
};

}  // namespace rondel
