#include "link/link_rig.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace rondel::test {

bool TableSettings::WriteCom(int port) const {
  std::lock_guard lock(m_mutex);
  m_comWrites.push_back(port);
  return true;
}

std::string TableSettings::PortDevice(int n) const {
  const auto it = ports.find(n);
  return it != ports.end() ? it->second : MissingPort(n);
}

std::vector<int> TableSettings::ComWrites() const {
  std::lock_guard lock(m_mutex);
  return m_comWrites;
}

std::string MissingPort(int n) { return "/nonexistent/rondel-test-port" + std::to_string(n); }

PtyPair::PtyPair() {
  m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
      ::ptsname_r(m_master, name, sizeof name) != 0)
    return;
  m_path = name;
  m_hold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios t{};
  if (m_hold >= 0 && ::tcgetattr(m_hold, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(m_hold, TCSANOW, &t);
  }
  ::fcntl(m_master, F_SETFL, O_NONBLOCK);
}

PtyPair::~PtyPair() {
  if (m_master >= 0) ::close(m_master);
  if (m_hold >= 0) ::close(m_hold);
}

void PtyPair::Send(const std::vector<std::uint8_t>& bytes) const {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (errno != EINTR && errno != EAGAIN) return;
  }
}

std::vector<std::uint8_t> PtyPair::Received(std::chrono::milliseconds wait) const {
  std::vector<std::uint8_t> out;
  pollfd p{m_master, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return out;
  // What has been written in one go arrives together; a short pause gathers the rest.
  std::this_thread::sleep_for(5ms);
  std::uint8_t buf[4096];
  for (;;) {
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

void PtyPair::HangUp() {
  if (m_master >= 0) ::close(m_master);
  m_master = -1;
}

RadioRig::RadioRig(sim::RadioOptions options) : radio(std::move(options)) {
  if (!radio.Start()) ADD_FAILURE() << "the virtual radio did not start: " << radio.error();
  settings.ports[1] = radio.DevicePath();
  settings.com = 1;
  link.SetPortResolver([this](int n) { return settings.PortDevice(n); });
}

SessionRun RunSession(CTransferSession& session, std::chrono::milliseconds limit) {
  SessionRun run;
  const auto start = Clock::now();
  while (Clock::now() - start < limit) {
    const TransferReaction r = session.Poll();
    run.ticks.push_back(r);
    if (r.final) {
      run.last = r;
      run.finished = true;
      break;
    }
    std::this_thread::sleep_for(5ms);
  }
  run.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  return run;
}

std::vector<sim::ReceivedFrame> FramesOf(const std::vector<sim::ReceivedFrame>& frames,
                                         std::initializer_list<sim::FrameKind> kinds) {
  std::vector<sim::ReceivedFrame> out;
  for (const auto& f : frames) {
    for (const auto k : kinds) {
      if (f.kind == k) {
        out.push_back(f);
        break;
      }
    }
  }
  return out;
}

std::vector<sim::FrameKind> Kinds(const std::vector<sim::ReceivedFrame>& frames) {
  std::vector<sim::FrameKind> kinds;
  for (const auto& f : frames) kinds.push_back(f.kind);
  return kinds;
}

std::string Describe(const std::vector<sim::ReceivedFrame>& frames, std::size_t max) {
  std::string text;
  for (std::size_t i = 0; i < frames.size() && i < max; ++i) text += sim::DescribeFrame(frames[i]) + "\n";
  if (frames.size() > max) text += "... " + std::to_string(frames.size() - max) + " more\n";
  return text;
}

sim::Memory PatternMemory(std::uint8_t seed) {
  sim::Memory m;
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
  return m;
}

CTransferSession::Image PatternImage(std::uint8_t seed) {
  CTransferSession::Image m;
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<std::uint8_t>(seed ^ (i * 13 + (i >> 5)));
  return m;
}

}  // namespace rondel::test
