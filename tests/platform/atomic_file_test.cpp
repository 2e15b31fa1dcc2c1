// Files are replaced whole or not at all, and only regular files of a bounded size are read.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;

const std::vector<std::uint8_t> kNew{1, 2, 3};

int EntryCount(const std::string& folder) {
  int n = 0;
  DIR* d = ::opendir(folder.c_str());
  while (const dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
  ::closedir(d);
  return n;
}

TEST(ReplaceFile, KeepsModeAndLinkAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.Write("a.dig", "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  const std::string link = dir.File("link.dig");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(ReplaceFile(link, kNew), 0);
  EXPECT_EQ(test::ReadBytes(target), kNew);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(EntryCount(dir.path()), 2);
}

TEST(ReplaceFile, RefusesAndLeavesTheOldFile) {
  TempDir dir;
  const std::string readOnly = dir.Write("ro.dig", "old");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  const std::string folder = dir.File("sub");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const struct {
    std::string path;
    int error;
  } cases[] = {{readOnly, EACCES}, {folder, EISDIR}, {dir.File("none/x.dig"), ENOENT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CheckReplaceable(c.path), c.error);
    EXPECT_EQ(ReplaceFile(c.path, kNew), c.error);
  }
  EXPECT_EQ(test::ReadText(readOnly), "old");
  EXPECT_EQ(CheckReplaceable(dir.File("new.dig")), 0);
  EXPECT_EQ(EntryCount(dir.path()), 2);
}

TEST(ReadWholeFile, ReadsRegularFilesUpToTheLimit) {
  TempDir dir;
  const std::string file = dir.Write("f", "abcd");
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::size_t limit;
    ReadProblem problem;
    std::size_t size;
  } cases[] = {{file, 4, ReadProblem::None, 4},
               {file, 3, ReadProblem::TooLarge, 0},
               {fifo, 100, ReadProblem::NotRegular, 0},
               {dir.path(), 100, ReadProblem::NotRegular, 0},
               {dir.File("missing"), 100, ReadProblem::CannotOpen, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
    std::vector<std::uint8_t> out{9};
    ReadError why;
    EXPECT_EQ(ReadWholeFile(c.path, out, c.limit, &why), c.problem == ReadProblem::None);
    EXPECT_EQ(why.problem, c.problem);
    EXPECT_EQ(out.size(), c.size);
  }
}

}  // namespace
}  // namespace rondel
