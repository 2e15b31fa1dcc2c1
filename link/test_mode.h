// The test mode's exchanges with the radio, run on the user-interface thread while its dialogs
// wait: the entry read of the whole radio memory, the start of debug mode, a committed
// calibration value, write all, and the end of debug mode. Each returns what happened; the
// dialogs show the message that belongs to it.
#pragma once

#include <cstddef>
#include <string_view>

#include "link/block_exchange.h"
#include "link/link_settings.h"
#include "link/serial_link.h"

namespace rondel {

// The test mode covers the radio's whole memory, 0x000 to 0x3FF, calibration included.
inline constexpr std::size_t kTestModeBlocks = layout::kRadioMemorySize / protocol::kBlockSize;

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

// Entering the test mode: ConnectRadio, the password query (its reply not compared), then the
// 128 blocks 0x000..0x3F8, each reply's data straight into `image` and acknowledged; no block
// is sent twice. A reply that is short or does not name its block is a read failure. A failure
// closes the port; the blocks stored before it stay in the image. On success the port stays
// open. `blocksStored` counts the blocks.
TestModeResult EnterTestMode(CSerialLink& link, const LinkSettings& settings, RadioImage& image,
                             std::size_t* blocksStored = nullptr);

// Starting debug mode: ConnectRadio and the password query, the read block 0x3F0 into the
// calibration block without an ACK, then one live calibration frame. A failure closes the port.
TestModeResult StartDebugMode(CSerialLink& link, const LinkSettings& settings, RadioImage& image);

// Write all: ConnectRadio without the password query, then the 128 write blocks of `image`,
// each answered by 0x06 within 50 ms and none sent twice. Success closes the port; a refused
// block leaves it open; a failed handshake closes it. No leave byte is sent.
TestModeResult WriteAllBlocks(CSerialLink& link, const LinkSettings& settings,
                              const RadioImage& image);

// Debug mode ends: the leave byte.
void LeaveDebugMode(CSerialLink& link);

}  // namespace rondel
