// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual radio: a pseudo-terminal, a thread that parses what the tool sends and answers
// like the radio, and a line model for 9600-baud timing.
#include "tools/radiosim/virtual_radio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "core/data_file.h"
#include "core/image_layout.h"
#include "core/rondel_doc.h"
#include "link/radio_protocol.h"

namespace rondel::sim {
namespace P = protocol;
namespace {

using Clock = std::chrono::steady_clock;
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

class NoModels final : public ModelDataSource {
 public:
  std::string ModelData(int, std::size_t) const override { return {}; }
};

enum class Mode { Idle, Greeted, Identified, HungUp };

struct Timed {
  std::uint8_t byte;
  Clock::time_point at;
};

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

std::string DescribeFrame(const ReceivedFrame& frame) {
  std::string text = FrameKindName(frame.kind);
  for (const std::uint8_t b : frame.bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    text += hex;
  }
  return text;
}

class VirtualRadio::Engine {
 public:
  explicit Engine(RadioOptions options) : m_opt(std::move(options)), m_memory(FactoryMemory()) {}
  ~Engine() { Stop(); }

  bool Start() {
    if (m_thread.joinable()) return true;
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
      return Fail("cannot create a pseudo-terminal");
    }
    m_device = name;
    // Our own hold on the terminal keeps it alive between the tool's opens, so the tool can
    // close and reopen it (and finds bytes sent meanwhile, as from a real radio).
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) return Fail("cannot open " + m_device);
    termios t{};
    if (::tcgetattr(m_slave, &t) == 0) {
      ::cfmakeraw(&t);
      t.c_cflag |= CLOCAL | CREAD;
      ::tcsetattr(m_slave, TCSANOW, &t);
    }
    if (::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
      return Fail("cannot set up the radio's line");
    }
    m_lastArrival = m_lineFree = Clock::now();
    Send(m_opt.noise, true);
    m_thread = std::thread([this] { Loop(); });
    return true;
  }

  void Stop() {
    if (m_thread.joinable()) {
      const char stop = 1;
      [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &stop, 1);
      m_thread.join();
    }
    CloseLine();
    for (int& fd : m_wake) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }

  const std::string& device() const { return m_device; }
  const std::string& error() const { return m_error; }

