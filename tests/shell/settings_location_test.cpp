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

class Env {
 public:
  Env(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~Env() { m_old ? ::setenv(m_name.c_str(), m_old->c_str(), 1) : ::unsetenv(m_name.c_str()); }

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

constexpr const char* kShipped = "[setup]\nlanguage=english\n";
constexpr const char* kUsers = "[setup]\nlanguage=chinese\n";

TEST(SettingsLocation, BesideTheProgramWhenItsFolderIsWritableElseTheUsersCopy) {
  const struct {
    bool shipped, writable, userCopy;
    char chosen;  // 's' shipped, 'u' user, '-' none
    bool made;
  } cases[] = {
      {true, true, false, 's', false},  {true, true, true, 's', false},
      {true, false, false, 'u', true},  {true, false, true, 'u', false},
      {false, false, true, 'u', false}, {false, true, true, 'u', false},
      {false, false, false, '-', false}, {false, true, false, '-', false},
  };
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(i++);
    TempDir program, home;
    const Env xdg("XDG_CONFIG_HOME", home.File("config").c_str());
    const std::string shipped = program.File("setting.ini"), user = home.File("config/rondel/setting.ini");
    if (c.shipped) program.Write("setting.ini", kShipped);
    if (c.userCopy) {
      fs::create_directories(home.File("config/rondel"));
      home.Write("config/rondel/setting.ini", kUsers);
    }
    const SettingsLocation found =
        LocateSettingsFile(program.path(), [&](const std::string&) { return c.writable; });
    EXPECT_EQ(found.path, c.chosen == 's' ? shipped : c.chosen == 'u' ? user : "");
    EXPECT_EQ(found.userCopy, c.chosen == 'u');
    EXPECT_EQ(found.madeUserCopy, c.made);
    EXPECT_EQ(fs::exists(user) ? ReadText(user) : "", c.made ? kShipped : c.userCopy ? kUsers : "");
    if (c.made) {
      struct stat st {};
      ASSERT_EQ(::stat(home.File("config/rondel").c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    EXPECT_EQ(c.shipped ? ReadText(shipped) : kShipped, kShipped);
  }
}

TEST(SettingsLocation, ACopyThatCannotBeMadeLeavesTheShippedFile) {
  TempDir program, home;
  const Env xdg("XDG_CONFIG_HOME", home.File("config").c_str());
  program.Write("setting.ini", kShipped);
  home.Write("config", "a file where the folder should be");
  const SettingsLocation found = LocateSettingsFile(program.path(), [](const std::string&) { return false; });
  EXPECT_EQ(found.path, program.File("setting.ini"));
  EXPECT_FALSE(found.madeUserCopy);
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
  EXPECT_TRUE(FolderWritable(dir.path()));
  EXPECT_FALSE(FolderWritable(dir.File("missing")));
}

TEST(ProfileFile, IsAcceptedOnlyWhenARegularFileWithinTheLimit) {
  TempDir dir;
  fs::create_directory(dir.File("dir.ini"));
  ::mkfifo(dir.File("fifo.ini").c_str(), 0600);
  fs::create_symlink("/dev/zero", dir.File("zero.lang"));
  const std::pair<std::string, ReadProblem> cases[] = {
      {dir.Write("limit.ini", "[setup]\nlanguage=x\n" + std::string(profile::kMaxProfileBytes - 19, ';')),
       ReadProblem::None},
      {dir.Write("over.ini", "[setup]\nlanguage=x\n" + std::string(profile::kMaxProfileBytes - 18, ';')),
       ReadProblem::TooLarge},
      {dir.File("none.ini"), ReadProblem::CannotOpen},
      {dir.File("dir.ini"), ReadProblem::NotRegular},
      {dir.File("fifo.ini"), ReadProblem::NotRegular},
      {dir.File("zero.lang"), ReadProblem::NotRegular},
  };
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
