// SPDX-License-Identifier: GPL-3.0-or-later
// The serial devices of a /dev and /sys tree of the test's own, and what the user is told when a
// port does not open: not allowed (through the account seam), no such device, held by another
// program (real opens), in both languages and for both programs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/link_rig.h"
#include "link/port_message.h"
#include "link/radio_handshake.h"
#include "link/serial_devices.h"
#include "shell/language.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

namespace fs = std::filesystem;

// dev: a CH340 on ttyUSB0 with its by-id link, a CDC device on ttyACM0, a UART on ttyS0, a
// ttyS1 without one, and names that are no serial ports; sys: what the kernel says of them.
struct DeviceTree {
  TempDir dir;
  SystemRoots roots{dir.File("dev"), dir.File("sys"), dir.File("proc")};
  DeviceTree() {
    for (const char* d : {"dev/serial/by-id", "dev/ttyUSB9", "sys/class/tty/ttyUSB0", "sys/class/tty/ttyACM0",
                          "sys/class/tty/ttyS0", "sys/class/tty/ttyS1", "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0",
                          "sys/devices/usb1/1-2/1-2:1.0", "sys/devices/platform/serial8250", "proc"})
      fs::create_directories(dir.File(d));
    for (const char* f : {"dev/ttyUSB0", "dev/ttyACM0", "dev/ttyS0", "dev/ttyS1", "dev/tty", "dev/ttyUSBx", "dev/console"})
      dir.Write(f, "");
    dir.Write("sys/devices/usb1/1-1/idVendor", "1a86\n");
    dir.Write("sys/devices/usb1/1-1/manufacturer", "QinHeng\n");
    dir.Write("sys/devices/usb1/1-1/product", "USB Serial\n");
    dir.Write("sys/devices/usb1/1-2/idVendor", "2e8a\n");
    dir.Write("sys/devices/usb1/1-2/product", "Radio CDC\n");
    dir.Write("sys/class/tty/ttyS0/type", "4\n");
    dir.Write("sys/class/tty/ttyS1/type", "0\n");
    Link("../../../devices/usb1/1-1/1-1:1.0/ttyUSB0", "sys/class/tty/ttyUSB0/device");
    Link("../../../devices/usb1/1-2/1-2:1.0", "sys/class/tty/ttyACM0/device");
    Link("../../../devices/platform/serial8250", "sys/class/tty/ttyS0/device");
    Link("../../ttyUSB0", "dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
  }
  void Link(const std::string& target, const std::string& name) const { fs::create_symlink(target, dir.File(name)); }
  std::string Dev(const std::string& name) const { return roots.dev + "/" + name; }
};

TEST(SerialDevices, AreListedWithWhatSysSaysOfThemWithoutOpeningAny) {
  DeviceTree t;
  const auto list = ListSerialDevices(t.roots);
  std::vector<std::string> labels;
  for (const SerialDevice& d : list) labels.push_back(DeviceLabel(d) + (d.usb ? " usb" : ""));
  const std::string byId = t.Dev("serial/by-id/usb-1a86_USB_Serial-if00-port0");
  EXPECT_EQ(labels, (std::vector<std::string>{t.Dev("ttyUSB0") + " (QinHeng USB Serial, " + byId + ") usb",
                                              t.Dev("ttyACM0") + " (Radio CDC) usb", t.Dev("ttyS0")}));
  // Any name that leads to a device tells the same; a pseudo-terminal is no USB adapter.
  const SerialDevice viaId = DescribeSerialDevice(byId, t.roots);
  EXPECT_TRUE(viaId.usb && viaId.name == "ttyUSB0" && viaId.byId == byId && viaId.path == byId);
  EXPECT_FALSE(IsUsbSerialAdapter(t.Dev("ttyS0"), t.roots) || IsUsbSerialAdapter(t.Dev("absent"), t.roots));
  PtyPair pty;
  EXPECT_FALSE(IsUsbSerialAdapter(pty.path));
  EXPECT_TRUE(DescribeSerialDevice(t.Dev("absent"), t.roots).name.empty());
  const std::pair<std::string, DeviceAccess> access[] = {
      {pty.path, DeviceAccess::Usable}, {t.Dev("ttyUSB0"), DeviceAccess::NotAPort},
      {t.Dev("absent"), DeviceAccess::Missing}, {"", DeviceAccess::Missing}};
  for (const auto& [path, want] : access) EXPECT_EQ(CheckDeviceAccess(path), want) << path;
}

struct Languages {
  std::string file;
  std::function<std::string(std::string_view)> lang() const {
    return [f = file](std::string_view key) { return GetLangStringFrom(f, key); };
  }
};
const Languages kEnglish{RONDEL_SOURCE_DIR "/resources/english.lang"};
const Languages kChinese{RONDEL_SOURCE_DIR "/resources/chinese.lang"};

// The account of the case: the device's group 20 is "dialout"; the process runs in `groups`.
PortSystem Account(std::vector<unsigned> groups, bool listed, const SystemRoots& roots = {}) {
  PortSystem s{roots};
  s.account.processGroups = [groups] { return groups; };
  s.account.deviceGroup = [](const std::string&) { return std::optional<unsigned>(20); };
  s.account.groupName = [](unsigned gid) { return gid == 20 ? std::string("dialout") : std::string(); };
  s.account.accountInGroup = [listed](unsigned gid) { return listed && gid == 20; };
  return s;
}

bool Has(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& p : parts) {
    if (text.find(p) == std::string::npos) {
      ADD_FAILURE() << "no \"" << p << "\" in:\n" << text;
      return false;
    }
  }
  return true;
}

