// SPDX-License-Identifier: GPL-3.0-or-later
// The test mode's exchanges with the radio: the entry read of the whole radio memory, the start
// of debug mode, a committed calibration value, write all, and the end of debug mode. Each
// returns what happened; the dialogs show the message that belongs to it. CTestModeSession
// runs one of them on a thread of its own, so the windows go on answering meanwhile.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string_view>
#include <thread>

#include "link/block_exchange.h"
#include "link/block_loop.h"
#include "link/link_settings.h"
#include "link/byte_link.h"

namespace rondel {

// The test mode covers the radio's whole memory, 0x000 to 0x3FF, calibration included.
inline constexpr std::size_t kTestModeBlocks = layout::kRadioMemorySize / protocol::kBlockSize;
// Its blocks go once each: the first bad reply, or the first block not answered with 0x06
// within 50 ms, ends the exchange.
inline constexpr BlockLoopPolicy kTestModeReadPolicy{1, protocol::kReplyMs, false, true};
inline constexpr BlockLoopPolicy kTestModeWritePolicy{1, protocol::kTestWriteAckMs, false, false};

enum class TestModeResult {
  Done,
  NoConnection,  // the handshake found no radio
  WrongType,     // the identification was short
  ReadFailed,    // a short password reply or read reply
  WriteFailed,   // a write block not answered with 0x06
};

// The message box of a result: text and caption keys, and the error icon or none.
struct TestModeMessage {
  const char* text = nullptr;
  const char* caption = nullptr;
  bool errorIcon = false;
};
// Done of write all has its message; Done of the other exchanges shows nothing (text nullptr).
TestModeMessage MessageOf(TestModeResult result, bool writeAll);

// The entry matches [setup] "testpw" exactly, byte for byte and case included. The settings
// give at most 19 characters, so a longer value is matched by its first 19.
bool IsTestPassword(std::string_view entered, const LinkSettings& settings);

// Called by a block loop after each block it has done, with the number done so far.
using BlockObserver = std::function<void(std::size_t blocksDone)>;

// Entering the test mode: ConnectRadio, the password query (its reply not compared), then the
// 128 blocks 0x000..0x3F8, each reply's data straight into `image` and acknowledged; no block
// is sent twice. A reply that is short or does not name its block is a read failure. A failure
// closes the port; the blocks stored before it stay in the image. On success the port stays
// open. `blocksStored` counts the blocks.
TestModeResult EnterTestMode(ByteLink& link, const LinkSettings& settings, RadioImage& image,
                             std::size_t* blocksStored = nullptr,
                             const BlockObserver& onBlock = {});

// Starting debug mode: ConnectRadio and the password query, the read block 0x3F0 into the
// calibration block without an ACK, then one live calibration frame. A failure closes the port.
TestModeResult StartDebugMode(ByteLink& link, const LinkSettings& settings, RadioImage& image);

// Write all: ConnectRadio without the password query, then the 128 write blocks of `image`,
// each answered by 0x06 within 50 ms and none sent twice. Success closes the port; a refused
// block leaves it open; a failed handshake closes it. No leave byte is sent.
TestModeResult WriteAllBlocks(ByteLink& link, const LinkSettings& settings,
                              const RadioImage& image, const BlockObserver& onBlock = {});

// Debug mode ends: the leave byte.
void LeaveDebugMode(ByteLink& link);

// The test mode's exchanges, each with the frames and waits of the function it names.
enum class TestModeExchange {
  Entry,       // EnterTestMode
  StartDebug,  // StartDebugMode
  Live,        // SendLiveCalibration of the committed value
  WriteAll,    // WriteAllBlocks
  LeaveThenWriteAll,  // LeaveDebugMode, then WriteAllBlocks: write all in debug mode
  Leave,       // LeaveDebugMode
};

// One test-mode exchange at a time on a worker thread. Start copies the image in; while the
// worker runs it alone uses the port and that copy, and the caller only reads BlocksDone and
// Finished. `changed` is called on the worker after every block and once when the exchange has
// ended (Finished is true by then); it must only hand the word on, e.g. as a queued call.
// After Wait the result and the image are the caller's again.
class CTestModeSession {
 public:
  CTestModeSession(ByteLink& port, const LinkSettings& settings);
  ~CTestModeSession();  // Wait()
  CTestModeSession(const CTestModeSession&) = delete;
  CTestModeSession& operator=(const CTestModeSession&) = delete;

  // False while an exchange runs.
  bool Start(TestModeExchange exchange, const RadioImage& image, std::function<void()> changed);
  bool IsRunning() const { return m_worker.joinable(); }
  // Set by the worker as its last act: Wait returns at once then.
  bool Finished() const { return m_finished.load(); }
  std::size_t BlocksDone() const { return m_blocksDone.load(); }
  TestModeExchange Exchange() const { return m_exchange; }
  // Joins the worker (the exchange runs to its end: no frame is cut short).
  void Wait();

  // Of the last exchange, once waited for: its result, the image it read into (the image it
  // was given, for the others) and the blocks the entry read stored.
  TestModeResult Result() const { return m_result; }
  const RadioImage& Image() const { return m_image; }
  std::size_t BlocksStored() const { return m_blocksStored; }

 private:
  void Run(const std::function<void()>& changed);

  ByteLink& m_port;
  const LinkSettings& m_settings;
  TestModeExchange m_exchange = TestModeExchange::Entry;
  RadioImage m_image{};
  TestModeResult m_result = TestModeResult::Done;
  std::size_t m_blocksStored = 0;
  std::atomic<std::size_t> m_blocksDone{0};
  std::atomic<bool> m_finished{false};
  std::thread m_worker;
};

// The number of blocks an exchange moves (0: none, a frame or two).
std::size_t BlocksOf(TestModeExchange exchange);

}  // namespace rondel
