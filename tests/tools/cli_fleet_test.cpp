// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli with several radios: a write into four and eight virtual radios with their
// backups and verification (one silent, one hanging up mid-write), the summary and the exit
// status of the worst result, reads into a folder, Ctrl+C on all, one line per radio on a
// terminal, and write --each programming each radio once.
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

#include "link/transfer.h"
#include "shell/document/radio_backups.h"
#include "tools/cli/fleet_command.h"
#include "tools/cli_rig.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using sim::FrameKind;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kHeader = 48;
constexpr std::size_t kBlocks = 126;

// How often `lead`, the blanks that pad a column, then `rest` stand in `text`.
std::size_t CountLines(const std::string& text, const std::string& lead, const std::string& rest) {
  std::size_t n = 0;
  for (std::size_t at = text.find(lead); at != std::string::npos; at = text.find(lead, at + 1)) {
    std::size_t after = at + lead.size();
    const std::size_t pad = text.find_first_not_of(' ', after);
    if (pad == std::string::npos || pad - after < 2) continue;
    if (text.compare(pad, rest.size(), rest) == 0) ++n;
  }
  return n;
}
bool HasLine(const std::string& text, const std::string& lead, const std::string& rest) {
  return CountLines(text, lead, rest) > 0;
}

std::size_t Count(const std::vector<sim::ReceivedFrame>& frames, FrameKind kind) {
  return static_cast<std::size_t>(std::count_if(frames.begin(), frames.end(),
                                                [kind](const auto& f) { return f.kind == kind; }));
}

sim::Memory MemoryOf(int seed) {
  sim::Memory m = sim::FactoryMemory();
  for (std::size_t a = 0x100; a < 0x300; ++a) m[a] = static_cast<std::uint8_t>(seed * 7 + a);
  return m;
}

// N radios on ptys, each with a memory of its own and the read password of radio.dig (so its
// memory is read for the backup before the write).
struct Fleet {
  explicit Fleet(std::size_t n, const std::function<void(std::size_t, sim::RadioOptions&)>& knobs = {})
      : state(dir.File("state")) {
    fs::copy(Golden("radio.dig"), dir.File("radio.dig"));
    file = ReadBytes(dir.File("radio.dig"));
    PasswordBytes password{};
    std::copy_n(file.begin() + kHeader + 0x3B0, password.size(), password.begin());
    std::string ports = "[ports]\n";
    for (std::size_t i = 0; i < n; ++i) {
      sim::RadioOptions o;
      if (knobs) knobs(i, o);
      radios.push_back(std::make_unique<sim::VirtualRadio>(o));
      if (!radios.back()->Start()) ADD_FAILURE() << radios.back()->error();
      radios.back()->SetMemory(MemoryOf(static_cast<int>(i) + 1));
      radios.back()->SetPassword(password);
      before.push_back(radios.back()->GetMemory());
      ports += "com" + std::to_string(i + 1) + "=" + radios.back()->DevicePath() + "\n";
    }
    ini = dir.Write("setting.ini", ReadText(Golden("setting.ini")) + ports);
  }
  std::vector<std::string> Line(std::vector<std::string> args) const {
    for (std::string& a : args)
      if (a.starts_with("@")) a = dir.path() + a.substr(1);
    args.insert(args.begin(), {"--ini", ini, "--lang", Golden("test.lang")});
    return args;
  }
  std::vector<std::string> Devices(std::vector<std::string> args) const {
    for (const auto& r : radios) args.insert(args.end(), {"--device", r->DevicePath()});
    return Line(args);
  }
  bool HoldsFile(std::size_t i) const {
    const sim::Memory m = radios[i]->GetMemory();
    return std::equal(m.begin(), m.begin() + 0x3F0, file.begin() + kHeader);
  }
  std::string Backups() const { return dir.File("state/rondel/backups"); }
  // The summary's row of a device (its port, the device, then the rest).
  static std::string Row(const std::string& err, const std::string& device) {
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string port, dev;
      words >> port >> dev;
      if (dev == device && (port == "-" || port.starts_with("COM"))) return line;
    }
    return {};
  }

  TempDir dir;
  StateHome state;
  std::vector<std::uint8_t> file;
  std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
  std::vector<sim::Memory> before;  // each radio's memory at the start
  std::string ini;
};

