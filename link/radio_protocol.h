// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes and waits of the radio's programming protocol, shared by the tool's handshake and
// transfer and by the virtual radio that stands in for the real one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace rondel::protocol {

inline constexpr int kBaud = 9600;

// Handshake.
inline constexpr std::uint8_t kStx = 0x02;  // opens the hello packet; alone, asks for the identification
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kPasswordQuery = 0x05;
inline constexpr std::size_t kHelloSize = 8;
inline constexpr std::size_t kWordBytes = kHelloSize - 1;  // of the handshake word
inline constexpr std::size_t kIdentSize = 8;
inline constexpr int kHelloAttempts = 10;

// Blocks.
inline constexpr std::uint8_t kReadCommand = 0x52;  // "R"
inline constexpr std::uint8_t kDataHeader = 0x57;   // "W": a read reply and a write block
inline constexpr std::uint8_t kLiveCommand = 0x67;  // "g": live calibration frame
inline constexpr std::uint8_t kLeave = 0x62;        // "b": leave programming mode
inline constexpr std::size_t kBlockSize = 8;
// Command, address high and low byte, block size; a read request is this header alone.
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::size_t kRequestSize = kFrameHeaderSize;
inline constexpr std::size_t kDataFrameSize = kFrameHeaderSize + kBlockSize;
inline constexpr int kSendsPerBlock = 3;

// Waits, in milliseconds.
inline constexpr int kFrameDelayMs = 1;       // before every frame the tool sends
inline constexpr int kSettleAfterOpenMs = 100;
inline constexpr unsigned kHelloAnswerMs = 50;
inline constexpr int kReplyMs = 500;          // identification, password, read reply
inline constexpr unsigned kAfterAckMs = 50;   // the byte after each of the tool's ACKs
inline constexpr unsigned kWriteAckMs = 100;
inline constexpr unsigned kTestWriteAckMs = 50;  // write all of the test mode
inline constexpr unsigned kLiveAnswerMs = 50;     // the answer to a live calibration frame
inline constexpr int kBeforeLeaveMs = 1000;   // after the last write block

// 0x02 and the first seven bytes of the handshake word; a shorter word is padded with zeros.
std::array<std::uint8_t, kHelloSize> HelloPacket(std::string_view word);

std::array<std::uint8_t, kRequestSize> ReadRequest(std::size_t address);
// "W", the address, 8, and the 8 bytes.
std::array<std::uint8_t, kDataFrameSize> DataFrame(std::size_t address,
                                                   std::span<const std::uint8_t, kBlockSize> data);
// "g" 03 F0 08 and the 8 bytes of the calibration block.
std::array<std::uint8_t, kDataFrameSize> LiveCalibrationFrame(
    std::span<const std::uint8_t, kBlockSize> calibration);

// A read reply is good when it is whole and names the address asked for; its fourth byte is
// not looked at.
bool IsGoodReply(std::span<const std::uint8_t> reply, std::size_t address);

}  // namespace rondel::protocol
