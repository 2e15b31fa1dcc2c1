// SPDX-License-Identifier: GPL-3.0-or-later
// The one serial connection to the radio's programming cable, on termios: exclusive open,
// raw 9600 8N1 without flow control, and reads and writes with time-outs that wait in poll().
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "link/byte_link.h"

namespace rondel {

// The operations may be called from two threads at once: the transfer worker uses the port
// while the user-interface thread may Close it (Cancel, end of the dialog). Close wakes every
// wait in progress at once and gives the descriptor back to the system only when no call is
// using it any more, so no call ever touches a closed or reused descriptor. From a Close until
// the next successful Open every call fails at once: Write reports 0 bytes, Read returns what
// it had, ReadByte returns -1. A link that has never been opened answers like a silent radio
// instead, after its time-out, which is what the callers' timing is built on.
//
// A cable that is gone (hang-up, unplugged adapter: POLLHUP, POLLERR, end of input, EIO)
// delivers nothing more; the link then answers like a closed one until it is closed and
// opened again, since waiting on a dead line would only delay the failure the caller reports.
class CSerialLink final : public ByteLink {
 public:
  // The device path of COM port n (1..255).
  using PortResolver = std::function<std::string(int)>;

  CSerialLink();  // COM n is /dev/ttyUSB<n-1>
  explicit CSerialLink(PortResolver resolver);
  ~CSerialLink() override;
  CSerialLink(const CSerialLink&) = delete;
  CSerialLink& operator=(const CSerialLink&) = delete;

  void SetPortResolver(PortResolver resolver);
  std::string PortDevice(int port) const;

  // Opens COM `port` through the resolver; false for numbers outside 1..255, for a device
  // that does not open and for one another program holds. Only called on a closed link.
  bool Open(int port, int baud) override;
  bool OpenDevice(const std::string& path, int baud) override;
  // Affects an open port only.
  void SetBaudRate(int baud) override;

  // Waits until `delayMs` after the arrival of the last byte read since the last write (or
  // from now when none came), then writes all `count` bytes; returns the number written.
  int Write(const void* data, int count, int delayMs) override;
  // Up to `count` bytes within `timeoutMs`; returns at once when all have arrived.
  int Read(void* buffer, int count, int timeoutMs) override;

  void Close() override;
  bool IsOpen() const override;
  // Why the last Open or OpenDevice failed.
  PortOpenError LastOpenError() const override {
    std::lock_guard lock(m_mutex);
    return m_lastError;
  }
  // A port that is open counts as opened.
  void StartOpenRecord() override {
    std::lock_guard lock(m_mutex);
    m_record = OpenRecord{m_fd >= 0, {}};
  }
  OpenRecord OpenAttempts() const override {
    std::lock_guard lock(m_mutex);
    return m_record;
  }
  // The device of the open port, empty when closed.
  std::string Device() const override;

 private:
  // The descriptors a call works with, valid until it ends the call with EndCall.
  struct Call {
    int fd = -1;
    int wake = -1;
  };
  enum class State { Fresh, Open, Shut };
  enum class Wait { Ready, TimedOut, Stopped };

  bool BeginCall(Call& call);
  void EndCall();
  void MarkGone();
  // Waits until `fd` is ready for `events` or until the deadline; Stopped when the link was
  // closed meanwhile or the line is gone.
  Wait WaitFor(const Call& call, short events, long long deadlineNs);
  void WaitFresh(long long ms) const;
  bool OpenFailed(const std::string& path, int error);

  PortResolver m_resolver;
  mutable std::mutex m_mutex;
  std::condition_variable m_idle;
  State m_state = State::Fresh;
  int m_fd = -1;
  int m_wake = -1;  // eventfd: written by Close to end every wait in progress
  int m_inFlight = 0;
  bool m_closing = false;
  bool m_gone = false;
  std::string m_device;
  PortOpenError m_lastError;
  OpenRecord m_record;
  std::atomic<long long> m_byteNs{0};       // time of one character at the baud rate
  std::atomic<long long> m_lastInputNs{0};  // when the last byte was read; 0 after a write
};

}  // namespace rondel
