// SPDX-License-Identifier: GPL-3.0-or-later
// CSerialLink on termios and poll().
#include "link/serial_link.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/link_settings.h"

namespace rondel {
namespace {

using Clock = std::chrono::steady_clock;

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

constexpr long long kNsPerMs = 1000000;

// One character of 8N1 is ten bits on the line.
long long ByteNs(int baud) { return baud > 0 ? 10LL * 1000000000 / baud : 0; }

// A write that cannot go out within this time (a flow-controlled or wedged adapter) gives up:
// at 9600 baud even the longest frame is on the line in a fraction of it.
constexpr long long kWriteBoundNs = 500 * kNsPerMs;

bool SpeedOf(int baud, speed_t& speed) {
  switch (baud) {
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    default: return false;
  }
}

// Raw 8N1, no flow control of either kind, reads that return at once with what is there.
// Like the rest of the opening steps, a driver that refuses part of it leaves the port usable.
void Configure(int fd, int baud) {
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    speed_t speed;
    if (SpeedOf(baud, speed)) {
      ::cfsetispeed(&t, speed);
      ::cfsetospeed(&t, speed);
    }
    ::tcsetattr(fd, TCSANOW, &t);
  }
  // A pseudo-terminal has no modem lines and refuses this; a real cable powers its level
  // shifter from them.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &lines);
}

void Release(int fd, int wake) {
  ::ioctl(fd, TIOCNXCL);
  ::flock(fd, LOCK_UN);
  ::close(fd);
  if (wake >= 0) ::close(wake);
}

timespec Remaining(long long deadlineNs) {
  long long left = deadlineNs - NowNs();
  if (left < 0) left = 0;
  return timespec{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
}

}  // namespace

bool CSerialLink::OpenFailed(const std::string& path, int error) {
  std::lock_guard lock(m_mutex);
  m_lastError = {path, error};
  m_record.NoteFailure(m_lastError);
  return false;
}

CSerialLink::CSerialLink() : m_resolver(DefaultPortDevice) {}

CSerialLink::CSerialLink(PortResolver resolver) : m_resolver(std::move(resolver)) {
  if (!m_resolver) m_resolver = DefaultPortDevice;
}

CSerialLink::~CSerialLink() { Close(); }

void CSerialLink::SetPortResolver(PortResolver resolver) {
  std::lock_guard lock(m_mutex);
  m_resolver = resolver ? std::move(resolver) : PortResolver(DefaultPortDevice);
}

std::string CSerialLink::PortDevice(int port) const {
  if (port < kFirstComPort || port > kLastComPort) return {};
  PortResolver resolver;
  {
    std::lock_guard lock(m_mutex);
    resolver = m_resolver;
  }
  return resolver(port);
}

bool CSerialLink::Open(int port, int baud) {
  const std::string device = PortDevice(port);
  return device.empty() ? OpenFailed(device, ENOENT) : OpenDevice(device, baud);
}

bool CSerialLink::OpenDevice(const std::string& path, int baud) {
  if (IsOpen()) return false;
  if (path.empty()) return OpenFailed(path, ENOENT);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenFailed(path, errno);
  // Only a terminal is a port: a mistyped [ports] entry naming an ordinary file must not have
  // hello packets written into it by the port search. flock keeps out every program that asks
  // the same way (our own second instance, most terminal programs); TIOCEXCL keeps out any
  // other opener but root.
  const bool terminal = ::isatty(fd) != 0;
  if (!terminal || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = terminal ? errno : ENOTTY;
    ::close(fd);
    return OpenFailed(path, error);
  }
  ::ioctl(fd, TIOCEXCL);
  Configure(fd, baud);
  const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    const int error = errno;
    Release(fd, -1);
    return OpenFailed(path, error);
  }
  std::unique_lock lock(m_mutex);
  if (m_fd >= 0 || m_closing) {  // opened meanwhile from another thread
    Release(fd, wake);
    lock.unlock();
    return OpenFailed(path, EBUSY);
  }
  m_lastError = {};
  m_record.opened = true;
  m_fd = fd;
  m_wake = wake;
  m_state = State::Open;
  m_gone = false;
  m_device = path;
  m_byteNs.store(ByteNs(baud));
  m_lastInputNs.store(0);
  return true;
}

void CSerialLink::SetBaudRate(int baud) {
  Call call;
  if (!BeginCall(call)) return;
  termios t{};
  speed_t speed;
  if (SpeedOf(baud, speed) && ::tcgetattr(call.fd, &t) == 0) {
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    ::tcsetattr(call.fd, TCSANOW, &t);
    m_byteNs.store(ByteNs(baud));
  }
  EndCall();
}

bool CSerialLink::BeginCall(Call& call) {
  std::lock_guard lock(m_mutex);
  if (m_fd < 0 || m_closing || m_gone) return false;
  ++m_inFlight;
  call.fd = m_fd;
  call.wake = m_wake;
  return true;
}

