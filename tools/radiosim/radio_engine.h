// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual radio's protocol engine: 1024 bytes of memory behind the whole programming
// protocol, with knobs for the faults real cables and radios show, and a 9600-baud line model.
// It takes the tool's bytes and gives back the radio's answers, each at its time; whoever
// carries them (the pseudo-terminal pump, the in-process link) says what time it is.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
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
// How many different frames of `kind` arrived: a block the tool sent again because its answer
// came late (a busy machine) counts once.
std::size_t CountDistinct(const std::vector<ReceivedFrame>& frames, FrameKind kind);

// The memory of a radio fresh from the factory: model block, radio-wide defaults, one
// channel on 446.00625 MHz, and no read password.
Memory FactoryMemory();

// The line side (PowerUp, Take, Advance, Settle, Due, Sent, DropOutput) is driven by one
// carrier at a time, which serialises its calls; the rest may be called from any thread.
class RadioEngine {
 public:
  using Clock = std::chrono::steady_clock;

  explicit RadioEngine(RadioOptions options = {});
  RadioEngine(const RadioEngine&) = delete;
  RadioEngine& operator=(const RadioEngine&) = delete;

  // ---- the line ----
  // The radio is switched on at `now`: the noise goes out.
  void PowerUp(Clock::time_point now);
  // Bytes of the tool that reached the radio's end at `now`. False when the radio hangs up at
  // them instead (they are lost, and so is the line).
  bool Take(std::span<const std::uint8_t> bytes, Clock::time_point now);
  // Acts on everything that has arrived by `now`; returns when it must act next by itself
  // (a byte still on the line, a frame waiting for its quiet), if ever.
  std::optional<Clock::time_point> Advance(Clock::time_point now);
  // Decides every frame still waiting, as if its quiet had passed: the line is going away.
  void Settle(Clock::time_point now);
  // The answer bytes due by `now` (paced ones one at a time), up to `max`, copied to `out`;
  // they stay queued until Sent. When the next one is due, if any is queued.
  std::size_t Due(Clock::time_point now, std::uint8_t* out, std::size_t max) const;
  std::optional<Clock::time_point> NextDue() const;
  void Sent(std::size_t count);
  void DropOutput();  // nobody listens: what is queued is lost, as on a line without a listener

  // ---- the radio ----
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
  // Called by the carrier for each frame received (the program logs them).
  void SetFrameObserver(std::function<void(const ReceivedFrame&)> observer);

  bool HungUp() const;
  bool InProgrammingMode() const;
  std::size_t BytesReceived() const;
  std::size_t BytesSent() const;

 private:
  enum class Mode { Idle, Greeted, Identified, HungUp };
  struct Timed {
    std::uint8_t byte;
    Clock::time_point at;
  };

  void Promote(Clock::time_point now);
  std::optional<Clock::time_point> Parse(Clock::time_point now, bool settle);
  bool ParseOne(Clock::time_point now, bool settle, std::optional<Clock::time_point>& decideAt);
  void Log(FrameKind kind, std::size_t count);
  void Send(std::span<const std::uint8_t> bytes, bool always = false);
  void Send(std::uint8_t b) { Send(std::span<const std::uint8_t>(&b, 1)); }
  void AnswerHello();
  void AnswerIdent();
  void AnswerPassword();
  const BlockFault* FaultFor(std::size_t address, bool write, int request) const;
  void AnswerRead(std::size_t address);
  void AnswerWrite(std::size_t address, const std::array<std::uint8_t, 8>& data);
  void Store(std::size_t address, const std::array<std::uint8_t, 8>& data);
  void BlockAnswered();

  const RadioOptions m_opt;

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

  // The carrier's only.
  Clock::time_point m_now{};  // of the parse in progress: the answers go out from then
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

}  // namespace rondel::sim
