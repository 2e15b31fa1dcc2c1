// SPDX-License-Identifier: GPL-3.0-or-later
// The backup store: names, never a backup written over, pruning by age and count that leaves
// foreign files alone, the listing with its models and channels, the limits of setting.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

#include "core/data_file.h"
#include "shell/document/radio_backups.h"
#include "shell/shell_rig.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// 2026-12-09 13:45:07 UTC.
const BackupClock::time_point kNow = sys_days{2026y / 12 / 9} + 13h + 45min + 7s;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A settings file of the test's own: model 0 and 1 with names, and what `backups` says.
CSettings Settings(const TempDir& dir, const std::string& backups = "") {
  return CSettings(dir.Write("setting.ini", std::string(kRigSettings) + "[backups]\n" + backups));
}

CRondelDoc Radio(int model, const CSettings& settings, int channels) {
  CRondelDoc doc;
  doc.Blank();
  doc.SelectModel(model, settings);
  for (int n = 1; n <= channels; ++n) Put(doc, n, {.rx = k446_00625, .tx = k446_00625});
  return doc;
}

TEST(RadioBackups, NamesAreDateTimeAndBandAndReadBack) {
  const struct {
    BackupClock::time_point when;
    std::string code;
    int counter;
    std::string name;
  } cases[] = {
      {kNow, "00400047", 1, "2026-12-09T13-45-07_00400047.dig"},
      {kNow + 500ms, "60134017", 2, "2026-12-09T13-45-07_60134017-2.dig"},
      {sys_days{2027y / 1 / 1} - 1s, "FFFFFFFF", 12, "2026-12-31T23-59-59_FFFFFFFF-12.dig"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BackupFileName(c.when, c.code, c.counter), c.name);
    const BackupName parsed = ParseBackupFileName(c.name);
    EXPECT_TRUE(parsed.valid) << c.name;
    EXPECT_EQ(parsed.taken, floor<seconds>(c.when)) << c.name;
    EXPECT_EQ(parsed.bandCode, c.code);
    EXPECT_EQ(parsed.counter, c.counter);
  }
  for (const char* foreign :
       {"2026-12-09T13-45-07_00400047.txt", "2026-12-09T13-45-07_0040004.dig",
        "2026-12-09T13-45-07_0040004g.dig", "2026-12-09 13-45-07_00400047.dig",
        "2026-13-09T13-45-07_00400047.dig", "2026-02-30T13-45-07_00400047.dig",
        "2026-12-09T24-00-00_00400047.dig", "2026-12-09T13-45-07_00400047-1.dig",
        "2026-12-09T13-45-07_00400047-02.dig", "2026-12-09T13-45-07_00400047-.dig",
        "2026-12-09T13-45-07_00400047x.dig", "radio.dig", ".rondel-abc123"})
    EXPECT_FALSE(ParseBackupFileName(foreign).valid) << foreign;
}

TEST(RadioBackups, AStoreWritesOneNewFileWithTheBytesAndNeverOverwritesInTheSameSecond) {
  TempDir dir;
  const CSettings settings = Settings(dir);
  const std::string folder = dir.File("state/rondel/backups");
  const CRondelDoc first = Radio(0, settings, 3), second = Radio(0, settings, 5),
                   third = Radio(1, settings, 1);
  const struct {
    const CRondelDoc* doc;
    BackupClock::time_point when;
    std::string name;
  } stores[] = {
      {&first, kNow, "2026-12-09T13-45-07_00400047.dig"},
      {&second, kNow + 900ms, "2026-12-09T13-45-07_00400047-2.dig"},
      {&first, kNow, "2026-12-09T13-45-07_00400047-3.dig"},
      {&third, kNow, "2026-12-09T13-45-07_60134017.dig"},
      {&second, kNow + 1s, "2026-12-09T13-45-08_00400047.dig"},
  };
  std::size_t count = 0;
  for (const auto& s : stores) {
    const BackupResult r = StoreRadioBackup(*s.doc, settings, s.when, folder);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.path, folder + "/" + s.name);
    EXPECT_EQ(ReadBytes(r.path), SerializeDocument(*s.doc)) << s.name;
    EXPECT_EQ(Names(folder).size(), ++count) << "exactly one new file, no temporary left";
  }
  // What came first keeps its bytes.
  EXPECT_EQ(ReadBytes(folder + "/" + stores[0].name), SerializeDocument(first));
  EXPECT_EQ(ReadBytes(folder + "/" + stores[1].name), SerializeDocument(second));
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "a folder made for the backups is the user's alone";
  ASSERT_EQ(::stat(dir.File("state/rondel").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(RadioBackups, AFailedStoreSaysWhyAndWritesNothing) {
  TempDir dir;
  const CSettings settings = Settings(dir);
  dir.Write("file", "x");
  const struct {
    std::string folder;
    int error;
  } cases[] = {{dir.File("file"), ENOTDIR}, {dir.File("file/backups"), ENOTDIR}, {"", ENOENT}};
  for (const auto& c : cases) {
    const BackupResult r = StoreRadioBackup(Radio(0, settings, 1), settings, kNow, c.folder);
    EXPECT_EQ(r.error, c.error) << c.folder;
    EXPECT_TRUE(r.path.empty());
  }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"file", "setting.ini"}));
}

