// SPDX-License-Identifier: GPL-3.0-or-later
// A descriptor's owner closes it exactly once, hands it on when moved, and counts 0 as open.
#include "platform/unique_fd.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace rondel {
namespace {

// Asks without touching errno, which the cases check the owner keeps.
bool IsOpen(int fd) {
  const int saved = errno;
  const bool open = ::fcntl(fd, F_GETFD) != -1;
  errno = saved;
  return open;
}

// A descriptor that stays open for the test: the read end of a pipe whose write end is closed.
int NewDescriptor() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return -1;
  ::close(ends[1]);
  return ends[0];
}

TEST(UniqueFd, ClosesWhatItOwnsExactlyOnce) {
  // Each case works on two open descriptors a and b. A descriptor closed too often is caught
  // by putting a new one under its number (dup2) before the owner that closed it goes.
  const struct {
    const char* name;
    std::function<void(int a, int b)> act;
    bool aOpen, bOpen;
  } cases[] = {
      {"closes when it goes", [](int a, int) { UniqueFd u(a); }, false, true},
      {"empty owners close nothing",
       [](int, int) {
         UniqueFd u, v(-1);
         EXPECT_FALSE(u.IsOpen() || v.IsOpen());
         EXPECT_EQ(u.Get(), -1);
       },
       true, true},
      {"release hands it over",
       [](int a, int) {
         UniqueFd u(a);
         EXPECT_EQ(u.Release(), a);
         EXPECT_FALSE(u.IsOpen());
       },
       true, true},
      {"reset closes now and never again",
       [](int a, int b) {
         UniqueFd u(a);
         u.Reset();
         EXPECT_FALSE(IsOpen(a));
         ::dup2(b, a);
       },
       true, true},
      {"reset closes the old one and takes the new one",
       [](int a, int b) {
         UniqueFd u(a);
         u.Reset(b);
         EXPECT_FALSE(IsOpen(a));
         EXPECT_EQ(u.Release(), b);
       },
       false, true},
      {"reset to what it holds keeps it",
       [](int a, int) {
         UniqueFd u(a);
         u.Reset(a);
         EXPECT_EQ(u.Release(), a);
       },
       true, true},
      {"a move leaves the source empty",
       [](int a, int b) {
         UniqueFd u(a);
         {
           UniqueFd v(std::move(u));
           EXPECT_FALSE(u.IsOpen());
           EXPECT_EQ(v.Get(), a);
         }
         EXPECT_FALSE(IsOpen(a));
         ::dup2(b, a);
       },
       true, true},
      {"a move assignment closes what the target held",
       [](int a, int b) {
         UniqueFd v(b);
         {
           UniqueFd u(a);
           v = std::move(u);
           EXPECT_FALSE(u.IsOpen());
           EXPECT_FALSE(IsOpen(b));
         }
         EXPECT_EQ(v.Release(), a);
       },
       true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int a = NewDescriptor(), b = NewDescriptor();
    ASSERT_TRUE(IsOpen(a) && IsOpen(b));
    // The close is clean-up after a failure, whose errno the caller reports.
    errno = ENOENT;
    c.act(a, b);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(IsOpen(a), c.aOpen);
    EXPECT_EQ(IsOpen(b), c.bOpen);
    for (const int fd : {a, b})
      if (IsOpen(fd)) ::close(fd);
  }
}

TEST(UniqueFd, DescriptorZeroIsOwnedLikeAnyOther) {
  const int savedInput = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
  const int pipeEnd = NewDescriptor();
  ASSERT_GE(pipeEnd, 0);
  ASSERT_EQ(::dup2(pipeEnd, STDIN_FILENO), STDIN_FILENO);
  ::close(pipeEnd);
  {
    UniqueFd input(STDIN_FILENO);
    EXPECT_TRUE(input.IsOpen());
    EXPECT_EQ(input.Get(), STDIN_FILENO);
  }
  EXPECT_FALSE(IsOpen(STDIN_FILENO));
  if (savedInput >= 0) {
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
  }
}

}  // namespace
}  // namespace rondel
