#include "link/link_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <thread>

namespace rondel::test {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  for (const auto end = Clock::now() + limit; !done(); std::this_thread::sleep_for(1ms))
    if (Clock::now() >= end) return false;
  return true;
}

PtyPair::PtyPair() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
  char name[128];
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0)
    return;
  path = name;
  hold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);  // left cooked: the link must make it raw
  ::fcntl(master, F_SETFL, O_NONBLOCK);
}

PtyPair::~PtyPair() {
  HangUp();
  if (hold >= 0) ::close(hold);
}

void PtyPair::Send(const Bytes& bytes) const {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (errno != EINTR && errno != EAGAIN) return;
  }
}

Bytes PtyPair::Received(std::chrono::milliseconds idle, std::size_t count) const {
  Bytes out;
  std::uint8_t buf[4096];
  for (pollfd p{master, POLLIN, 0}; out.size() < count; p.revents = 0) {
    if (::poll(&p, 1, static_cast<int>(idle.count())) <= 0) break;
    const ssize_t n = ::read(master, buf, std::min(sizeof buf, count - out.size()));
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

Knobs::operator sim::RadioOptions() const {
  return {"PELTPGM", pace, silent, wrongHelloAnswer, identLength, passwordLength, faults, noByteAfterAck,
          hangUpAfterBlock, noise};
}

RadioRig::RadioRig(const Knobs& knobs) : radio(knobs) {
  if (!radio.Start()) ADD_FAILURE() << "the virtual radio did not start: " << radio.error();
  settings.ports[1] = radio.DevicePath();
  link.SetPortResolver([this](int n) { return settings.PortDevice(n); });
}

std::vector<Bytes> RadioRig::Settled() {
  static constexpr std::uint8_t kMarker = 0xEE;  // no frame of the protocol begins with it
  auto seen = [](const Frames& frames) {
    std::size_t n = 0;
    for (const auto& f : frames)
      if (f.kind == sim::FrameKind::Unknown) n += static_cast<std::size_t>(std::ranges::count(f.bytes, kMarker));
    return n;
  };
  const bool wasOpen = link.IsOpen();
  if (wasOpen || link.OpenDevice(radio.DevicePath(), 9600)) {
    link.WriteByte(kMarker, 0);
    if (!wasOpen) link.Close();
    const std::size_t sent = ++markers;
    EXPECT_TRUE(radio.WaitForFrames([&](const Frames& f) { return seen(f) == sent; }, 10s));
  } else {  // the line is gone
    EXPECT_TRUE(radio.WaitForFrames([&](const Frames&) { return radio.HungUp(); }, 10s));
  }
  std::vector<Bytes> frames;
  for (sim::ReceivedFrame f : radio.Frames()) {
    if (f.kind == sim::FrameKind::Unknown) std::erase(f.bytes, kMarker);
    if (!f.bytes.empty()) frames.push_back(std::move(f.bytes));
  }
  return frames;
}

SessionRun RunSession(CTransferSession& session) {
  SessionRun run;
  for (const auto start = Clock::now(); Clock::now() - start < 20s; std::this_thread::sleep_for(5ms)) {
    run.ticks.push_back(run.last = session.Poll());
    if (run.last.final) break;
  }
  EXPECT_TRUE(run.last.final);
  return run;
}

}  // namespace rondel::test
