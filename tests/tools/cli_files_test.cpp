// rondel-cli as people expect a Unix tool to behave: usage errors that say what is wrong and
// point at --help, --help with the exit statuses, --version, settings, language and data
// files that are pipes, devices or far too large (a message, no hang, no abort), file errors
// that say why, and file names that are bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "tools/cli_harness.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Every text these commands print, marked so a test sees which key it came from.
constexpr const char* kLang =
    "[String]\n"
    "IDS_CLI_USAGE=T-usage\n"
    "IDS_CLI_OPTIONS=T-options\n"
    "IDS_CLI_EXITCODES=T-exit statuses\n"
    "IDS_CLI_TRYHELP=T-tryhelp\n"
    "IDS_CLI_BADARG=T-bad\n"
    "IDS_CLI_MISSING=T-missing\n"
    "IDS_CLI_EMPTYARG=T-empty\n"
    "IDS_CLI_NOMODEL=T-no model\n"
    "IDS_CLI_MODELCOUNT=T-count %d\n"
    "IDS_CLI_NOINPUT=T-cannot open\n"
    "IDS_CLI_NOOUTPUT=T-cannot write\n"
    "IDS_CLI_NOSETTINGS=T-no settings\n"
    "IDS_ERROR_SETTINGSFILE=T-settings unusable\n"
    "IDS_FILE_NOTREGULAR=T-not regular\n"
    "IDS_FILE_TOOLARGE=T-too large\n"
    "IDS_WARN_LOAD=T-not a data file\n"
    "IDS_WARN_INCOMPLETE=T-only %d bytes\n";

// A folder with the test's settings file (the model list ends at the empty data6), the
// language file above, and data files.
struct Folder {
  Folder() {
    ini = dir.Write("test.ini", TestIniText());
    lang = dir.Write("test.lang", kLang);
    good = dir.WriteBytes("good.dig", DataFile(BlankImage()));
  }
  ProcessResult Cli(std::vector<std::string> args) const {
    for (std::string& a : args)
      if (a.starts_with("@")) a = dir.path() + a.substr(1);
    args.insert(args.begin(), {"--ini", ini, "--lang", lang});
    return RunCli(args);
  }
  TempDir dir;
  std::string ini;
  std::string lang;
  std::string good;
};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// ---- usage ----------------------------------------------------------------------------------

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  const char* says;  // the first line of stderr after "rondel-cli: "
};

