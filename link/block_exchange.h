// SPDX-License-Identifier: GPL-3.0-or-later
// One block of the programming protocol on the line, as the read and write transfer and the
// test mode both exchange it: the read request and its reply, the tool's acknowledgement, the
// write block built from an image and the radio's answer, the live calibration frame and the
// leave byte. Every frame is preceded by the protocol's 1 ms pause.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/image_layout.h"
#include "link/radio_protocol.h"
#include "link/byte_link.h"

namespace rondel {

// The memory image as the document holds it; radio address a is image offset a.
using RadioImage = std::array<std::uint8_t, layout::kImageSize>;
using BlockReply = std::array<std::uint8_t, protocol::kDataFrameSize>;

// The tool's ACK, then up to 50 ms for one byte the radio may send, which is thrown away.
void Acknowledge(ByteLink& link);

// Sends the read block for `address` and waits up to `timeoutMs` (the protocol's 500 ms) for
// the 12-byte reply; returns the number of bytes that arrived (the rest of `reply` is left as
// it was).
int RequestBlock(ByteLink& link, std::size_t address, BlockReply& reply,
                 int timeoutMs = protocol::kReplyMs);

// Reply bytes 4 to 11, the block's data, into the image at `address`.
void StoreBlock(RadioImage& image, std::size_t address, const BlockReply& reply);

// The write block of `address`: "W", the address, 8, then image offsets address..address+7.
std::array<std::uint8_t, protocol::kDataFrameSize> WriteBlockFrame(const RadioImage& image,
                                                                   std::size_t address);

// Sends the write block of `address` once and waits up to `answerMs` for the radio's answer;
// true only for 0x06.
bool SendWriteBlock(ByteLink& link, const RadioImage& image, std::size_t address,
                    unsigned answerMs);

// The live calibration frame from image offsets 0x3F0..0x3F7, then up to 50 ms for the radio's
// answer, whose value nothing depends on.
void SendLiveCalibration(ByteLink& link, const RadioImage& image);

// 0x62: the radio leaves programming (or debug) mode.
void SendLeave(ByteLink& link);

}  // namespace rondel
