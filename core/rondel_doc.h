// SPDX-License-Identifier: GPL-3.0-or-later
// The one document: file header, memory image and band limits, with the field operations the
// form, the transfer and the test mode use. Plain C++; the windowing sequences live elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/digit_codec.h"
#include "core/image_layout.h"
#include "core/model_info.h"

namespace rondel {

enum class Direction { Receive, Transmit };

enum class ChannelOption { Opt5Off, Narrow, HighPower, Opt8Off, Opt9Off, Opt10Off, Opt11Off };
inline constexpr ChannelOption kAllChannelOptions[] = {
    ChannelOption::Opt5Off, ChannelOption::Narrow,  ChannelOption::HighPower,
    ChannelOption::Opt8Off, ChannelOption::Opt9Off, ChannelOption::Opt10Off,
    ChannelOption::Opt11Off};

enum class Setting {
  FmRadio, BatterySaver, VoicePrompt, PttIdMode, ScanMode, SquelchLevel, SideKey1, TxTimeout,
  VoxLevel, SideKey2, PriorityChannel, VoxDelay
};
inline constexpr Setting kAllSettings[] = {
    Setting::FmRadio,      Setting::BatterySaver, Setting::VoicePrompt, Setting::PttIdMode,
    Setting::ScanMode,     Setting::SquelchLevel, Setting::SideKey1,    Setting::TxTimeout,
    Setting::VoxLevel,     Setting::SideKey2,     Setting::PriorityChannel, Setting::VoxDelay};

enum class PttCode { Start, End };

// The names of the field catalogue (core/field_catalogue.h).
std::string_view SettingName(Setting s);
std::string_view ChannelOptionName(ChannelOption o);

class CRondelDoc {
 public:
  using Image = std::array<std::uint8_t, layout::kImageSize>;
  using Header = std::array<std::uint8_t, layout::kHeaderSize>;

  CRondelDoc();

  std::int32_t bandLow = kDefaultBandLow;
  std::int32_t bandHigh = kDefaultBandHigh;

  const Header& header() const { return m_header; }
  Header& header() { return m_header; }
  const Image& image() const { return m_image; }
  Image& image() { return m_image; }

  // Header text set (bytes 30-47 kept), image all 0xFF; band limits unchanged.
  void Blank();
  // Model identification, channel options and radio-wide settings of a new document.
  void WriteDefaults();
  // The option bits of a new or deleted channel n (bit 1 kept).
  void WriteChannelDefaults(int n);

  // Model handling on the settings file's model list.
  BandCode GetBandCode() const;
  void SetBandCode(const BandCode& code);
  int FindModel(const ModelDataSource& models) const;
  void ComputeBandLimits(const ModelDataSource& models);
  // Band code from "data%d" of k (kept when the entry is missing), band limits, defaults.
  void SelectModel(int k, const ModelDataSource& models);

  // Channel operations take n = 1..16; any other n is an empty channel that ignores writes.
  static bool IsValidChannel(int n) { return n >= 1 && n <= layout::kChannelCount; }
  bool IsChannelEmpty(int n) const;
  bool LacksFrequency(int n) const;
  bool TxEqualsRx(int n) const;
  bool TonesEqual(int n) const;
  std::string GetFrequencyText(int n, Direction d) const;
  void SetFrequencyText(int n, Direction d, std::string_view text);
  std::string GetToneText(int n, Direction d, std::string_view offText) const;
  bool IsToneOff(int n, Direction d) const;
  void SetToneText(int n, Direction d, std::string_view text);
  int GetChannelOption(int n, ChannelOption o) const;
  void SetChannelOption(int n, ChannelOption o, int value);

  // Radio-wide settings read through their clamps. A write of a value that does not fit a
  // bit field is refused (returns false) so it can never reach the neighbouring fields.
  int GetSetting(Setting s) const;
  bool SetSetting(Setting s, int value);

  PttCodeBytes GetPttCode(PttCode which) const;
  void SetPttCode(PttCode which, const PttCodeBytes& bytes);
  std::string GetPttCodeText(PttCode which) const;
  void SetPttCodeText(PttCode which, std::string_view text);
  PasswordBytes GetReadPassword() const;
  void SetReadPassword(const PasswordBytes& bytes);
  std::string GetReadPasswordText() const;
  void SetReadPasswordText(std::string_view text);

  // Calibration values 0-5 at 0x3F0; an index outside 0-5 reads 0 and ignores writes.
  std::uint8_t GetCalibration(int index) const;
  void SetCalibration(int index, std::uint8_t value);
  std::uint8_t GetLastCalibrationIndex() const;
  void SetLastCalibrationIndex(std::uint8_t index);

  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

 private:
  std::span<const std::uint8_t, layout::kChannelRecordSize> Record(int n) const;
  std::span<std::uint8_t, layout::kChannelRecordSize> Record(int n);

  Header m_header{};
  Image m_image{};
  bool m_bModified = false;
};

}  // namespace rondel
