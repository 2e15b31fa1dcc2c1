// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing rondel-radiosim's command line.
#include "tools/radiosim/radiosim_args.h"

#include <cerrno>
#include <cstdlib>

#include "core/image_layout.h"
#include "link/radio_protocol.h"

namespace rondel::sim {
namespace {

// Decimal, or hexadecimal with 0x; the whole text, within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 0);
  return errno == 0 && end == text.c_str() + text.size() && value >= low && value <= high;
}

// ADDR[:M]: a block address (a multiple of 8 below 0x400) and how many requests it spoils.
bool ParseFault(const std::string& text, FaultKind kind, BlockFault& fault) {
  const std::size_t colon = text.find(':');
  long address = 0;
  long times = 1;
  constexpr long kBlock = static_cast<long>(protocol::kBlockSize);
  constexpr long kLastBlock = static_cast<long>(layout::kRadioMemorySize) - kBlock;
  if (!ParseNumber(text.substr(0, colon), 0, kLastBlock, address) || address % kBlock != 0)
    return false;
  if (colon != std::string::npos && !ParseNumber(text.substr(colon + 1), 1, 1000000, times))
    return false;
  fault = {static_cast<std::size_t>(address), static_cast<int>(times), kind};
  return true;
}

}  // namespace

const char* const kRadioSimUsage =
    "usage: rondel-radiosim [options]\n"
    "A virtual radio on a pseudo-terminal; prints its device path and answers until stopped\n"
    "with Ctrl+C (or until it hangs up on purpose).\n"
    "  --load FILE.dig         start with the memory of a data file\n"
    "  --save FILE.dig         write the memory into a data file on exit\n"
    "  --link PATH             make PATH a symbolic link to the device\n"
    "  --pace                  9600-baud timing (about 1.04 ms a byte)\n"
    "  --word WORD             handshake word (default PELTPGM)\n"
    "  --password TEXT         the radio's read password (0-9, A-Z, a-z, up to 6)\n"
    "  --quiet                 do not log the frames received\n"
    "fault knobs:\n"
    "  --silent                answer nothing\n"
    "  --wrong-hello           answer the hello packet with NAK\n"
    "  --ident-length N        send N bytes of the identification (0-8)\n"
    "  --password-length N     send N bytes of the password reply (0-6)\n"
    "  --short-read ADDR[:M]   the block at ADDR: a 6-byte reply to its first M requests\n"
    "  --corrupt-read ADDR[:M] ... a reply that does not start with \"W\"\n"
    "  --wrong-address ADDR[:M] ... a reply naming the next block\n"
    "  --refuse-write ADDR[:M] ... NAK to its first M write requests\n"
    "  --no-ack-byte           send nothing after the tool's ACKs\n"
    "  --hang-up-after K       drop the line after answering K block requests\n"
    "  --noise N               send N bytes of garbage at start\n"
    "  --ack-only              after the handshake, answer every frame with 0x06 bytes only\n"
    "  --drop-writes ADDR      acknowledge the write of the block at ADDR but keep the old bytes\n"
    "                          (repeatable)\n"
    "  --restart-ms N          after the leave byte, answer no hello for N ms\n"
    "  -h, --help              print this text and exit\n"
    "  --version               print the version and exit\n";

std::string ParseRadioSimArgs(const std::vector<std::string>& args, RadioSimConfig& config) {
  RadioOptions& r = config.radio;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto value = [&]() -> bool {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    long n = 0;
    auto number = [&](long low, long high) { return value() && ParseNumber(v, low, high, n); };
    auto fault = [&](FaultKind kind) {
      BlockFault f;
      if (!value() || !ParseFault(v, kind, f)) return false;
      r.faults.push_back(f);
      return true;
    };
    if (a == "--load") {
      if (!value()) return "--load needs a data file";
      config.load = v;
    } else if (a == "--save") {
      if (!value()) return "--save needs a data file";
      config.save = v;
    } else if (a == "--link") {
      if (!value()) return "--link needs a path";
      config.link = v;
    } else if (a == "--pace") {
      r.pace = true;
    } else if (a == "--word") {
      if (!value()) return "--word needs a word";
      r.word = v;
    } else if (a == "--password") {
      if (!value()) return "--password needs a text";
      config.password = v;
      config.setPassword = true;
    } else if (a == "--quiet") {
      config.log = false;
    } else if (a == "--silent") {
      r.silent = true;
    } else if (a == "--wrong-hello") {
      r.wrongHelloAnswer = true;
    } else if (a == "--ident-length") {
      if (!number(0, 8)) return "--ident-length takes 0 to 8";
      r.identLength = static_cast<int>(n);
    } else if (a == "--password-length") {
      if (!number(0, 6)) return "--password-length takes 0 to 6";
      r.passwordLength = static_cast<int>(n);
    } else if (a == "--short-read" || a == "--corrupt-read" || a == "--wrong-address" ||
               a == "--refuse-write") {
      const FaultKind kind = a == "--short-read"     ? FaultKind::Short
                             : a == "--corrupt-read" ? FaultKind::Corrupt
                             : a == "--wrong-address" ? FaultKind::WrongAddress
                                                      : FaultKind::Refuse;
      if (!fault(kind)) return a + " takes ADDR[:M], ADDR a multiple of 8 below 0x400";
    } else if (a == "--no-ack-byte") {
      r.noByteAfterAck = true;
    } else if (a == "--hang-up-after") {
      if (!number(1, 1000000)) return "--hang-up-after takes a number of blocks";
      r.hangUpAfterBlock = static_cast<int>(n);
    } else if (a == "--ack-only") {
      r.ackOnly = true;
    } else if (a == "--drop-writes") {
      constexpr long kBlock = static_cast<long>(protocol::kBlockSize);
      if (!value() || !ParseNumber(v, 0, static_cast<long>(layout::kRadioMemorySize) - kBlock, n) ||
          n % kBlock != 0)
        return "--drop-writes takes the address of a block (0x000 to 0x3F8, a multiple of 8)";
      r.dropWrites.push_back(static_cast<std::size_t>(n));
    } else if (a == "--restart-ms") {
      if (!number(0, 600000)) return "--restart-ms takes 0 to 600000 ms";
      r.restartMs = static_cast<int>(n);
    } else if (a == "--noise") {
      if (!number(0, 4096)) return "--noise takes 0 to 4096 bytes";
      r.noise.clear();
      // A fixed pattern, so a run can be repeated byte for byte.
      for (long k = 0; k < n; ++k) r.noise.push_back(static_cast<std::uint8_t>(0xA5 ^ (k * 37)));
    } else if (a == "-h" || a == "--help") {
      config.help = true;
    } else if (a == "--version") {
      config.version = true;
    } else {
      return "unknown argument " + a;
    }
  }
  return {};
}

}  // namespace rondel::sim
