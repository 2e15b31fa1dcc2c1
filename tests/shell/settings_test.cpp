// SPDX-License-Identifier: GPL-3.0-or-later
// The settings keys (default, rule, buffer; the written keys; no caching) and where the file is:
// beside a writable program folder, else the user's own copy; a profile file regular and small.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
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

std::string X(std::size_t n) { return std::string(n, 'x'); }
std::string Flag(bool b) { return b ? "yes" : "no"; }
using Reader = std::string (*)(const CSettings&);

TEST(Settings, EachKeyIsReadWithItsDefaultRuleAndBuffer) {
  const std::string ports = "[ports]\ncom0=/dev/a\ncom1=/dev/b\ncom255=/dev/c\ncom256=/dev/d";
  // A reader, then lines after "[setup]" and what the reader makes of them.
  std::vector<std::pair<Reader, std::vector<std::pair<std::string, std::string>>>> cases = {
      {[](const CSettings& s) { return std::to_string(s.Com()); }, {{"", "1"}, {"com=12", "12"}, {"com=COM3", "0"}}},
      {[](const CSettings& s) { return s.SearchComText(); }, {{"", "1"}, {"searchcom=12345678", "1234567"}}},
      {[](const CSettings& s) { return Flag(s.SearchEnabled()); },
       {{"", "yes"}, {"searchcom=", "yes"}, {"searchcom=0x", "no"}, {"searchcom=1", "yes"}, {"searchcom=no", "yes"}}},
      {[](const CSettings& s) { return std::to_string(s.SearchComValue()); },
       {{"", "1"}, {"searchcom=no", "0"}, {"searchcom=7", "7"}}},
      {[](const CSettings& s) { return Flag(s.PasswordEnabled()); },
       {{"", "yes"}, {"password=", "no"}, {"password=0", "no"}, {"password=10", "yes"}, {"password=yes", "no"}}},
      // The channel count: decimal digits after blanks, never beyond the image's 16.
      {[](const CSettings& s) { return std::to_string(s.ChannelCount()); },
       {{"", "0"}, {"channel=0", "0"}, {"channel=9", "9"}, {"channel=05", "5"}, {"channel=12ch", "12"},
        {"channel=15", "15"}, {"channel=16", "16"}, {"channel=17", "16"}, {"channel=99999999999999999", "16"},
        {"channel=\" \t7\"", "7"}, {"channel=/5", "0"}, {"channel=:5", "0"}, {"channel=-3", "0"}}},
      {[](const CSettings& s) { return s.Language(); }, {{"", ""}, {"language=" + X(260), X(259)}}},
      {[](const CSettings& s) { return s.Communication(); }, {{"", ""}, {"communication=" + X(15), X(14)}}},
      {[](const CSettings& s) { return s.TestPassword(); }, {{"", ""}, {"testpw=" + X(20), X(19)}}},
      {[](const CSettings& s) { return s.ModelName(0) + "|" + s.ModelData(15, 32); },
       {{"[ModelInfo]\nFreq0=" + X(30) + "\ndata15=" + X(32), X(29) + "|" + X(31)}}},
      // A port number outside 1..255 has no device, whatever the file says.
      {[](const CSettings& s) { return s.PortDevice(0) + "|" + s.PortDevice(1) + "|" + s.PortDevice(255) + "|" + s.PortDevice(256); },
       {{"", "|/dev/ttyUSB0|/dev/ttyUSB254|"}, {ports, "|/dev/b|/dev/c|"}, {"[ports]\ncom1=" + X(260), "|" + X(259) + "|/dev/ttyUSB254|"}}},
  };
  std::string many = "[ModelInfo]";
  for (int k = 0; k < 17; ++k) many += "\nFreq" + std::to_string(k) + "=m" + std::to_string(k);
  cases.push_back({[](const CSettings& s) { std::string t; for (const auto& n : s.ModelNames()) t += n + ","; return t; },
                   {{"[ModelInfo]\nFreq0=A\nFreq1=B\nFreq2=\nFreq3=D", "A,B,"}, {many, "m0,m1,m2,m3,m4,m5,m6,m7,m8,m9,m10,m11,m12,m13,m14,m15,"}}});
  TempDir dir;
  int i = 0;
  for (const auto& [read, lines] : cases)
    for (const auto& [file, expected] : lines)
      EXPECT_EQ(read(CSettings(dir.Write(std::to_string(i++).append(".ini"), "[setup]\n" + file + "\n"))), expected) << file;
}

