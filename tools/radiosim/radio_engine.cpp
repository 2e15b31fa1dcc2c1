// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's protocol: a parser of what the tool sends, the answers, and the line model for
// 9600-baud timing.
#include "tools/radiosim/radio_engine.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/rondel_doc.h"
#include "link/radio_protocol.h"

namespace rondel::sim {
namespace P = protocol;
namespace {

using Clock = RadioEngine::Clock;
using namespace std::chrono_literals;

// Ten bits a byte at the protocol's 9600 baud.
constexpr auto kByteTime = std::chrono::nanoseconds(1000000000LL * 10 / P::kBaud);
// A lone 0x02 in programming mode asks for the identification; the same byte followed at once
// by the handshake word is a new hello. The tool sends either in one write, so a short quiet
// after the 0x02 tells them apart.
constexpr auto kIdentGrace = 3ms;
// A frame that stays incomplete this long was garbage: its first byte is dropped and parsing
// starts again at the next one.
constexpr auto kFrameQuiet = 100ms;
constexpr std::uint8_t kNak = 0x15;
constexpr std::size_t kOutputLimit = 65536;
constexpr std::size_t kShortReply = 6;
constexpr std::array<std::uint8_t, P::kIdentSize> kIdentification = {'N', 'B', 'T', '4',
                                                                     '0', '6', ' ', ' '};

}  // namespace

const char* FrameKindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::Hello: return "hello";
    case FrameKind::IdentRequest: return "ident-request";
    case FrameKind::Ack: return "ack";
    case FrameKind::PasswordQuery: return "password-query";
    case FrameKind::ReadBlock: return "read";
    case FrameKind::WriteBlock: return "write";
    case FrameKind::LiveCalibration: return "live-calibration";
    case FrameKind::Leave: return "leave";
    case FrameKind::Unknown: return "unknown";
  }
  return "?";
}

std::size_t CountDistinct(const std::vector<ReceivedFrame>& frames, FrameKind kind) {
  std::set<std::vector<std::uint8_t>> seen;
  for (const ReceivedFrame& f : frames)
    if (f.kind == kind) seen.insert(f.bytes);
  return seen.size();
}

std::string DescribeFrame(const ReceivedFrame& frame) {
  std::string text = FrameKindName(frame.kind);
  for (const std::uint8_t b : frame.bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    text += hex;
  }
  return text;
}

Memory FactoryMemory() {
  CRondelDoc doc;
  doc.Blank();
  doc.WriteDefaults();
  doc.SetBandCode({0x00, 0x40, 0x00, 0x47});
  doc.SetFrequencyText(1, Direction::Receive, "446.00625");
  doc.SetFrequencyText(1, Direction::Transmit, "446.00625");
  Memory memory;
  std::copy_n(doc.image().begin(), memory.size(), memory.begin());
  return memory;
}

RadioEngine::RadioEngine(RadioOptions options)
    : m_opt(std::move(options)), m_memory(FactoryMemory()) {}

// ---- the line ------------------------------------------------------------------------------

void RadioEngine::PowerUp(Clock::time_point now) {
  m_now = m_lastArrival = m_lineFree = now;
  Send(m_opt.noise, true);
}

bool RadioEngine::Take(std::span<const std::uint8_t> bytes, Clock::time_point now) {
  if (bytes.empty() || HungUp()) return !HungUp();
  if (m_hangUpArmed) {
    m_mode.store(Mode::HungUp);
    m_changed.notify_all();
    return false;
  }
  m_received += bytes.size();
  {
    std::lock_guard lock(m_mutex);
    m_lastReceived = now;
  }
  m_changed.notify_all();
  for (const std::uint8_t b : bytes) {
    if (m_opt.pace) {
      // The byte left the tool about now and is on the radio's side a byte time later.
      m_inLineFree = std::max(m_inLineFree, now) + kByteTime;
      m_pending.push_back({b, m_inLineFree});
    } else {
      m_pending.push_back({b, now});
    }
  }
  return true;
}

void RadioEngine::Promote(Clock::time_point now) {
  while (!m_pending.empty() && m_pending.front().at <= now) {
    m_buf.push_back(m_pending.front().byte);
    m_lastArrival = m_pending.front().at;
    m_pending.pop_front();
  }
}

std::optional<Clock::time_point> RadioEngine::Advance(Clock::time_point now) {
  Promote(now);
  std::optional<Clock::time_point> at = Parse(now, false);
  if (!m_pending.empty() && (!at || m_pending.front().at < *at)) at = m_pending.front().at;
  return at;
}

