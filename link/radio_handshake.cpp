// SPDX-License-Identifier: GPL-3.0-or-later
// ConnectRadio and the password query, byte for byte and wait for wait.
#include "link/radio_handshake.h"

#include <chrono>
#include <thread>

#include "link/block_exchange.h"
#include "link/radio_protocol.h"
#include "link/serial_devices.h"

namespace rondel {
namespace P = protocol;
namespace {

// A line that keeps sending (a cable with a babbling device on it) must not keep the drain
// going for ever; this is several seconds of input at 9600 baud.
constexpr int kDrainLimit = 8192;

void Drain(ByteLink& link) {
  for (int i = 0; i < kDrainLimit && link.ReadByte(0) != -1; ++i) {
  }
}

enum class Attempts { Answered, Silent, Cancelled };

Attempts Greet(ByteLink& link, const std::array<std::uint8_t, P::kHelloSize>& hello,
               HandshakeReporter& reporter) {
  if (!link.IsOpen()) return Attempts::Silent;
  for (int attempt = 0; attempt < P::kHelloAttempts; ++attempt) {
    if (reporter.Cancelled()) return Attempts::Cancelled;
    Drain(link);
    link.Write(hello.data(), static_cast<int>(hello.size()), P::kFrameDelayMs);
    if (link.ReadByte(P::kHelloAnswerMs) == P::kAck) return Attempts::Answered;
  }
  return Attempts::Silent;
}

HandshakeResult Fail(HandshakeReporter& reporter, HandshakeFailure failure) {
  reporter.Failed(failure);
  return failure == HandshakeFailure::WrongType ? HandshakeResult::WrongType
                                                : HandshakeResult::NoConnection;
}

}  // namespace

void HandshakeReporter::SearchOpenedPort(int) {}
void HandshakeReporter::Failed(HandshakeFailure) {}
bool HandshakeReporter::Cancelled() const { return false; }
bool HandshakeReporter::Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return !Cancelled();
}

HandshakeResult ConnectRadio(ByteLink& link, const LinkSettings& settings,
                             HandshakeReporter& reporter) {
  const auto hello = P::HelloPacket(settings.Communication());
  const bool search = settings.SearchEnabled();
  // A port left open by an earlier operation is used as it is. A configured port that does
  // not open is not reported here: the attempts find the port closed and the search, when
  // allowed, goes on from there.
  link.StartOpenRecord();
  if (!link.IsOpen()) link.Open(settings.Com(), P::kBaud);
  if (!reporter.Pause(P::kSettleAfterOpenMs)) return HandshakeResult::Cancelled;

  int nextSearchPort = kFirstComPort;
  int foundPort = -1;
  for (;;) {
    const Attempts answer = Greet(link, hello, reporter);
    if (answer == Attempts::Cancelled) return HandshakeResult::Cancelled;
    if (answer == Attempts::Answered) break;
    if (!search) return Fail(reporter, HandshakeFailure::NoConnection);
    link.Close();
    // Ports that do not exist are passed over at once.
    bool opened = false;
    while (!opened) {
      if (nextSearchPort > kLastComPort) return Fail(reporter, HandshakeFailure::NoConnection);
      if (reporter.Cancelled()) return HandshakeResult::Cancelled;
      const int port = nextSearchPort++;
      // The search greets USB adapters and the ports named in the settings, nothing else: a
      // hello packet and raised modem lines are no greeting for whatever else is on a line.
      if (!settings.PortNamed(port) && !IsUsbSerialAdapter(settings.PortDevice(port))) continue;
      if (link.Open(port, P::kBaud)) {
        opened = true;
        if (!reporter.Pause(P::kSettleAfterOpenMs)) return HandshakeResult::Cancelled;
        foundPort = port;
        reporter.SearchOpenedPort(port);
      }
    }
  }

  link.WriteByte(P::kStx, P::kFrameDelayMs);
  std::uint8_t ident[P::kIdentSize];
  const int got = link.Read(ident, static_cast<int>(sizeof ident), P::kReplyMs);
  if (got == 0) return Fail(reporter, HandshakeFailure::NoConnection);
  if (got < static_cast<int>(sizeof ident)) return Fail(reporter, HandshakeFailure::WrongType);
  Acknowledge(link);

  if (foundPort > 0) settings.WriteCom(foundPort);
  return HandshakeResult::Connected;
}

std::optional<PasswordBytes> QueryPassword(ByteLink& link, HandshakeReporter& reporter) {
  link.WriteByte(P::kPasswordQuery, P::kFrameDelayMs);
  PasswordBytes reply{};
  if (link.Read(reply.data(), static_cast<int>(reply.size()), P::kReplyMs) <
      static_cast<int>(reply.size())) {
    reporter.Failed(HandshakeFailure::ReadFailure);
    return std::nullopt;
  }
  Acknowledge(link);
  return reply;
}

}  // namespace rondel
