// SPDX-License-Identifier: GPL-3.0-or-later
// ConnectRadio and the password query against the virtual radio's engine: the frames on the
// line for each way the radio answers or fails, the waits, the port search and the port it saves.
#include <gtest/gtest.h>

#include "link/link_rig.h"
#include "link/radio_handshake.h"

namespace rondel::test {
namespace {

using R = HandshakeResult;
using F = HandshakeFailure;

struct Reporter final : HandshakeReporter {
  std::vector<int> ports;
  std::vector<F> failures;
  void SearchOpenedPort(int port) override { ports.push_back(port); }
  void Failed(F failure) override { failures.push_back(failure); }
};

TEST(ConnectRadio, AnswersAndFaultsOfTheRadio) {
  const PasswordBytes secret = {1, 2, 35, 36, 61, 0};
  const std::vector<Bytes> tenHellos(10, kHello);
  struct Case {
    const char* name;
    Knobs radio;
    R result;
    std::vector<F> failures;  // the password query's included
    std::vector<Bytes> frames;
    long long minMs = 0;
  };
  const Case cases[] = {
      {"answers", {}, R::Connected, {}, kHandshake},
      {"silent", {.silent = true}, R::NoConnection, {F::NoConnection}, tenHellos, 100 + 10 * 51},
      {"NAK to the hello", {.wrongHelloAnswer = true}, R::NoConnection, {F::NoConnection}, tenHellos},
      // Stale ACKs are drained before each attempt; taken for an answer, they would bring a
      // request for the identification instead of ten hellos.
      {"stale input", {.silent = true, .noise = {0x06, 0x06, 0x00, 0x57}}, R::NoConnection,
       {F::NoConnection}, tenHellos},
      {"garbage at power-up", {.noise = Bytes(300, 0x06)}, R::Connected, {}, kHandshake},
      {"no identification", {.identLength = 0}, R::NoConnection, {F::NoConnection}, {kHello, {0x02}}},
      {"identification 7 bytes", {.identLength = 7}, R::WrongType, {F::WrongType}, {kHello, {0x02}}},
      {"password 5 bytes", {.passwordLength = 5}, R::Connected, {F::ReadFailure},
       {kHello, {0x02}, {0x06}, {0x05}}},
      // Nothing depends on the byte after an ACK, but each ACK waits for it.
      {"no byte after ACK", {.noByteAfterAck = true}, R::Connected, {}, kHandshake, 100 + 2 * 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig(c.radio);
    rig.radio.SetPassword(secret);
    Reporter reporter;
    const auto start = rig.link.Now();
    EXPECT_EQ(ConnectRadio(rig.link, rig.settings, reporter), c.result);
    if (c.result == R::Connected) {
      const auto password = QueryPassword(rig.link, reporter);
      EXPECT_EQ(password.value_or(PasswordBytes{}), c.failures.empty() ? secret : PasswordBytes{});
      EXPECT_EQ(rig.link.Baud(), 9600);
    }
    EXPECT_GE(rig.MsSince(start), c.minMs);
    EXPECT_EQ(reporter.failures, c.failures);
    EXPECT_TRUE(reporter.ports.empty() && rig.settings.saved.empty()) << "no search with searchcom off";
    EXPECT_EQ(rig.Settled(), c.frames);
  }
}

// The open or configured port first, then COM1 to COM255 (the configured one again in its turn);
// ports that do not exist are passed over; the port the search found is saved to "com".
TEST(ConnectRadio, SearchesThePorts) {
  using V = std::vector<int>;
  const std::tuple<int, V, int, bool, R, V, V> cases[] = {
      // com, ports of the radios (the first answers, the others are silent), the one left open
      // (-1: none), search, result, the ports the search opened, the port saved
      {2, {1}, -1, false, R::NoConnection, {}, {}},   {2, {1}, -1, true, R::Connected, {1}, {1}},
      {2, {255}, -1, true, R::Connected, {255}, {255}}, {2, {}, -1, true, R::NoConnection, {}, {}},
      {3, {5, 3}, -1, true, R::Connected, {3, 5}, {5}}, {4, {4, 9}, 1, true, R::Connected, {4}, {4}},
      {2, {9}, 0, true, R::Connected, {}, {}}};
  for (const auto& [com, ports, leftOpen, search, result, opened, saved] : cases) {
    SCOPED_TRACE(::testing::Message() << "com " << com << ", radios on " << ::testing::PrintToString(ports));
    std::vector<std::unique_ptr<sim::RadioEngine>> radios;
    TableSettings settings;
    settings.com = com;
    settings.search = search;
    sim::EngineLink link([&](int n) { return settings.PortDevice(n); });
    const auto device = [](std::size_t i) { return "engine:radio" + std::to_string(i); };
    for (std::size_t i = 0; i < ports.size(); ++i) {
      radios.push_back(std::make_unique<sim::RadioEngine>(Knobs{.silent = i > 0}));
      link.Attach(device(i), *radios.back());
      if (static_cast<int>(i) != leftOpen) settings.ports[ports[i]] = device(i);
      else ASSERT_TRUE(link.OpenDevice(device(i), 9600));
    }
    Reporter reporter;
    EXPECT_EQ(ConnectRadio(link, settings, reporter), result);
    EXPECT_EQ(reporter.ports, opened);
    EXPECT_EQ(settings.saved, saved);
    EXPECT_EQ(link.Device(), result == R::Connected ? device(0) : "");
  }
}

}  // namespace
}  // namespace rondel::test