void RadioEngine::Settle(Clock::time_point now) {
  Promote(now);
  Parse(now, true);
}

std::size_t RadioEngine::Due(Clock::time_point now, std::uint8_t* out, std::size_t max) const {
  // Unpaced bytes go out together; paced ones one at a time, each at its moment.
  std::size_t count = 0;
  while (count < max && count < m_out.size() && m_out[count].at <= now &&
         (count == 0 || !m_opt.pace)) {
    out[count] = m_out[count].byte;
    ++count;
  }
  return count;
}

std::optional<Clock::time_point> RadioEngine::NextDue() const {
  if (m_out.empty()) return std::nullopt;
  return m_out.front().at;
}

void RadioEngine::Sent(std::size_t count) {
  count = std::min(count, m_out.size());
  m_sent += count;
  m_out.erase(m_out.begin(), m_out.begin() + static_cast<long>(count));
}

void RadioEngine::DropOutput() { m_out.clear(); }

// `always`: even from a silent radio (the noise at power-up).
void RadioEngine::Send(std::span<const std::uint8_t> bytes, bool always) {
  if (m_opt.silent && !always) return;
  for (const std::uint8_t b : bytes) {
    if (m_out.size() >= kOutputLimit) m_out.pop_front();
    if (m_opt.pace) {
      m_lineFree = std::max(m_lineFree, m_now) + kByteTime;
      m_out.push_back({b, m_lineFree});
    } else {
      m_out.push_back({b, m_now});
    }
  }
}

// ---- the radio ------------------------------------------------------------------------------

Memory RadioEngine::GetMemory() const {
  std::lock_guard lock(m_mutex);
  return m_memory;
}
void RadioEngine::SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory) {
  std::lock_guard lock(m_mutex);
  std::copy(memory.begin(), memory.end(), m_memory.begin());
}
void RadioEngine::SetPassword(const PasswordBytes& bytes) {
  std::lock_guard lock(m_mutex);
  std::copy(bytes.begin(), bytes.end(), m_memory.begin() + layout::kReadPassword);
}
std::vector<ReceivedFrame> RadioEngine::Frames() const {
  std::lock_guard lock(m_mutex);
  return m_frames;
}
void RadioEngine::ClearFrames() {
  std::lock_guard lock(m_mutex);
  m_frames.clear();
}
bool RadioEngine::WaitForFrames(const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
                                std::chrono::milliseconds limit) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, limit, [&] { return done(m_frames); });
}
void RadioEngine::WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) const {
  const auto end = Clock::now() + limit;
  std::unique_lock lock(m_mutex);
  for (;;) {
    const auto now = Clock::now();
    if (now >= end || now - m_lastReceived >= quiet) return;
    m_changed.wait_until(lock, std::min(end, m_lastReceived + quiet));
  }
}
void RadioEngine::SetFrameObserver(std::function<void(const ReceivedFrame&)> observer) {
  std::lock_guard lock(m_mutex);
  m_observer = std::move(observer);
}
bool RadioEngine::HungUp() const { return m_mode.load() == Mode::HungUp; }
bool RadioEngine::InProgrammingMode() const {
  const Mode m = m_mode.load();
  return m == Mode::Greeted || m == Mode::Identified;
}
std::size_t RadioEngine::BytesReceived() const { return m_received.load(); }
std::size_t RadioEngine::BytesSent() const { return m_sent.load(); }

// ---- the parser ----------------------------------------------------------------------------

// Handles every complete frame at the front of the buffer; returns when it must decide on
// an incomplete one, if any.
std::optional<Clock::time_point> RadioEngine::Parse(Clock::time_point now, bool settle) {
  m_now = now;
  while (!m_buf.empty() && m_mode.load() != Mode::HungUp) {
    std::optional<Clock::time_point> decideAt;
    if (!ParseOne(now, settle, decideAt)) return decideAt;
  }
  return std::nullopt;
}

