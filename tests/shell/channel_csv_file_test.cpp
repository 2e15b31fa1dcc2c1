// SPDX-License-Identifier: GPL-3.0-or-later
// Channel lists read from a file or a descriptor: only regular files, and never more than a list
// may hold, however the bytes arrive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/channel_list/channel_csv.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::TempDir;

TEST(ChannelCsvFile, ReadsOnlyRegularFilesOfAtMostAListsLength) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string full(kMaxChannelCsvBytes, 'x');
  const struct {
    std::string path;
    bool read;
    std::size_t length;
  } cases[] = {
      {dir.Write("a.csv", "Channel\r\n1\r\n"), true, 12},
      {dir.Write("empty.csv", ""), true, 0},
      {dir.Write("full.csv", full), true, kMaxChannelCsvBytes},
      {dir.Write("over.csv", full + "x"), false, 0},
      {dir.File("missing.csv"), false, 0},
      {dir.path(), false, 0},
      {fifo, false, 0},
      {"/proc/self/mem", false, 0},  // a regular file whose read fails
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string text = "left over";
    EXPECT_EQ(ReadChannelCsvFile(c.path, text), c.read);
    EXPECT_EQ(text.size(), c.length);
  }
}

TEST(ChannelCsvFile, StreamsAreHeldToTheSameLength) {
  TempDir dir;
  const std::string full(kMaxChannelCsvBytes, 'x');
  const struct {
    std::string path;
    int flags;
    bool read;
    std::size_t length;
  } cases[] = {
      {dir.Write("a.csv", "Channel\r\n"), O_RDONLY, true, 9},
      {dir.Write("full.csv", full), O_RDONLY, true, kMaxChannelCsvBytes},
      {dir.Write("over.csv", full + "x"), O_RDONLY, false, 0},
      {dir.path(), O_RDONLY | O_DIRECTORY, false, 0},  // a read that fails
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const int fd = ::open(c.path.c_str(), c.flags | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string text = "left over";
    EXPECT_EQ(ReadChannelCsvStream(fd, text), c.read);
    EXPECT_EQ(text.size(), c.length);
    ::close(fd);
  }
}

}  // namespace
}  // namespace rondel
