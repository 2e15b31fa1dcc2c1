// SPDX-License-Identifier: GPL-3.0-or-later
// The transport every radio exchange runs on: open a COM port or a device, write a frame after
// the protocol's pause, read with a time-out, close. The serial port, the fuzz harness and the
// virtual radio's in-process link are its implementations.
#pragma once

#include <cstdint>
#include <string>

namespace rondel {

// Why a port did not open, told by the errno of the step that refused it: ENOENT (no such
// device), EACCES (not allowed), EBUSY or EWOULDBLOCK (another program holds it), ENOTTY (no
// terminal at that path).
enum class PortProblem { None, Missing, Denied, Busy, NotAPort, Other };
PortProblem ProblemOf(int error);

struct PortOpenError {
  std::string device;
  int error = 0;  // 0: nothing failed
};

// The opens since StartOpenRecord: whether one of them succeeded, and the failure that says
// most about why the others did not (a refused permission before a busy port, either of them
// before a missing device; the first of equals).
struct OpenRecord {
  bool opened = false;
  PortOpenError failure;
  void NoteFailure(const PortOpenError& error);
};

// Close may come from another thread than the one using the link (the transfer worker's port
// is closed by the user's Cancel): it ends every wait in progress at once, and from then until
// the next successful Open every call fails at once (Write reports 0 bytes, Read returns what
// it had, ReadByte -1). Waits never outlast their time-out; a short count is a silent radio.
class ByteLink {
 public:
  virtual ~ByteLink() = default;

  // COM `port` (1..255) or a device path; false when it does not open. Only called on a
  // closed link.
  virtual bool Open(int port, int baud) = 0;
  virtual bool OpenDevice(const std::string& path, int baud) = 0;
  // Affects an open link only; a link without a line rate ignores it.
  virtual void SetBaudRate(int) {}

  // Waits `delayMs` (the pause before every frame), then writes all `count` bytes; returns the
  // number written.
  virtual int Write(const void* data, int count, int delayMs) = 0;
  int WriteByte(std::uint8_t value, int delayMs) { return Write(&value, 1, delayMs); }
  // Up to `count` bytes within `timeoutMs`; returns at once when all have arrived.
  virtual int Read(void* buffer, int count, int timeoutMs) = 0;
  // One byte 0..255, or -1 when none arrived in time; a time-out of 0 is exactly one attempt.
  virtual int ReadByte(unsigned timeoutMs);

  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // The port search's account of its opens (see OpenRecord). A link that keeps none tells
  // only whether it is open now.
  virtual void StartOpenRecord() {}
  virtual OpenRecord OpenAttempts() const { return {IsOpen(), {}}; }
  // Why the last Open or OpenDevice failed.
  virtual PortOpenError LastOpenError() const { return {}; }
  // The device of the open link, empty when closed.
  virtual std::string Device() const { return {}; }
};

}  // namespace rondel
