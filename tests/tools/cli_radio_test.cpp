// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli read and write: the progress line, the status and message of each failed
// transfer against the virtual radio, Ctrl+C, and one read and one write end to end through
// rondel-radiosim as a program.
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include "tools/cli/progress_line.h"
#include "tools/cli_rig.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using sim::FrameKind;

std::size_t Count(const std::vector<sim::ReceivedFrame>& frames, FrameKind kind) {
  return static_cast<std::size_t>(std::count_if(frames.begin(), frames.end(),
                                                [kind](const auto& f) { return f.kind == kind; }));
}

TEST(ProgressLine, ALogGetsALineAQuarterATerminalOneLineRewritten) {
  std::ostringstream log, tty;
  for (std::ostringstream* s : {&log, &tty}) {
    rondel::cli::ProgressLine line(*s, s == &tty);
    line.Show("T-r", 0);
    line.Show("T-r", 0);
    for (const int percent : {24, 25, 25, 49, 50, 99}) line.Percent("T-r", percent);
    line.Show("T-s", 3);
    line.Complete("T-r");
  }
  EXPECT_EQ(log.str(), "T-r\nT-r 25%\nT-r 50%\nT-r 99%\nT-s  COM3\nT-r 100%\n");
  EXPECT_EQ(tty.str(),
            "\rT-r\033[K\rT-r 24%\033[K\rT-r 25%\033[K\rT-r 49%\033[K\rT-r 50%\033[K"
            "\rT-r 99%\033[K\rT-s  COM3\033[K\rT-r 100%\033[K\n");
}

// A pseudo-terminal in raw mode, so what is written to its slave side is read back from the
// master as it was written (no "\n" turned into "\r\n").
struct Terminal {
  Terminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
    slavePath = ::ptsname(master);
    slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (slave < 0 || ::tcgetattr(slave, &t) != 0) return;
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  }
  ~Terminal() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
  }
  bool open() const { return slave >= 0; }
  // What has been written to the slave side, up to and including a line that holds `last`
  // (the terminal hands bytes on a moment after they were written; 10 s is only a guard).
  std::string ReadThrough(const std::string& last) const {
    std::string text;
    char buffer[4096];
    const auto done = [&] {
      const std::size_t at = text.find(last);
      return at != std::string::npos && text.find('\n', at) != std::string::npos;
    };
    for (int i = 0; i < 1000 && !done(); ++i) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }
  int master = -1, slave = -1;
  std::string slavePath;
};

// TERM for the programs this test starts; the old value comes back at the end.
class TermVariable {
 public:
  explicit TermVariable(const char* value) {
    if (const char* old = std::getenv("TERM")) m_old = old;
    if (value) {
      ::setenv("TERM", value, 1);
    } else {
      ::unsetenv("TERM");
    }
  }
  ~TermVariable() {
    if (m_old) {
      ::setenv("TERM", m_old->c_str(), 1);
    } else {
      ::unsetenv("TERM");
    }
  }
  TermVariable(const TermVariable&) = delete;
  TermVariable& operator=(const TermVariable&) = delete;

 private:
  std::optional<std::string> m_old;
};

TEST(ProgressLine, IsRewrittenInPlaceOnlyOnATerminalThatCanDoIt) {
  const Terminal terminal;
  ASSERT_TRUE(terminal.open());
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const struct {
    int fd;
    const char* term;
    bool inPlace;
  } cases[] = {{terminal.slave, "xterm-256color", true}, {terminal.slave, "dumb", false},
               {terminal.slave, "", false},              {terminal.slave, nullptr, false},
               {pipeEnds[1], "xterm-256color", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.fd) + " " + (c.term ? c.term : "(unset)"));
    EXPECT_EQ(rondel::cli::RewritesInPlace(c.fd, c.term), c.inPlace);
  }
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
}

