// SPDX-License-Identifier: GPL-3.0-or-later
// A byte link wired straight to virtual radios' protocol engines: no pseudo-terminal, no thread
// and no real wait. Its clock is the real one plus every wait it skipped, so a time-out the
// radio cannot meet returns at once with what there is, and the radio still sees it pass.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "link/byte_link.h"
#include "tools/radiosim/radio_engine.h"

namespace rondel::sim {

// Like the serial port, a link never opened answers like a silent radio (after its time-out,
// on this link's clock), a closed one fails at once, and so does one whose radio hung up.
// Close may come from another thread. No call waits, except one that HoldWhen stops: a test's
// way to look at the tool in the middle of an exchange; Close ends that wait as it would end a
// serial port's.
class EngineLink final : public ByteLink {
 public:
  using Clock = RadioEngine::Clock;
  // The device of COM port n (1..255).
  using PortResolver = std::function<std::string(int)>;

  explicit EngineLink(PortResolver resolver = {});  // COM n is DefaultPortDevice(n)
  ~EngineLink() override = default;
  EngineLink(const EngineLink&) = delete;
  EngineLink& operator=(const EngineLink&) = delete;

  // The radio behind `device`, switched on now; it must outlive the link.
  void Attach(const std::string& device, RadioEngine& radio);
  void SetPortResolver(PortResolver resolver);

  bool Open(int port, int baud) override;
  bool OpenDevice(const std::string& path, int baud) override;
  void SetBaudRate(int baud) override;
  int Write(const void* data, int count, int delayMs) override;
  int Read(void* buffer, int count, int timeoutMs) override;
  void Close() override;
  bool IsOpen() const override;
  void StartOpenRecord() override;
  OpenRecord OpenAttempts() const override;
  PortOpenError LastOpenError() const override;
  std::string Device() const override;

  // The link's clock: the real one plus every wait skipped so far.
  Clock::time_point Now() const;
  // The line rate of the last open (or SetBaudRate).
  int Baud() const;
  // Lets every radio act on all it has been sent (the clock skips ahead as far as they need).
  void Settle();
  // Once `when` holds for the frames the open radio has taken, the Write that delivered them
  // waits before it returns, until Release or Close. One hold at a time.
  void HoldWhen(std::function<bool(const std::vector<ReceivedFrame>&)> when);
  bool Held() const;
  void Release();

 private:
  enum class State { Fresh, Open, Shut };

  Clock::time_point NowLocked() const;
  void SkipTo(Clock::time_point t);
  bool OpenFailed(const std::string& device, int error);
  // The radio's answers due by now into `bytes`, as far as `count`.
  void Collect(std::uint8_t* bytes, int count, int& got);

  mutable std::mutex m_mutex;
  std::condition_variable m_released;
  std::function<bool(const std::vector<ReceivedFrame>&)> m_holdWhen;
  bool m_held = false;
  PortResolver m_resolver;
  std::map<std::string, RadioEngine*> m_radios;
  State m_state = State::Fresh;
  RadioEngine* m_radio = nullptr;  // of the open link
  std::string m_device;
  int m_baud = 0;
  Clock::duration m_skipped{};
  Clock::time_point m_lastInput{};  // when the last byte was read; none since the last write
  bool m_inputSinceWrite = false;
  PortOpenError m_lastError;
  OpenRecord m_record;
};

}  // namespace rondel::sim