TEST(Settings, WritesGoToTheFileAtOnceAndAHandEditIsSeenAtTheNextRead) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "; keep\n[setup]\ncom=1\n\n[ModelInfo]\ndata0=1\n");
  const CSettings s(path);
  ASSERT_TRUE(s.WriteCom(7) && s.WriteSearchCom(false) && s.WriteLanguage("chinese"));
  EXPECT_EQ(ReadText(path), "; keep\n[setup]\ncom=7\nsearchcom=0\nlanguage=chinese\n\n[ModelInfo]\ndata0=1\n");
  EXPECT_EQ(s.WriteSearchCom(true) ? s.SearchComText() : "", "1");
  dir.Write("setting.ini", "[setup]\ncom=4\n");
  EXPECT_EQ(s.Com(), 4);
}

TEST(Settings, TheShippedFileNamesSixteenChannelsAndItsModels) {
  const CSettings s(std::string(RONDEL_BIN_DIR) + "/setting.ini");
  EXPECT_EQ(std::make_tuple(s.Language(), s.ChannelCount(), s.ModelNames().size() >= 4), std::make_tuple("", 16, true));
}

struct Env {  // sets or clears a variable while it lives
  Env(const char* n, const char* value) : name(n), saved(std::getenv(n) ? std::optional<std::string>(std::getenv(n)) : std::nullopt) {
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
    const SettingsLocation found = LocateSettingsFile(program.path(), [w = writable](const std::string&) { return w; });
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
  for (const auto& [xdg, expected] : {std::pair<const char*, const char*>{"/cfg", "/cfg/rondel/setting.ini"},
           {nullptr, "/home/u/.config/rondel/setting.ini"}, {"", "/home/u/.config/rondel/setting.ini"},
           {"cfg", "/home/u/.config/rondel/setting.ini"}}) {
    const Env set("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(UserSettingsPath(), expected);
  }
  // Started without a usable HOME: the home folder of the account.
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_TRUE(account && account->pw_dir && account->pw_dir[0] == '/');
  for (const char* unusable : {static_cast<const char*>(nullptr), "", "u"}) {
    const Env set("HOME", unusable), none("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserSettingsPath(), std::string(account->pw_dir).append("/.config/rondel/setting.ini"));
  }
  TempDir dir;
  EXPECT_EQ(std::make_pair(FolderWritable(dir.path()), FolderWritable(dir.File("none"))), std::make_pair(true, false));
}

TEST(SettingsLocation, AProfileFileMustBeRegularAndWithinTheLimit) {
  TempDir dir;
  ::mkfifo(dir.File("fifo.ini").c_str(), 0600);
  const std::string head = "[setup]\nlanguage=x\n";  // 19 bytes
  const std::pair<std::string, ReadProblem> cases[] = {
      {dir.Write("limit.ini", head + std::string(profile::kMaxProfileBytes - 19, ';')), ReadProblem::None},
      {dir.Write("over.ini", head + std::string(profile::kMaxProfileBytes - 18, ';')), ReadProblem::TooLarge},
      {dir.File("none.ini"), ReadProblem::CannotOpen}, {dir.File("fifo.ini"), ReadProblem::NotRegular}};
  for (const auto& [path, problem] : cases) {
    ReadError why;
    EXPECT_EQ(CheckProfileFile(path, &why), problem == ReadProblem::None) << path;
    EXPECT_EQ(why.problem, problem) << path;
    // A refused file reads as a missing one, at once (a pipe would block a read).
    EXPECT_EQ(CSettings(path).Language(), problem == ReadProblem::None ? "x" : "") << path;
  }
}

// Started with standard input closed, the check's own descriptor is 0: still a file that passes,
// and the descriptor is given back.
TEST(SettingsLocation, AProfileFileOpenedAsDescriptorZeroPasses) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini", "[setup]\nlanguage=x\n");
  const int input = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
  ::close(0);
  const bool zeroFree = ::fcntl(0, F_GETFD) == -1;
  ReadError why{ReadProblem::TooLarge, EFBIG};
  const bool passed = CheckProfileFile(path, &why);
  const bool givenBack = ::fcntl(0, F_GETFD) == -1;
  if (input >= 0) ::dup2(input, 0), ::close(input);
  ASSERT_TRUE(zeroFree) << "descriptor 0 is not the lowest free one";
  EXPECT_TRUE(passed);
  EXPECT_EQ(why.problem, ReadProblem::None);
  EXPECT_TRUE(givenBack);
}

}  // namespace
}  // namespace rondel
