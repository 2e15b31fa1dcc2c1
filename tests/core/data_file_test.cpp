// SPDX-License-Identifier: GPL-3.0-or-later
// The data file: which files are taken, how much of them, and saves that are whole or nothing.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/data_file.h"
#include "support/table_models.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ShippedModels;
using test::TempDir;

const std::string kHeader = "Pelto Radio Program data v1.02";

// `length` bytes of a file: the header text, zeros to byte 47, then image byte a = a % 251
// (the band code bytes at 0x3D8 name model 2).
std::vector<std::uint8_t> FileBytes(std::size_t length, std::string header = kHeader) {
  std::vector<std::uint8_t> b(header.begin(), header.end());
  b.resize(48, 0);
  for (std::size_t a = 0; a < 4200; ++a) b.push_back(static_cast<std::uint8_t>(a % 251));
  const std::uint8_t vhf[4] = {0x60, 0x13, 0x40, 0x17};
  std::copy(vhf, vhf + 4, b.begin() + 48 + 0x3D8);
  b.resize(length);
  return b;
}

TEST(DataFile, LoadTakesWhatAnAcceptedFileHolds) {
  const struct { std::size_t length; std::string header; LoadResult result; } cases[] = {
      {0, kHeader, LoadResult::HeaderRejected},   // empty: it would load as an all-0xFF image
      {23, kHeader, LoadResult::HeaderRejected},  // shorter than the compared text
      {24, kHeader, LoadResult::Incomplete},      {47, kHeader, LoadResult::Incomplete},
      {48 + 0x3DC, kHeader, LoadResult::Incomplete},  // ends right after the band code
      {4143, kHeader, LoadResult::Incomplete},    {4144, kHeader, LoadResult::Loaded},
      {4145, kHeader, LoadResult::Loaded},
      {4144, "Qelto Radio Program data v1.02", LoadResult::HeaderRejected},
      {4144, "Pelto Radio Program datA v1.02", LoadResult::HeaderRejected},  // byte 23
      {4144, "Pelto Radio Program data_v9.99", LoadResult::Loaded},          // byte 24 on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " " + c.header);
    const auto bytes = FileBytes(c.length, c.header);
    CRondelDoc doc;
    doc.header()[40] = 0x5A;
    doc.image()[0] = 0x00;
    doc.bandLow = 5;
    EXPECT_EQ(LoadDocument(doc, bytes, ShippedModels()), c.result);
    if (c.result == LoadResult::HeaderRejected) {
      EXPECT_EQ(doc.image()[0], 0x00) << "a refused file leaves the document as it was";
      EXPECT_EQ(doc.bandLow, 5);
      continue;
    }
    for (std::size_t i = 0; i < 48; ++i)
      ASSERT_EQ(doc.header()[i], i < c.length ? bytes[i] : i < 30 ? kHeader[i] : i == 40 ? 0x5A : 0) << i;
    for (std::size_t a = 0; a < 4096; ++a)
      ASSERT_EQ(doc.image()[a], 48 + a < c.length ? bytes[48 + a] : 0xFF) << a;
    // The band follows the loaded band code.
    EXPECT_EQ(doc.bandLow, c.length >= 48 + 0x3DC ? 13600000 : 40000000);
  }
}

TEST(DataFile, StoreWritesHeaderAndImageAndLoadsBackTheSame) {
  TempDir dir;
  CRondelDoc doc;
  ASSERT_EQ(LoadDocument(doc, FileBytes(4144, "Pelto Radio Program data v9.99 by others"),
                         ShippedModels()), LoadResult::Loaded);
  doc.bandLow = 1;
  int error = -1;
  ASSERT_TRUE(StoreDataFile(doc, dir.File("a.dig"), ShippedModels(), &error));
  EXPECT_EQ(error, 0);
  EXPECT_EQ(doc.bandLow, 13600000) << "band limits computed again after the save";
  const auto written = test::ReadBytes(dir.File("a.dig"));
  EXPECT_EQ(written, FileBytes(4144, "Pelto Radio Program data v9.99 by others"));
  EXPECT_EQ(SerializeDocument(doc), written);

  // Only one file's worth is read, however long the file.
  auto longer = written;
  longer.resize(9000, 0x77);
  CRondelDoc loaded;
  LoadDetails details;
  EXPECT_EQ(LoadDataFile(loaded, dir.WriteBytes("b.dig", longer), ShippedModels(), &details),
            LoadResult::Loaded);
  EXPECT_EQ(details.length, 4144u);
  EXPECT_EQ(loaded.image(), doc.image());
  EXPECT_EQ(LoadDataFile(loaded, dir.WriteBytes("c.dig", {}), ShippedModels(), &details),
            LoadResult::HeaderRejected);
  EXPECT_EQ(details.length, 0u);
  EXPECT_EQ(loaded.image(), doc.image()) << "an empty file leaves the document as it was";
}

