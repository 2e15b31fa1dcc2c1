// Storing and loading data files: exact layout, short, long and foreign files, safe saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "core/data_file.h"
#include "support/table_models.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

namespace L = layout;
using test::ReadBytes;
using test::ShippedModels;
using test::TempDir;

std::vector<std::uint8_t> HeaderBytes(std::string_view text) {
  std::vector<std::uint8_t> b(text.begin(), text.end());
  b.resize(48, 0);
  return b;
}

CRondelDoc SampleDocument() {
  CRondelDoc doc;
  doc.SelectModel(2, ShippedModels());
  doc.SetFrequencyText(1, Direction::Receive, "150.025");
  doc.SetToneText(1, Direction::Receive, "D023N");
  doc.image()[0x800] = 0x42;  // beyond the radio's memory, still kept in files
  return doc;
}

TEST(DataFileStore, WritesHeaderThenImage) {
  TempDir dir;
  CRondelDoc doc = SampleDocument();
  doc.bandLow = 1;  // recomputed by the store
  ASSERT_TRUE(StoreDataFile(doc, dir.File("a.dig"), ShippedModels()));
  const auto bytes = ReadBytes(dir.File("a.dig"));
  ASSERT_EQ(bytes.size(), 4144u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 30), "Pelto Radio Program data v1.02");
  EXPECT_TRUE(std::all_of(bytes.begin() + 30, bytes.begin() + 48, [](auto b) { return b == 0; }));
  EXPECT_TRUE(std::equal(doc.image().begin(), doc.image().end(), bytes.begin() + 48));
  EXPECT_EQ(bytes[48 + 0x800], 0x42);
  EXPECT_EQ(doc.bandLow, 13600000);
}

TEST(DataFileRoundTrip, NewDocumentGivesTheSameBytes) {
  TempDir dir;
  CRondelDoc doc;
  doc.SelectModel(0, ShippedModels());
  ASSERT_TRUE(StoreDataFile(doc, dir.File("new.dig"), ShippedModels()));
  CRondelDoc loaded;
  ASSERT_EQ(LoadDataFile(loaded, dir.File("new.dig"), ShippedModels()), LoadResult::Loaded);
  ASSERT_TRUE(StoreDataFile(loaded, dir.File("again.dig"), ShippedModels()));
  EXPECT_EQ(ReadBytes(dir.File("new.dig")), ReadBytes(dir.File("again.dig")));
  EXPECT_EQ(loaded.image(), doc.image());
  EXPECT_EQ(loaded.header(), doc.header());
}

TEST(DataFileRoundTrip, LoadedHeaderIsWrittenBackUnchanged) {
  TempDir dir;
  auto bytes = SerializeDocument(SampleDocument());
  std::string other = "Pelto Radio Program data v9.99 by someone else";
  other.resize(48, '#');
  std::copy(other.begin(), other.begin() + 48, bytes.begin());
  const std::string path = dir.WriteBytes("v9.dig", bytes);
  CRondelDoc doc;
  ASSERT_EQ(LoadDataFile(doc, path, ShippedModels()), LoadResult::Loaded);
  ASSERT_TRUE(StoreDataFile(doc, dir.File("out.dig"), ShippedModels()));
  EXPECT_EQ(ReadBytes(dir.File("out.dig")), bytes);
}

struct LoadCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  LoadResult result;
  std::size_t imageBytesTaken;  // file bytes after the header that land in the image
};

std::vector<std::uint8_t> FileOf(std::string_view header, std::size_t imageLength, std::uint8_t fill) {
  auto b = HeaderBytes(header);
  b.resize(48 + imageLength, fill);
  return b;
}

class DataFileLoad : public testing::TestWithParam<LoadCase> {};

bool Refused(LoadResult r) { return r == LoadResult::HeaderRejected || r == LoadResult::CannotOpen; }