const UsageCase kUsage[] = {
    {"NoCommand", {}, "T-missing COMMAND"},
    {"NewWithoutOutput", {"new"}, "T-missing new -o OUT"},
    {"OutputWithoutPath", {"new", "-o"}, "T-missing -o ..."},
    {"EmptyOutput", {"new", "-o", ""}, "T-empty -o"},
    {"InfoWithoutFile", {"info"}, "T-missing info FILE"},
    {"InfoEmptyFile", {"info", ""}, "T-empty info \"\""},
    {"WriteEmptyFile", {"write", ""}, "T-empty write \"\""},
    {"WriteWithoutFile", {"write"}, "T-missing write FILE"},
    {"ReadWithoutOutput", {"read"}, "T-missing read -o OUT"},
    {"ReadEmptyFrom", {"read", "-o", "@/x.dig", "--from", ""}, "T-empty --from"},
    {"ReadEmptyDevice", {"read", "-o", "@/x.dig", "--device", ""}, "T-empty --device"},
    {"UnknownOption", {"--bogus"}, "T-bad --bogus"},
    {"UnknownCommand", {"frobnicate"}, "T-bad frobnicate"},
    {"PasswordForWrite", {"write", "@/good.dig", "--password", "1"}, "T-bad --password"},
    {"PasswordTooLong", {"read", "-o", "@/x.dig", "--password", "1234567"}, "T-bad --password 1234567"},
    {"ModelNotANumber", {"new", "-o", "@/x.dig", "--model", "x"}, "T-bad --model x"},
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, SaysWhatIsWrongAndPointsAtHelp) {
  const Folder f;
  const ProcessResult r = f.Cli(GetParam().args);
  ASSERT_TRUE(r.started) << Describe(r);
  EXPECT_EQ(r.exitStatus, 64) << Describe(r);
  EXPECT_EQ(r.err, "rondel-cli: " + std::string(GetParam().says) + "\nT-tryhelp\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(fs::exists(f.dir.File("x.dig")));
}

INSTANTIATE_TEST_SUITE_P(Lines, CliUsage, ::testing::ValuesIn(kUsage),
                         [](const auto& info) { return std::string(info.param.name); });

// A model that is no entry of the settings' list would give the radio the band code
// FF FF FF FF; the list of the test's settings file ends at its empty data6.
TEST(CliNewOutsideTheModelList, IsAUsageErrorThatSaysHowLongTheListIs) {
  const Folder f;
  for (const char* k : {"6", "7", "15"}) {
    const ProcessResult r = f.Cli({"new", "-o", "@/x.dig", "--model", k});
    EXPECT_EQ(r.exitStatus, 64) << Describe(r);
    EXPECT_EQ(r.err, "rondel-cli: T-no model " + std::string(k) + "\nT-count 6\nT-tryhelp\n");
    EXPECT_FALSE(fs::exists(f.dir.File("x.dig")));
  }
  const ProcessResult last = f.Cli({"new", "-o", "@/x.dig", "--model", "5"});
  EXPECT_EQ(last.exitStatus, 0) << Describe(last);
}

TEST(CliHelp, ListsTheExitStatusesOnStandardOutput) {
  const Folder f;
  const ProcessResult r = f.Cli({"--help"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, "T-usage\nT-options\nT-exit statuses\n");
  EXPECT_EQ(r.err, "");
  // The shipped texts list every status the program exits with.
  const ProcessResult shipped = RunCli({"--help"});
  for (const char* status : {"0", "1", "2", "3", "5", "7", "12", "64", "66", "73", "130"})
    EXPECT_NE(shipped.out.find("\n  " + std::string(status) + " "), std::string::npos) << status;
}

TEST(CliHelp, WorksWithoutASettingsFile) {
  const TempDir dir;
  const ProcessResult r = RunCli({"--ini", dir.File("none.ini"), "--help"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_NE(r.out, "");
}

TEST(CliVersion, PrintsTheNameAndVersion) {
  const ProcessResult r = RunCli({"--version"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  ASSERT_TRUE(r.out.starts_with("rondel-cli ")) << r.out;
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(r.out[11]))) << r.out;
  EXPECT_TRUE(r.out.ends_with("\n"));
  EXPECT_EQ(Count(r.out, "\n"), 1u);
}

// ---- files that are not what they should be -------------------------------------------------

enum class Role { Settings, Language, Data };
enum class Kind { Missing, Fifo, DevZero, Folder, Oversized };

std::string Make(const TempDir& dir, Kind kind) {
  const std::string path = dir.File("odd");
  switch (kind) {
    case Kind::Missing:
      break;
    case Kind::Fifo:
      ::mkfifo(path.c_str(), 0600);
      break;
    case Kind::DevZero:
      fs::create_symlink("/dev/zero", path);
      break;
    case Kind::Folder:
      fs::create_directory(path);
      break;
    case Kind::Oversized: {
      // Legal text, 2 MiB of it: a settings or language file that is no such thing, and a
      // data file whose first 4144 bytes are all that count.
      std::ofstream out(path, std::ios::binary);
      std::vector<std::uint8_t> file = DataFile(BlankImage());
      out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
      out << std::string(2 << 20, ';');
      break;
    }
  }
  return path;
}

struct OddFileCase {
  const char* name;
  Role role;
  Kind kind;
  int exit;
  const char* reason;  // the end of the message; nullptr: not worded by the test's language
};

const OddFileCase kOddFiles[] = {
    {"SettingsFifo", Role::Settings, Kind::Fifo, 66, "T-not regular"},
    {"SettingsDevZero", Role::Settings, Kind::DevZero, 66, "T-not regular"},
    {"SettingsOversized", Role::Settings, Kind::Oversized, 66, "T-too large"},
    {"SettingsMissing", Role::Settings, Kind::Missing, 66, nullptr},
    // The language file words nothing when it is the one at fault.
    {"LanguageFifo", Role::Language, Kind::Fifo, 66, nullptr},
    {"LanguageDevZero", Role::Language, Kind::DevZero, 66, nullptr},
    {"LanguageOversized", Role::Language, Kind::Oversized, 66, nullptr},
    {"LanguageMissing", Role::Language, Kind::Missing, 66, nullptr},
    {"DataFifo", Role::Data, Kind::Fifo, 66, "T-not regular"},
    {"DataDevZero", Role::Data, Kind::DevZero, 66, "T-not regular"},
    {"DataFolder", Role::Data, Kind::Folder, 66, "T-not regular"},
    {"DataOversized", Role::Data, Kind::Oversized, 0, nullptr},
};

class CliOddFile : public ::testing::TestWithParam<OddFileCase> {};

TEST_P(CliOddFile, IsRefusedWithAMessageAndNeverWaitedFor) {
  const OddFileCase& c = GetParam();
  const Folder f;
  const std::string odd = Make(f.dir, c.kind);
  std::vector<std::string> args = {"--ini", f.ini, "--lang", f.lang, "info", f.good};
  if (c.role == Role::Settings) args[1] = odd;
  if (c.role == Role::Language) args[3] = odd;
  if (c.role == Role::Data) args[5] = odd;
  const auto start = Clock::now();
  const ProcessResult r = RunCli(args);
  ASSERT_TRUE(r.started) << Describe(r);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.termSignal, 0) << "no abort";
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(r.exitStatus, c.exit) << Describe(r);
  if (c.exit == 0) {
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out, "");
    return;
  }
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
  EXPECT_NE(r.err.find(odd), std::string::npos) << "the message names the file\n" << r.err;
  if (c.reason) {
    EXPECT_TRUE(r.err.ends_with(std::string(": ") + c.reason + "\n")) << r.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, CliOddFile, ::testing::ValuesIn(kOddFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// The system's reason, as the C library words it.
TEST(CliFileErrors, SayWhy) {
  const Folder f;
  fs::create_directory(f.dir.File("sub"));
  const struct {
    std::vector<std::string> args;
    std::string expected;
    int exit;
  } cases[] = {
      {{"info", "@/missing.dig"}, "T-cannot open " + f.dir.File("missing.dig") + ": " + std::strerror(ENOENT), 66},
      {{"new", "-o", "@/no/such/folder.dig"},
       "T-cannot write " + f.dir.File("no/such/folder.dig") + ": " + std::strerror(ENOENT), 73},
      {{"new", "-o", "@/sub"}, "T-cannot write " + f.dir.File("sub") + ": " + std::strerror(EISDIR), 73},
      {{"new", "-o", "@/good.dig/x.dig"},
       "T-cannot write " + f.dir.File("good.dig/x.dig") + ": " + std::strerror(ENOTDIR), 73},
      {{"new", "-o", "/proc/x.dig"}, "T-cannot write /proc/x.dig: ", 73},
  };
  for (const auto& c : cases) {
    const ProcessResult r = f.Cli(c.args);
    EXPECT_EQ(r.exitStatus, c.exit) << Describe(r);
    EXPECT_TRUE(r.err.starts_with("rondel-cli: " + c.expected)) << r.err;
  }
}

TEST(CliFileErrors, ASaveLeavesNothingButTheFile) {
  const Folder f;
  const ProcessResult r = f.Cli({"new", "-o", "@/new.dig"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(f.dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"good.dig", "new.dig", "test.ini", "test.lang"}));
}

TEST(CliFileNames, ThatAreNotUtf8AreUsedByteForByte) {
  const Folder f;
  const std::string gbk = f.dir.File("\xB2\xE2\xCA\xD4.dig");  // "测试" in GBK
  ProcessResult r = f.Cli({"new", "-o", gbk, "--model", "1"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  ASSERT_TRUE(fs::exists(gbk));
  r = f.Cli({"info", gbk, "--json"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_NE(r.out.find("\"bandCode\": \"60134017\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace rondel::test::cli