// The radio of this process on COM2, the port configured; COM1 and COM255, the first and last
// port, name devices that do not exist.
struct Rig {
  explicit Rig(sim::RadioOptions options) : radio(std::move(options)) {
    EXPECT_TRUE(radio.Start()) << radio.error();
    std::string text = ReadText(Golden("setting.ini"));
    text.replace(text.find("com=1\n"), 6, "com=2\n");
    ini = dir.Write("setting.ini", text + "[ports]\ncom2=" + radio.DevicePath() +
                                       "\ncom1=" + dir.File("port1") +
                                       "\ncom255=" + dir.File("port255") + "\n");
    fs::copy(Golden("radio.dig"), dir.File("radio.dig"));
  }
  std::vector<std::string> Line(std::vector<std::string> args) const {
    for (std::string& a : args)
      if (a.starts_with("@")) a = dir.path() + a.substr(1);
    args.insert(args.begin(), {"--ini", ini, "--lang", Golden("test.lang")});
    return args;
  }
  TempDir dir;
  sim::VirtualRadio radio;
  std::string ini;
};

struct FailureCase {
  void (*set)(sim::RadioOptions&);
  std::vector<std::string> args;  // "@" stands for the test's folder
  int status;
  std::string err;  // the end of standard error; "$" stands for the radio's device
  std::string begin = {};  // the beginning of standard error, when it is known
};

// clang-format off
const FailureCase kFailures[] = {
    {[](sim::RadioOptions& o) { o.silent = true; }, {"read", "-o", "@/out.dig"}, 1,
     "rondel-cli: T-Error: T-no radio\nT-port tried COM2 ($)\n"},
    {[](sim::RadioOptions& o) { o.identLength = 7; }, {"write", "@/radio.dig"}, 2,
     "rondel-cli: T-Error: T-wrong type\n"},
    {[](sim::RadioOptions& o) { o.passwordLength = 5; }, {"read", "-o", "@/out.dig"}, 5,
     "rondel-cli: T-Error: T-read failed\n"},
    {[](sim::RadioOptions& o) { o.faults = {{0x080, 3, sim::FaultKind::Refuse}}; },
     {"write", "@/radio.dig"}, 7, "rondel-cli: T-Error: T-write failed\n"},
    {[](sim::RadioOptions&) {}, {"read", "-o", "@/out.dig", "--password", "123456"}, 12,
     "rondel-cli: T-Error: T-password differs\nT-give --password\n"},
    // What stands between these two lines is the machine's own list of serial devices.
    {[](sim::RadioOptions&) {}, {"write", "@/radio.dig", "--port", "1"}, 1,
     "T-choose with --device or --port\n", "rondel-cli: T-no device @/port1\n\nT-"},
    {[](sim::RadioOptions&) {}, {"write", "@/radio.dig", "--port", "255"}, 1,
     "T-choose with --device or --port\n", "rondel-cli: T-no device @/port255\n\nT-"},
    {[](sim::RadioOptions&) {}, {"read", "-o", "@/out.dig", "--device", "@/none"}, 1,
     "T-choose with --device or --port\n", "rondel-cli: T-no device @/none\n\nT-"},
};
// clang-format on

