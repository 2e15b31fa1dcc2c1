// rondel-cli read and write as a user runs them, against the virtual radio: the files they
// leave, their exit statuses and messages, the progress line, Ctrl+C, and rondel-radiosim as
// a program.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/temp_dir.h"
#include "tools/cli_harness.h"
#include "tools/radiosim/virtual_radio.h"

extern char** environ;

namespace rondel::test::cli {
namespace {

using namespace std::chrono_literals;
using sim::FrameKind;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTransferred = 0x3F0;

// Every text the commands print here, marked so a test sees it came from this file.
constexpr const char* kLangText =
    "[String]\n"
    "IDS_ERROR=T-Error\n"
    "IDS_ERROR_PORTCONN=T-no radio\n"
    "IDS_ERROR_TYPE=T-wrong type\n"
    "IDS_ERROR_PASSWORD=T-password differs\n"
    "IDS_PROMPT_READ=T-reading\n"
    "IDS_PROMPT_WRITE=T-writing\n"
    "IDS_PROMPT_READFAIL=T-read failed\n"
    "IDS_PROMPT_WRITEFAIL=T-write failed\n"
    "IDS_SEARCHCOMPORT=T-searching\n"
    "IDS_CLI_CANCELLED=T-cancelled\n"
    "IDS_CLI_NOINPUT=T-cannot open\n"
    "IDS_CLI_NOOUTPUT=T-cannot write\n"
    "IDS_CLI_BADARG=T-bad argument\n"
    "IDS_CLI_USAGE=T-usage\n"
    "IDS_CLI_TRYHELP=T-tryhelp\n"
    "IDS_CLI_MISSING=T-missing\n"
    "IDS_CLI_EMPTYARG=T-empty\n"
    "IDS_CLI_INCOMPLETE=T-incomplete %d\n"
    "IDS_CLI_PASSEDOVER=T-passed over\n"
    "IDS_ERROR_PORTTRIED=T-port tried %s\n"
    "IDS_ERROR_PORTSEARCHED=T-searched from %s\n"
    "IDS_WARN_LOAD=T-not a data file\n";

std::string PortsSection(const std::map<int, std::string>& ports) {
  std::string text = "[ports]\n";
  for (int n = 1; n <= 255; ++n) {
    const auto it = ports.find(n);
    text += "com" + std::to_string(n) + "=" +
            (it != ports.end() ? it->second : "/nonexistent/rondel-cli-port" + std::to_string(n)) +
            "\n";
  }
  return text;
}

std::vector<sim::ReceivedFrame> Of(const std::vector<sim::ReceivedFrame>& frames, FrameKind kind) {
  std::vector<sim::ReceivedFrame> out;
  for (const auto& f : frames)
    if (f.kind == kind) out.push_back(f);
  return out;
}

// A folder with our settings and language files, the radio on COM1 (nothing else exists).
struct Rig {
  explicit Rig(sim::RadioOptions options = {}, std::string setup = "searchcom=0\n")
      : radio(std::move(options)) {
    if (!radio.Start()) ADD_FAILURE() << "the virtual radio did not start: " << radio.error();
    lang = dir.Write("test.lang", kLangText);
    WriteIni(setup, {{1, radio.DevicePath()}});
  }
  void WriteIni(const std::string& setup, const std::map<int, std::string>& ports) {
    ini = dir.Write("setting.ini", "[setup]\ncom=1\ncommunication=PELTPGM\n" + setup +
                                       "\n[ModelInfo]\ndata0=00400047\n\n" + PortsSection(ports));
  }
  ProcessResult Cli(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--ini", ini, "--lang", lang});
    return RunCli(args);
  }
  TempDir dir;
  sim::VirtualRadio radio;
  std::string ini;
  std::string lang;
};

ImageBytes FileImage(const std::string& path) {
  const auto bytes = ReadBytes(path);
  ImageBytes image{};
  if (bytes.size() == kFileBytes) std::copy(bytes.begin() + kHeaderBytes, bytes.end(), image.begin());
  return image;
}

sim::Memory Pattern(std::uint8_t seed) {
  sim::Memory m;
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<std::uint8_t>(seed + 3 * i + (i >> 7));
  return m;
}

// The password bytes of a new document (all 0xFF), so a read into one passes the check.
sim::Memory RadioWithoutPassword(std::uint8_t seed) {
  sim::Memory m = Pattern(seed);
  std::fill(m.begin() + 0x3B0, m.begin() + 0x3B6, 0xFF);
  return m;
}

TEST(CliRead, ReadsTheRadioIntoANewDocumentAndWritesTheFileAfterTheLastBlock) {
  Rig rig;
  const sim::Memory memory = RadioWithoutPassword(0x21);
  rig.radio.SetMemory(memory);
  const std::string out = rig.dir.File("radio.dig");
  const ProcessResult r = rig.Cli({"read", "-o", out});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const auto bytes = ReadBytes(out);
  ASSERT_EQ(bytes.size(), kFileBytes);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 30), std::string(kHeaderText));
  const ImageBytes image = FileImage(out);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + kTransferred, memory.begin()));
  // From 0x3F0 on, the new document's bytes, which are blank there.
  EXPECT_TRUE(std::all_of(image.begin() + kTransferred, image.end(), [](auto b) { return b == 0xFF; }));
  // Not a terminal: the prompt, a line a quarter at most, and the end at 100 %.
  EXPECT_EQ(r.err.rfind("T-reading\n", 0), 0u) << r.err;
  int last = -1;
  int lines = 0;
  for (std::size_t at = r.err.find("T-reading "); at != std::string::npos;
       at = r.err.find("T-reading ", at + 1)) {
    const int percent = std::atoi(r.err.c_str() + at + 10);
    EXPECT_GT(percent / 25, last / 25) << "one line a quarter at most\n" << r.err;
    EXPECT_LE(percent, 100) << r.err;
    EXPECT_EQ(r.err.compare(at + 10 + std::to_string(percent).size(), 2, "%\n"), 0) << r.err;
    last = percent;
    ++lines;
  }
  EXPECT_EQ(last, 100) << r.err;
  EXPECT_GE(lines, 1) << r.err;
  EXPECT_LE(lines, 4) << r.err;
  EXPECT_TRUE(r.err.ends_with("T-reading 100%\n")) << r.err;
  EXPECT_TRUE(r.out.empty());
}

