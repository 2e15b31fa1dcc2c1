// SPDX-License-Identifier: GPL-3.0-or-later
// The serial devices of this machine as /dev and /sys show them: which are present, which are
// USB adapters and what they are, and whether this account may use one. Nothing here opens a
// device: an open raises DTR and RTS, and that resets some boards.
#pragma once

#include <string>
#include <vector>

namespace rondel {

// Where the system's device and kernel folders are; tests point them at a tree of their own.
struct SystemRoots {
  std::string dev = "/dev";
  std::string sys = "/sys";
  std::string proc = "/proc";
};

struct SerialDevice {
  std::string path;          // as listed or asked for: <dev>/ttyUSB0, a [ports] entry
  std::string name;          // the kernel's name of the terminal: ttyUSB0
  bool usb = false;          // a USB adapter
  std::string product;       // of a USB adapter, as it names itself; may be empty
  std::string manufacturer;
  std::string byId;          // <dev>/serial/by-id/... naming the same device; empty when none
};

// The serial devices present now in the dev folder: ttyUSB*, ttyACM*, ttyAMA*, and the ttyS*
// that have a port behind them. Ordered by kind, then by number (ttyUSB2 before ttyUSB10).
std::vector<SerialDevice> ListSerialDevices(const SystemRoots& roots = {});

// What /sys tells about the device at `path`, whatever name leads to it (a by-id link, a
// symbolic link of a [ports] entry). Empty name: nothing is there.
SerialDevice DescribeSerialDevice(const std::string& path, const SystemRoots& roots = {});

// A USB serial adapter (per /sys) is at `path`.
bool IsUsbSerialAdapter(const std::string& path, const SystemRoots& roots = {});

// "/dev/ttyUSB0 (QinHeng USB Serial, /dev/serial/by-id/usb-1a86_...)": the path and what is
// known of the device behind it.
std::string DeviceLabel(const SerialDevice& device);

// Whether a port could be opened, found out with stat and access only.
enum class DeviceAccess { Usable, Missing, NotAPort, Denied };
DeviceAccess CheckDeviceAccess(const std::string& path);

}  // namespace rondel
