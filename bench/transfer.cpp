// SPDX-License-Identifier: GPL-3.0-or-later
// A full read and a full write against the virtual radio at 9600-baud pacing: wall time, the
// protocol's own minimum for the same exchange, their ratio, and the CPU the tool used.
// The radio runs in a child process so the CPU figures are the tool's alone.
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bench/bench_radio.h"
#include "link/radio_protocol.h"
#include "link/serial_link.h"
#include "link/transfer.h"
#include "tools/radiosim/virtual_radio.h"

namespace {

using Clock = std::chrono::steady_clock;
using rondel::CTransferSession;
using rondel::TransferDirection;

// What goes on the line, and the waits the protocol itself prescribes (100 ms after opening,
// 1 ms before every frame the tool sends, a second before the leave byte).
struct Exchange {
  long toRadio = 0;
  long fromRadio = 0;
  long framesSent = 0;
  long fixedWaitMs = 0;
  double MinimumSeconds() const {
    return static_cast<double>(toRadio + fromRadio) * 10.0 / rondel::protocol::kBaud +
           static_cast<double>(framesSent + fixedWaitMs) / 1000.0;
  }
};

constexpr long kBlocks = 126;

Exchange Handshake() {
  // hello, identification request, ACK; the radio's ACK, identification, byte after the ACK
  return Exchange{8 + 1 + 1, 1 + 8 + 1, 3, 100};
}

Exchange ReadExchange() {
  Exchange e = Handshake();
  e.toRadio += 1 + 1 + kBlocks * (4 + 1);     // password query and ACK; request and ACK per block
  e.fromRadio += 6 + 1 + kBlocks * (12 + 1);  // reply and byte after the ACK
  e.framesSent += 2 + kBlocks * 2;
  return e;
}

Exchange WriteExchange() {
  Exchange e = Handshake();
  e.toRadio += kBlocks * 12 + 1;  // blocks, leave byte
  e.fromRadio += kBlocks * 1;     // ACK per block
  e.framesSent += kBlocks + 1;
  e.fixedWaitMs += 1000;
  return e;
}


struct Radio {
  pid_t pid = -1;
  int control = -1;  // to the radio: 'c' asks for its byte counts
  int answers = -1;  // from the radio: the device path, then the counts
  std::string device;

  bool Start() {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) return false;
    pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      ::close(down[1]);
      ::close(up[0]);
      rondel::sim::RadioOptions options;
      options.pace = true;
      rondel::sim::VirtualRadio radio(options);
      if (!radio.Start()) ::_exit(1);
      const std::string line = radio.DevicePath() + "\n";
      if (::write(up[1], line.data(), line.size()) < 0) ::_exit(1);
      char c;
      while (::read(down[0], &c, 1) == 1) {
        char counts[64];
        const int n = std::snprintf(counts, sizeof counts, "%zu %zu\n", radio.BytesReceived(),
                                    radio.BytesSent());
        if (::write(up[1], counts, static_cast<std::size_t>(n)) < 0) break;
      }
      radio.Stop();
      ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    control = down[1];
    answers = up[0];
    device = ReadLine();
    return !device.empty();
  }
  std::string ReadLine() const {
    std::string line;
    char c;
    while (::read(answers, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }
  void Counts(long& received, long& sent) const {
    if (::write(control, "c", 1) != 1) return;
    std::sscanf(ReadLine().c_str(), "%ld %ld", &received, &sent);
  }
  ~Radio() {
    if (control >= 0) ::close(control);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
  }
};

bool Run(const char* name, TransferDirection direction, const Exchange& minimum, Radio& radio,
         rondel::CSerialLink& link, const rondel::bench::RadioSettings& settings) {
  CTransferSession::Image image;
  image.fill(0xFF);  // a new document: no read password, like the factory radio
  long inBefore = 0, outBefore = 0, inAfter = 0, outAfter = 0;
  radio.Counts(inBefore, outBefore);
  // The line is idle again once the previous exchange has settled.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  CTransferSession session(link, settings);
  const double cpu0 = rondel::bench::CpuSeconds();
  const auto t0 = Clock::now();
  session.Start(direction, image);
  rondel::TransferReaction r;
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(rondel::kTransferTickMs));
    r = session.Poll();
  } while (!r.final);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = rondel::bench::CpuSeconds() - cpu0;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  radio.Counts(inAfter, outAfter);

  const bool ok = direction == TransferDirection::Read ? r.handOverImage : r.sendLeaveByte;
  const double least = minimum.MinimumSeconds();
  std::printf("%s: %s\n", name, ok ? "complete" : "FAILED");
  std::printf("  wall time           %8.3f s\n", wall);
  std::printf("  protocol minimum    %8.3f s  (%ld + %ld bytes on the line at 9600 baud,"
              " %ld ms of mandated waits)\n",
              least, minimum.toRadio, minimum.fromRadio, minimum.framesSent + minimum.fixedWaitMs);
  std::printf("  bytes counted       %8ld + %ld by the radio\n", inAfter - inBefore,
              outAfter - outBefore);
  std::printf("  wall / minimum      %8.3f\n", wall / least);
  std::printf("  tool CPU            %8.3f s  = %.2f %% of wall time\n", cpu, 100.0 * cpu / wall);
  return ok;
}

}  // namespace

int main() {
  Radio radio;
  if (!radio.Start()) {
    std::fprintf(stderr, "bench_transfer: the virtual radio did not start\n");
    return 1;
  }
  const rondel::bench::RadioSettings settings(radio.device);
  rondel::CSerialLink link([&settings](int n) { return settings.PortDevice(n); });
  std::printf("virtual radio on %s, paced at 9600 baud (%.3f ms a byte)\n\n", radio.device.c_str(),
              10000.0 / rondel::protocol::kBaud);
  const bool read = Run("full read", TransferDirection::Read, ReadExchange(), radio, link, settings);
  std::printf("\n");
  const bool write = Run("full write", TransferDirection::Write, WriteExchange(), radio, link, settings);
  return read && write ? 0 : 1;
}