TEST_P(DataFileLoad, TakesWhatTheFileHolds) {
  const LoadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.WriteBytes("f.dig", c.bytes);
  CRondelDoc doc;
  doc.SelectModel(1, ShippedModels());  // an accepted file blanks this away
  doc.bandLow = 5;
  const CRondelDoc before = doc;
  LoadDetails details;
  EXPECT_EQ(LoadDataFile(doc, path, ShippedModels(), &details), c.result);
  EXPECT_EQ(details.length, std::min<std::size_t>(c.bytes.size(), 4144));
  if (Refused(c.result)) {
    // Not ours: the document the open made stays exactly as it was.
    EXPECT_EQ(doc.image(), before.image());
    EXPECT_EQ(doc.header(), before.header());
    EXPECT_EQ(doc.bandLow, 5);
    return;
  }
  for (std::size_t a = 0; a < L::kImageSize; ++a) {
    const std::uint8_t expected = a < c.imageBytesTaken ? c.bytes[48 + a] : 0xFF;
    ASSERT_EQ(doc.image()[a], expected) << "offset " << a;
  }
  if (c.result == LoadResult::Empty) {
    EXPECT_EQ(doc.bandLow, 5) << "an empty file is not read at all";
  } else {
    // Band limits of the entry for the loaded band code (entry 0 when nothing matches).
    EXPECT_EQ(doc.bandLow, 40000000);
    const std::size_t headerBytes = std::min<std::size_t>(c.bytes.size(), 48);
    EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.begin() + headerBytes, doc.header().begin()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, DataFileLoad,
    testing::Values(
        LoadCase{"exact", FileOf("Pelto Radio Program data v1.02", 4096, 0x11), LoadResult::Loaded, 4096},
        LoadCase{"longer", FileOf("Pelto Radio Program data v1.02", 5000, 0x22), LoadResult::Loaded, 4096},
        // Right header, cut short: opened, but reported, with the rest blank.
        LoadCase{"short", FileOf("Pelto Radio Program data v1.02", 100, 0x33), LoadResult::Incomplete, 100},
        LoadCase{"oneByteShort", FileOf("Pelto Radio Program data v1.02", 4095, 0x55), LoadResult::Incomplete, 4095},
        LoadCase{"headerOnly", FileOf("Pelto Radio Program data v1.02", 0, 0), LoadResult::Incomplete, 0},
        LoadCase{"thirtyBytes",
                 std::vector<std::uint8_t>(L::kHeaderText.begin(), L::kHeaderText.end()),
                 LoadResult::Incomplete, 0},
        LoadCase{"exactlyTheComparedText",
                 std::vector<std::uint8_t>(L::kHeaderText.begin(), L::kHeaderText.begin() + 24),
                 LoadResult::Incomplete, 0},
        LoadCase{"otherVersion", FileOf("Pelto Radio Program data v2.00", 4096, 0x44), LoadResult::Loaded, 4096},
        LoadCase{"firstByteDiffers", FileOf("Qelto Radio Program data v1.02", 4096, 0x00),
                 LoadResult::HeaderRejected, 0},
        LoadCase{"byte23Differs", FileOf("Pelto Radio Program datA v1.02", 4096, 0x00),
                 LoadResult::HeaderRejected, 0},
        // Shorter than the compared text: never a radio's memory, even when what there is
        // matches (the blank header would otherwise supply the rest).
        LoadCase{"onlyP", {'P'}, LoadResult::HeaderRejected, 0},
        LoadCase{"prefixOfHeader", {'P', 'e', 'l', 't', 'o'}, LoadResult::HeaderRejected, 0},
        LoadCase{"oneByteShortOfTheComparedText",
                 std::vector<std::uint8_t>(L::kHeaderText.begin(), L::kHeaderText.begin() + 23),
                 LoadResult::HeaderRejected, 0},
        LoadCase{"shortForeign", {'H', 'e', 'l', 'l', 'o'}, LoadResult::HeaderRejected, 0},
        LoadCase{"zeroLength", {}, LoadResult::Empty, 0}),
    [](const testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST(DataFileLoad, RejectedFileLeavesTheDocumentAsItWas) {
  TempDir dir;
  auto bytes = SerializeDocument(SampleDocument());
  bytes[0] = 'X';
  CRondelDoc doc;
  doc.SelectModel(0, ShippedModels());
  const CRondelDoc before = doc;
  EXPECT_EQ(LoadDataFile(doc, dir.WriteBytes("x.dig", bytes), ShippedModels()),
            LoadResult::HeaderRejected);
  EXPECT_EQ(doc.image(), before.image());
  EXPECT_EQ(doc.header(), before.header());
}

// Files that are no plain files are refused without waiting: a FIFO with no writer would
// block an ordinary open for ever, and /dev/zero would never end.
struct UnopenableCase {
  const char* name;
  std::string (*make)(const TempDir& dir);
  ReadProblem problem;
};

const UnopenableCase kUnopenable[] = {
    {"missing", [](const TempDir& d) { return d.File("missing.dig"); }, ReadProblem::CannotOpen},
    {"folder",
     [](const TempDir& d) {
       std::filesystem::create_directory(d.File("folder.dig"));
       return d.File("folder.dig");
     },
     ReadProblem::NotRegular},
    {"fifo",
     [](const TempDir& d) {
       ::mkfifo(d.File("fifo.dig").c_str(), 0600);
       return d.File("fifo.dig");
     },
     ReadProblem::NotRegular},
    {"devZero", [](const TempDir&) { return std::string("/dev/zero"); }, ReadProblem::NotRegular},
    {"linkToDevZero",
     [](const TempDir& d) {
       std::filesystem::create_symlink("/dev/zero", d.File("zero.dig"));
       return d.File("zero.dig");
     },
     ReadProblem::NotRegular},
};

class DataFileUnopenable : public testing::TestWithParam<UnopenableCase> {};

TEST_P(DataFileUnopenable, LeaveTheDocumentAloneAndSayWhy) {
  TempDir dir;
  const std::string path = GetParam().make(dir);
  CRondelDoc doc = SampleDocument();
  const CRondelDoc::Image before = doc.image();
  LoadDetails details;
  EXPECT_EQ(LoadDataFile(doc, path, ShippedModels(), &details), LoadResult::CannotOpen) << path;
  EXPECT_EQ(details.error.problem, GetParam().problem);
  EXPECT_EQ(doc.image(), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DataFileUnopenable, testing::ValuesIn(kUnopenable),
                         [](const auto& info) { return std::string(info.param.name); });

// A file far larger than a data file: only its first 4144 bytes are read.
TEST(DataFileLoad, AHugeFileIsReadNoFurtherThanOneDataFile) {
  TempDir dir;
  const std::string path = dir.WriteBytes("huge.dig", SerializeDocument(SampleDocument()));
  ASSERT_EQ(::truncate(path.c_str(), off_t{1} << 32), 0) << "4 GiB, sparse";
  CRondelDoc doc;
  LoadDetails details;
  EXPECT_EQ(LoadDataFile(doc, path, ShippedModels(), &details), LoadResult::Loaded);
  EXPECT_EQ(details.length, 4144u);
  EXPECT_EQ(doc.image(), SampleDocument().image());
}

TEST(DataFileStore, FailedSaveKeepsTheOldFileWhole) {
  TempDir dir;
  CRondelDoc doc = SampleDocument();
  const std::string path = dir.File("keep.dig");
  ASSERT_TRUE(StoreDataFile(doc, path, ShippedModels()));
  const auto before = ReadBytes(path);

  ::chmod(path.c_str(), 0444);
  doc.SetFrequencyText(2, Direction::Receive, "151");
  EXPECT_FALSE(StoreDataFile(doc, path, ShippedModels()));
  EXPECT_EQ(ReadBytes(path), before);

  EXPECT_FALSE(StoreDataFile(doc, dir.File("no/such/folder/x.dig"), ShippedModels()));
  EXPECT_FALSE(StoreDataFile(doc, dir.path(), ShippedModels()));  // a folder is not a file
  // Nothing but the one file is left behind: no temporary files.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(DataFileStore, OverwriteKeepsPermissionsAndSymlinks) {
  TempDir dir;
  CRondelDoc doc = SampleDocument();
  const std::string real = dir.File("real.dig");
  ASSERT_TRUE(StoreDataFile(doc, real, ShippedModels()));
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_symlink(real, dir.File("link.dig"));
  doc.SetFrequencyText(9, Direction::Receive, "160");
  ASSERT_TRUE(StoreDataFile(doc, dir.File("link.dig"), ShippedModels()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.dig")));
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadBytes(real), SerializeDocument(doc));
}

// Arbitrary bytes of arbitrary length: the loader never reads or writes out of bounds and
// keeps exactly what the file format allows it to keep.
TEST(DataFileLoadRandom, ArbitraryBytesAndLengths) {
  std::mt19937 rng(20261206);
  const auto models = ShippedModels();
  for (int round = 0; round < 3000; ++round) {
    std::size_t length = rng() % 5000;
    if (round % 10 == 0) length = rng() % 60;
    std::vector<std::uint8_t> bytes(length);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    if (round % 2 == 0 && length >= 24)
      std::copy(L::kHeaderText.begin(), L::kHeaderText.begin() + 24, bytes.begin());

    CRondelDoc doc;
    doc.SelectModel(0, models);
    const CRondelDoc::Image before = doc.image();
    const LoadResult r = LoadDocument(doc, bytes, models);
    const bool ours =
        length >= 24 && std::equal(bytes.begin(), bytes.begin() + 24, L::kHeaderText.begin());
    const LoadResult expected = length == 0  ? LoadResult::Empty
                                : !ours      ? LoadResult::HeaderRejected
                                : length < 4144 ? LoadResult::Incomplete
                                                : LoadResult::Loaded;
    ASSERT_EQ(r, expected) << round;
    for (std::size_t a = 0; a < L::kImageSize; ++a) {
      const bool fromFile = ours && 48 + a < length;
      const std::uint8_t want = r == LoadResult::HeaderRejected ? before[a]
                                : fromFile                     ? bytes[48 + a]
                                                               : 0xFF;
      ASSERT_EQ(doc.image()[a], want) << round << " " << a;
    }
    ASSERT_LE(doc.bandLow, 99900000);
    ASSERT_LE(doc.bandHigh, 99900000);
    // Whatever came in, the document decodes without trouble.
    for (int n = 1; n <= 16; ++n) {
      ASSERT_LE(doc.GetFrequencyText(n, Direction::Receive).size(), 9u);
      ASSERT_LE(doc.GetToneText(n, Direction::Transmit, "OFF").size(), 5u);
    }
  }
}

}  // namespace
}  // namespace rondel
