// Where the settings file of a run is, and which files may serve as settings or language
// files: beside a program whose folder may be written, else the user's own copy made from the
// shipped one; pipes, devices and oversized files refused without a wait.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/profile.h"
#include "shell/settings.h"
#include "shell/settings_location.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;

void WriteTextTo(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Sets or clears an environment variable for the lifetime of the object.
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

constexpr const char* kShipped = "[setup]\nlanguage=english\ncom=1\n";
constexpr const char* kUsers = "[setup]\nlanguage=chinese\ncom=4\n";

// A program folder and a user's configuration folder of the test's own. Whether the program
// folder may be written is the test's to say: the tests may run as root, who may write
// anywhere.
struct Layout {
  TempDir program;
  TempDir home;
  Env xdg{"XDG_CONFIG_HOME", nullptr};
  Layout() : xdg("XDG_CONFIG_HOME", home.File("config").c_str()) {}
  std::string Shipped() const { return program.File("setting.ini"); }
  std::string User() const { return home.File("config/rondel/setting.ini"); }
  void WriteUser(const char* text) const {
    fs::create_directories(home.File("config/rondel"));
    WriteTextTo(User(), text);
  }
};

FolderCheck Writable(bool writable) {
  return [writable](const std::string&) { return writable; };
}

struct LocationCase {
  const char* name;
  bool shipped;        // setting.ini beside the program
  bool writable;       // the program's folder may be written
  bool userCopy;       // the user's copy exists already
  const char* chosen;  // "shipped", "user" or "" (no settings at all)
  bool madeCopy;
};

const LocationCase kLocations[] = {
    // A copy unpacked in a home folder, or the build tree: beside the program, as always.
    {"WritableFolder", true, true, false, "shipped", false},
    {"WritableFolderBeatsAUserCopy", true, true, true, "shipped", false},
    // Installed under /usr/local: the user's own copy, made at the first start.
    {"ReadOnlyFolderFirstStart", true, false, false, "user", true},
    {"ReadOnlyFolderLaterStart", true, false, true, "user", false},
    {"NoShippedFileButAUserCopy", false, false, true, "user", false},
    {"NoShippedFileInAWritableFolderButAUserCopy", false, true, true, "user", false},
    // Neither: start-up refuses to run.
    {"Neither", false, false, false, "", false},
    {"NeitherInAWritableFolder", false, true, false, "", false},
};

class SettingsLocation : public testing::TestWithParam<LocationCase> {};

TEST_P(SettingsLocation, BesideTheProgramWhenItsFolderIsWritableElseTheUsersCopy) {
  const LocationCase& c = GetParam();
  Layout l;
  if (c.shipped) WriteTextTo(l.Shipped(), kShipped);
  if (c.userCopy) l.WriteUser(kUsers);

  const rondel::SettingsLocation found = LocateSettingsFile(l.program.path(), Writable(c.writable));
  const std::string want = std::string(c.chosen) == "shipped" ? l.Shipped()
                           : std::string(c.chosen) == "user"  ? l.User()
                                                              : std::string();
  EXPECT_EQ(found.path, want);
  EXPECT_EQ(found.userCopy, std::string(c.chosen) == "user");
  EXPECT_EQ(found.madeUserCopy, c.madeCopy);
  if (c.madeCopy) {
    EXPECT_EQ(ReadText(l.User()), kShipped) << "the copy is the shipped file";
    struct stat st {};
    ASSERT_EQ(::stat(l.home.File("config/rondel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a folder of the user's own";
  } else if (c.userCopy) {
    EXPECT_EQ(ReadText(l.User()), kUsers) << "an existing copy is never replaced";
  } else {
    EXPECT_FALSE(fs::exists(l.User()));
  }
  if (c.shipped) {
    EXPECT_EQ(ReadText(l.Shipped()), kShipped) << "the shipped file is only read";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsLocation, testing::ValuesIn(kLocations),
                         [](const auto& info) { return std::string(info.param.name); });

// The choices made in one run are there in the next: the user's copy is what is written.
TEST(SettingsLocationRuns, ChoicesWrittenToTheUsersCopyAreKeptForTheNextStart) {
  Layout l;
  WriteTextTo(l.Shipped(), kShipped);
  const std::string first = LocateSettingsFile(l.program.path(), Writable(false)).path;
  ASSERT_EQ(first, l.User());
  ASSERT_TRUE(CSettings(first).WriteLanguage("chinese"));
  ASSERT_TRUE(CSettings(first).WriteCom(7));
  const rondel::SettingsLocation again = LocateSettingsFile(l.program.path(), Writable(false));
  EXPECT_EQ(again.path, l.User());
  EXPECT_FALSE(again.madeUserCopy);
  EXPECT_EQ(CSettings(again.path).Language(), "chinese");
  EXPECT_EQ(CSettings(again.path).Com(), 7);
  EXPECT_EQ(ReadText(l.Shipped()), kShipped);
}

TEST(SettingsLocationRuns, ACopyThatCannotBeMadeLeavesTheShippedFile) {
  Layout l;
  WriteTextTo(l.Shipped(), kShipped);
  // A file where the configuration folder should be.
  WriteTextTo(l.home.File("config"), "not a folder");
  const rondel::SettingsLocation found = LocateSettingsFile(l.program.path(), Writable(false));
  EXPECT_EQ(found.path, l.Shipped());
  EXPECT_FALSE(found.madeUserCopy);
}

struct XdgCase {
  const char* name;
  const char* xdg;   // nullptr: unset
  const char* home;
  const char* expected;
};

TEST(SettingsLocationRuns, TheUsersFileFollowsTheXdgRules) {
  const XdgCase cases[] = {
      {"Set", "/cfg", "/home/u", "/cfg/rondel/setting.ini"},
      {"Unset", nullptr, "/home/u", "/home/u/.config/rondel/setting.ini"},
      {"Empty", "", "/home/u", "/home/u/.config/rondel/setting.ini"},
      {"Relative", "cfg", "/home/u", "/home/u/.config/rondel/setting.ini"},
  };
  for (const XdgCase& c : cases) {
    Env xdg("XDG_CONFIG_HOME", c.xdg);
    Env home("HOME", c.home);
    EXPECT_EQ(UserSettingsPath(), c.expected) << c.name;
  }
}

// The check the program makes (the tests above state its answer themselves: they may run as
// root, who may write in any folder).
TEST(SettingsLocationRuns, TheRealWritabilityCheckWantsAFolderThatCanBeWritten) {
  TempDir dir;
  EXPECT_TRUE(FolderWritable(dir.path()));
  EXPECT_FALSE(FolderWritable(dir.File("missing")));
  EXPECT_FALSE(FolderWritable(dir.Write("plain", "a file is no folder")));
}

// ---- which files may serve as settings or language files ----------------------------------

struct ProfileFileCase {
  const char* name;
  std::string (*make)(const TempDir& dir);
  ReadProblem problem;
};

const ProfileFileCase kProfileFiles[] = {
    {"Regular", [](const TempDir& d) { return d.Write("a.ini", kShipped); }, ReadProblem::None},
    {"ExactlyTheLimit",
     [](const TempDir& d) { return d.Write("a.ini", std::string(profile::kMaxProfileBytes, ';')); },
     ReadProblem::None},
    {"OneByteOverTheLimit",
     [](const TempDir& d) { return d.Write("a.ini", std::string(profile::kMaxProfileBytes + 1, ';')); },
     ReadProblem::TooLarge},
    {"Missing", [](const TempDir& d) { return d.File("none.ini"); }, ReadProblem::CannotOpen},
    {"Folder",
     [](const TempDir& d) {
       fs::create_directory(d.File("dir.ini"));
       return d.File("dir.ini");
     },
     ReadProblem::NotRegular},
    {"Fifo",
     [](const TempDir& d) {
       ::mkfifo(d.File("fifo.ini").c_str(), 0600);
       return d.File("fifo.ini");
     },
     ReadProblem::NotRegular},
    {"LinkToDevZero",
     [](const TempDir& d) {
       fs::create_symlink("/dev/zero", d.File("zero.lang"));
       return d.File("zero.lang");
     },
     ReadProblem::NotRegular},
};

class ProfileFile : public testing::TestWithParam<ProfileFileCase> {};

TEST_P(ProfileFile, IsAcceptedOnlyWhenARegularFileWithinTheLimit) {
  TempDir dir;
  const std::string path = GetParam().make(dir);
  const auto start = std::chrono::steady_clock::now();
  ReadError why;
  EXPECT_EQ(CheckProfileFile(path, &why), GetParam().problem == ReadProblem::None);
  EXPECT_EQ(why.problem, GetParam().problem);
  // A refused file reads as a missing one: every key its default, at once.
  const std::string language = CSettings(path).Language();
  if (GetParam().problem != ReadProblem::None) {
    EXPECT_EQ(language, "");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "no wait";
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProfileFile, testing::ValuesIn(kProfileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A refused file is never replaced by one holding only the key written.
TEST(ProfileFileWrite, AnOversizedFileIsNotRewritten) {
  TempDir dir;
  const std::string big = "[setup]\ncom=3\n" + std::string(profile::kMaxProfileBytes, ';');
  const std::string path = dir.Write("setting.ini", big);
  EXPECT_FALSE(CSettings(path).WriteCom(5));
  EXPECT_EQ(ReadText(path), big);
}

}  // namespace
}  // namespace rondel
