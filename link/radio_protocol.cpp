// SPDX-License-Identifier: GPL-3.0-or-later
// Frame builders of the programming protocol.
#include "link/radio_protocol.h"

#include <algorithm>

#include "core/image_layout.h"

namespace rondel::protocol {
namespace {

constexpr std::uint8_t High(std::size_t address) { return static_cast<std::uint8_t>(address >> 8); }
constexpr std::uint8_t Low(std::size_t address) { return static_cast<std::uint8_t>(address & 0xFF); }

}  // namespace

std::array<std::uint8_t, kHelloSize> HelloPacket(std::string_view word) {
  std::array<std::uint8_t, kHelloSize> packet{};
  packet[0] = kStx;
  const std::size_t n = std::min(word.size(), kWordBytes);
  for (std::size_t i = 0; i < n; ++i) packet[1 + i] = static_cast<std::uint8_t>(word[i]);
  return packet;
}

std::array<std::uint8_t, kRequestSize> ReadRequest(std::size_t address) {
  return {kReadCommand, High(address), Low(address), static_cast<std::uint8_t>(kBlockSize)};
}

std::array<std::uint8_t, kDataFrameSize> DataFrame(std::size_t address,
                                                   std::span<const std::uint8_t, kBlockSize> data) {
  std::array<std::uint8_t, kDataFrameSize> frame{kDataHeader, High(address), Low(address),
                                                 static_cast<std::uint8_t>(kBlockSize)};
  std::copy(data.begin(), data.end(), frame.begin() + kFrameHeaderSize);
  return frame;
}

std::array<std::uint8_t, kDataFrameSize> LiveCalibrationFrame(
    std::span<const std::uint8_t, kBlockSize> calibration) {
  std::array<std::uint8_t, kDataFrameSize> frame{kLiveCommand, High(layout::kPowerCalibration),
                                                 Low(layout::kPowerCalibration),
                                                 static_cast<std::uint8_t>(kBlockSize)};
  std::copy(calibration.begin(), calibration.end(), frame.begin() + kFrameHeaderSize);
  return frame;
}

bool IsGoodReply(std::span<const std::uint8_t> reply, std::size_t address) {
  return reply.size() == kDataFrameSize && reply[0] == kDataHeader && reply[1] == High(address) &&
         reply[2] == Low(address);
}

}  // namespace rondel::protocol