TEST(PortMessages, APermissionRefusedSaysWhichGroupAndHowToJoinItOrToGetTheCable) {
  const PortOpenError denied{"/dev/ttyUSB0", EACCES};
  const struct {
    const Languages& language;
    std::vector<unsigned> groups;
    bool listed;
    std::vector<std::string> says;
  } cases[] = {
      {kEnglish, {1000}, false, {"may not open /dev/ttyUSB0: the device belongs to the group dialout, and the account is not in",
                                 "sudo adduser $USER dialout", "log out and log in again", "70-rondel-cable.rules"}},
      {kEnglish, {1000}, true, {"has been added to the group dialout", "Log out and log in again"}},
      {kEnglish, {1000, 20}, false, {"although this program runs in its group dialout", "ls -l /dev/ttyUSB0"}},
      {kChinese, {1000}, false, {"无权打开 /dev/ttyUSB0", "用户组 dialout", "sudo adduser $USER dialout", "70-rondel-cable.rules"}},
      {kChinese, {1000}, true, {"已被加入设备所属的用户组 dialout", "注销并重新登录"}},
      {kChinese, {1000, 20}, false, {"已在其所属用户组 dialout 中运行", "ls -l /dev/ttyUSB0"}},
  };
  for (const auto& c : cases) {
    for (const PortAudience audience : {PortAudience::Desktop, PortAudience::CommandLine}) {
      const std::string text = PortOpenText(denied, Account(c.groups, c.listed), audience, c.language.lang());
      EXPECT_TRUE(Has(text, c.says));
      // Only the one who is not in the group yet is told to join it.
      EXPECT_EQ(text.find("adduser") != std::string::npos, !c.listed && c.groups.size() == 1) << text;
    }
  }
  // A device whose group is unknown still gets the way out, with the usual group.
  PortSystem unknown = Account({1000}, false);
  unknown.account.groupName = [](unsigned) { return std::string(); };
  EXPECT_TRUE(Has(PortOpenText(denied, unknown, PortAudience::Desktop, kEnglish.lang()),
                  {"This account may not open /dev/ttyUSB0.", "sudo adduser $USER dialout"}));
}

TEST(PortMessages, AMissingDeviceListsThoseThereAreAndPointsAtTheMenuOrTheOptions) {
  DeviceTree t;
  CSerialLink link;
  const std::string absent = t.Dev("ttyUSB3");
  EXPECT_FALSE(link.OpenDevice(absent, 9600));
  const PortOpenError error = link.LastOpenError();
  EXPECT_TRUE(error.device == absent && ProblemOf(error.error) == PortProblem::Missing);
  const PortSystem system{t.roots};
  const std::string en = PortOpenText(error, system, PortAudience::Desktop, kEnglish.lang());
  EXPECT_EQ(en, "There is no device " + absent + ".\n\nSerial devices present now:\n  " + t.Dev("ttyUSB0") +
                    " (QinHeng USB Serial, " + t.Dev("serial/by-id/usb-1a86_USB_Serial-if00-port0") + ")\n  " +
                    t.Dev("ttyACM0") + " (Radio CDC)\n  " + t.Dev("ttyS0") +
                    "\n\nChoose the port of the cable in Settings > Communication port.");
  const std::string cli = PortOpenText(error, system, PortAudience::CommandLine, kEnglish.lang());
  EXPECT_TRUE(Has(cli, {"--device PATH", "--port N"}) && cli.find("Settings >") == std::string::npos);
  EXPECT_TRUE(Has(PortOpenText(error, system, PortAudience::Desktop, kChinese.lang()),
                  {"设备 " + absent + " 不存在", "当前存在的串口设备", "“设置 > 通信端口”"}));
  EXPECT_TRUE(Has(PortOpenText(error, system, PortAudience::CommandLine, kChinese.lang()), {"--device", "--port N"}));
  // Nothing there at all: the user is told to plug the cable in.
  const SystemRoots empty{t.dir.File("proc"), t.dir.File("proc"), t.dir.File("proc")};
  EXPECT_TRUE(Has(PortOpenText(error, PortSystem{empty}, PortAudience::Desktop, kEnglish.lang()),
                  {"No serial device is present now. Plug the cable in"}));
}