TEST(CliFleet, TheWorstResultIsTheExitStatusBySeverity) {
  using rondel::cli::WorstExit;
  const struct {
    std::vector<int> statuses;
    int worst;
  } cases[] = {
      {{}, 0},       {{0, 0}, 0},     {{0, 1, 0}, 1},  {{2, 1}, 2},     {{12, 2}, 12},
      {{5, 12}, 5},  {{73, 5}, 73},   {{7, 73}, 7},    {{14, 7}, 14},   {{7, 14, 1}, 14},
      {{130, 14}, 130}, {{0, 130, 7}, 130},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorstExit(c.statuses), c.worst) << testing::PrintToString(c.statuses);
    std::vector<int> reversed(c.statuses.rbegin(), c.statuses.rend());
    EXPECT_EQ(WorstExit(reversed), c.worst) << "whatever the order";
  }
}

// Each good radio holds the file; the silent one and the one whose line drops are named in the
// summary, have no leave byte, and the write exits with the worst of their statuses (7 before 1).
TEST(CliFleet, WritesEveryRadioWithItsBackupAndNamesTheFailingOnes) {
  constexpr std::size_t kSilent = 1, kHangsUp = 2;
  for (const std::size_t n : {4u, 8u}) {
    SCOPED_TRACE(std::to_string(n) + " radios");
    Fleet fleet(n, [](std::size_t i, sim::RadioOptions& o) {
      o.silent = i == kSilent;
      if (i == kHangsUp) o.hangUpAfterBlock = static_cast<int>(kBlocks) + 40;
    });
    const ProcessResult r = RunCli(fleet.Devices({"write", "@/radio.dig"}));
    EXPECT_EQ(r.exitStatus, 7) << Describe(r);
    const std::vector<std::string> backups = [&] {
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(fleet.Backups())) names.push_back(e.path().string());
      return names;
    }();
    // Every radio that was read has a backup of its own, even those read in the same second.
    EXPECT_EQ(backups.size(), n - 1);
    for (std::size_t i = 0; i < n; ++i) {
      SCOPED_TRACE("radio " + std::to_string(i));
      sim::VirtualRadio& radio = *fleet.radios[i];
      radio.WaitQuiet(100ms, 2s);
      const std::string device = radio.DevicePath();
      const std::string row = Fleet::Row(r.err, device);
      ASSERT_FALSE(row.empty()) << r.err;
      const auto frames = radio.Frames();
      if (i == kSilent) {
        EXPECT_NE(row.find("T-no-answer"), std::string::npos) << row;
        EXPECT_EQ(Count(frames, FrameKind::WriteBlock), 0u);
      } else if (i == kHangsUp) {
        EXPECT_NE(row.find("T-write-failed"), std::string::npos) << row;
        EXPECT_EQ(sim::CountDistinct(frames, FrameKind::WriteBlock), 40u);
      } else {
        EXPECT_NE(row.find("T-verified"), std::string::npos) << row;
        EXPECT_TRUE(fleet.HoldsFile(i));
        EXPECT_EQ(Count(frames, FrameKind::Leave), 1u);
      }
      if (i == kSilent || i == kHangsUp) {
        EXPECT_EQ(Count(frames, FrameKind::Leave), 0u);
      }
      if (i == kSilent) continue;
      // The backup the summary names is this radio's memory as it was before the write.
      const std::size_t at = row.find(fleet.Backups());
      ASSERT_NE(at, std::string::npos) << row;
      const std::string backup = row.substr(at, row.find(' ', at) - at);
      const std::vector<std::uint8_t> bytes = ReadBytes(backup);
      ASSERT_EQ(bytes.size(), 4144u) << backup;
      const sim::Memory& before = fleet.before[i];
      EXPECT_TRUE(std::equal(before.begin(), before.begin() + 0x3F0, bytes.begin() + kHeader)) << backup;
      EXPECT_TRUE(ParseBackupFileName(fs::path(backup).filename().string()).valid) << backup;
    }
    // A log gets a line per radio per phase and quarter.
    const std::string d0 = fleet.radios[0]->DevicePath();
    const std::string progress = r.err.substr(0, r.err.find("T-port"));
    for (const char* line : {"T-backing up", "T-writing", "T-writing 100%", "T-verifying 100%", "T-verified"})
      EXPECT_EQ(CountLines(progress, d0, std::string(line) + "\n"), 1u) << line << "\n" << r.err;
    EXPECT_EQ(r.err.find('\033'), std::string::npos);
  }
}

