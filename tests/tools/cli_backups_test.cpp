// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli and the backups: a read against the virtual radio keeps exactly one, --no-backup
// none, a backup that fails is a warning and the read goes on; "backups" lists them.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/data_file.h"
#include "shell/document/radio_backups.h"
#include "tools/cli_rig.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> names;
  if (fs::is_directory(folder))
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Rig {
  Rig() {
    EXPECT_TRUE(radio.Start()) << radio.error();
    ini = dir.Write("setting.ini", ReadText(Golden("setting.ini")) + "[ports]\ncom1=" +
                                       radio.DevicePath() + "\n");
  }
  std::vector<std::string> Line(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--ini", ini, "--lang", Golden("test.lang")});
    return args;
  }
  std::string Backups() const { return dir.File("state/rondel/backups"); }
  TempDir dir;
  sim::VirtualRadio radio;
  std::string ini;
};

TEST(CliBackups, AReadKeepsExactlyOneBackupOfTheRadiosBytesAndNoBackupKeepsNone) {
  const struct {
    std::vector<std::string> extra;
    std::size_t backups;
  } cases[] = {{{}, 1}, {{"--no-backup"}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.extra));
    Rig rig;
    const StateHome state(rig.dir.File("state"));
    std::vector<std::string> args = {"read", "-o", rig.dir.File("out.dig"), "--port", "1"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const ProcessResult r = RunCli(rig.Line(args));
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.err.find("T-no backup"), std::string::npos);
    const std::vector<std::string> backups = Files(rig.Backups());
    ASSERT_EQ(backups.size(), c.backups);
    if (c.backups == 0) continue;
    EXPECT_TRUE(ParseBackupFileName(fs::path(backups[0]).filename().string()).valid) << backups[0];
    const std::vector<std::uint8_t> bytes = ReadBytes(backups[0]);
    EXPECT_EQ(bytes, ReadBytes(rig.dir.File("out.dig")));
    const sim::Memory memory = rig.radio.GetMemory();
    ASSERT_EQ(bytes.size(), 4144u);
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + layout::kTransferEnd,
                           bytes.begin() + layout::kHeaderSize))
        << "the radio's memory as it was read";
  }
}

TEST(CliBackups, ABackupThatFailsIsAWarningAndTheReadGoesOn) {
  Rig rig;
  // A file where the state folder should be: no backup can be made under it.
  const std::string blocked = rig.dir.Write("state", "not a folder");
  const StateHome state(blocked);
  const ProcessResult r = RunCli(rig.Line({"read", "-o", rig.dir.File("out.dig"), "--port", "1"}));
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_NE(r.err.find("rondel-cli: T-no backup in " + blocked + "/rondel/backups: Not a directory\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadBytes(rig.dir.File("out.dig")).size(), 4144u);
}

TEST(CliBackups, TheListingAndItsJsonAreNewestFirst) {
  TempDir dir;
  const std::string ini = dir.Write("setting.ini", ReadText(Golden("setting.ini")));
  const CSettings settings(ini);
  const StateHome state(dir.File("state"));
  const std::vector<std::string> base = {"--ini", ini, "--lang", Golden("test.lang"), "backups"};
  auto run = [&](bool json) {
    std::vector<std::string> args = base;
    if (json) args.push_back("--json");
    return RunCli(args);
  };
  const std::string folder = dir.File("state/rondel/backups");
  const struct {
    bool json;
    std::string out;
  } empty[] = {{false, "T-no backups in " + folder + "\n"},
               {true, "{\"format\": \"rondel-backups\", \"version\": 1, \"folder\": \"" + folder +
                          "\", \"backups\": []}\n"}};
  for (const auto& c : empty) {
    const ProcessResult r = run(c.json);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.out, c.out);
  }

  CRondelDoc radio;
  ASSERT_EQ(LoadDataFile(radio, Golden("radio.dig"), settings), LoadResult::Loaded);
  CRondelDoc fresh;
  fresh.Blank();
  fresh.SelectModel(0, settings);
  const BackupClock::time_point now = sys_days{2026y / 12 / 9} + 13h + 45min + 7s;
  const std::string older = StoreRadioBackup(radio, settings, now - 24h, folder).path;
  const std::string newer = StoreRadioBackup(fresh, settings, now, folder).path;
  dir.Write("state/rondel/backups/2026-12-10T00-00-00_00400047.dig", "damaged");

  const struct {
    bool json;
    std::string out;
  } listed[] = {
      {false,
       "T-date               T-model     T-channels  T-file\n"
       "2026-12-09 13:45:07  400-470MHz  0           " + newer + "\n"
       "2026-12-08 13:45:07  136-174MHz  6           " + older + "\n"},
      {true,
       "{\"format\": \"rondel-backups\", \"version\": 1, \"folder\": \"" + folder + "\", \"backups\": [\n"
       "  {\"path\": \"" + newer + "\", \"taken\": \"2026-12-09T13:45:07Z\", \"bandCode\": \"00400047\", "
       "\"model\": \"400-470MHz\", \"channelsInUse\": 0},\n"
       "  {\"path\": \"" + older + "\", \"taken\": \"2026-12-08T13:45:07Z\", \"bandCode\": \"60134017\", "
       "\"model\": \"136-174MHz\", \"channelsInUse\": 6}\n]}\n"}};
  for (const auto& c : listed) {
    const ProcessResult r = run(c.json);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
}  // namespace rondel::test::cli
