// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/interrupt_guard.h"

#include <atomic>

namespace rondel::cli {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) { g_interrupted.store(true); }

}  // namespace

InterruptGuard::InterruptGuard() {
  g_interrupted.store(false);
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, &m_oldInt);
  ::sigaction(SIGTERM, &sa, &m_oldTerm);
}

InterruptGuard::~InterruptGuard() {
  ::sigaction(SIGINT, &m_oldInt, nullptr);
  ::sigaction(SIGTERM, &m_oldTerm, nullptr);
}

bool Interrupted() { return g_interrupted.load(); }

}  // namespace rondel::cli