// A child of this test holds the terminal the way another program would, until told to go.
struct OtherHolder {
  pid_t pid = -1;
  int go[2] = {-1, -1};
  explicit OtherHolder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      ::close(go[1]);  // the end of the test closes the last write end, and the child goes
      const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
      const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
      [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
      char c;
      n = ::read(go[0], &c, 1);
      ::_exit(0);
    }
    char ok = 0;
    EXPECT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    ::close(ready[0]);
    ::close(ready[1]);
  }
  ~OtherHolder() {
    ::close(go[1]);
    ::close(go[0]);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
  }
};

TEST(PortMessages, APortHeldByAnotherProgramNamesItWhenProcTells) {
  PtyPair pty;
  const OtherHolder other(pty.path);
  CSerialLink link;
  EXPECT_FALSE(link.OpenDevice(pty.path, 9600));
  const PortOpenError error = link.LastOpenError();
  EXPECT_EQ(ProblemOf(error.error), PortProblem::Busy);
  const std::string pid = std::to_string(other.pid);
  const std::vector<PortHolder> holders = PortHolders(pty.path, "/proc", ::getpid());
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(holders[0].pid, other.pid);
  EXPECT_TRUE(Has(PortOpenText(error, {}, PortAudience::Desktop, kEnglish.lang()),
                  {pty.path + " is in use by another program: " + holders[0].name + " (pid " + pid + "). Close it"}));
  EXPECT_TRUE(Has(PortOpenText(error, {}, PortAudience::CommandLine, kChinese.lang()),
                  {pty.path + " 正被其他程序占用：" + holders[0].name + " (进程号 " + pid + ")"}));
  // Without a /proc to look into, the holder stays unnamed and the user gets the tool to ask.
  DeviceTree t;
  EXPECT_TRUE(Has(PortOpenText(error, PortSystem{t.roots}, PortAudience::Desktop, kEnglish.lang()),
                  {"is in use by another program. Close it", "fuser -v " + pty.path}));
  // The dialog sees the same without opening the port.
  EXPECT_TRUE(Has(PortUnusableText(pty.path, {}, kEnglish.lang()).value_or(""), {"(pid " + pid + ")"}));
}

// The search greets only USB adapters and the ports the user named; when no port opened at
// all, the failure that tells most is the message.
TEST(PortMessages, TheHandshakeTellsWhetherAnyPortOpenedAndWhyNot) {
  struct Case {
    const char* name;
    std::vector<int> unnamed;
    bool regularFileOn2;
    HandshakeResult result;
    bool opened;
    PortProblem why;
  };
  const Case cases[] = {
      {"the radio on a named COM3 is found", {}, false, HandshakeResult::Connected, true, PortProblem::Missing},
      {"a pseudo-terminal the user did not name is passed over", {3}, false, HandshakeResult::NoConnection, false,
       PortProblem::Missing},
      {"no terminal says more than a missing device", {3}, true, HandshakeResult::NoConnection, false,
       PortProblem::NotAPort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RadioRig rig;
    TempDir dir;
    rig.settings.search = true;
    rig.settings.ports = {{3, rig.radio.DevicePath()}};
    if (c.regularFileOn2) rig.settings.ports[2] = dir.Write("not-a-port", "");
    rig.settings.unnamed = c.unnamed;
    HandshakeReporter quiet;
    EXPECT_EQ(ConnectRadio(rig.link, rig.settings, quiet), c.result);
    const OpenRecord record = rig.link.OpenAttempts();
    EXPECT_EQ(record.opened, c.opened);
    EXPECT_EQ(ProblemOf(record.failure.error), c.why);
    if (c.why == PortProblem::Missing) {
      EXPECT_EQ(record.failure.device, MissingPort(1)) << "the first of equals";
    }
    EXPECT_EQ(NoPortOpenedText(record, {}, PortAudience::Desktop, kEnglish.lang()).has_value(), !c.opened);
    if (!c.opened) {
      EXPECT_TRUE(rig.radio.Frames().empty()) << "the radio heard nothing";
    }
    rig.link.Close();
  }
}

}  // namespace
}  // namespace rondel::test