// The single write's options hold for each radio: no backup, no verification.
TEST(CliFleet, NoBackupAndNoVerifyHoldForEveryRadio) {
  Fleet fleet(2);
  const ProcessResult r = RunCli(fleet.Devices({"write", "@/radio.dig", "--no-backup", "--no-verify"}));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_FALSE(fs::exists(fleet.Backups()));
  for (std::size_t i = 0; i < 2; ++i) {
    fleet.radios[i]->WaitQuiet(100ms, 2s);
    EXPECT_TRUE(fleet.HoldsFile(i));
    EXPECT_EQ(Count(fleet.radios[i]->Frames(), FrameKind::ReadBlock), 0u);
    EXPECT_NE(Fleet::Row(r.err, fleet.radios[i]->DevicePath()).find("T-written"), std::string::npos) << r.err;
  }
}

// Each radio's memory into a file of its own, named by port and time, never over a file that
// is there: radio 1's names for the next two minutes are taken.
TEST(CliFleet, ReadsEachRadioIntoItsOwnFileInTheFolder) {
  Fleet fleet(2);
  fs::create_directory(fleet.dir.File("out"));
  const auto now = std::chrono::system_clock::now();
  std::vector<std::string> taken;
  for (int s = 0; s < 120; ++s) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now + std::chrono::seconds(s));
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%S", &tm);
    taken.push_back(fleet.dir.Write("out/COM1_" + std::string(stamp) + ".dig", "mine"));
  }
  const ProcessResult r = RunCli(fleet.Line({"read", "-o", "@/out", "--from", "@/radio.dig", "--port", "1", "--port", "2"}));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  for (const std::string& t : taken) EXPECT_EQ(ReadText(t), "mine");
  std::vector<std::string> made;
  for (const auto& e : fs::directory_iterator(fleet.dir.File("out")))
    if (ReadText(e.path().string()) != "mine") made.push_back(e.path().filename().string());
  std::sort(made.begin(), made.end());
  ASSERT_EQ(made.size(), 2u) << r.err;
  EXPECT_TRUE(made[0].starts_with("COM1_") && made[0].ends_with("-2.dig")) << made[0];
  EXPECT_TRUE(made[1].starts_with("COM2_") && made[1].ends_with(".dig")) << made[1];
  for (std::size_t i = 0; i < 2; ++i) {
    const std::vector<std::uint8_t> bytes = ReadBytes(fleet.dir.File("out/" + made[i]));
    ASSERT_EQ(bytes.size(), 4144u);
    const sim::Memory& m = fleet.before[i];
    EXPECT_TRUE(std::equal(m.begin(), m.begin() + 0x3F0, bytes.begin() + kHeader)) << made[i];
    EXPECT_NE(Fleet::Row(r.err, fleet.radios[i]->DevicePath()).find("T-read-done"), std::string::npos) << r.err;
    EXPECT_TRUE(Fleet::Row(r.err, fleet.radios[i]->DevicePath()).starts_with("COM" + std::to_string(i + 1) + " "));
    EXPECT_EQ(Count(fleet.radios[i]->Frames(), FrameKind::Leave), 0u);
  }
}

