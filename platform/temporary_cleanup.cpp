// SPDX-License-Identifier: GPL-3.0-or-later
// A fixed table of live temporaries and the signal handler that removes them. The handler may
// interrupt any code, so it only reads the table and calls unlinkat(), sigaction() and
// raise(), which are safe there; nothing is allocated or locked.
#include "platform/temporary_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace rondel {
namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  int folderFd = -1;
  char name[16] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

// More saves at once than one program ever makes; one past them is swept later instead.
Slot g_slots[32];

void RemoveTemporariesAndEnd(int sig) {
  for (Slot& s : g_slots)
    if (s.state.load(std::memory_order_acquire) == kLive) ::unlinkat(s.folderFd, s.name, 0);
  // The signal is blocked while its handler runs: raised again under the default action, it
  // ends the program as soon as the handler returns, as if no handler had been there.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  ::raise(sig);
}

}  // namespace

void InstallTemporaryCleanup() {
  for (const int sig : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction sa {};
    sa.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&sa.sa_mask);
    // Both signals end the program: the second must not interrupt the first's clean-up.
    sigaddset(&sa.sa_mask, SIGINT);
    sigaddset(&sa.sa_mask, SIGTERM);
    ::sigaction(sig, &sa, nullptr);
  }
}

int RegisterTemporary(int folderFd, const char* name) {
  if (std::strlen(name) >= sizeof Slot::name) return -1;
  for (int i = 0; i < static_cast<int>(std::size(g_slots)); ++i) {
    Slot& s = g_slots[i];
    int expected = kFree;
    if (!s.state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    s.folderFd = folderFd;
    std::strcpy(s.name, name);
    s.state.store(kLive, std::memory_order_release);
    return i;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || slot >= static_cast<int>(std::size(g_slots))) return;
  g_slots[slot].state.store(kFree, std::memory_order_release);
}

}  // namespace rondel
