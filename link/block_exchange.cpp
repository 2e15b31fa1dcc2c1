// SPDX-License-Identifier: GPL-3.0-or-later
// The block exchanges, byte for byte and wait for wait.
#include "link/block_exchange.h"

#include <algorithm>
#include <span>

namespace rondel {
namespace P = protocol;

void Acknowledge(ByteLink& link) {
  link.WriteByte(P::kAck, P::kFrameDelayMs);
  link.ReadByte(P::kAfterAckMs);
}

int RequestBlock(ByteLink& link, std::size_t address, BlockReply& reply, int timeoutMs) {
  const auto request = P::ReadRequest(address);
  link.Write(request.data(), static_cast<int>(request.size()), P::kFrameDelayMs);
  return link.Read(reply.data(), static_cast<int>(reply.size()), timeoutMs);
}

void StoreBlock(RadioImage& image, std::size_t address, const BlockReply& reply) {
  if (address + P::kBlockSize > image.size()) return;
  std::copy(reply.begin() + P::kFrameHeaderSize, reply.end(),
            image.begin() + static_cast<long>(address));
}

std::array<std::uint8_t, P::kDataFrameSize> WriteBlockFrame(const RadioImage& image,
                                                            std::size_t address) {
  std::array<std::uint8_t, P::kBlockSize> data{};
  if (address + P::kBlockSize <= image.size())
    std::copy_n(image.begin() + static_cast<long>(address), data.size(), data.begin());
  return P::DataFrame(address, data);
}

bool SendWriteBlock(ByteLink& link, const RadioImage& image, std::size_t address,
                    unsigned answerMs) {
  const auto frame = WriteBlockFrame(image, address);
  link.Write(frame.data(), static_cast<int>(frame.size()), P::kFrameDelayMs);
  return link.ReadByte(answerMs) == P::kAck;
}

void SendLiveCalibration(ByteLink& link, const RadioImage& image) {
  const auto frame = P::LiveCalibrationFrame(
      std::span<const std::uint8_t, P::kBlockSize>(image.data() + layout::kPowerCalibration,
                                                   P::kBlockSize));
  link.Write(frame.data(), static_cast<int>(frame.size()), P::kFrameDelayMs);
  link.ReadByte(P::kLiveAnswerMs);
}

void SendLeave(ByteLink& link) { link.WriteByte(P::kLeave, P::kFrameDelayMs); }

}  // namespace rondel