void RadioEngine::Log(FrameKind kind, std::size_t count) {
  ReceivedFrame frame{kind, std::vector<std::uint8_t>(m_buf.begin(), m_buf.begin() + count)};
  m_buf.erase(m_buf.begin(), m_buf.begin() + count);
  std::function<void(const ReceivedFrame&)> observer;
  {
    std::lock_guard lock(m_mutex);
    // A run of garbage is one frame.
    if (kind == FrameKind::Unknown && !m_frames.empty() &&
        m_frames.back().kind == FrameKind::Unknown) {
      m_frames.back().bytes.insert(m_frames.back().bytes.end(), frame.bytes.begin(),
                                   frame.bytes.end());
    } else {
      m_frames.push_back(frame);
    }
    observer = m_observer;
  }
  m_changed.notify_all();
  if (observer) observer(frame);
}

// True when the front of the buffer was handled; false with `decideAt` when it is an
// incomplete frame that needs more bytes or more quiet.
bool RadioEngine::ParseOne(Clock::time_point now, bool settle,
                           std::optional<Clock::time_point>& decideAt) {
  const Mode mode = m_mode.load();
  const bool inMode = mode == Mode::Greeted || mode == Mode::Identified;
  const bool identified = mode == Mode::Identified;
  const bool morePending = !m_pending.empty();
  const auto quietFor = settle ? Clock::duration(std::chrono::hours(1)) : now - m_lastArrival;
  const std::size_t size = m_buf.size();

  // An incomplete frame waits for bytes still on the line (their arrival wakes the loop),
  // then for `wait` of quiet; false once that has passed.
  auto incomplete = [&](std::chrono::nanoseconds wait) {
    if (morePending) return true;
    if (quietFor >= wait) return false;
    decideAt = m_lastArrival + wait;
    return true;
  };

  switch (m_buf[0]) {
    case P::kStx: {
      const auto hello = P::HelloPacket(m_opt.word);
      const std::size_t avail = std::min(size, hello.size());
      const bool prefix = std::equal(m_buf.begin(), m_buf.begin() + avail, hello.begin());
      if (size >= hello.size() && prefix) {
        Log(FrameKind::Hello, hello.size());
        AnswerHello();
        return true;
      }
      const bool alone = size == 1;
      if (inMode && ((alone && !morePending && quietFor >= kIdentGrace) || (!alone && !prefix))) {
        Log(FrameKind::IdentRequest, 1);
        AnswerIdent();
        return true;
      }
      if (size >= hello.size()) {  // another radio's hello: logged, not answered
        std::size_t next = 1;
        while (next < hello.size() && m_buf[next] != P::kStx) ++next;
        Log(next < hello.size() ? FrameKind::Unknown : FrameKind::Hello, next);
        return true;
      }
      if (incomplete(inMode && alone ? kIdentGrace : kFrameQuiet)) return false;
      if (inMode) {
        Log(FrameKind::IdentRequest, 1);
        AnswerIdent();
      } else {
        Log(FrameKind::Unknown, 1);
      }
      return true;
    }
    case P::kAck:
      Log(FrameKind::Ack, 1);
      if (identified && !m_opt.noByteAfterAck) Send(P::kAck);
      return true;
    case P::kPasswordQuery:
      if (!identified) break;
      Log(FrameKind::PasswordQuery, 1);
      if (m_opt.ackOnly) {
        Send(P::kAck);
      } else {
        AnswerPassword();
      }
      return true;
    case P::kReadCommand:
    case P::kDataHeader:
    case P::kLiveCommand: {
      if (!identified) break;
      const bool read = m_buf[0] == P::kReadCommand;
      const std::size_t need = read ? P::kRequestSize : P::kDataFrameSize;
      if (size < need) {
        if (incomplete(kFrameQuiet)) return false;
        break;
      }
      const std::size_t address = (std::size_t{m_buf[1]} << 8) | m_buf[2];
      const bool valid = m_buf[3] == P::kBlockSize && address % P::kBlockSize == 0 &&
                         address + P::kBlockSize <= layout::kRadioMemorySize &&
                         (m_buf[0] != P::kLiveCommand || address == layout::kPowerCalibration);
      if (!valid) break;
      if (read) {
        Log(FrameKind::ReadBlock, need);
        if (m_opt.ackOnly) {
          const std::vector<std::uint8_t> acks(P::kDataFrameSize, P::kAck);
          Send(acks);
        } else {
          AnswerRead(address);
        }
      } else if (m_opt.ackOnly) {
        Log(m_buf[0] == P::kLiveCommand ? FrameKind::LiveCalibration : FrameKind::WriteBlock, need);
        Send(P::kAck);
      } else {
        std::array<std::uint8_t, P::kBlockSize> data;
        std::copy_n(m_buf.begin() + P::kFrameHeaderSize, P::kBlockSize, data.begin());
        const bool live = m_buf[0] == P::kLiveCommand;
        Log(live ? FrameKind::LiveCalibration : FrameKind::WriteBlock, need);
        if (live) {
          Store(address, data);
          Send(P::kAck);
        } else {
          AnswerWrite(address, data);
        }
      }
      return true;
    }
    case P::kLeave:
      // The mode changes before the frame is logged, so whoever waits for the frame also
      // sees the radio out of programming mode.
      if (inMode) {
        m_mode.store(Mode::Idle);
        m_restartedAt = now + std::chrono::milliseconds(m_opt.restartMs);
      }
      Log(FrameKind::Leave, 1);
      return true;
    default:
      break;
  }
  // Not a frame the radio takes in its present mode: skipped, and parsing goes on with the
  // next byte.
  Log(FrameKind::Unknown, 1);
  return true;
}

