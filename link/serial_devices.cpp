// SPDX-License-Identifier: GPL-3.0-or-later
// The device listing on readdir, stat, realpath and the attribute files of /sys.
#include "link/serial_devices.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ascii.h"

namespace rondel {
namespace {

// The kinds of terminals that may carry a programming cable, in the order they are listed.
constexpr std::array<const char*, 4> kKinds = {"ttyUSB", "ttyACM", "ttyAMA", "ttyS"};

// The kind's place in kKinds and the number after it; false for any other name.
bool SplitName(const std::string& name, std::size_t& kind, long& number) {
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    const std::string prefix = kKinds[k];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !AllDigits(digits)) return false;
    kind = k;
    number = std::stol(digits);
    return true;
  }
  return false;
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The first line of a small attribute file, without its line end; empty when unreadable.
std::string Attribute(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line.substr(0, 200);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

// The by-id link that leads to the same file as `real`.
std::string ById(const std::string& real, const SystemRoots& roots) {
  const std::string folder = roots.dev + "/serial/by-id";
  std::vector<std::string> names = Entries(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    if (RealPath(folder + "/" + name) == real) return folder + "/" + name;
  return {};
}

// A ttyS entry exists for every possible 8250 port; only those with a UART behind them
// ("type" other than 0, the unknown port) are ports.
bool HasUart(const std::string& name, const SystemRoots& roots) {
  const std::string type = Attribute(roots.sys + "/class/tty/" + name + "/type");
  return !type.empty() && type != "0";
}

}  // namespace

SerialDevice DescribeSerialDevice(const std::string& path, const SystemRoots& roots) {
  SerialDevice d;
  d.path = path;
  const std::string real = RealPath(path);
  if (real.empty()) return d;
  d.name = BaseName(real);
  d.byId = ById(real, roots);
  // The interface of a ttyUSB, or the USB interface itself of a ttyACM, lies below the USB
  // device that carries the vendor's names.
  std::string at = RealPath(roots.sys + "/class/tty/" + d.name + "/device");
  for (int up = 0; up < 4 && !at.empty() && at != "/"; ++up, at = Parent(at)) {
    if (Exists(at + "/idVendor")) {
      d.usb = true;
      d.product = Attribute(at + "/product");
      d.manufacturer = Attribute(at + "/manufacturer");
      break;
    }
  }
  return d;
}

bool IsUsbSerialAdapter(const std::string& path, const SystemRoots& roots) {
  return DescribeSerialDevice(path, roots).usb;
}

std::vector<SerialDevice> ListSerialDevices(const SystemRoots& roots) {
  struct Found {
    std::size_t kind;
    long number;
    SerialDevice device;
  };
  std::vector<Found> found;
  for (const std::string& name : Entries(roots.dev)) {
    std::size_t kind = 0;
    long number = 0;
    if (!SplitName(name, kind, number)) continue;
    const std::string path = roots.dev + "/" + name;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    SerialDevice device = DescribeSerialDevice(path, roots);
    if (device.name.empty()) continue;
    if (std::string(kKinds[kind]) == "ttyS" && !HasUart(device.name, roots)) continue;
    found.push_back({kind, number, std::move(device)});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
  });
  std::vector<SerialDevice> devices;
  for (Found& f : found) devices.push_back(std::move(f.device));
  return devices;
}

std::string DeviceLabel(const SerialDevice& device) {
  std::string what;
  if (!device.manufacturer.empty()) what = device.manufacturer;
  if (!device.product.empty()) what += (what.empty() ? "" : " ") + device.product;
  if (!device.byId.empty()) what += (what.empty() ? "" : ", ") + device.byId;
  return what.empty() ? device.path : device.path + " (" + what + ")";
}

DeviceAccess CheckDeviceAccess(const std::string& path) {
  struct stat st {};
  if (path.empty()) return DeviceAccess::Missing;
  if (::stat(path.c_str(), &st) != 0)
    return errno == EACCES ? DeviceAccess::Denied : DeviceAccess::Missing;
  if (!S_ISCHR(st.st_mode)) return DeviceAccess::NotAPort;
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0)
    return errno == EACCES || errno == EPERM ? DeviceAccess::Denied : DeviceAccess::Missing;
  return DeviceAccess::Usable;
}

}  // namespace rondel