struct PruneCase {
  std::string limits;                 // the [backups] keys
  std::vector<std::string> before;    // names in the folder besides the new backup
  std::vector<std::string> after;     // what is left, the new backup included
};

// clang-format off
const PruneCase kPrunes[] = {
    // 365 days: a backup of exactly a year ago stays, one a second older goes.
    {"", {"2025-12-09T13-45-07_00400047.dig", "2025-12-09T13-45-06_00400047.dig"},
     {"2025-12-09T13-45-07_00400047.dig", "2026-12-09T13-45-07_00400047.dig"}},
    {"days=30\n", {"2026-11-09T13-45-07_00400047.dig", "2026-11-09T13-45-06_00400047-2.dig",
                   "2026-12-01T00-00-00_60134017.dig"},
     {"2026-11-09T13-45-07_00400047.dig", "2026-12-01T00-00-00_60134017.dig",
      "2026-12-09T13-45-07_00400047.dig"}},
    // By count, oldest first; within a second the counter tells the order.
    {"files=3\n", {"2026-12-09T13-45-06_00400047-2.dig", "2026-12-09T13-45-06_00400047.dig",
                   "2026-12-09T13-45-06_00400047-3.dig", "2026-01-01T00-00-00_00400047.dig"},
     {"2026-12-09T13-45-06_00400047-2.dig", "2026-12-09T13-45-06_00400047-3.dig",
      "2026-12-09T13-45-07_00400047.dig"}},
    {"files=1\ndays=1\n", {"2026-12-09T00-00-00_00400047.dig"}, {"2026-12-09T13-45-07_00400047.dig"}},
    // Foreign names are never counted nor removed, however old they look.
    {"files=1\n", {"radio.dig", "2020-01-01T00-00-00_00400047.txt", "2020-01-01T00-00-00_00400047-01.dig",
                   "notes"},
     {"2020-01-01T00-00-00_00400047-01.dig", "2020-01-01T00-00-00_00400047.txt",
      "2026-12-09T13-45-07_00400047.dig", "notes", "radio.dig"}},
    // Bad limits are the defaults: nothing of this year goes.
    {"days=0\nfiles=-5\n", {"2026-01-01T00-00-00_00400047.dig"},
     {"2026-01-01T00-00-00_00400047.dig", "2026-12-09T13-45-07_00400047.dig"}},
    {"days=abc\nfiles=2x\n", {"2026-01-01T00-00-00_00400047.dig", "2026-01-02T00-00-00_00400047.dig"},
     {"2026-01-01T00-00-00_00400047.dig", "2026-01-02T00-00-00_00400047.dig",
      "2026-12-09T13-45-07_00400047.dig"}},
};
// clang-format on

TEST(RadioBackups, EachStorePrunesByAgeAndCountOldestFirstAndOnlyOurOwnFiles) {
  for (const PruneCase& c : kPrunes) {
    SCOPED_TRACE(c.limits);
    TempDir dir;
    const CSettings settings = Settings(dir, c.limits);
    const std::string folder = dir.File("backups");
    fs::create_directory(folder);
    for (const std::string& name : c.before) dir.Write("backups/" + name, "old");
    ASSERT_TRUE(StoreRadioBackup(Radio(0, settings, 1), settings, kNow, folder).ok());
    EXPECT_EQ(Names(folder), c.after);
  }
}

TEST(RadioBackups, AFolderOfOurNameIsNotABackupAndStays) {
  TempDir dir;
  const CSettings settings = Settings(dir, "files=1\n");
  fs::create_directories(dir.File("b/2020-01-01T00-00-00_00400047.dig"));
  EXPECT_EQ(PruneRadioBackups(settings, kNow, dir.File("b")), 0);
  EXPECT_TRUE(ListRadioBackups(settings, dir.File("b")).empty());
  EXPECT_TRUE(fs::is_directory(dir.File("b/2020-01-01T00-00-00_00400047.dig")));
}

