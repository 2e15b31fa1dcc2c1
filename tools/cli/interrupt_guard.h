// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C (and a polite kill) during a transfer: the signal only raises a flag, and the loop
// that watches the transfer cancels on it, so every worker is joined and no leave byte follows
// a cancelled write.
#pragma once

#include <csignal>

namespace rondel::cli {

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction m_oldInt {};
  struct sigaction m_oldTerm {};
};

// SIGINT or SIGTERM arrived since the guard was made.
bool Interrupted();

}  // namespace rondel::cli
