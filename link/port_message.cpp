// SPDX-License-Identifier: GPL-3.0-or-later
// The port texts, and the looks at /dev, /sys, /proc and the group database behind them.
#include "link/port_message.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/numbered_text.h"

namespace rondel {

PortTried PortToBeTried(bool linkOpen, const std::string& openDevice, const LinkSettings& settings) {
  PortTried port;
  port.searched = settings.SearchEnabled();
  if (linkOpen) {
    port.device = openDevice;
  } else {
    port.com = settings.Com();
    port.device = settings.PortDevice(port.com);
  }
  return port;
}

std::string DescribePort(const PortTried& port) {
  if (port.com <= 0) return port.device.empty() ? "COM" + std::to_string(port.com) : port.device;
  std::string text = "COM" + std::to_string(port.com);
  // A number outside 1..255 maps to no device at all.
  if (!port.device.empty()) text += " (" + port.device + ")";
  return text;
}

std::string PortTriedText(const PortTried& port,
                          const std::function<std::string(std::string_view)>& lang) {
  std::string text = lang(port.searched ? "IDS_ERROR_PORTSEARCHED" : "IDS_ERROR_PORTTRIED");
  // A text without the place still names the port, after it.
  const std::string name = DescribePort(port);
  if (text.find("%s") == std::string::npos) return text + " " + name;
  return FillIn(text, "%s", name);
}

}  // namespace rondel

