// SPDX-License-Identifier: GPL-3.0-or-later
// Files are replaced whole or not at all, and only regular files of a bounded size are read.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temporary_cleanup.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;

const std::vector<std::uint8_t> kNew{1, 2, 3};

// Every name in `folder`, hidden ones (our temporaries) included.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  DIR* d = ::opendir(folder.c_str());
  while (const dirent* e = ::readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
  ::closedir(d);
  return names;
}

TEST(ReplaceFile, KeepsTheModeOfTheFileItReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.Write("a.dig", "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  EXPECT_EQ(ReplaceFile(target, kNew), 0);
  EXPECT_EQ(test::ReadBytes(target), kNew);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"a.dig"});
}

// Any name the file system takes can be saved under, however little room it leaves.
TEST(ReplaceFile, SavesUnderTheLongestNamesTheFileSystemTakes) {
  TempDir dir;
  const struct {
    std::size_t length;
    int error;
  } cases[] = {{250, 0}, {255, 0}, {256, ENAMETOOLONG}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string name(c.length, 'n');
    EXPECT_EQ(CheckReplaceable(dir.File(name)), c.error);
    EXPECT_EQ(ReplaceFile(dir.File(name), kNew), c.error) << "new";
    EXPECT_EQ(ReplaceFile(dir.File(name), kNew), c.error) << "over the one just made";
    if (c.error == 0) {
      EXPECT_EQ(test::ReadBytes(dir.File(name)), kNew);
    }
  }
  EXPECT_EQ(Entries(dir.path()),
            (std::set<std::string>{std::string(250, 'n'), std::string(255, 'n')}));
}

// What a path holds, for a folder or nothing too.
std::string Contents(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "<nothing>";
  return S_ISDIR(st.st_mode) ? "<folder>" : test::ReadText(path);
}

// A link at the path is replaced, unless it leads to the file the document was opened from.
TEST(ReplaceFile, ReplacesALinkUnlessItLeadsToTheFileTheDocumentCameFrom) {
  enum Identity { None, OfTheLinkedFile, OfAnotherFile };
  const struct {
    const char* name;
    const char* linkTo;  // in the test's folder
    Identity identity;
    bool followed;  // the linked file gets the bytes and the link stays
    int error = 0;
  } cases[] = {
      {"to another file", "other.dig", None, false},
      {"to another file than the document's", "other.dig", OfAnotherFile, false},
      {"dangling", "gone.dig", None, false},
      {"dangling, with the document's identity", "gone.dig", OfAnotherFile, false},
      {"to a folder", "sub", None, false},
      {"to a read-only file", "ro.dig", None, false},
      {"to the document's file", "own.dig", OfTheLinkedFile, true},
      {"to the document's file, read-only", "ro.dig", OfTheLinkedFile, true, EACCES},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("other.dig", "other");
    dir.Write("own.dig", "own");
    dir.Write("ro.dig", "ro");
    ASSERT_EQ(::chmod(dir.File("own.dig").c_str(), 0640), 0);
    ASSERT_EQ(::chmod(dir.File("ro.dig").c_str(), 0444), 0);
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
    const std::string link = dir.File("link.dig"), linked = dir.File(c.linkTo);
    ASSERT_EQ(::symlink(linked.c_str(), link.c_str()), 0);
    std::optional<FileIdentity> identity;
    if (c.identity == OfTheLinkedFile) identity = IdentityOf(linked);
    if (c.identity == OfAnotherFile) identity = IdentityOf(dir.File("own.dig"));
    const std::string before = Contents(linked);

    EXPECT_EQ(CheckReplaceable(link, identity), c.error);
    ASSERT_EQ(ReplaceFile(link, kNew, identity), c.error);
    if (c.error != 0) {
      EXPECT_EQ(Contents(linked), before);
      continue;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_EQ(S_ISLNK(st.st_mode), c.followed);
    EXPECT_EQ(test::ReadBytes(link), kNew);
    if (c.followed) {
      ASSERT_EQ(::stat(linked.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0640u) << "the linked file keeps its mode";
    } else {
      EXPECT_EQ(Contents(linked), before) << "where the link led is untouched";
    }
    std::set<std::string> names{"link.dig", "other.dig", "own.dig", "ro.dig", "sub"};
    EXPECT_EQ(Entries(dir.path()), names);
  }
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
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"ro.dig", "sub"}));
}

