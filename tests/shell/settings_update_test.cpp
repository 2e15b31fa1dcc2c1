// SPDX-License-Identifier: GPL-3.0-or-later
// The user's copy of the settings file: never the package's file in a system folder, and
// brought up to date once when a package update changes the shipped one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/profile.h"
#include "shell/settings.h"
#include "shell/settings_location.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ReadText;
using test::TempDir;
namespace fs = std::filesystem;

// XDG_CONFIG_HOME for one test; the old value comes back at the end.
struct ConfigHome {
  explicit ConfigHome(const std::string& folder) {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved = old;
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~ConfigHome() {
    if (saved) {
      ::setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }
  std::optional<std::string> saved;
};

// Sets the modification time of `path` to `seconds` after the epoch.
void SetTime(const std::string& path, long seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool Writable(const std::string&) { return true; }
bool ReadOnly(const std::string&) { return false; }
bool System(const std::string&) { return true; }
bool NotSystem(const std::string&) { return false; }

TEST(SettingsLocation, NamesTheFoldersAPackageInstallsInto) {
  const std::pair<const char*, bool> cases[] = {
      {"/usr/lib/rondel", true}, {"/usr/local/bin", true}, {"/opt/rondel/bin", true},
      {"/usr", true},            {"/etc", true},           {"/lib64/x", true},
      {"/usrx/bin", false},      {"/library/x", false},    {"/tmp/rondel", false},
      {"/home/u/rondel", false}, {"/optional", false},     {"/root/build/bin", false}};
  for (const auto& [folder, system] : cases) EXPECT_EQ(IsSystemFolder(folder), system) << folder;
}

// A writable system folder (the program run as root) is treated as a read-only one: the
// user's copy is made and written, the package's file stays as shipped.
TEST(SettingsLocation, TheShippedFileInASystemFolderIsNeverTheOneWritten) {
  TempDir program, home;
  const ConfigHome config(home.File("config"));
  const std::string shipped = program.Write("setting.ini", "[setup]\ncom=1\n");
  const SettingsLocation found = LocateSettingsFile(program.path(), Writable, System);
  ASSERT_EQ(found.path, home.File("config/rondel/setting.ini"));
  EXPECT_TRUE(found.userCopy && found.madeUserCopy);
  EXPECT_TRUE(CSettings(found.path).WriteCom(4));
  EXPECT_EQ(ReadText(shipped), "[setup]\ncom=1\n");
  EXPECT_EQ(CSettings(found.path).Com(), 4);
  // Outside a system folder a writable program folder keeps its own file.
  EXPECT_EQ(LocateSettingsFile(program.path(), Writable, NotSystem).path, shipped);
}

// The keys kWrittenSettings names are exactly those the program's writes touch.
TEST(SettingsLocation, TheWrittenKeysAreThoseTheProgramWrites) {
  TempDir dir;
  const CSettings settings(dir.Write("setting.ini", ""));
  ASSERT_TRUE(settings.WriteLanguage("chinese") && settings.WriteCom(3) &&
              settings.WriteSearchCom(false));
  std::vector<std::pair<std::string, std::string>> written;
  for (const std::string& section : profile::GetSections(settings.Path()))
    for (const std::string& key : profile::GetKeys(settings.Path(), section))
      written.emplace_back(section, key);
  std::vector<std::pair<std::string, std::string>> listed;
  for (const SettingsKey& k : kWrittenSettings) listed.emplace_back(k.section, k.key);
  EXPECT_EQ(written, listed);
  EXPECT_TRUE(IsWrittenSetting("SETUP", "Com"));
  EXPECT_FALSE(IsWrittenSetting("setup", "communication"));
  EXPECT_FALSE(IsWrittenSetting("ports", "com"));
}

const char* kShippedV1 =
    "; shipped, first release\n[setup]\ncom=1\nsearchcom=1\ncommunication=OLDWORD\n"
    "[ModelInfo]\ndata0=00400047\nFreq0=400-470MHz\n";
const char* kShippedV2 =
    "; shipped, second release\n[setup]\ncom=1\nsearchcom=1\ncommunication=NEWWORD\n"
    "testpw=New#1\n[ModelInfo]\ndata0=00400048\nFreq0=400-480MHz\ndata1=60134017\n"
    "Freq1=136-174MHz\n";

// A package update: the shipped file changes (its time may well be older than the user's
// copy, as a package keeps the times of its build). The copy is made again once: the
// program's own keys and what the user added keep the user's values, the rest is the new
// shipped file's.
TEST(SettingsLocation, APackageUpdateReachesTheUsersCopyOnceAndKeepsTheirOwnValues) {
  TempDir program, home;
  const ConfigHome config(home.File("config"));
  const std::string shipped = program.Write("setting.ini", kShippedV1);
  SetTime(shipped, 1'000'000'000);
  const SettingsLocation first = LocateSettingsFile(program.path(), ReadOnly);
  ASSERT_TRUE(first.madeUserCopy);
  const std::string user = first.path;
  const CSettings mine(user);
  ASSERT_TRUE(mine.WriteCom(5) && mine.WriteLanguage("chinese") && mine.WriteSearchCom(false));
  ASSERT_TRUE(profile::WriteString(user, "setup", "communication", "HANDEDIT"));
  ASSERT_TRUE(profile::WriteString(user, "ports", "com5", "/dev/ttyACM3"));
  const std::string before = ReadText(user);

  // The shipped file as it was: nothing to do.
  SettingsLocation again = LocateSettingsFile(program.path(), ReadOnly);
  EXPECT_EQ(again.path, user);
  EXPECT_FALSE(again.updatedUserCopy);
  EXPECT_EQ(ReadText(user), before);

  program.Write("setting.ini", kShippedV2);
  SetTime(shipped, 1'100'000'000);  // still older than the copy
  again = LocateSettingsFile(program.path(), ReadOnly);
  EXPECT_EQ(again.path, user);
  EXPECT_TRUE(again.updatedUserCopy);
  EXPECT_EQ(mine.Com(), 5);
  EXPECT_EQ(mine.Language(), "chinese");
  EXPECT_EQ(mine.SearchComValue(), 0);
  EXPECT_EQ(mine.PortDevice(5), "/dev/ttyACM3");
  EXPECT_EQ(mine.Communication(), "NEWWORD");
  EXPECT_EQ(mine.TestPassword(), "New#1");
  EXPECT_EQ(mine.ModelNames(), (std::vector<std::string>{"400-480MHz", "136-174MHz"}));
  EXPECT_EQ(mine.ModelData(0, 9), "00400048");
  EXPECT_TRUE(ReadText(user).starts_with("; shipped, second release\n"));
  EXPECT_EQ(ReadText(shipped), kShippedV2);
  EXPECT_FALSE(fs::exists(user + ".update"));

  // Once: a later start leaves the copy, also after the user changed it again.
  ASSERT_TRUE(mine.WriteCom(6));
  const std::string updated = ReadText(user);
  EXPECT_FALSE(LocateSettingsFile(program.path(), ReadOnly).updatedUserCopy);
  EXPECT_EQ(ReadText(user), updated);
}

// A copy made before the shipped file's identity was recorded is brought up to date when the
// shipped file is newer than it, and only then.
TEST(SettingsLocation, ACopyWithoutARecordIsUpdatedWhenTheShippedFileIsNewer) {
  for (const bool shippedNewer : {true, false}) {
    SCOPED_TRACE(shippedNewer);
    TempDir program, home;
    const ConfigHome config(home.File("config"));
    const std::string shipped = program.Write("setting.ini", kShippedV2);
    fs::create_directories(home.File("config/rondel"));
    std::string own = kShippedV1;
    own.replace(own.find("com=1"), 5, "com=7");
    const std::string user = home.Write("config/rondel/setting.ini", own);
    SetTime(user, 1'000'000'000);
    SetTime(shipped, shippedNewer ? 1'000'000'100 : 999'999'000);
    const SettingsLocation found = LocateSettingsFile(program.path(), ReadOnly);
    EXPECT_EQ(found.path, user);
    EXPECT_EQ(found.updatedUserCopy, shippedNewer);
    EXPECT_EQ(CSettings(user).Communication(), shippedNewer ? "NEWWORD" : "OLDWORD");
    EXPECT_EQ(CSettings(user).Com(), 7);
  }
}

}  // namespace
}  // namespace rondel