namespace rondel {
namespace {


std::string RealPathOf(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string out = real;
  std::free(real);
  return out;
}

std::string ReadLink(const std::string& path) {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

bool AllDigits(const char* s) {
  if (*s == '\0') return false;
  for (; *s; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

long SelfPid(const PortSystem& system) { return system.selfPid > 0 ? system.selfPid : ::getpid(); }

std::string ChooseText(PortAudience audience, const LangLookup& lang) {
  return lang(audience == PortAudience::Desktop ? "IDS_PORT_CHOOSE" : "IDS_PORT_CHOOSE_CLI");
}

std::string MissingText(const std::string& device, const PortSystem& system,
                        PortAudience audience, const LangLookup& lang) {
  std::string text = FillNumbered(lang("IDS_PORT_MISSING"), {device}) + "\n\n";
  const std::vector<SerialDevice> present = ListSerialDevices(system.roots);
  if (present.empty()) {
    text += lang("IDS_PORT_NONEPRESENT");
  } else {
    text += lang("IDS_PORT_PRESENT");
    for (const SerialDevice& d : present) text += "\n  " + DeviceLabel(d);
  }
  return text + "\n\n" + ChooseText(audience, lang);
}

std::string DeniedText(const std::string& device, const PortSystem& system, const LangLookup& lang) {
  const AccountFacts& a = system.account;
  const std::optional<unsigned> gid = a.deviceGroup ? a.deviceGroup(device) : std::nullopt;
  const std::string group = gid && a.groupName ? a.groupName(*gid) : std::string();
  const std::string fix = "\n\n" + FillNumbered(lang("IDS_PORT_DENIED_FIX"), {group.empty() ? "dialout" : group});
  if (group.empty()) return FillNumbered(lang("IDS_PORT_DENIED"), {device}) + fix;
  const std::vector<unsigned> groups = a.processGroups ? a.processGroups() : std::vector<unsigned>{};
  if (std::find(groups.begin(), groups.end(), *gid) != groups.end())
    return FillNumbered(lang("IDS_PORT_DENIED_INGROUP"), {device, group});
  if (a.accountInGroup && a.accountInGroup(*gid))
    return FillNumbered(lang("IDS_PORT_DENIED_RELOGIN"), {device, group});
  return FillNumbered(lang("IDS_PORT_DENIED_GROUP"), {device, group}) + fix;
}

std::string BusyText(const std::string& device, const PortSystem& system, const LangLookup& lang) {
  const std::vector<PortHolder> holders = PortHolders(device, system.roots.proc, SelfPid(system));
  if (holders.empty()) return FillNumbered(lang("IDS_PORT_BUSY"), {device});
  std::string names;
  for (const PortHolder& h : holders)
    names += (names.empty() ? "" : ", ") + h.name + " (" + lang("IDS_PORT_PID") + " " + std::to_string(h.pid) + ")";
  return FillNumbered(lang("IDS_PORT_BUSY_BY"), {device, names});
}

}  // namespace

AccountFacts SystemAccount() {
  AccountFacts a;
  a.processGroups = [] {
    std::vector<unsigned> out;
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
      std::vector<gid_t> groups(static_cast<std::size_t>(n));
      const int got = ::getgroups(n, groups.data());
      for (int i = 0; i < got; ++i) out.push_back(groups[static_cast<std::size_t>(i)]);
    }
    out.push_back(::getegid());
    return out;
  };
  a.deviceGroup = [](const std::string& path) -> std::optional<unsigned> {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return st.st_gid;
  };
  a.groupName = [](unsigned gid) {
    const group* g = ::getgrgid(gid);
    return g && g->gr_name ? std::string(g->gr_name) : std::string();
  };
  a.accountInGroup = [](unsigned gid) {
    const passwd* pw = ::getpwuid(::getuid());
    if (pw == nullptr) return false;
    if (pw->pw_gid == gid) return true;
    const std::string user = pw->pw_name ? pw->pw_name : "";
    const group* g = ::getgrgid(gid);
    for (char** m = g ? g->gr_mem : nullptr; m && *m; ++m)
      if (user == *m) return true;
    return false;
  };
  return a;
}

std::vector<PortHolder> PortHolders(const std::string& device, const std::string& procRoot,
                                    long selfPid) {
  const std::string real = RealPathOf(device);
  std::vector<PortHolder> holders;
  DIR* proc = ::opendir(procRoot.c_str());
  if (proc == nullptr) return holders;
  while (const dirent* e = ::readdir(proc)) {
    if (!AllDigits(e->d_name)) continue;
    const long pid = std::atol(e->d_name);
    if (pid == selfPid) continue;
    const std::string base = procRoot + "/" + e->d_name;
    DIR* fds = ::opendir((base + "/fd").c_str());
    if (fds == nullptr) continue;  // another user's process: not ours to look into
    bool holds = false;
    while (const dirent* f = ::readdir(fds)) {
      if (!AllDigits(f->d_name)) continue;
      const std::string target = ReadLink(base + "/fd/" + f->d_name);
      if (!target.empty() && (target == real || target == device)) {
        holds = true;
        break;
      }
    }
    ::closedir(fds);
    if (!holds) continue;
    std::string name;
    if (std::ifstream comm(base + "/comm"); comm) std::getline(comm, name);
    holders.push_back({pid, name.empty() ? std::string("?") : name});
  }
  ::closedir(proc);
  std::sort(holders.begin(), holders.end(), [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
  return holders;
}

std::string PortOpenText(const PortOpenError& error, const PortSystem& system,
                         PortAudience audience, const LangLookup& lang) {
  const std::string& device = error.device;
  switch (ProblemOf(error.error)) {
    case PortProblem::Missing:
      return MissingText(device, system, audience, lang);
    case PortProblem::Denied:
      return DeniedText(device, system, lang);
    case PortProblem::Busy:
      return BusyText(device, system, lang);
    case PortProblem::NotAPort:
      return FillNumbered(lang("IDS_PORT_NOTAPORT"), {device}) + "\n\n" + ChooseText(audience, lang);
    case PortProblem::None:
    case PortProblem::Other:
      break;
  }
  return FillNumbered(lang("IDS_PORT_OTHER"), {device, std::strerror(error.error)});
}

std::optional<std::string> NoPortOpenedText(const OpenRecord& record, const PortSystem& system,
                                            PortAudience audience, const LangLookup& lang) {
  if (record.opened || record.failure.error == 0) return std::nullopt;
  return PortOpenText(record.failure, system, audience, lang);
}

std::optional<std::string> PortUnusableText(const std::string& device, const PortSystem& system,
                                            const LangLookup& lang) {
  switch (CheckDeviceAccess(device)) {
    case DeviceAccess::Missing:
      return FillNumbered(lang("IDS_PORT_MISSING"), {device});
    case DeviceAccess::NotAPort:
      return FillNumbered(lang("IDS_PORT_NOTAPORT"), {device});
    case DeviceAccess::Denied:
      return DeniedText(device, system, lang);
    case DeviceAccess::Usable:
      break;
  }
  if (!PortHolders(device, system.roots.proc, SelfPid(system)).empty())
    return BusyText(device, system, lang);
  return std::nullopt;
}

}  // namespace rondel
