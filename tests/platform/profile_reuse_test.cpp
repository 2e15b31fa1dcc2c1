// SPDX-License-Identifier: GPL-3.0-or-later
// A parsed file is reused between lookups, yet every change to the file is seen at the next
// lookup, even one that keeps its size and modification time.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/temp_dir.h"

namespace rondel::profile {
namespace {

using test::TempDir;

// Writes `text` into the existing file, keeping its inode, as an editor saving in place does.
void RewriteInPlace(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
}

timespec ModificationTime(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mtim;
}

void SetModificationTime(const std::string& path, const timespec& t) {
  const timespec times[2] = {t, t};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct ChangeCase {
  const char* what;
  std::function<void(const TempDir& dir, const std::string& path)> change;
  const char* expected;  // the value of [s] k after the change
};

const ChangeCase kChanges[] = {
    {"rewritten in place, same size, at once",
     [](const TempDir&, const std::string& p) { RewriteInPlace(p, "[s]\nk=bbbb\n"); }, "bbbb"},
    {"rewritten in place, same size, modification time put back",
     [](const TempDir&, const std::string& p) {
       const timespec before = ModificationTime(p);
       RewriteInPlace(p, "[s]\nk=cccc\n");
       SetModificationTime(p, before);
     }, "cccc"},
    {"replaced by another file of the same size and time",
     [](const TempDir& dir, const std::string& p) {
       const timespec before = ModificationTime(p);
       const std::string other = dir.Write("other.ini", "[s]\nk=dddd\n");
       SetModificationTime(other, before);
       ASSERT_EQ(std::rename(other.c_str(), p.c_str()), 0);
     }, "dddd"},
    {"removed", [](const TempDir&, const std::string& p) { ::unlink(p.c_str()); }, "<none>"},
    {"written by this program",
     [](const TempDir&, const std::string& p) { ASSERT_TRUE(WriteString(p, "s", "k", "ffff")); }, "ffff"},
};

TEST(ProfileReuse, EveryChangeToTheFileIsSeenAtTheNextLookup) {
  for (const ChangeCase& c : kChanges) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir.Write("setting.ini", "[s]\nk=aaaa\n");
    // Looked up twice, so the second answer comes from a kept parse where there is one.
    EXPECT_EQ(GetString(path, "s", "k", "<none>", 100), "aaaa");
    EXPECT_EQ(GetString(path, "s", "k", "<none>", 100), "aaaa");
    c.change(dir, path);
    EXPECT_EQ(GetString(path, "s", "k", "<none>", 100), c.expected);
    EXPECT_EQ(GetString(path, "s", "k", "<none>", 100), c.expected) << "asked again";
  }
}

TEST(ProfileReuse, ManyFilesInTurnEachGiveTheirOwnValues) {
  // More files than are kept: each lookup still answers from its own file.
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i)
    paths.push_back(dir.Write(std::to_string(i).append(".ini"), std::string("[s]\nk=").append(std::to_string(i))));
  for (int round = 0; round < 40; ++round) EXPECT_EQ(GetInt(paths[round % 20], "s", "k", -1), round % 20);
}

TEST(ProfileReuse, LookupsFromTwoThreadsWhileTheFileChanges) {
  // The transfer worker reads the settings file while the interface thread may too.
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[s]\nk=1\n");
  std::thread reader([&] {
    for (int i = 0; i < 300; ++i) {
      const int v = GetInt(path, "s", "k", -1);
      EXPECT_TRUE(v == 1 || v == 2) << v;
    }
  });
  for (int i = 0; i < 300; ++i) {
    EXPECT_TRUE(WriteString(path, "s", "k", i % 2 ? "1" : "2"));
    EXPECT_EQ(GetInt(path, "s", "k", -1), i % 2 ? 1 : 2);
  }
  reader.join();
}

}  // namespace
}  // namespace rondel::profile