// ---- the answers ---------------------------------------------------------------------------

void RadioEngine::AnswerHello() {
  if (m_opt.silent) return;
  // Still starting up after the leave byte: the hello goes unanswered.
  if (m_now < m_restartedAt) return;
  if (m_opt.wrongHelloAnswer) {
    Send(kNak);
    return;
  }
  Send(P::kAck);
  m_mode.store(Mode::Greeted);
}

void RadioEngine::AnswerIdent() {
  const std::size_t n = static_cast<std::size_t>(
      std::clamp(m_opt.identLength, 0, static_cast<int>(kIdentification.size())));
  Send(std::span<const std::uint8_t>(kIdentification.data(), n));
  if (!m_opt.silent) m_mode.store(Mode::Identified);
}

void RadioEngine::AnswerPassword() {
  PasswordBytes reply;
  {
    std::lock_guard lock(m_mutex);
    std::copy_n(m_memory.begin() + layout::kReadPassword, reply.size(), reply.begin());
  }
  const std::size_t n = static_cast<std::size_t>(
      std::clamp(m_opt.passwordLength, 0, static_cast<int>(reply.size())));
  Send(std::span<const std::uint8_t>(reply.data(), n));
}

const BlockFault* RadioEngine::FaultFor(std::size_t address, bool write, int request) const {
  for (const BlockFault& f : m_opt.faults) {
    if (f.address == address && (f.kind == FaultKind::Refuse) == write && request <= f.times)
      return &f;
  }
  return nullptr;
}

void RadioEngine::AnswerRead(std::size_t address) {
  std::array<std::uint8_t, P::kBlockSize> data;
  {
    std::lock_guard lock(m_mutex);
    std::copy_n(m_memory.begin() + static_cast<long>(address), data.size(), data.begin());
  }
  auto reply = P::DataFrame(address, data);
  std::size_t length = reply.size();
  if (const BlockFault* f = FaultFor(address, false, ++m_readRequests[address])) {
    if (f->kind == FaultKind::Short) length = kShortReply;
    if (f->kind == FaultKind::Corrupt) reply[0] = static_cast<std::uint8_t>(P::kDataHeader + 1);
    if (f->kind == FaultKind::WrongAddress) {
      const std::size_t other = (address + P::kBlockSize) % layout::kRadioMemorySize;
      reply[1] = static_cast<std::uint8_t>(other >> 8);
      reply[2] = static_cast<std::uint8_t>(other & 0xFF);
    }
  }
  Send(std::span<const std::uint8_t>(reply.data(), length));
  BlockAnswered();
}

void RadioEngine::AnswerWrite(std::size_t address, const std::array<std::uint8_t, 8>& data) {
  if (FaultFor(address, true, ++m_writeRequests[address])) {
    Send(kNak);
  } else {
    const auto& dropped = m_opt.dropWrites;
    if (std::find(dropped.begin(), dropped.end(), address) == dropped.end()) Store(address, data);
    Send(P::kAck);
  }
  BlockAnswered();
}

void RadioEngine::Store(std::size_t address, const std::array<std::uint8_t, 8>& data) {
  if (m_opt.silent) return;
  std::lock_guard lock(m_mutex);
  std::copy(data.begin(), data.end(), m_memory.begin() + static_cast<long>(address));
}

void RadioEngine::BlockAnswered() {
  if (m_opt.silent) return;
  if (m_opt.hangUpAfterBlock > 0 && ++m_blocksAnswered >= m_opt.hangUpAfterBlock)
    m_hangUpArmed = true;
}

}  // namespace rondel::sim
