// A parsed file is reused between lookups, yet every change made to the file by hand is seen
// at the next lookup: rewrites in place of the same size within the same second, with the
// modification time put back, files replaced by another of the same size and time, removed
// and created again.
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
     [](const TempDir&, const std::string& path) { RewriteInPlace(path, "[s]\nk=bbbb\n"); },
     "bbbb"},
    {"rewritten in place, same size, modification time put back",
     [](const TempDir&, const std::string& path) {
       const timespec before = ModificationTime(path);
       RewriteInPlace(path, "[s]\nk=cccc\n");
       SetModificationTime(path, before);
     },
     "cccc"},
    {"replaced by another file of the same size and time",
     [](const TempDir& dir, const std::string& path) {
       const timespec before = ModificationTime(path);
       const std::string other = dir.Write("other.ini", "[s]\nk=dddd\n");
       SetModificationTime(other, before);
       ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
     },
     "dddd"},
    {"grown", [](const TempDir&, const std::string& path) {
       RewriteInPlace(path, "[s]\nk=longer value\n");
     },
     "longer value"},
    {"removed", [](const TempDir&, const std::string& path) { ::unlink(path.c_str()); },
     "<none>"},
    {"removed and written anew",
     [](const TempDir& dir, const std::string& path) {
       ::unlink(path.c_str());
       dir.Write("setting.ini", "[s]\nk=eeee\n");
     },
     "eeee"},
    {"a key added by this program", [](const TempDir&, const std::string& path) {
       ASSERT_TRUE(WriteString(path, "s", "k", "ffff"));
     },
     "ffff"},
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
    EXPECT_EQ(GetInt(path, "s", "missing", 7), 7);
    EXPECT_EQ(GetString(path, "s", "k", "<none>", 100), c.expected) << "asked again";
  }
}

TEST(ProfileReuse, ManyFilesInTurnEachGiveTheirOwnValues) {
  // More files than are kept: each lookup still answers from its own file.
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i)
    paths.push_back(dir.Write("f" + std::to_string(i) + ".ini",
                              "[s]\nk=" + std::to_string(i) + "\n"));
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 20; ++i)
      EXPECT_EQ(GetInt(paths[static_cast<std::size_t>(i)], "s", "k", -1), i) << i;
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
    const int v = GetInt(path, "s", "k", -1);
    EXPECT_EQ(v, i % 2 ? 1 : 2);
  }
  reader.join();
}

}  // namespace
}  // namespace rondel::profile