// Only what matches our temporaries exactly, and is more than a day old, is swept.
TEST(ReplaceFile, SweepsOnlyOurStaleTemporaries) {
  enum Kind { File, Folder, Link };
  const struct {
    const char* name;
    Kind kind;
    std::time_t age;
    bool swept;
  } cases[] = {
      {".rondel-a1B2c3", File, 2 * 86400, true},
      {".rondel-zzzzzz", File, 86400 + 60, true},
      {".rondel-a1B2c4", File, 86400 - 60, false},  // a save of another program, maybe
      {".rondel-a1B2c", File, 2 * 86400, false},    // one letter short
      {".rondel-a1B2c3d", File, 2 * 86400, false},  // one too many
      {".rondel-a1B_c3", File, 2 * 86400, false},
      {"x.rondel-a1B2c", File, 2 * 86400, false},
      {".rondel_a1B2c3", File, 2 * 86400, false},
      {".radio.dig.a1B2c3", File, 2 * 86400, false},
      {".rondel-folder", Folder, 2 * 86400, false},
      {".rondel-link12", Link, 2 * 86400, false},
  };
  TempDir dir;
  std::set<std::string> kept{"a.dig"};
  const std::time_t now = std::time(nullptr);
  for (const auto& c : cases) {
    const std::string path = dir.File(c.name);
    const int made = c.kind == Folder ? ::mkdir(path.c_str(), 0755)
                     : c.kind == Link ? ::symlink("a.dig", path.c_str())
                                      : (dir.Write(c.name, "tmp"), 0);
    ASSERT_EQ(made, 0) << c.name;
    const timespec times[2] = {{now - c.age, 0}, {now - c.age, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    if (!c.swept) kept.insert(c.name);
  }
  ASSERT_EQ(ReplaceFile(dir.File("a.dig"), kNew), 0);
  EXPECT_EQ(Entries(dir.path()), kept);
  EXPECT_EQ(SweepStaleTemporaries(dir.path()), 0) << "nothing left to sweep";
}

int g_signal = 0;

// Ctrl+C or a kill in the middle of a save ends the program by that signal, and takes the
// temporary file with it; the old file stays as it was.
TEST(ReplaceFile, ASignalDuringTheSaveRemovesTheTemporaryFile) {
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    const std::string target = dir.Write("a.dig", "old");
    g_signal = sig;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      InstallTemporaryCleanup();
      SetBeforeRenameHook([] { ::raise(g_signal); });
      ReplaceFile(target, kNew);
      ::_exit(3);  // the signal did not end the save
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "status " << status;
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"a.dig"});
    EXPECT_EQ(test::ReadText(target), "old");
  }
}

// A new file takes the first free name and never another file's; whatever happens, no
// temporary stays behind.
TEST(StoreUnderFreeName, TakesTheFirstFreeNameAndNeverReplacesAFile) {
  const auto name = [](int n) { return "r" + std::to_string(n) + ".dig"; };
  const struct {
    std::set<std::string> taken;
    int attempts;
    int error;
    std::string stored;
  } cases[] = {
      {{}, 3, 0, "r1.dig"},
      {{"r1.dig"}, 3, 0, "r2.dig"},
      {{"r1.dig", "r2.dig"}, 3, 0, "r3.dig"},
      {{"r2.dig"}, 3, 0, "r1.dig"},
      {{"r1.dig", "r2.dig", "r3.dig"}, 3, EEXIST, ""},
      {{"r1.dig"}, 1, EEXIST, ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const std::string& t : c.taken) dir.Write(t, "old");
    SCOPED_TRACE(c.taken.size());
    std::string path;
    EXPECT_EQ(StoreUnderFreeName(dir.path(), kNew, name, c.attempts, path), c.error);
    std::set<std::string> expected = c.taken;
    if (!c.stored.empty()) {
      expected.insert(c.stored);
      EXPECT_EQ(path, dir.File(c.stored));
      EXPECT_EQ(test::ReadBytes(path), kNew);
    }
    for (const std::string& t : c.taken) EXPECT_EQ(test::ReadText(dir.File(t)), "old") << t;
    EXPECT_EQ(Entries(dir.path()), expected);
  }
  // No folder, or a file where the folder should be.
  TempDir dir;
  std::string path;
  EXPECT_EQ(StoreUnderFreeName(dir.File("none"), kNew, name, 3, path), ENOENT);
  EXPECT_EQ(StoreUnderFreeName(dir.Write("file", "x"), kNew, name, 3, path), ENOTDIR);
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"file"});
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

TEST(ReadWholeFile, TakesOnlyTheStartWhenTheRestIsLeftUnread) {
  TempDir dir;
  const std::string file = dir.Write("f", "abcd");
  const struct {
    std::string path;
    std::size_t limit;
    BeyondLimit beyond;
    ReadProblem problem;
    std::string read;
    bool opened;
  } cases[] = {{file, 3, BeyondLimit::LeaveUnread, ReadProblem::None, "abc", true},
               {file, 4, BeyondLimit::LeaveUnread, ReadProblem::None, "abcd", true},
               {file, 0, BeyondLimit::LeaveUnread, ReadProblem::None, "", true},
               {file, 3, BeyondLimit::Refuse, ReadProblem::TooLarge, "", false},
               // Open, but the kernel refuses to read its unmapped page 0.
               {"/proc/self/mem", 10, BeyondLimit::LeaveUnread, ReadProblem::ReadFailed, "", true},
               {dir.path(), 10, BeyondLimit::LeaveUnread, ReadProblem::NotRegular, "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
    std::vector<std::uint8_t> out{9};
    ReadError why;
    FileIdentity identity;
    EXPECT_EQ(ReadWholeFile(c.path, out, c.limit, &why, &identity, c.beyond),
              c.problem == ReadProblem::None);
    EXPECT_EQ(why.problem, c.problem);
    EXPECT_EQ(std::string(out.begin(), out.end()), c.read);
    EXPECT_EQ(identity != FileIdentity{}, c.opened);
  }
}

}  // namespace
}  // namespace rondel
