// SPDX-License-Identifier: GPL-3.0-or-later
// EngineLink: the serial port's answers and waits, on a clock that skips what it would wait.
#include "tools/radiosim/engine_link.h"

#include <algorithm>
#include <cerrno>

#include "link/link_settings.h"

namespace rondel::sim {
namespace {

using Clock = EngineLink::Clock;

Clock::duration Ms(long long ms) { return std::chrono::milliseconds(std::max(0LL, ms)); }

}  // namespace

EngineLink::EngineLink(PortResolver resolver) { SetPortResolver(std::move(resolver)); }

void EngineLink::Attach(const std::string& device, RadioEngine& radio) {
  std::lock_guard lock(m_mutex);
  m_radios[device] = &radio;
  radio.PowerUp(NowLocked());
}

void EngineLink::SetPortResolver(PortResolver resolver) {
  std::lock_guard lock(m_mutex);
  m_resolver = resolver ? std::move(resolver) : PortResolver(DefaultPortDevice);
}

Clock::time_point EngineLink::NowLocked() const { return Clock::now() + m_skipped; }

Clock::time_point EngineLink::Now() const {
  std::lock_guard lock(m_mutex);
  return NowLocked();
}

void EngineLink::SkipTo(Clock::time_point t) {
  const Clock::time_point now = NowLocked();
  if (t > now) m_skipped += t - now;
}

bool EngineLink::OpenFailed(const std::string& device, int error) {
  m_lastError = {device, error};
  m_record.NoteFailure(m_lastError);
  return false;
}

bool EngineLink::Open(int port, int baud) {
  std::string device;
  if (port >= kFirstComPort && port <= kLastComPort) {
    PortResolver resolver;
    {
      std::lock_guard lock(m_mutex);
      resolver = m_resolver;
    }
    device = resolver(port);
  }
  return OpenDevice(device, baud);
}

bool EngineLink::OpenDevice(const std::string& path, int baud) {
  std::lock_guard lock(m_mutex);
  if (m_state == State::Open) return false;
  const auto radio = m_radios.find(path);
  if (path.empty() || radio == m_radios.end()) return OpenFailed(path, ENOENT);
  m_lastError = {};
  m_record.opened = true;
  m_state = State::Open;
  m_radio = radio->second;
  m_device = path;
  m_baud = baud;
  m_inputSinceWrite = false;
  return true;
}

void EngineLink::SetBaudRate(int baud) {
  std::lock_guard lock(m_mutex);
  if (m_state == State::Open) m_baud = baud;
}

int EngineLink::Write(const void* data, int count, int delayMs) {
  std::unique_lock lock(m_mutex);
  if (m_state == State::Fresh) {
    SkipTo(NowLocked() + Ms(delayMs));
    return 0;
  }
  if (m_state != State::Open || m_radio->HungUp() || count <= 0) return 0;
  // The pause counts from the last byte read since the last frame, as on the serial port.
  const Clock::time_point from = m_inputSinceWrite ? m_lastInput : NowLocked();
  m_inputSinceWrite = false;
  SkipTo(from + Ms(delayMs));
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  // A radio that hangs up at these bytes has still been sent them; the line is gone after.
  if (m_radio->Take(std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(count)), NowLocked()))
    m_radio->Advance(NowLocked());
  if (m_holdWhen && m_holdWhen(m_radio->Frames())) {
    m_holdWhen = {};
    m_held = true;
    m_released.notify_all();
    m_released.wait(lock, [this] { return !m_held; });
  }
  return count;
}

void EngineLink::Collect(std::uint8_t* bytes, int count, int& got) {
  const Clock::time_point now = NowLocked();
  m_radio->Advance(now);
  while (got < count) {
    const std::size_t n = m_radio->Due(now, bytes + got, static_cast<std::size_t>(count - got));
    if (n == 0) break;
    m_radio->Sent(n);
    got += static_cast<int>(n);
    m_lastInput = now;
    m_inputSinceWrite = true;
  }
}

int EngineLink::Read(void* buffer, int count, int timeoutMs) {
  if (count <= 0) return 0;
  std::lock_guard lock(m_mutex);
  const Clock::time_point deadline = NowLocked() + Ms(timeoutMs);
  if (m_state == State::Fresh) {
    SkipTo(deadline);
    return 0;
  }
  if (m_state != State::Open) return 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  int got = 0;
  for (;;) {
    if (m_radio->HungUp()) break;
    Collect(bytes, count, got);
    if (got == count || NowLocked() >= deadline) break;
    // Nothing more now: on to the radio's next move, or to the deadline when it has none in
    // time.
    std::optional<Clock::time_point> next = m_radio->Advance(NowLocked());
    const auto due = m_radio->NextDue();
    if (due && (!next || *due < *next)) next = due;
    SkipTo(next && *next < deadline ? *next : deadline);
  }
  return got;
}

void EngineLink::Close() {
  std::lock_guard lock(m_mutex);
  m_held = false;
  m_released.notify_all();
  if (m_state != State::Open) return;
  m_state = State::Shut;
  m_radio = nullptr;
  m_device.clear();
}

bool EngineLink::IsOpen() const {
  std::lock_guard lock(m_mutex);
  return m_state == State::Open;
}

void EngineLink::StartOpenRecord() {
  std::lock_guard lock(m_mutex);
  m_record = OpenRecord{m_state == State::Open, {}};
}

OpenRecord EngineLink::OpenAttempts() const {
  std::lock_guard lock(m_mutex);
  return m_record;
}

PortOpenError EngineLink::LastOpenError() const {
  std::lock_guard lock(m_mutex);
  return m_lastError;
}

std::string EngineLink::Device() const {
  std::lock_guard lock(m_mutex);
  return m_device;
}

int EngineLink::Baud() const {
  std::lock_guard lock(m_mutex);
  return m_baud;
}

void EngineLink::Settle() {
  std::lock_guard lock(m_mutex);
  for (auto& [device, radio] : m_radios) {
    for (auto next = radio->Advance(NowLocked()); next; next = radio->Advance(NowLocked()))
      SkipTo(*next);
  }
}

void EngineLink::HoldWhen(std::function<bool(const std::vector<ReceivedFrame>&)> when) {
  std::lock_guard lock(m_mutex);
  m_holdWhen = std::move(when);
}

bool EngineLink::Held() const {
  std::lock_guard lock(m_mutex);
  return m_held;
}

void EngineLink::Release() {
  std::lock_guard lock(m_mutex);
  m_held = false;
  m_released.notify_all();
}

}  // namespace rondel::sim