void CSerialLink::EndCall() {
  std::lock_guard lock(m_mutex);
  if (--m_inFlight == 0) m_idle.notify_all();
}

void CSerialLink::MarkGone() {
  std::lock_guard lock(m_mutex);
  m_gone = true;
}

void CSerialLink::WaitFresh(long long ms) const {
  std::unique_lock lock(m_mutex);
  if (m_state != State::Fresh) return;
  lock.unlock();
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

CSerialLink::Wait CSerialLink::WaitFor(const Call& call, short events, long long deadlineNs) {
  for (;;) {
    pollfd fds[2] = {{call.fd, events, 0}, {call.wake, POLLIN, 0}};
    const timespec left = Remaining(deadlineNs);
    const int ready = ::ppoll(fds, 2, &left, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return Wait::Stopped;
    }
    if (fds[1].revents != 0) return Wait::Stopped;  // Close
    // Data still waiting on a line that has just hung up is delivered first.
    if ((fds[0].revents & events) != 0) return Wait::Ready;
    if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      MarkGone();
      return Wait::Stopped;
    }
    if (ready == 0) return Wait::TimedOut;
  }
}

int CSerialLink::Write(const void* data, int count, int delayMs) {
  Call call;
  if (!BeginCall(call)) {
    WaitFresh(delayMs);
    return 0;
  }
  int done = 0;
  // The pause before every frame, cut short by a Close. It counts from the arrival of the last
  // byte the radio sent, a deadline rather than a sleep after the work on that byte, so the
  // frame goes out as soon as the protocol allows; without a byte since the last frame, from now.
  const long long lastInput = m_lastInputNs.exchange(0);
  const long long pauseFrom = lastInput > 0 ? lastInput : NowNs();
  if (delayMs <= 0 || WaitFor(call, 0, pauseFrom + delayMs * kNsPerMs) == Wait::TimedOut) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const long long deadline = NowNs() + kWriteBoundNs;
    while (done < count) {
      const ssize_t n = ::write(call.fd, bytes + done, static_cast<std::size_t>(count - done));
      if (n > 0) {
        done += static_cast<int>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (WaitFor(call, POLLOUT, deadline) != Wait::Ready) break;
      } else {
        MarkGone();
        break;
      }
    }
  }
  EndCall();
  return done;
}

int CSerialLink::Read(void* buffer, int count, int timeoutMs) {
  if (count <= 0) return 0;
  const long long deadline = NowNs() + static_cast<long long>(timeoutMs) * kNsPerMs;
  Call call;
  if (!BeginCall(call)) {
    WaitFresh(timeoutMs);
    return 0;
  }
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  int got = 0;
  bool readable = false;
  const long long byteNs = m_byteNs.load();
  for (;;) {
    const ssize_t n = ::read(call.fd, bytes + got, static_cast<std::size_t>(count - got));
    if (n > 0) {
      got += static_cast<int>(n);
      m_lastInputNs.store(NowNs());
      if (got == count) break;
      // The rest cannot be on the line sooner than the baud rate lets it: wait for all but the
      // last of it in one go instead of waking for every byte, then wake on the last one the
      // moment it arrives. A Close still ends the wait at once.
      const long long rest = NowNs() + byteNs * (count - got - 1);
      if (count - got > 1 && WaitFor(call, 0, std::min(rest, deadline)) == Wait::Stopped) break;
      readable = false;  // nothing was asked of poll: an empty read now is no hang-up
      continue;
    } else if ((n == 0 && readable) ||
               (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      // Readable but nothing to read is the end of the line; EIO is an adapter gone.
      MarkGone();
      break;
    }
    if (NowNs() >= deadline) break;
    const Wait w = WaitFor(call, POLLIN, deadline);
    if (w == Wait::Stopped) break;
    readable = w == Wait::Ready;
  }
  EndCall();
  return got;
}

void CSerialLink::Close() {
  std::unique_lock lock(m_mutex);
  if (m_closing) {  // another thread is closing: done when it is
    m_idle.wait(lock, [this] { return !m_closing; });
    return;
  }
  if (m_fd < 0) return;
  m_closing = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
  m_idle.wait(lock, [this] { return m_inFlight == 0; });
  // Given back under the lock, so an Open of the same device afterwards finds it free.
  Release(m_fd, m_wake);
  m_fd = -1;
  m_wake = -1;
  m_state = State::Shut;
  m_gone = false;
  m_device.clear();
  m_closing = false;
  m_idle.notify_all();
}

bool CSerialLink::IsOpen() const {
  std::lock_guard lock(m_mutex);
  return m_fd >= 0 && !m_closing;
}

std::string CSerialLink::Device() const {
  std::lock_guard lock(m_mutex);
  return m_device;
}

}  // namespace rondel