TEST(RadioBackups, TheListingIsNewestFirstWithModelAndChannelsAndSkipsWhatIsNotABackup) {
  TempDir dir;
  const CSettings settings = Settings(dir);
  const std::string folder = dir.File("backups");
  ASSERT_TRUE(StoreRadioBackup(Radio(0, settings, 3), settings, kNow - 48h, folder).ok());
  ASSERT_TRUE(StoreRadioBackup(Radio(1, settings, 16), settings, kNow, folder).ok());
  ASSERT_TRUE(StoreRadioBackup(Radio(0, settings, 0), settings, kNow, folder).ok());
  // Model 2 has a band but no name; 00450046 is in no list: both show their band code.
  ASSERT_TRUE(StoreRadioBackup(Radio(2, settings, 1), settings, kNow - 1h, folder).ok());
  CRondelDoc other = Radio(0, settings, 2);
  other.SetBandCode({0x00, 0x45, 0x00, 0x46});
  ASSERT_TRUE(StoreRadioBackup(other, settings, kNow - 2h, folder).ok());
  // Damaged or foreign: cut short, too long, another header, empty, another name.
  std::vector<std::uint8_t> bytes = SerializeDocument(Radio(0, settings, 1));
  std::vector<std::uint8_t> shortened(bytes.begin(), bytes.end() - 1), longer = bytes, foreign = bytes;
  longer.push_back(0);
  foreign[0] ^= 1;
  dir.WriteBytes("backups/2026-12-10T00-00-00_00400047.dig", shortened);
  dir.WriteBytes("backups/2026-12-10T00-00-01_00400047.dig", longer);
  dir.WriteBytes("backups/2026-12-10T00-00-02_00400047.dig", foreign);
  dir.Write("backups/2026-12-10T00-00-03_00400047.dig", "");
  dir.WriteBytes("backups/radio.dig", bytes);

  const std::vector<BackupEntry> list = ListRadioBackups(settings, folder);
  const struct {
    std::string name, when, model;
    int channels;
  } expected[] = {
      {"2026-12-09T13-45-07_60134017.dig", "2026-12-09 13:45:07", "VHF", 16},
      {"2026-12-09T13-45-07_00400047.dig", "2026-12-09 13:45:07", "UHF", 0},
      {"2026-12-09T12-45-07_00430044.dig", "2026-12-09 12:45:07", "00430044", 1},
      {"2026-12-09T11-45-07_00450046.dig", "2026-12-09 11:45:07", "00450046", 2},
      {"2026-12-07T13-45-07_00400047.dig", "2026-12-07 13:45:07", "UHF", 3},
  };
  ASSERT_EQ(list.size(), std::size(expected));
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].path, folder + "/" + expected[i].name);
    EXPECT_EQ(list[i].when, expected[i].when);
    EXPECT_EQ(list[i].model, expected[i].model);
    EXPECT_EQ(list[i].channelsInUse, expected[i].channels);
  }
  EXPECT_TRUE(ListRadioBackups(settings, dir.File("none")).empty());
}

// RAII: the variables of the process as they were.
class Environment {
 public:
  explicit Environment(std::vector<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      m_old.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      if (value) ::setenv(name, value, 1); else ::unsetenv(name);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : m_old)
      if (value) ::setenv(name, value->c_str(), 1); else ::unsetenv(name);
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> m_old;
};

TEST(RadioBackups, TheFolderIsTheStateHomesElseUnderTheHome) {
  const struct {
    const char* state;
    const char* home;
    std::string folder;
  } cases[] = {{"/s/state", "/h", "/s/state/rondel/backups"},
               {nullptr, "/h", "/h/.local/state/rondel/backups"},
               {"", "/h", "/h/.local/state/rondel/backups"},
               {"relative", "/h", "/h/.local/state/rondel/backups"}};
  for (const auto& c : cases) {
    Environment env({{"XDG_STATE_HOME", c.state}, {"HOME", c.home}});
    EXPECT_EQ(BackupFolder(), c.folder);
  }
}

TEST(Settings, TheBackupLimitsAreReadWithTheirDefaults) {
  TempDir dir;
  const struct {
    std::string keys;
    int days, files;
  } cases[] = {{"", 365, 1000},
               {"days=30\nfiles=5\n", 30, 5},
               {"days= 7 \nfiles=1000000\n", 7, 1000000},
               {"days=0\nfiles=1000001\n", 365, 1000},
               {"days=-1\nfiles=12abc\n", 365, 1000},
               {"days=\nfiles=x\n", 365, 1000}};
  int i = 0;
  for (const auto& c : cases) {
    const CSettings s(dir.Write(std::to_string(i++) + ".ini", "[backups]\n" + c.keys));
    EXPECT_EQ(s.BackupDays(), c.days) << c.keys;
    EXPECT_EQ(s.BackupFiles(), c.files) << c.keys;
  }
  const CSettings shipped(std::string(RONDEL_BIN_DIR) + "/setting.ini");
  EXPECT_EQ(shipped.BackupDays(), 365);
  EXPECT_EQ(shipped.BackupFiles(), 1000);
}

}  // namespace
}  // namespace rondel::test
