// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's memory image and file header: every offset and bit field the tool knows, in one
// place. An image offset is the same number as the radio's memory address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rondel::layout {

inline constexpr std::size_t kImageSize = 4096;
inline constexpr std::size_t kHeaderSize = 48;
inline constexpr std::size_t kFileSize = kHeaderSize + kImageSize;  // 4144

// File header: the text is written whole, only its first 24 characters are compared on load.
inline constexpr std::string_view kHeaderText = "Pelto Radio Program data v1.02";
inline constexpr std::size_t kHeaderCompareLength = 24;

inline constexpr std::uint8_t kUnset = 0xFF;

// Channel table: record n (1..16) at 0x10 * n; record 0 is carried unchanged.
inline constexpr int kChannelCount = 16;
inline constexpr std::size_t kChannelRecordSize = 16;
inline constexpr std::size_t kChannelBase = 0x10;
inline constexpr std::size_t kRxFreq = 0;   // 4 bytes packed BCD, little-endian
inline constexpr std::size_t kTxFreq = 4;   // 4 bytes packed BCD, little-endian
inline constexpr std::size_t kRxTone = 8;   // 2 bytes, low byte first
inline constexpr std::size_t kTxTone = 10;  // 2 bytes, low byte first
inline constexpr std::size_t kChanFlags = 12;
inline constexpr std::size_t kFreqSize = 4;
inline constexpr std::size_t kToneSize = 2;

constexpr std::size_t ChannelOffset(int n) { return kChannelBase * static_cast<std::size_t>(n); }

// Bits of chanFlags.
inline constexpr int kBitOpt8Off = 0;
inline constexpr int kBitNarrow = 2;
inline constexpr int kBitHighPower = 3;
inline constexpr int kBitOpt5Off = 4;
inline constexpr int kBitOpt9Off = 5;
inline constexpr int kBitOpt10Off = 6;
inline constexpr int kBitOpt11Off = 7;

// Codes and password.
inline constexpr std::size_t kPttStartCode = 0x3A0;
inline constexpr std::size_t kPttEndCode = 0x3E0;
inline constexpr std::size_t kPttCodeSize = 15;
inline constexpr std::size_t kReadPassword = 0x3B0;
inline constexpr std::size_t kReadPasswordSize = 6;

// Radio-wide settings.
inline constexpr std::size_t kOptionByte = 0x3C0;
inline constexpr std::size_t kSquelchLevel = 0x3C1;
inline constexpr std::size_t kSideKey1 = 0x3C2;
inline constexpr std::size_t kTxTimeout = 0x3C3;
inline constexpr std::size_t kVoxLevel = 0x3C4;
inline constexpr std::size_t kSideKey2 = 0x3C5;
inline constexpr std::size_t kPriorityChannel = 0x3C6;
inline constexpr std::size_t kVoxDelay = 0x3C7;

// A bit field inside one byte: `width` bits starting at bit `shift`.
struct BitField {
  std::size_t offset;
  int shift;
  int width;
  constexpr std::uint8_t Mask() const {
    return static_cast<std::uint8_t>(((1u << width) - 1u) << shift);
  }
  constexpr unsigned MaxValue() const { return (1u << width) - 1u; }
};

inline constexpr BitField kFmRadio{kOptionByte, 0, 1};
inline constexpr BitField kBatterySaver{kOptionByte, 1, 1};
inline constexpr BitField kVoicePrompt{kOptionByte, 2, 2};
inline constexpr BitField kPttIdMode{kOptionByte, 4, 2};
inline constexpr BitField kScanMode{kOptionByte, 6, 1};

// Model block.
inline constexpr std::string_view kModelIdentText = "NBT406";
// The identification skips 0x3D2: its six characters go to these offsets in this order.
inline constexpr std::size_t kModelIdentOffsets[6] = {0x3D0, 0x3D1, 0x3D3, 0x3D4, 0x3D5, 0x3D6};
inline constexpr std::size_t kBandCode = 0x3D8;
inline constexpr std::size_t kBandCodeSize = 4;

// Power calibration.
inline constexpr std::size_t kPowerCalibration = 0x3F0;
inline constexpr std::size_t kCalibrationValueCount = 6;
inline constexpr std::size_t kCalibrationLast = 0x3F6;

// Ranges the radio exchanges move.
inline constexpr std::size_t kTransferEnd = 0x3F0;  // read/write transfer: 0x000 .. 0x3EF
// The radio's whole memory, 0x000 .. 0x3FF: the test mode's range and all the virtual radio holds.
inline constexpr std::size_t kRadioMemorySize = 0x400;

}  // namespace rondel::layout