TEST(DataFile, UnreadableFilesAndFailedSavesLeaveEverythingAlone) {
  TempDir dir;
  CRondelDoc doc;
  doc.image()[7] = 0x07;
  LoadDetails details;
  EXPECT_EQ(LoadDataFile(doc, dir.File("missing.dig"), ShippedModels(), &details), LoadResult::CannotOpen);
  EXPECT_EQ(details.error.problem, ReadProblem::CannotOpen);
  EXPECT_EQ(LoadDataFile(doc, dir.path(), ShippedModels(), &details), LoadResult::CannotOpen);
  EXPECT_EQ(details.error.problem, ReadProblem::NotRegular);
  EXPECT_EQ(doc.image()[7], 0x07);

  int error = 0;
  doc.bandLow = 1;
  EXPECT_FALSE(StoreDataFile(doc, dir.File("no/such/folder.dig"), ShippedModels(), &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(doc.bandLow, 40000000);
  EXPECT_FALSE(StoreDataFile(doc, dir.path(), ShippedModels()));
}

// What the caller's message is built from: the result, the bytes read, why nothing was read,
// and whether a file was opened at all (a save through a link back to it needs that). Standard
// input may be a pipe of any length: one file's worth is taken and the rest left unread.
TEST(DataFile, EachUnreadableFileOrStreamGivesItsOwnReason) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto longer = FileBytes(4144);
  longer.resize(100000, 0x77);
  const std::string longFile = dir.WriteBytes("long.dig", longer);
  const std::string shortFile = dir.WriteBytes("short.dig", FileBytes(100));
  const struct {
    std::string path;
    bool stream;  // read from a descriptor of it, as standard input is
    LoadResult result;
    ReadProblem problem;
    int error;
    std::size_t length;
    bool opened;
  } cases[] = {
      {dir.File("missing.dig"), false, LoadResult::CannotOpen, ReadProblem::CannotOpen, ENOENT, 0, false},
      {dir.path(), false, LoadResult::CannotOpen, ReadProblem::NotRegular, 0, 0, false},
      {fifo, false, LoadResult::CannotOpen, ReadProblem::NotRegular, 0, 0, false},
      // A regular file whose read fails: the kernel refuses to read the unmapped page 0.
      {"/proc/self/mem", false, LoadResult::CannotOpen, ReadProblem::ReadFailed, EIO, 0, true},
      // Far longer than a data file is no reason to refuse one: only its start is read.
      {longFile, false, LoadResult::Loaded, ReadProblem::None, 0, 4144, true},
      {shortFile, false, LoadResult::Incomplete, ReadProblem::None, 0, 100, true},
      {dir.WriteBytes("alien.dig", FileBytes(4144, "Qelto")), false, LoadResult::HeaderRejected,
       ReadProblem::None, 0, 4144, true},
      {longFile, true, LoadResult::Loaded, ReadProblem::None, 0, 4144, false},
      {shortFile, true, LoadResult::Incomplete, ReadProblem::None, 0, 100, false},
      {dir.path(), true, LoadResult::CannotOpen, ReadProblem::ReadFailed, EISDIR, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + (c.stream ? " as a stream" : ""));
    CRondelDoc doc;
    LoadDetails details;
    details.length = 99;
    if (c.stream) {
      const int fd = ::open(c.path.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_GE(fd, 0);
      EXPECT_EQ(LoadDataStream(doc, fd, ShippedModels(), &details), c.result);
      EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), static_cast<off_t>(c.length)) << "nothing read past the file";
      ::close(fd);
    } else {
      EXPECT_EQ(LoadDataFile(doc, c.path, ShippedModels(), &details), c.result);
    }
    EXPECT_EQ(details.error.problem, c.problem);
    EXPECT_EQ(details.error.error, c.error);
    EXPECT_EQ(details.length, c.length);
    EXPECT_EQ(details.identity.has_value(), c.opened);
  }
}

}  // namespace
}  // namespace rondel