// A port that never opened is said why instead of a radio that does not answer, in the words
// of the command line: the configured port missing, and a port another program holds.
TEST(CliRadio, APortThatDoesNotOpenIsSaidWhyNamingTheOptions) {
  Rig rig({});
  std::string text = ReadText(rig.ini);
  text.replace(text.find("com=2\n"), 6, "com=1\n");
  rig.dir.Write("setting.ini", text);
  ProcessResult r = RunCli(rig.Line({"read", "-o", "@/out.dig", "--no-backup"}));
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_NE(r.err.find("rondel-cli: T-Error: T-no device " + rig.dir.File("port1") + "\n\nT-"), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.ends_with("\n\nT-choose with --device or --port\n")) << r.err;
  EXPECT_EQ(r.err.find("T-no radio"), std::string::npos) << r.err;

  // Held the way another program holds a port; this process is the one /proc names.
  const int held = ::open(rig.radio.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  std::string comm = ReadText("/proc/self/comm");
  comm.pop_back();
  r = RunCli(rig.Line({"read", "-o", "@/out.dig", "--device", rig.radio.DevicePath()}));
  ::close(held);
  EXPECT_EQ(r.exitStatus, 1) << Describe(r);
  EXPECT_TRUE(r.err.ends_with("rondel-cli: T-" + rig.radio.DevicePath() + " held by " + comm + " (T-pid " +
                              std::to_string(::getpid()) + ")\n"))
      << r.err;
  EXPECT_FALSE(fs::exists(rig.dir.File("out.dig")));
}

// Without the password check, a peer that acknowledges everything and answers every block whole
// with the wrong header passes the handshake; all its blocks are passed over, and that is no read.
TEST(CliRadio, APeerThatOnlyAcknowledgesIsNoRadioAndOutIsNotWritten) {
  sim::RadioOptions options;
  options.ackOnly = true;
  Rig rig(options);
  std::string text = ReadText(rig.ini);
  text.replace(text.find("com=2\n"), 6, "com=2\npassword=0\n");
  rig.dir.Write("setting.ini", text);
  const ProcessResult r = RunCli(rig.Line({"read", "-o", "@/out.dig", "--no-backup"}));
  EXPECT_EQ(r.exitStatus, 5) << Describe(r);
  EXPECT_TRUE(r.err.ends_with("rondel-cli: T-Error: T-read failed\n")) << r.err;
  EXPECT_FALSE(fs::exists(rig.dir.File("out.dig")));
}

TEST(CliRadio, AFailedTransferExitsWithItsStatusSaysWhyOnceAndWritesNothing) {
  for (const FailureCase& c : kFailures) {
    sim::RadioOptions options;
    c.set(options);
    Rig rig(options);
    const ProcessResult r = RunCli(rig.Line(c.args));
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    std::string err = c.err;
    if (const std::size_t at = err.find('$'); at != std::string::npos)
      err.replace(at, 1, rig.radio.DevicePath());
    if (const std::size_t at = err.find('@'); at != std::string::npos)
      err.replace(at, 1, rig.dir.path());
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_TRUE(r.err.ends_with(err));
    std::string begin = c.begin;
    if (const std::size_t at = begin.find('@'); at != std::string::npos)
      begin.replace(at, 1, rig.dir.path());
    EXPECT_TRUE(r.err.starts_with(begin));
    EXPECT_EQ(r.err.find("T-Error"), r.err.rfind("T-Error"))
        << "said once, not also as the progress line";
    EXPECT_FALSE(fs::exists(rig.dir.File("out.dig")));
    rig.radio.WaitQuiet(50ms, 1s);
    EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::Leave), 0u);
    // Blocks before the refused one went in; a port that does not open reaches no radio.
    EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::WriteBlock),
              c.status == 7 ? 0x080u / 8 + 3 : 0u);
  }
}

// A read with standard error on a terminal: one line rewritten in place, unless TERM says the
// terminal cannot do that; in a log (not a terminal) plain lines whatever TERM says.
TEST(CliRadio, TheProgressUsesNoEscapesWhereTheyCannotWork) {
  const struct {
    const char* term;
    bool terminal;
    bool escapes;
  } cases[] = {{"xterm", true, true},
               {"dumb", true, false},
               {nullptr, true, false},
               {"xterm", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.term ? c.term : "(unset)") + (c.terminal ? " terminal" : " log"));
    Rig rig{sim::RadioOptions{}};
    const TermVariable term(c.term);
    std::string err;
    if (c.terminal) {
      const Terminal terminal;
      ASSERT_TRUE(terminal.open());
      Child cli(BinDir() + "/rondel-cli", rig.Line({"read", "-o", "@/out.dig", "--no-backup"}),
                terminal.slavePath);
      ASSERT_TRUE(cli.started());
      EXPECT_EQ(cli.Wait(), 0);
      err = terminal.ReadThrough("T-reading 100%");
    } else {
      const ProcessResult r = RunCli(rig.Line({"read", "-o", "@/out.dig", "--no-backup"}));
      EXPECT_EQ(r.exitStatus, 0) << Describe(r);
      err = r.err;
    }
    EXPECT_NE(err.find("T-reading 100%"), std::string::npos) << err;
    EXPECT_EQ(err.find_first_of("\r\033") != std::string::npos, c.escapes) << err;
    EXPECT_EQ(ReadBytes(rig.dir.File("out.dig")).size(), 4144u);
  }
}

