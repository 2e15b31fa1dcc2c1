// SPDX-License-Identifier: GPL-3.0-or-later
// The lock of a read-modify-write: refused while another holds it, and held on the file the
// path names once it is taken, also when the holder waited for renamed a new file there.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

// A lock of our own, as another program holds it.
struct HeldLock {
  int fd;
  explicit HeldLock(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  }
  ~HeldLock() { ::close(fd); }
};

bool Lockable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

// How many descriptors of this process have the file `id` open.
int OpenedHere(const FileIdentity& id) {
  int n = 0;
  DIR* d = ::opendir("/proc/self/fd");
  while (const dirent* e = ::readdir(d)) {
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && st.st_dev == id.dev && st.st_ino == id.ino) ++n;
  }
  ::closedir(d);
  return n;
}

TEST(LockForUpdate, TakesAFreeFileAndRefusesAHeldOneOrNoFile) {
  TempDir dir;
  const std::string file = dir.Write("a.dig", "a"), fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  {
    FileLock lock;
    ASSERT_EQ(LockForUpdate(file, 0ms, lock), LockOutcome::Locked);
    EXPECT_FALSE(Lockable(file));
  }
  EXPECT_TRUE(Lockable(file)) << "released with the object";

  HeldLock other(file);
  const struct {
    std::string path;
    LockOutcome outcome;
    int error;
  } cases[] = {{file, LockOutcome::Busy, EWOULDBLOCK},
               {dir.File("none.dig"), LockOutcome::NotLockable, ENOENT},
               {dir.path(), LockOutcome::NotLockable, EISDIR},
               {fifo, LockOutcome::NotLockable, EISDIR}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FileLock lock;
    int error = 0;
    EXPECT_EQ(LockForUpdate(c.path, 30ms, lock, &error), c.outcome);
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(lock.held());
  }
}

// The holder saves its result under the path while we wait: the lock we then get is on that
// result, not on the file it replaced.
TEST(LockForUpdate, WaitsForTheHolderAndLocksTheFileItSavedInstead) {
  TempDir dir;
  const std::string file = dir.Write("a.dig", "first");
  const FileIdentity first = *IdentityOf(file);
  auto holder = std::make_unique<HeldLock>(file);
  FileLock lock;
  auto waiter = std::async(std::launch::async, [&] { return LockForUpdate(file, 10s, lock); });
  // The waiter has the first file open, so it cannot have seen the second one yet.
  while (OpenedHere(first) < 2) std::this_thread::yield();
  ASSERT_EQ(ReplaceFile(file, std::vector<std::uint8_t>{'2'}), 0);
  holder.reset();
  ASSERT_EQ(waiter.get(), LockOutcome::Locked);
  EXPECT_NE(*IdentityOf(file), first);
  EXPECT_FALSE(Lockable(file)) << "the file now named is the one locked";
  EXPECT_EQ(OpenedHere(first), 0) << "the replaced file is let go";
}

}  // namespace
}  // namespace rondel