TEST(CliFleet, ALineThatCannotWorkIsRefusedBeforeAnyRadioHearsOfIt) {
  Fleet fleet(2);
  const std::string d0 = fleet.radios[0]->DevicePath(), d1 = fleet.radios[1]->DevicePath();
  fleet.dir.Write("file", "x");
  const struct {
    std::vector<std::string> args;
    std::string err;  // the beginning of standard error
  } cases[] = {
      {{"read", "-o", "@/file", "--device", d0, "--device", d1}, "rondel-cli: T-not a folder @/file\n"},
      {{"read", "-o", "@/none", "--device", d0, "--device", d1}, "rondel-cli: T-not a folder @/none\n"},
      {{"write", "@/radio.dig", "--device", d0, "--device", d0}, "rondel-cli: T-twice " + d0 + "\n"},
      {{"write", "@/radio.dig", "--device", d0, "--port", "1", "--port", "2"}, "rondel-cli: T-bad --device\n"},
      {{"write", "@/radio.dig", "--each"}, "rondel-cli: T-missing --device PATH | --port N | --all\n"},
      {{"read", "-o", "@/", "--each", "--device", d0}, "rondel-cli: T-bad --each\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ProcessResult r = RunCli(fleet.Line(c.args));
    EXPECT_EQ(r.exitStatus, 64) << Describe(r);
    std::string err = c.err;
    if (const std::size_t at = err.find('@'); at != std::string::npos) err.replace(at, 1, fleet.dir.path());
    EXPECT_TRUE(r.err.starts_with(err)) << r.err;
  }
  for (const auto& radio : fleet.radios) {
    radio->WaitQuiet(50ms, 1s);
    EXPECT_TRUE(radio->Frames().empty());
  }
}

TEST(CliFleet, CtrlCCancelsEveryRadioAtOnce) {
  Fleet fleet(4, [](std::size_t, sim::RadioOptions& o) { o.pace = true; });
  Child cli(BinDir() + "/rondel-cli", fleet.Devices({"write", "@/radio.dig", "--no-backup"}),
            fleet.dir.File("err.txt"));
  ASSERT_TRUE(cli.started());
  for (const auto& radio : fleet.radios)
    ASSERT_TRUE(radio->WaitForFrames([](const auto& f) { return Count(f, FrameKind::WriteBlock) >= 10; }, 30s));
  std::vector<std::size_t> atSignal;
  for (const auto& radio : fleet.radios)
    atSignal.push_back(sim::CountDistinct(radio->Frames(), FrameKind::WriteBlock));
  EXPECT_EQ(cli.Stop(SIGINT), 130);
  const std::string err = ReadText(fleet.dir.File("err.txt"));
  EXPECT_NE(err.find("\nrondel-cli: T-cancelled\n"), std::string::npos) << err;
  for (std::size_t i = 0; i < fleet.radios.size(); ++i) {
    fleet.radios[i]->WaitQuiet(300ms, 3s);
    const auto frames = fleet.radios[i]->Frames();
    EXPECT_LE(sim::CountDistinct(frames, FrameKind::WriteBlock), atSignal[i] + 2)
        << "nothing after the cancel";
    EXPECT_EQ(Count(frames, FrameKind::Leave), 0u);
    EXPECT_NE(Fleet::Row(err, fleet.radios[i]->DevicePath()).find("T-stopped"), std::string::npos) << err;
  }
}

// On a terminal the radios' lines are one block, drawn again in place: the cursor goes up over
// it and each line is cleared to its end.
TEST(CliFleet, OnATerminalEachRadioHasOneLineRewrittenInPlace) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string slave = ::ptsname(master);
  {
    const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    ::close(fd);
  }
  const char* oldTerm = std::getenv("TERM");
  const std::string keep = oldTerm ? oldTerm : "";
  ::setenv("TERM", "xterm", 1);
  Fleet fleet(2);
  Child cli(BinDir() + "/rondel-cli", fleet.Devices({"write", "@/radio.dig", "--no-backup", "--no-verify"}), slave);
  if (oldTerm) ::setenv("TERM", keep.c_str(), 1); else ::unsetenv("TERM");
  ASSERT_TRUE(cli.started());
  std::string text;
  char buffer[4096];
  // Reads as the program writes, so the terminal never fills; the summary's last row ends it.
  const auto summarized = [&] {
    const std::size_t head = text.find("T-port");
    return head != std::string::npos && !Fleet::Row(text.substr(head), fleet.radios[1]->DevicePath()).empty() &&
           text.back() == '\n';
  };
  for (int i = 0; i < 3000 && !summarized(); ++i) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 10) > 0) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  EXPECT_EQ(cli.Wait(), 0);
  ::close(master);
  EXPECT_NE(text.find("\033[2A"), std::string::npos) << "back up over both lines";
  for (const auto& radio : fleet.radios) {
    EXPECT_TRUE(HasLine(text, "\r" + radio->DevicePath(), "T-writing")) << text;
    EXPECT_TRUE(HasLine(text, "\r" + radio->DevicePath(), "T-written\033[K\n")) << text;
  }
}