// read -o - hands the data file to standard output and creates no file.
TEST(CliRadio, ReadsToStandardOutput) {
  Rig rig{sim::RadioOptions{}};
  const ProcessResult file = RunCli(rig.Line({"read", "-o", "@/out.dig", "--no-backup"}));
  ASSERT_EQ(file.exitStatus, 0) << Describe(file);
  const std::vector<std::uint8_t> read = ReadBytes(rig.dir.File("out.dig"));
  fs::remove(rig.dir.File("out.dig"));
  const auto before = std::distance(fs::directory_iterator(rig.dir.path()), {});
  const ProcessResult r = RunCli(rig.Line({"read", "--output=-", "--no-backup"}));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  ASSERT_EQ(read.size(), 4144u);
  EXPECT_EQ(r.out, std::string(read.begin(), read.end()));
  EXPECT_EQ(std::distance(fs::directory_iterator(rig.dir.path()), {}), before);
}

// An output that cannot be written is found out before the radio hears anything; the longest
// name a folder takes is written.
TEST(CliRadio, ReadRefusesAnOutputItCannotWriteBeforeTouchingTheRadio) {
  const std::string tooLong(256, 'n'), longest(255, 'n');
  const struct {
    std::string out;  // in the test's folder
    int status;
    std::string reason;
  } cases[] = {{tooLong, 73, "File name too long"},
               {"radio.dig/out.dig", 73, "Not a directory"},
               {"none/out.dig", 73, "No such file or directory"},
               {longest, 0, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out.substr(0, 20));
    Rig rig{sim::RadioOptions{}};
    const ProcessResult r = RunCli(rig.Line({"read", "-o", "@/" + c.out}));
    EXPECT_EQ(r.exitStatus, c.status) << Describe(r);
    rig.radio.WaitQuiet(50ms, 1s);
    if (c.status != 0) {
      EXPECT_EQ(r.err, "rondel-cli: T-cannot write " + rig.dir.File(c.out) + ": " + c.reason + "\n");
      EXPECT_TRUE(rig.radio.Frames().empty()) << "the radio was not touched";
    } else {
      EXPECT_EQ(ReadBytes(rig.dir.File(c.out)).size(), 4144u);
      EXPECT_GT(Count(rig.radio.Frames(), FrameKind::ReadBlock), 0u);
    }
  }
}

TEST(CliRadio, CtrlCCancelsTheTransferAndWritesNothing) {
  sim::RadioOptions paced;
  paced.pace = true;
  Rig rig(paced);
  Child cli(BinDir() + "/rondel-cli", rig.Line({"read", "-o", "@/out.dig"}),
            rig.dir.File("err.txt"));
  ASSERT_TRUE(cli.started());
  ASSERT_TRUE(rig.radio.WaitForFrames(
      [](const auto& f) { return Count(f, FrameKind::ReadBlock) >= 10; }, 10s));
  // Bytes the program sent before it ended may still be on their way to the radio: a request
  // in flight at the signal is allowed, a read that goes on is not.
  const std::size_t atSignal = Count(rig.radio.Frames(), FrameKind::ReadBlock);
  EXPECT_EQ(cli.Stop(SIGINT), 130);
  rig.radio.WaitQuiet(300ms, 2s);
  EXPECT_LE(Count(rig.radio.Frames(), FrameKind::ReadBlock), atSignal + 2) << "nothing after the cancel";
  EXPECT_EQ(Count(rig.radio.Frames(), FrameKind::Leave), 0u);
  EXPECT_TRUE(ReadText(rig.dir.File("err.txt")).ends_with("\nrondel-cli: T-cancelled\n"));
  EXPECT_FALSE(fs::exists(rig.dir.File("out.dig")));
}

