// Where the settings file of a run is: beside a program whose folder may be written, else the
// user's own copy made from the shipped one; and which files may serve as settings or language
// files (regular, at most the profile layer's limit), refused without a wait.
#include <gtest/gtest.h>
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
namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;

struct Env {  // sets or clears a variable while it lives
  Env(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) saved = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~Env() { saved ? ::setenv(name, saved->c_str(), 1) : ::unsetenv(name); }
  const char* name;
  std::optional<std::string> saved;
};

TEST(SettingsLocation, BesideTheProgramWhenItsFolderIsWritableElseTheUsersCopy) {
  const std::tuple<bool, bool, bool, char, bool> cases[] = {  // shipped, writable, user copy -> chosen, made
      {1, 1, 0, 's', 0}, {1, 1, 1, 's', 0}, {1, 0, 0, 'u', 1}, {1, 0, 1, 'u', 0},
      {0, 0, 1, 'u', 0}, {0, 1, 1, 'u', 0}, {0, 0, 0, '-', 0}, {0, 1, 0, '-', 0}, {1, 0, 0, 's', 0}};
  int i = 0;
  for (const auto& [shipped, writable, userCopy, chosen, made] : cases) {
    SCOPED_TRACE(i);
    TempDir program, home;
    const Env xdg("XDG_CONFIG_HOME", home.File("config").c_str());
    const std::string ship = program.File("setting.ini"), user = home.File("config/rondel/setting.ini");
    if (shipped) program.Write("setting.ini", "shipped");
    if (userCopy) fs::create_directories(home.File("config/rondel")), home.Write("config/rondel/setting.ini", "own");
    if (++i == 9) home.Write("config", "a file where the folder should be");  // no copy can be made
    const SettingsLocation found = LocateSettingsFile(program.path(), [&](const std::string&) { return writable; });
    EXPECT_EQ(found.path, chosen == 's' ? ship : chosen == 'u' ? user : "");
    EXPECT_EQ(std::make_pair(found.userCopy, found.madeUserCopy), std::make_pair(chosen == 'u', made));
    EXPECT_EQ(fs::is_regular_file(user) ? ReadText(user) : "", made ? "shipped" : userCopy ? "own" : "");
    struct stat st {};
    EXPECT_EQ(made ? (::stat(home.File("config/rondel").c_str(), &st), st.st_mode & 0777) : 0700u, 0700u);
    EXPECT_EQ(shipped ? ReadText(ship) : "shipped", "shipped");
  }
}

TEST(SettingsLocation, TheUsersFileFollowsTheXdgRules) {
  const Env home("HOME", "/home/u");
  const std::pair<const char*, const char*> cases[] = {
      {"/cfg", "/cfg/rondel/setting.ini"}, {nullptr, "/home/u/.config/rondel/setting.ini"},
      {"", "/home/u/.config/rondel/setting.ini"}, {"cfg", "/home/u/.config/rondel/setting.ini"}};
  for (const auto& [xdg, expected] : cases) {
    const Env set("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(UserSettingsPath(), expected);
  }
  TempDir dir;
  EXPECT_EQ(std::make_pair(FolderWritable(dir.path()), FolderWritable(dir.File("none"))), std::make_pair(true, false));
}

TEST(SettingsLocation, AProfileFileMustBeRegularAndWithinTheLimit) {
  TempDir dir;
  fs::create_directory(dir.File("dir.ini"));
  ::mkfifo(dir.File("fifo.ini").c_str(), 0600);
  fs::create_symlink("/dev/zero", dir.File("zero.lang"));
  const std::string head = "[setup]\nlanguage=x\n";  // 19 bytes
  const std::pair<std::string, ReadProblem> cases[] = {
      {dir.Write("limit.ini", head + std::string(profile::kMaxProfileBytes - 19, ';')), ReadProblem::None},
      {dir.Write("over.ini", head + std::string(profile::kMaxProfileBytes - 18, ';')), ReadProblem::TooLarge},
      {dir.File("none.ini"), ReadProblem::CannotOpen}, {dir.File("dir.ini"), ReadProblem::NotRegular},
      {dir.File("fifo.ini"), ReadProblem::NotRegular}, {dir.File("zero.lang"), ReadProblem::NotRegular}};
  for (const auto& [path, problem] : cases) {
    ReadError why;
    EXPECT_EQ(CheckProfileFile(path, &why), problem == ReadProblem::None) << path;
    EXPECT_EQ(why.problem, problem) << path;
    // A refused file reads as a missing one, at once (a pipe would block a read).
    EXPECT_EQ(CSettings(path).Language(), problem == ReadProblem::None ? "x" : "") << path;
  }
  const std::string big = ReadText(dir.File("over.ini"));
  EXPECT_FALSE(CSettings(dir.File("over.ini")).WriteCom(5));
  EXPECT_EQ(ReadText(dir.File("over.ini")), big);
}
}  // namespace
}  // namespace rondel
