// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual radio's pseudo-terminal, and the thread that carries bytes between it and the
// protocol engine.
#include "tools/radiosim/virtual_radio.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "core/data_file.h"
#include "core/rondel_doc.h"

namespace rondel::sim {
namespace {

using Clock = RadioEngine::Clock;

class NoModels final : public ModelDataSource {
 public:
  std::string ModelData(int, std::size_t) const override { return {}; }
};

}  // namespace

class VirtualRadio::Pump {
 public:
  explicit Pump(RadioEngine& engine) : m_engine(engine) {}
  ~Pump() { Stop(); }

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
    m_engine.PowerUp(Clock::now());
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

  void Loop() {
    while (!m_engine.HungUp()) {
      std::optional<Clock::time_point> wakeAt = m_engine.Advance(Clock::now());
      if (m_engine.HungUp()) break;
      const bool blocked = !Flush(Clock::now());
      if (const auto due = m_engine.NextDue(); due && !blocked && (!wakeAt || *due < *wakeAt))
        wakeAt = due;

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
          if (!Receive()) return;
        }
        m_engine.Settle(Clock::now());
        break;
      }
      if ((fds[0].revents & POLLIN) != 0 && !Receive()) break;
      if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (fds[0].revents & POLLIN) == 0)
        break;
    }
  }

  // False when the radio hung up at what arrived: the line is closed.
  bool Receive() {
    std::uint8_t buf[4096];
    for (;;) {
      const ssize_t n = ::read(m_master, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return true;
      if (!m_engine.Take(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(n)), Clock::now())) {
        CloseLine();
        return false;
      }
    }
  }

  // Writes what is due; false when the terminal would not take more.
  bool Flush(Clock::time_point now) {
    for (;;) {
      std::uint8_t chunk[256];
      const std::size_t count = m_engine.Due(now, chunk, sizeof chunk);
      if (count == 0) return true;
      const ssize_t n = ::write(m_master, chunk, count);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
      if (n <= 0) {  // nobody to take it: dropped, as a line without a listener drops it
        m_engine.DropOutput();
        return true;
      }
      m_engine.Sent(static_cast<std::size_t>(n));
    }
  }

  RadioEngine& m_engine;
  std::string m_device;
  std::string m_error;
  int m_master = -1;
  int m_slave = -1;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
  mutable std::mutex m_mutex;
};

VirtualRadio::VirtualRadio(RadioOptions options)
    : m_engine(std::move(options)), m_pump(std::make_unique<Pump>(m_engine)) {}
VirtualRadio::~VirtualRadio() { m_pump->Stop(); }
bool VirtualRadio::Start() { return m_pump->Start(); }
void VirtualRadio::Stop() { m_pump->Stop(); }
const std::string& VirtualRadio::DevicePath() const { return m_pump->device(); }
const std::string& VirtualRadio::error() const { return m_pump->error(); }
Memory VirtualRadio::GetMemory() const { return m_engine.GetMemory(); }
void VirtualRadio::SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory) {
  m_engine.SetMemory(memory);
}
void VirtualRadio::SetPassword(const PasswordBytes& bytes) { m_engine.SetPassword(bytes); }
std::vector<ReceivedFrame> VirtualRadio::Frames() const { return m_engine.Frames(); }
void VirtualRadio::ClearFrames() { m_engine.ClearFrames(); }
bool VirtualRadio::WaitForFrames(
    const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
    std::chrono::milliseconds limit) const {
  return m_engine.WaitForFrames(done, limit);
}
void VirtualRadio::WaitQuiet(std::chrono::milliseconds quiet,
                             std::chrono::milliseconds limit) const {
  m_engine.WaitQuiet(quiet, limit);
}
void VirtualRadio::SetFrameObserver(std::function<void(const ReceivedFrame&)> observer) {
  m_engine.SetFrameObserver(std::move(observer));
}
bool VirtualRadio::HungUp() const { return m_engine.HungUp(); }
bool VirtualRadio::InProgrammingMode() const { return m_engine.InProgrammingMode(); }
std::size_t VirtualRadio::BytesReceived() const { return m_engine.BytesReceived(); }
std::size_t VirtualRadio::BytesSent() const { return m_engine.BytesSent(); }
bool VirtualRadio::LineSettings(termios& out) const { return m_pump->LineSettings(out); }

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

}  // namespace rondel::sim