// The starting file is what the password is compared with, and a block the radio keeps
// answering with a wrong header keeps the file's bytes.
TEST(CliRead, StartsFromTheGivenFile) {
  sim::RadioOptions options;
  options.faults = {{0x100, 3, sim::FaultKind::Corrupt}};
  Rig rig(options);
  const sim::Memory memory = Pattern(0x42);
  rig.radio.SetMemory(memory);
  ImageBytes start = BlankImage();
  for (std::size_t i = 0; i < start.size(); ++i) start[i] = static_cast<std::uint8_t>(i * 11);
  std::copy(memory.begin() + 0x3B0, memory.begin() + 0x3B6, start.begin() + 0x3B0);
  const std::string from = rig.dir.WriteBytes("start.dig", DataFile(start));
  const std::string out = rig.dir.File("out.dig");
  const ProcessResult r = rig.Cli({"read", "-o", out, "--from", from});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const ImageBytes image = FileImage(out);
  for (std::size_t i = 0; i < image.size(); ++i) {
    const bool fromRadio = i < kTransferred && (i < 0x100 || i >= 0x108);
    ASSERT_EQ(image[i], fromRadio ? memory[i] : start[i]) << "offset " << i;
  }
}

struct FailureCase {
  const char* name;
  sim::RadioOptions options;
  bool writing;
  int exit;
  const char* message;
  bool radioHasPassword = false;  // a new document has none
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

sim::RadioOptions With(void (*set)(sim::RadioOptions& options)) {
  sim::RadioOptions o;
  set(o);
  return o;
}

class CliFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CliFailureTest, ExitsWithTheStatusAndItsMessageAndWritesNothing) {
  const FailureCase& c = GetParam();
  Rig rig(c.options);
  if (c.radioHasPassword) rig.radio.SetPassword({1, 2, 3, 4, 5, 6});
  const sim::Memory before = rig.radio.GetMemory();
  const std::string file = rig.dir.WriteBytes("in.dig", DataFile(BlankImage()));
  const std::string out = rig.dir.File("out.dig");
  const ProcessResult r = c.writing ? rig.Cli({"write", file}) : rig.Cli({"read", "-o", out});
  EXPECT_EQ(r.exitStatus, c.exit) << Describe(r);
  EXPECT_NE(r.err.find(std::string("T-Error: ") + c.message + "\n"), std::string::npos) << r.err;
  std::size_t said = 0;
  for (std::size_t at = r.err.find(c.message); at != std::string::npos; at = r.err.find(c.message, at + 1))
    ++said;
  EXPECT_EQ(said, 1u) << "the failure is said once, not also as the progress line\n" << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  rig.radio.WaitQuiet(50ms, 1s);
  EXPECT_TRUE(Of(rig.radio.Frames(), FrameKind::Leave).empty());
  if (c.writing && c.exit == 7) {
    const sim::Memory after = rig.radio.GetMemory();
    EXPECT_NE(after, before) << "the blocks before the refused one were written";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, CliFailureTest,
    ::testing::Values(
        FailureCase{"no_connection", With([](sim::RadioOptions& o) { o.silent = true; }), false, 1, "T-no radio"},
        FailureCase{"wrong_type", With([](sim::RadioOptions& o) { o.identLength = 3; }), true, 2, "T-wrong type"},
        FailureCase{"read_failed", With([](sim::RadioOptions& o) { o.passwordLength = 2; }), false, 5,
                    "T-read failed"},
        FailureCase{"password_differs", {}, false, 12, "T-password differs", true},
        FailureCase{"write_failed",
                    With([](sim::RadioOptions& o) { o.faults = {{0x080, 3, sim::FaultKind::Refuse}}; }), true, 7,
                    "T-write failed"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliWrite, WritesTheFileIntoTheRadioAndSendsTheLeaveByte) {
  Rig rig;
  ImageBytes image = BlankImage();
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x80 ^ i);
  const std::string file = rig.dir.WriteBytes("in.dig", DataFile(image));
  const sim::Memory before = rig.radio.GetMemory();
  const ProcessResult r = rig.Cli({"write", file});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  ASSERT_TRUE(rig.radio.WaitForFrames(
      [](const auto& f) { return !f.empty() && f.back().kind == FrameKind::Leave; }, 2s));
  const sim::Memory after = rig.radio.GetMemory();
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + kTransferred, image.begin()));
  EXPECT_TRUE(std::equal(after.begin() + kTransferred, after.end(), before.begin() + kTransferred));
  EXPECT_NE(r.err.find("T-writing 100%\n"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(file), DataFile(image)) << "the file is only read";
}

TEST(CliTransfer, OpensTheGivenPortOrDeviceFirst) {
  Rig rig;
  rig.radio.SetMemory(RadioWithoutPassword(1));
  rig.WriteIni("searchcom=0\n", {{4, rig.radio.DevicePath()}});  // com=1 does not exist
  ProcessResult r = rig.Cli({"read", "-o", rig.dir.File("a.dig"), "--port", "4"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  r = rig.Cli({"read", "-o", rig.dir.File("b.dig"), "--device", rig.radio.DevicePath()});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  r = rig.Cli({"read", "-o", rig.dir.File("c.dig")});
  EXPECT_EQ(r.exitStatus, 1) << "without them the configured COM1, which does not exist";
  EXPECT_FALSE(std::filesystem::exists(rig.dir.File("c.dig")));

  const auto start = Clock::now();
  r = rig.Cli({"write", rig.dir.File("a.dig"), "--port", "9"});
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_NE(r.err.find("COM9 (/nonexistent/rondel-cli-port9): T-no radio"), std::string::npos) << r.err;
  r = rig.Cli({"write", rig.dir.File("a.dig"), "--device", rig.dir.File("nothing")});
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_LT(Clock::now() - start, 3s) << "a port that does not open is reported at once";
}

TEST(CliTransfer, ThePortSearchShowsItselfAndSavesThePortFound) {
  sim::RadioOptions quiet;
  quiet.silent = true;
  sim::VirtualRadio silent(quiet);
  ASSERT_TRUE(silent.Start());
  Rig rig;
  rig.radio.SetMemory(RadioWithoutPassword(2));
  rig.WriteIni("searchcom=1\n", {{3, silent.DevicePath()}, {9, rig.radio.DevicePath()}});
  const ProcessResult r = rig.Cli({"read", "-o", rig.dir.File("found.dig")});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_NE(r.err.find("T-searching...  COM3\n"), std::string::npos) << r.err;
  const std::string ini = ReadText(rig.ini);
  EXPECT_NE(ini.find("com=9\n"), std::string::npos) << ini;
}

TEST(CliTransfer, RefusesIncompleteOrContradictoryLines) {
  Rig rig;
  const std::string file = rig.dir.WriteBytes("in.dig", DataFile(BlankImage()));
  const std::vector<std::vector<std::string>> lines = {
      {"read"},
      {"read", "-o", rig.dir.File("x.dig"), file},
      {"write"},
      {"write", file, "-o", rig.dir.File("x.dig")},
      {"write", file, "--from", file},
      {"read", "-o", rig.dir.File("x.dig"), "--port", "0"},
      {"read", "-o", rig.dir.File("x.dig"), "--port", "256"},
      {"read", "-o", rig.dir.File("x.dig"), "--port", "2x"},
      {"read", "-o", rig.dir.File("x.dig"), "--port", "2", "--device", "/dev/null"},
      {"read", "-o", rig.dir.File("x.dig"), "--device"},
  };
  for (const auto& line : lines) {
    const ProcessResult r = rig.Cli(line);
    EXPECT_EQ(r.exitStatus, 64) << Describe(r);
    // What is wrong, and where to read more; not the whole usage.
    EXPECT_NE(r.err.find("T-tryhelp"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("T-usage"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(rig.radio.Frames().empty()) << "nothing reached the radio";
}

TEST(CliTransfer, FileErrors) {
  Rig rig;
  rig.radio.SetMemory(RadioWithoutPassword(3));
  ProcessResult r = rig.Cli({"write", rig.dir.File("missing.dig")});
  EXPECT_EQ(r.exitStatus, 66) << Describe(r);
  EXPECT_NE(r.err.find("T-cannot open " + rig.dir.File("missing.dig")), std::string::npos);
  r = rig.Cli({"read", "-o", rig.dir.File("x.dig"), "--from", rig.dir.File("missing.dig")});
  EXPECT_EQ(r.exitStatus, 66) << Describe(r);
  EXPECT_NE(r.err.find(rig.dir.File("missing.dig") + ": " + std::strerror(ENOENT)), std::string::npos)
      << r.err;
  const std::string alien = rig.dir.Write("alien.dig", std::string(4144, 'x'));
  r = rig.Cli({"write", alien});
  EXPECT_EQ(r.exitStatus, 3) << Describe(r);
  EXPECT_TRUE(rig.radio.Frames().empty());
}

// ---- checked before the radio hears anything --------------------------------------------

// An output that cannot be written is found out before the radio is read, not after.
TEST(CliRead, RefusesAnOutputItCannotWriteBeforeTalkingToTheRadio) {
  Rig rig;
  rig.radio.SetMemory(RadioWithoutPassword(4));
  std::filesystem::create_directory(rig.dir.File("folder"));
  const struct {
    std::string out;
    int error;
  } cases[] = {{rig.dir.File("no-such-folder/out.dig"), ENOENT},
               {rig.dir.File("folder"), EISDIR},
               {rig.ini + "/out.dig", ENOTDIR}};
  for (const auto& c : cases) {
    const auto start = Clock::now();
    const ProcessResult r = rig.Cli({"read", "-o", c.out});
    EXPECT_EQ(r.exitStatus, 73) << Describe(r);
    EXPECT_NE(r.err.find("T-cannot write " + c.out + ": " + std::strerror(c.error)), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("T-reading"), std::string::npos) << r.err;
    EXPECT_LT(Clock::now() - start, 2s);
  }
  EXPECT_TRUE(rig.radio.Frames().empty()) << "nothing reached the radio";
}

// Only a whole data file goes into a radio: what is missing would reach it as 0xFF, model
// identification and band code included.
struct IncompleteCase {
  const char* name;
  std::size_t length;
};

class CliWriteIncomplete : public ::testing::TestWithParam<IncompleteCase> {};

TEST_P(CliWriteIncomplete, SendsNothingAndSaysWhy) {
  Rig rig;
  std::vector<std::uint8_t> bytes = DataFile(BlankImage());
  bytes.resize(GetParam().length);
  const std::string file = rig.dir.WriteBytes("short.dig", bytes);
  const ProcessResult r = rig.Cli({"write", file});
  EXPECT_EQ(r.exitStatus, 3) << Describe(r);
  EXPECT_NE(r.err.find(file + ": T-incomplete " + std::to_string(GetParam().length) + "\n"),
            std::string::npos)
      << r.err;
  rig.radio.WaitQuiet(50ms, 500ms);
  EXPECT_TRUE(rig.radio.Frames().empty()) << "nothing reached the radio";
}

INSTANTIATE_TEST_SUITE_P(Lengths, CliWriteIncomplete,
                         ::testing::Values(IncompleteCase{"Empty", 0}, IncompleteCase{"HeaderText", 30},
                                           IncompleteCase{"HeaderOnly", 48},
                                           IncompleteCase{"HalfTheImage", 48 + 2048},
                                           IncompleteCase{"OneByteShort", 4143}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- what a read says about the radio ----------------------------------------------------

struct PasswordCase {
  const char* name;
  std::vector<std::string> extra;  // --password and its value, or nothing
  int exit;
};

class CliReadPassword : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(CliReadPassword, ComparesTheRadiosPasswordWithTheOneGiven) {
  Rig rig({}, "searchcom=0\npassword=1\n");
  sim::Memory memory = Pattern(0x33);
  rig.radio.SetMemory(memory);
  rig.radio.SetPassword({1, 2, 3, 10, 36, 61});  // "123Aaz"
  std::vector<std::string> args = {"read", "-o", rig.dir.File("out.dig")};
  args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
  const ProcessResult r = rig.Cli(args);
  EXPECT_EQ(r.exitStatus, GetParam().exit) << Describe(r);
  EXPECT_EQ(std::filesystem::exists(rig.dir.File("out.dig")), GetParam().exit == 0);
  if (GetParam().exit == 0) {
    const ImageBytes image = FileImage(rig.dir.File("out.dig"));
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + kTransferred, rig.radio.GetMemory().begin()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, CliReadPassword,
    ::testing::Values(PasswordCase{"TheRadiosOwn", {"--password", "123Aaz"}, 0},
                      PasswordCase{"CaseMatters", {"--password", "123AAZ"}, 12},
                      PasswordCase{"OneCharacterShort", {"--password", "123Aa"}, 12},
                      PasswordCase{"NoneGivenComparesTheNewDocuments", {}, 12},
                      PasswordCase{"TooLong", {"--password", "123Aazz"}, 64},
                      PasswordCase{"NotAPasswordCharacter", {"--password", "12-3"}, 64}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliRead, NamesTheBlocksItPassedOver) {
  sim::RadioOptions options;
  options.faults = {{0x100, 3, sim::FaultKind::Corrupt}, {0x3E8, 3, sim::FaultKind::Corrupt}};
  Rig rig(options);
  rig.radio.SetMemory(RadioWithoutPassword(5));
  const ProcessResult r = rig.Cli({"read", "-o", rig.dir.File("out.dig")});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_NE(r.err.find("T-passed over 0x100 0x3E8\n"), std::string::npos) << r.err;

  // A read without such blocks says nothing of the kind.
  Rig clean;
  clean.radio.SetMemory(RadioWithoutPassword(5));
  const ProcessResult ok = clean.Cli({"read", "-o", clean.dir.File("out.dig")});
  ASSERT_EQ(ok.exitStatus, 0) << Describe(ok);
  EXPECT_EQ(ok.err.find("T-passed over"), std::string::npos) << ok.err;
}

// The port the radio did not answer on, as the settings map it.
TEST(CliTransfer, NamesThePortTriedWithTheDeviceItIsMappedTo) {
  sim::RadioOptions quiet;
  quiet.silent = true;
  Rig rig(quiet);  // COM1 is the radio's pseudo-terminal, not /dev/ttyUSB0
  ProcessResult r = rig.Cli({"read", "-o", rig.dir.File("out.dig")});
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_NE(r.err.find("T-Error: T-no radio\nT-port tried COM1 (" + rig.radio.DevicePath() + ")\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("/dev/ttyUSB0"), std::string::npos) << r.err;

  // With the search on, the port it began with and the search itself.
  rig.WriteIni("searchcom=1\n", {{1, rig.radio.DevicePath()}});
  r = rig.Cli({"write", rig.dir.WriteBytes("in.dig", DataFile(BlankImage()))});
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_NE(r.err.find("T-searched from COM1 (" + rig.radio.DevicePath() + ")\n"), std::string::npos)
      << r.err;
}


// ---- processes that run while the test acts -------------------------------------------------

class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
        const std::string& errFile) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> store = args;
    store.insert(store.begin(), program);
    std::vector<char*> argv;
    for (auto& a : store) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, program.c_str(), &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Child() {
    if (m_pid > 0 && !m_reaped) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  bool started() const { return m_pid > 0; }
  void Signal(int sig) const { ::kill(m_pid, sig); }
  // The exit status, or -1 when the child did not exit normally within `limit`.
  int Wait(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      int status = 0;
      const pid_t got = ::waitpid(m_pid, &status, WNOHANG);
      if (got == m_pid) {
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(5ms);
    }
    return -1;
  }

 private:
  pid_t m_pid = -1;
  bool m_reaped = false;
};

TEST(CliTransfer, CtrlCCancelsAWriteCleanlyWithoutTheLeaveByte) {
  Rig rig;
  const std::string file = rig.dir.WriteBytes("in.dig", DataFile(BlankImage()));
  Child cli(CliPath(), {"--ini", rig.ini, "--lang", rig.lang, "write", file}, rig.dir.File("out.txt"),
            rig.dir.File("err.txt"));
  ASSERT_TRUE(cli.started());
  ASSERT_TRUE(rig.radio.WaitForFrames(
      [](const auto& f) { return Of(f, FrameKind::WriteBlock).size() >= 20; }, 10s));
  const auto interrupted = Clock::now();
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(5s), 130);
  EXPECT_LT(Clock::now() - interrupted, 500ms) << "the cancel is felt at once";
  EXPECT_NE(ReadText(rig.dir.File("err.txt")).find("T-cancelled\n"), std::string::npos)
      << ReadText(rig.dir.File("err.txt"));
  const std::size_t written = Of(rig.radio.Frames(), FrameKind::WriteBlock).size();
  std::this_thread::sleep_for(1200ms);
  const auto frames = rig.radio.Frames();
  EXPECT_TRUE(Of(frames, FrameKind::Leave).empty());
  EXPECT_EQ(Of(frames, FrameKind::WriteBlock).size(), written) << "nothing after the cancel";
  EXPECT_LT(written, 126u);
  EXPECT_TRUE(rig.radio.InProgrammingMode());
}

TEST(RadioSimProgram, ServesADataFileOnALinkAndSavesWhatWasWrittenOnExit) {
  TempDir dir;
  ImageBytes image = BlankImage();
  for (std::size_t i = 0; i < 0x400; ++i) image[i] = static_cast<std::uint8_t>(i * 5);
  const std::string loaded = dir.WriteBytes("radio.dig", DataFile(image));
  const std::string saved = dir.File("saved.dig");
  const std::string link = dir.File("ttyRADIO");
  Child sim(BinDir() + "/rondel-radiosim",
            {"--load", loaded, "--save", saved, "--link", link, "--password", "AB12"},
            dir.File("sim.out"), dir.File("sim.err"));
  ASSERT_TRUE(sim.started());
  const auto deadline = Clock::now() + 5s;
  while (!std::filesystem::is_symlink(link) && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(dir.File("sim.out")), std::filesystem::read_symlink(link).string() + "\n");

  const std::string lang = dir.Write("test.lang", kLangText);
  const std::string ini = dir.Write("setting.ini", "[setup]\nsearchcom=0\ncommunication=PELTPGM\n"
                                                   "password=0\n[ModelInfo]\ndata0=00400047\n");
  const std::string out = dir.File("read.dig");
  ProcessResult r = RunCli({"--ini", ini, "--lang", lang, "read", "-o", out, "--device", link});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const ImageBytes got = FileImage(out);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 0x3B0, image.begin()));
  EXPECT_EQ(got[0x3B0], 10) << "A: the password the program was given";
  EXPECT_EQ(got[0x3B2], 1);

  ImageBytes changed = got;
  changed[0x20] = 0x99;
  const std::string file = dir.WriteBytes("changed.dig", DataFile(changed));
  r = RunCli({"--ini", ini, "--lang", lang, "write", file, "--device", link});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);

  // The radio is another process: the tool's exit does not mean the radio has taken in the
  // last byte yet, so wait for the leave byte to show in its log before stopping it.
  const auto leaveBy = Clock::now() + 5s;
  while (ReadText(dir.File("sim.err")).find("leave 62\n") == std::string::npos &&
         Clock::now() < leaveBy)
    std::this_thread::sleep_for(10ms);
  sim.Signal(SIGINT);
  ASSERT_EQ(sim.Wait(5s), 0);
  EXPECT_FALSE(std::filesystem::exists(link)) << "the link goes with the program";
  const ImageBytes after = FileImage(saved);
  EXPECT_EQ(after[0x20], 0x99);
  EXPECT_TRUE(std::equal(after.begin() + 0x3F0, after.begin() + 0x400, image.begin() + 0x3F0));
  const std::string log = ReadText(dir.File("sim.err"));
  EXPECT_NE(log.find("hello 02 50 45 4C 54 50 47 4D\n"), std::string::npos) << log;
  EXPECT_NE(log.find("leave 62\n"), std::string::npos) << log;
}

TEST(RadioSimProgram, RefusesUnknownArgumentsAndMissingFiles) {
  const std::string program = BinDir() + "/rondel-radiosim";
  ProcessResult r = RunProcess(program, {"--bogus"});
  EXPECT_EQ(r.exitStatus, 64) << Describe(r);
  r = RunProcess(program, {"--short-read", "0x3F3"});
  EXPECT_EQ(r.exitStatus, 64) << "not the start of a block";
  r = RunProcess(program, {"--load", "/nonexistent/radio.dig"});
  EXPECT_EQ(r.exitStatus, 66) << Describe(r);
  r = RunProcess(program, {"--help"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_NE(r.out.find("--hang-up-after"), std::string::npos);
}

}  // namespace
}  // namespace rondel::test::cli