// The read starts from new.dig and compares the password given; the block at 0x100 comes
// garbled three times and keeps the starting bytes. The write sends new.dig, which the program
// saves on Ctrl+C.
TEST(RadioSimProgram, ServesAReadAndAWriteAndSavesWhatWasWritten) {
  TempDir dir;
  const std::string link = dir.File("ttyRADIO"), saved = dir.File("saved.dig"),
                    read = dir.File("read.dig");
  Child radio(BinDir() + "/rondel-radiosim",
              {"--load", Golden("radio.dig"), "--save", saved, "--link", link, "--corrupt-read",
               "0x100:3", "--password", "AB"},
              dir.File("radio.log"));
  ASSERT_TRUE(radio.started());
  for (int i = 0; i < 500 && !fs::is_symlink(link); ++i) std::this_thread::sleep_for(10ms);
  const std::vector<std::string> options = {
      "--ini", Golden("setting.ini"), "--lang", Golden("test.lang"), "--device", link};
  std::vector<std::string> args = options;
  args.insert(args.end(), {"read", "-o", read, "--from", Golden("new.dig"), "--password", "AB"});
  ProcessResult r = RunCli(args);
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_TRUE(r.err.starts_with("T-reading\n")) << r.err;
  EXPECT_TRUE(r.err.ends_with("\nT-reading 100%\nrondel-cli: T-passed over 0x100\n")) << r.err;
  const std::vector<std::uint8_t> radioFile = ReadBytes(Golden("radio.dig")),
                                  newFile = ReadBytes(Golden("new.dig"));
  ASSERT_TRUE(radioFile.size() == 4144 && newFile.size() == 4144);
  std::vector<std::uint8_t> want = newFile;
  std::copy(radioFile.begin() + 48, radioFile.begin() + 48 + 0x3F0, want.begin() + 48);
  std::copy(newFile.begin() + 48 + 0x100, newFile.begin() + 48 + 0x108, want.begin() + 48 + 0x100);
  std::fill(want.begin() + 48 + 0x3B0, want.begin() + 48 + 0x3B6, 0xFF);
  want[48 + 0x3B0] = 10;
  want[48 + 0x3B1] = 11;
  EXPECT_EQ(ReadBytes(read), want);

  args = options;
  args.insert(args.end(), {"write", Golden("new.dig")});
  r = RunCli(args);
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  // The radio's read password is not the file's: no backup of a protected radio, then the
  // write and its verification, each phase on lines of its own.
  EXPECT_TRUE(r.err.starts_with("T-backing up\nT-writing\n")) << r.err;
  EXPECT_NE(r.err.find("\nT-writing 100%\nT-verifying\n"), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.ends_with("T-verifying 100%\nrondel-cli: T-no backup\n")) << r.err;
  // The radio is another process: wait for the leave byte to show in its log.
  for (int i = 0;
       i < 500 && ReadText(dir.File("radio.log")).find("leave 62\n") == std::string::npos; ++i)
    std::this_thread::sleep_for(10ms);
  ASSERT_EQ(radio.Stop(SIGINT), 0);
  EXPECT_FALSE(fs::exists(link)) << "the link goes with the program";
  want = radioFile;
  std::copy(newFile.begin() + 48, newFile.begin() + 48 + 0x3F0, want.begin() + 48);
  EXPECT_EQ(ReadBytes(saved), want);

  EXPECT_EQ(RunProcess(BinDir() + "/rondel-radiosim", {"--bogus"}).exitStatus, 64);
  EXPECT_EQ(RunProcess(BinDir() + "/rondel-radiosim", {"--load", dir.File("none.dig")}).exitStatus,
            66);
}

}  // namespace
}  // namespace rondel::test::cli