  Memory GetMemory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
  }
  void SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory) {
    std::lock_guard lock(m_mutex);
    std::copy(memory.begin(), memory.end(), m_memory.begin());
  }
  void SetPassword(const PasswordBytes& bytes) {
    std::lock_guard lock(m_mutex);
    std::copy(bytes.begin(), bytes.end(), m_memory.begin() + layout::kReadPassword);
  }

  std::vector<ReceivedFrame> Frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
  }
  void ClearFrames() {
    std::lock_guard lock(m_mutex);
    m_frames.clear();
  }
  bool WaitForFrames(const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
                     std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] { return done(m_frames); });
  }
  void WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) const {
    const auto end = Clock::now() + limit;
    std::unique_lock lock(m_mutex);
    for (;;) {
      const auto now = Clock::now();
      if (now >= end || now - m_lastReceived >= quiet) return;
      m_changed.wait_until(lock, std::min(end, m_lastReceived + quiet));
    }
  }
  void SetFrameObserver(std::function<void(const ReceivedFrame&)> observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
  }

  bool HungUp() const { return m_mode.load() == Mode::HungUp; }
  bool InProgrammingMode() const {
    const Mode m = m_mode.load();
    return m == Mode::Greeted || m == Mode::Identified;
  }
  std::size_t BytesReceived() const { return m_received.load(); }
  std::size_t BytesSent() const { return m_sent.load(); }
  bool LineSettings(termios& out) const {
    std::lock_guard lock(m_mutex);
    return m_slave >= 0 && ::tcgetattr(m_slave, &out) == 0;
  }

 private:
  bool Fail(std::string why) {
    m_error = std::move(why);
    CloseLine();
    return false;
  }

  void CloseLine() {
    std::lock_guard lock(m_mutex);
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
  }

  void HangUp() {
    CloseLine();
    m_mode.store(Mode::HungUp);
    m_changed.notify_all();
  }

  // ---- the loop ------------------------------------------------------------------------

  void Loop() {
    while (m_mode.load() != Mode::HungUp) {
      const auto now = Clock::now();
      Promote(now);
      std::optional<Clock::time_point> decideAt = Parse(now);
      if (m_mode.load() == Mode::HungUp) break;
      const bool blocked = !Flush(Clock::now());

      std::optional<Clock::time_point> wakeAt = decideAt;
      auto earliest = [&wakeAt](Clock::time_point t) {
        if (!wakeAt || t < *wakeAt) wakeAt = t;
      };
      if (!m_pending.empty()) earliest(m_pending.front().at);
      if (!m_out.empty() && !blocked) earliest(m_out.front().at);

      pollfd fds[2] = {{m_master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                       {m_wake[0], POLLIN, 0}};
      timespec left{};
      timespec* timeout = nullptr;
      if (wakeAt) {
        const auto ns = std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::nanoseconds>(*wakeAt - Clock::now()).count());
        left = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        timeout = &left;
      }
      const int ready = ::ppoll(fds, 2, timeout, nullptr);
      if (ready < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (fds[1].revents != 0) {
        // Bytes the tool sent before the stop still count: the log must show a leave byte
        // that came in just before the radio was told to stop.
        // The kernel hands a pseudo-terminal's bytes over a moment after they were written,
        // so give the line a short grace to deliver them; a frame still waiting for its quiet
        // is then decided as if the quiet had passed.
        for (int round = 0; round < 100; ++round) {
          pollfd line{m_master, POLLIN, 0};
          if (::poll(&line, 1, 20) <= 0 || (line.revents & POLLIN) == 0) break;
          Receive();
        }
        Parse(Clock::now() + std::chrono::hours(1));
        break;
      }
      if ((fds[0].revents & POLLIN) != 0) Receive();
      if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (fds[0].revents & POLLIN) == 0)
        break;
    }
  }

  void Receive() {
    std::uint8_t buf[4096];
    for (;;) {
      const ssize_t n = ::read(m_master, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      if (m_hangUpArmed) {
        HangUp();
        return;
      }
      const auto now = Clock::now();
      m_received += static_cast<std::size_t>(n);
      {
        std::lock_guard lock(m_mutex);
        m_lastReceived = now;
      }
      m_changed.notify_all();
      for (ssize_t i = 0; i < n; ++i) {
        if (m_opt.pace) {
          // The byte left the tool about now and is on the radio's side a byte time later.
          m_inLineFree = std::max(m_inLineFree, now) + kByteTime;
          m_pending.push_back({buf[i], m_inLineFree});
        } else {
          m_pending.push_back({buf[i], now});
        }
      }
    }
  }

  void Promote(Clock::time_point now) {
    while (!m_pending.empty() && m_pending.front().at <= now) {
      m_buf.push_back(m_pending.front().byte);
      m_lastArrival = m_pending.front().at;
      m_pending.pop_front();
    }
  }

  // Writes what is due; false when the terminal would not take more.
  bool Flush(Clock::time_point now) {
    while (!m_out.empty() && m_out.front().at <= now) {
      // Unpaced bytes go out together; paced ones one at a time, each at its moment.
      std::uint8_t chunk[256];
      std::size_t count = 0;
      while (count < sizeof chunk && count < m_out.size() && m_out[count].at <= now &&
             (count == 0 || !m_opt.pace)) {
        chunk[count] = m_out[count].byte;
        ++count;
      }
      const ssize_t n = ::write(m_master, chunk, count);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
      if (n <= 0) {  // nobody to take it: dropped, as a line without a listener drops it
        m_out.clear();
        return true;
      }
      m_sent += static_cast<std::size_t>(n);
      m_out.erase(m_out.begin(), m_out.begin() + n);
    }
    return true;
  }

  // `always`: even from a silent radio (the noise at power-up).
  void Send(std::span<const std::uint8_t> bytes, bool always = false) {
    if (m_opt.silent && !always) return;
    const auto now = Clock::now();
    for (const std::uint8_t b : bytes) {
      if (m_out.size() >= kOutputLimit) m_out.pop_front();
      if (m_opt.pace) {
        m_lineFree = std::max(m_lineFree, now) + kByteTime;
        m_out.push_back({b, m_lineFree});
      } else {
        m_out.push_back({b, now});
      }
    }
  }
  void Send(std::uint8_t b) { Send(std::span<const std::uint8_t>(&b, 1)); }

  // ---- the parser ----------------------------------------------------------------------

  // Handles every complete frame at the front of the buffer; returns when it must decide on
  // an incomplete one, if any.
  std::optional<Clock::time_point> Parse(Clock::time_point now) {
    while (!m_buf.empty() && m_mode.load() != Mode::HungUp) {
      std::optional<Clock::time_point> decideAt;
      if (!ParseOne(now, decideAt)) return decideAt;
    }
    return std::nullopt;
  }

  void Log(FrameKind kind, std::size_t count) {
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
  bool ParseOne(Clock::time_point now, std::optional<Clock::time_point>& decideAt) {
    const Mode mode = m_mode.load();
    const bool inMode = mode == Mode::Greeted || mode == Mode::Identified;
    const bool identified = mode == Mode::Identified;
    const bool morePending = !m_pending.empty();
    const auto quietFor = now - m_lastArrival;
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

  // ---- the answers ---------------------------------------------------------------------

  void AnswerHello() {
    if (m_opt.silent) return;
    // Still starting up after the leave byte: the hello goes unanswered.
    if (Clock::now() < m_restartedAt) return;
    if (m_opt.wrongHelloAnswer) {
      Send(kNak);
      return;
    }
    Send(P::kAck);
    m_mode.store(Mode::Greeted);
  }

  void AnswerIdent() {
    const std::size_t n = static_cast<std::size_t>(
        std::clamp(m_opt.identLength, 0, static_cast<int>(kIdentification.size())));
    Send(std::span<const std::uint8_t>(kIdentification.data(), n));
    if (!m_opt.silent) m_mode.store(Mode::Identified);
  }

  void AnswerPassword() {
    PasswordBytes reply;
    {
      std::lock_guard lock(m_mutex);
      std::copy_n(m_memory.begin() + layout::kReadPassword, reply.size(), reply.begin());
    }
    const std::size_t n = static_cast<std::size_t>(
        std::clamp(m_opt.passwordLength, 0, static_cast<int>(reply.size())));
    Send(std::span<const std::uint8_t>(reply.data(), n));
  }

  const BlockFault* FaultFor(std::size_t address, bool write, int request) const {
    for (const BlockFault& f : m_opt.faults) {
      if (f.address == address && (f.kind == FaultKind::Refuse) == write && request <= f.times)
        return &f;
    }
    return nullptr;
  }

  void AnswerRead(std::size_t address) {
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

  void AnswerWrite(std::size_t address, const std::array<std::uint8_t, P::kBlockSize>& data) {
    if (FaultFor(address, true, ++m_writeRequests[address])) {
      Send(kNak);
    } else {
      const auto& dropped = m_opt.dropWrites;
      if (std::find(dropped.begin(), dropped.end(), address) == dropped.end()) Store(address, data);
      Send(P::kAck);
    }
    BlockAnswered();
  }

  void Store(std::size_t address, const std::array<std::uint8_t, P::kBlockSize>& data) {
    if (m_opt.silent) return;
    std::lock_guard lock(m_mutex);
    std::copy(data.begin(), data.end(), m_memory.begin() + static_cast<long>(address));
  }

  void BlockAnswered() {
    if (m_opt.silent) return;
    if (m_opt.hangUpAfterBlock > 0 && ++m_blocksAnswered >= m_opt.hangUpAfterBlock)
      m_hangUpArmed = true;
  }

  RadioOptions m_opt;
  std::string m_device;
  std::string m_error;
  int m_master = -1;
  int m_slave = -1;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;

  // Shared with the callers' threads.
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  Memory m_memory;
  std::vector<ReceivedFrame> m_frames;
  Clock::time_point m_lastReceived{};
  std::function<void(const ReceivedFrame&)> m_observer;
  std::atomic<Mode> m_mode{Mode::Idle};
  std::atomic<std::size_t> m_received{0};
  std::atomic<std::size_t> m_sent{0};

  // The radio's thread only.
  std::deque<Timed> m_pending;  // received, not yet through the line model
  std::vector<std::uint8_t> m_buf;
  Clock::time_point m_lastArrival{};
  Clock::time_point m_inLineFree{};
  std::deque<Timed> m_out;
  Clock::time_point m_lineFree{};
  std::map<std::size_t, int> m_readRequests;
  std::map<std::size_t, int> m_writeRequests;
  int m_blocksAnswered = 0;
  bool m_hangUpArmed = false;
  Clock::time_point m_restartedAt{};
};

VirtualRadio::VirtualRadio(RadioOptions options)
    : m_engine(std::make_unique<Engine>(std::move(options))) {}
VirtualRadio::~VirtualRadio() = default;
bool VirtualRadio::Start() { return m_engine->Start(); }
void VirtualRadio::Stop() { m_engine->Stop(); }
const std::string& VirtualRadio::DevicePath() const { return m_engine->device(); }
const std::string& VirtualRadio::error() const { return m_engine->error(); }
Memory VirtualRadio::GetMemory() const { return m_engine->GetMemory(); }
void VirtualRadio::SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory) {
  m_engine->SetMemory(memory);
}
void VirtualRadio::SetPassword(const PasswordBytes& bytes) {
  m_engine->SetPassword(bytes);
}
std::vector<ReceivedFrame> VirtualRadio::Frames() const { return m_engine->Frames(); }
void VirtualRadio::ClearFrames() { m_engine->ClearFrames(); }
bool VirtualRadio::WaitForFrames(
    const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
    std::chrono::milliseconds limit) const {
  return m_engine->WaitForFrames(done, limit);
}
void VirtualRadio::WaitQuiet(std::chrono::milliseconds quiet,
                             std::chrono::milliseconds limit) const {
  m_engine->WaitQuiet(quiet, limit);
}
void VirtualRadio::SetFrameObserver(std::function<void(const ReceivedFrame&)> observer) {
  m_engine->SetFrameObserver(std::move(observer));
}
bool VirtualRadio::HungUp() const { return m_engine->HungUp(); }
bool VirtualRadio::InProgrammingMode() const { return m_engine->InProgrammingMode(); }
std::size_t VirtualRadio::BytesReceived() const { return m_engine->BytesReceived(); }
std::size_t VirtualRadio::BytesSent() const { return m_engine->BytesSent(); }
bool VirtualRadio::LineSettings(termios& out) const { return m_engine->LineSettings(out); }

bool LoadMemory(const std::string& path, Memory& memory) {
  CRondelDoc doc;
  const LoadResult r = LoadDataFile(doc, path, NoModels());
  if (r == LoadResult::HeaderRejected || r == LoadResult::CannotOpen) return false;
  std::copy_n(doc.image().begin(), memory.size(), memory.begin());
  return true;
}

bool SaveMemory(const std::string& path, const Memory& memory) {
  CRondelDoc doc;
  doc.Blank();
  std::copy(memory.begin(), memory.end(), doc.image().begin());
  return StoreDataFile(doc, path, NoModels());
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

}  // namespace rondel::sim