// The dealer's loop: A is programmed and stays on its cable, B comes on the other port and is
// programmed too; A is asked after again and again, but never written twice. Ctrl+C ends it.
TEST(CliFleet, EachProgramsEveryRadioOnceUntilCtrlC) {
  Fleet fleet(2);
  // B is not there yet: its port names a device that comes later.
  const std::string portB = fleet.dir.File("portB");
  Child cli(BinDir() + "/rondel-cli",
            fleet.Line({"write", "@/radio.dig", "--each", "--device", fleet.radios[0]->DevicePath(), "--device", portB}),
            fleet.dir.File("err.txt"));
  ASSERT_TRUE(cli.started());
  sim::VirtualRadio& a = *fleet.radios[0];
  sim::VirtualRadio& b = *fleet.radios[1];
  // Backup, write and verification (two reads of 126 blocks), then a greeting round of the
  // occupied port: by then the write has ended for the program too.
  const auto programmedAndAskedAfter = [](const std::vector<sim::ReceivedFrame>& f) {
    std::size_t reads = 0;
    for (const auto& frame : f) {
      if (frame.kind == FrameKind::ReadBlock) ++reads;
      if (reads >= 2 * kBlocks && frame.kind == FrameKind::Hello) return true;
    }
    return false;
  };
  ASSERT_TRUE(a.WaitForFrames(programmedAndAskedAfter, 30s));
  fs::create_symlink(b.DevicePath(), portB);
  ASSERT_TRUE(b.WaitForFrames(programmedAndAskedAfter, 30s));
  const std::size_t hellos = Count(a.Frames(), FrameKind::Hello);
  ASSERT_TRUE(a.WaitForFrames([&](const auto& f) { return Count(f, FrameKind::Hello) >= hellos + 2; }, 30s));
  EXPECT_EQ(cli.Stop(SIGINT), 0) << ReadText(fleet.dir.File("err.txt"));
  const std::string err = ReadText(fleet.dir.File("err.txt"));
  EXPECT_NE(err.find("\nT-count 2 0\n"), std::string::npos) << err;
  EXPECT_NE(Fleet::Row(err, a.DevicePath()).find("T-verified"), std::string::npos) << err;
  EXPECT_NE(Fleet::Row(err, portB).find("T-verified"), std::string::npos) << err;
  for (std::size_t i = 0; i < 2; ++i) {
    fleet.radios[i]->WaitQuiet(100ms, 2s);
    EXPECT_EQ(Count(fleet.radios[i]->Frames(), FrameKind::WriteBlock), kBlocks) << "written once";
    EXPECT_TRUE(fleet.HoldsFile(i));
  }
}

}  // namespace
}  // namespace rondel::test::cli
