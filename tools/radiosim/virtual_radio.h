// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual radio on a pseudo-terminal: 1024 bytes of memory behind the whole programming
// protocol, with knobs for the faults real cables and radios show. The tests drive the tool
// against it; rondel-radiosim lets a user try the tool without a radio.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <termios.h>
#include <vector>

#include "core/digit_codec.h"
#include "core/image_layout.h"

namespace rondel::sim {

using Memory = std::array<std::uint8_t, layout::kRadioMemorySize>;

// What the radio does wrong with one block for the first `times` requests of it.
enum class FaultKind {
  Short,         // read: only the first 6 bytes of the reply
  Corrupt,       // read: a whole reply whose first byte is not "W"
  WrongAddress,  // read: a whole reply naming the next block's address
  Refuse,        // write: answered with NAK (0x15) and not stored
};
struct BlockFault {
  std::size_t address = 0;
  int times = 1;
  FaultKind kind = FaultKind::Short;
};

struct RadioOptions {
  std::string word = "PELTPGM";  // handshake word; its first 7 bytes (zero-padded) open the radio
  bool pace = false;             // deliver and take bytes at 9600 baud (about 1.04 ms each)
  bool silent = false;           // logs what arrives, answers nothing
  bool wrongHelloAnswer = false;  // answers the hello packet with NAK instead of ACK
  int identLength = 8;           // bytes of the identification sent (0: none)
  int passwordLength = 6;        // bytes of the password reply sent
  std::vector<BlockFault> faults;
  bool noByteAfterAck = false;   // nothing after the tool's ACKs
  int hangUpAfterBlock = 0;      // > 0: after answering that many block requests, the line
                                 // drops at the next byte the tool sends
  std::vector<std::uint8_t> noise;  // sent at once on start: garbage at power-up
  // A peer that lies. After the handshake, every frame is answered with 0x06 bytes only: one
  // for a password query or a write, a whole reply's length for a block request (so each
  // reply arrives whole, with a wrong header).
  bool ackOnly = false;
  // Write blocks at these addresses are acknowledged but not stored.
  std::vector<std::size_t> dropWrites;
  // After the leave byte the radio restarts: for this long it answers no hello.
  int restartMs = 0;
};

enum class FrameKind {
  Hello, IdentRequest, Ack, PasswordQuery, ReadBlock, WriteBlock, LiveCalibration, Leave, Unknown
};
struct ReceivedFrame {
  FrameKind kind;
  std::vector<std::uint8_t> bytes;
};
const char* FrameKindName(FrameKind kind);
// "hello 02 50 45 4C 54 50 47 4D"
std::string DescribeFrame(const ReceivedFrame& frame);

class VirtualRadio {
 public:
  explicit VirtualRadio(RadioOptions options = {});
  ~VirtualRadio();
  VirtualRadio(const VirtualRadio&) = delete;
  VirtualRadio& operator=(const VirtualRadio&) = delete;

  // Creates the pseudo-terminal and starts answering. False (see error()) when it cannot.
  bool Start();
  void Stop();
  const std::string& DevicePath() const;
  const std::string& error() const;

  Memory GetMemory() const;
  void SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory);
  // The radio's read password, as the password query returns it (memory 0x3B0..0x3B5).
  void SetPassword(const PasswordBytes& bytes);

  std::vector<ReceivedFrame> Frames() const;
  void ClearFrames();
  // Waits until `done` holds for the frames received so far, or `limit` passes.
  bool WaitForFrames(const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
                     std::chrono::milliseconds limit) const;
  // Waits until nothing has arrived for `quiet` (at most `limit`).
  void WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) const;
  // Called on the radio's thread for each frame received (the program logs them).
  void SetFrameObserver(std::function<void(const ReceivedFrame&)> observer);

  bool HungUp() const;
  bool InProgrammingMode() const;
  std::size_t BytesReceived() const;
  std::size_t BytesSent() const;
  // The line settings the tool left on the terminal.
  bool LineSettings(termios& out) const;

  class Engine;

 private:
  std::unique_ptr<Engine> m_engine;
};

// The first 1024 bytes of a data file's image; false when the file cannot be read or is not
// a data file.
bool LoadMemory(const std::string& path, Memory& memory);
// A data file whose image holds `memory` and 0xFF beyond it.
bool SaveMemory(const std::string& path, const Memory& memory);
// The memory of a radio fresh from the factory: model block, radio-wide defaults, one
// channel on 446.00625 MHz, and no read password.
Memory FactoryMemory();

}  // namespace rondel::sim
