// SPDX-License-Identifier: GPL-3.0-or-later
// Every named field of the memory image in one table: its name as `info --json`, `edit`, the
// channel lists and `diff` spell it, its kind, the bits it occupies, and how it reads as text.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/image_layout.h"
#include "core/rondel_doc.h"

namespace rondel {

enum class FieldKind {
  Frequency,        // per channel: receive or transmit frequency
  Tone,             // per channel: receive or transmit CTCSS/DCS tone
  ChannelOption,    // per channel: one option bit of chanFlags
  Setting,          // a radio-wide setting (a bit field or a whole byte)
  PttCode,          // PTT ID start or end code
  ReadPassword,
  BandCode,         // the model's frequency band
  Calibration,      // one of the six power calibration values
  CalibrationLast,  // the slider the test mode last moved
};

struct FieldEntry {
  std::string_view name;
  FieldKind kind;
  bool perChannel = false;
  // Where the field is: for per-channel fields the offset inside the channel record. A field
  // of several bytes takes all their bits ({offset, 0, 8}).
  layout::BitField bits{0, 0, 8};
  std::size_t size = 1;
  Direction direction = Direction::Receive;
  ChannelOption option = ChannelOption::Opt5Off;
  Setting setting = Setting::FmRadio;
  PttCode code = PttCode::Start;
  int index = 0;  // calibration value 0..5
};

namespace field_names {
// Words of the listings that are not fields of the image themselves.
inline constexpr std::string_view kChannel = "channel";    // the channel number column and key
inline constexpr std::string_view kChannelPrefix = "ch";   // "ch3.rxFreq"
inline constexpr std::string_view kModel = "model";        // the frequency range chosen
}  // namespace field_names

namespace detail {
namespace L = layout;
using K = FieldKind;
// clang-format off
inline constexpr FieldEntry kFieldTable[] = {
    {.name = "bandCode", .kind = K::BandCode, .bits = {L::kBandCode, 0, 8}, .size = L::kBandCodeSize},
    // The radio-wide settings in the order of kAllSettings.
    {.name = "fmRadio", .kind = K::Setting, .bits = L::kFmRadio, .setting = Setting::FmRadio},
    {.name = "batterySaver", .kind = K::Setting, .bits = L::kBatterySaver, .setting = Setting::BatterySaver},
    {.name = "voicePrompt", .kind = K::Setting, .bits = L::kVoicePrompt, .setting = Setting::VoicePrompt},
    {.name = "pttIdMode", .kind = K::Setting, .bits = L::kPttIdMode, .setting = Setting::PttIdMode},
    {.name = "scanMode", .kind = K::Setting, .bits = L::kScanMode, .setting = Setting::ScanMode},
    {.name = "squelchLevel", .kind = K::Setting, .bits = {L::kSquelchLevel, 0, 8}, .setting = Setting::SquelchLevel},
    {.name = "sideKey1", .kind = K::Setting, .bits = {L::kSideKey1, 0, 8}, .setting = Setting::SideKey1},
    {.name = "txTimeout", .kind = K::Setting, .bits = {L::kTxTimeout, 0, 8}, .setting = Setting::TxTimeout},
    {.name = "voxLevel", .kind = K::Setting, .bits = {L::kVoxLevel, 0, 8}, .setting = Setting::VoxLevel},
    {.name = "sideKey2", .kind = K::Setting, .bits = {L::kSideKey2, 0, 8}, .setting = Setting::SideKey2},
    {.name = "priorityChannel", .kind = K::Setting, .bits = {L::kPriorityChannel, 0, 8}, .setting = Setting::PriorityChannel},
    {.name = "voxDelay", .kind = K::Setting, .bits = {L::kVoxDelay, 0, 8}, .setting = Setting::VoxDelay},
    {.name = "pttStartCode", .kind = K::PttCode, .bits = {L::kPttStartCode, 0, 8}, .size = L::kPttCodeSize, .code = PttCode::Start},
    {.name = "pttEndCode", .kind = K::PttCode, .bits = {L::kPttEndCode, 0, 8}, .size = L::kPttCodeSize, .code = PttCode::End},
    {.name = "readPassword", .kind = K::ReadPassword, .bits = {L::kReadPassword, 0, 8}, .size = L::kReadPasswordSize},
    // A channel's fields in the order of the JSON listing; options in the order of kAllChannelOptions.
    {.name = "rxFreq", .kind = K::Frequency, .perChannel = true, .bits = {L::kRxFreq, 0, 8}, .size = L::kFreqSize, .direction = Direction::Receive},
    {.name = "txFreq", .kind = K::Frequency, .perChannel = true, .bits = {L::kTxFreq, 0, 8}, .size = L::kFreqSize, .direction = Direction::Transmit},
    {.name = "rxTone", .kind = K::Tone, .perChannel = true, .bits = {L::kRxTone, 0, 8}, .size = L::kToneSize, .direction = Direction::Receive},
    {.name = "txTone", .kind = K::Tone, .perChannel = true, .bits = {L::kTxTone, 0, 8}, .size = L::kToneSize, .direction = Direction::Transmit},
    {.name = "opt5Off", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitOpt5Off, 1}, .option = ChannelOption::Opt5Off},
    {.name = "narrow", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitNarrow, 1}, .option = ChannelOption::Narrow},
    {.name = "highPower", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitHighPower, 1}, .option = ChannelOption::HighPower},
    {.name = "opt8Off", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitOpt8Off, 1}, .option = ChannelOption::Opt8Off},
    {.name = "opt9Off", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitOpt9Off, 1}, .option = ChannelOption::Opt9Off},
    {.name = "opt10Off", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitOpt10Off, 1}, .option = ChannelOption::Opt10Off},
    {.name = "opt11Off", .kind = K::ChannelOption, .perChannel = true, .bits = {L::kChanFlags, L::kBitOpt11Off, 1}, .option = ChannelOption::Opt11Off},
    // The calibration values are one array, "calibration", of the listing.
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 0, 0, 8}, .index = 0},
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 1, 0, 8}, .index = 1},
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 2, 0, 8}, .index = 2},
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 3, 0, 8}, .index = 3},
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 4, 0, 8}, .index = 4},
    {.name = "calibration", .kind = K::Calibration, .bits = {L::kPowerCalibration + 5, 0, 8}, .index = 5},
    {.name = "calibrationLast", .kind = K::CalibrationLast, .bits = {L::kCalibrationLast, 0, 8}},
};
// clang-format on
static_assert(std::size(kFieldTable) == 1 + std::size(kAllSettings) + 3 + 4 +
                                            std::size(kAllChannelOptions) +
                                            layout::kCalibrationValueCount + 1);

template <class Match>
constexpr const FieldEntry& Find(Match match) {
  for (const FieldEntry& f : kFieldTable)
    if (match(f)) return f;
  return kFieldTable[0];  // unreachable: every enumerator has its entry
}
}  // namespace detail

// The whole catalogue in its order: model, settings, codes, password, a channel's fields,
// calibration.
inline constexpr std::span<const FieldEntry> FieldCatalogue() { return detail::kFieldTable; }

constexpr const FieldEntry& SettingField(Setting s) {
  return detail::Find([s](const FieldEntry& f) { return f.kind == FieldKind::Setting && f.setting == s; });
}
constexpr const FieldEntry& OptionField(ChannelOption o) {
  return detail::Find(
      [o](const FieldEntry& f) { return f.kind == FieldKind::ChannelOption && f.option == o; });
}
constexpr const FieldEntry& FrequencyField(Direction d) {
  return detail::Find(
      [d](const FieldEntry& f) { return f.kind == FieldKind::Frequency && f.direction == d; });
}
constexpr const FieldEntry& ToneField(Direction d) {
  return detail::Find([d](const FieldEntry& f) { return f.kind == FieldKind::Tone && f.direction == d; });
}
constexpr const FieldEntry& PttCodeField(PttCode c) {
  return detail::Find([c](const FieldEntry& f) { return f.kind == FieldKind::PttCode && f.code == c; });
}
constexpr const FieldEntry& FieldOfKind(FieldKind k) {
  return detail::Find([k](const FieldEntry& f) { return f.kind == k; });
}

// The field's full name: "ch3.rxFreq" for channel 3's, "calibration[2]", "squelchLevel".
std::string FieldName(const FieldEntry& f, int channel = 0);

// "ch<n>.<field>" taken apart: n as written (any whole number, checked by the caller) and the
// field's name; nothing when the name has no such shape.
struct ChannelFieldName {
  int channel;
  std::string_view field;
};
std::optional<ChannelFieldName> SplitChannelFieldName(std::string_view name);
// The per-channel entry of that name; nullptr for none.
const FieldEntry* FindChannelField(std::string_view field);

// How a field reads. Settings, options and calibration values are numbers; an off tone has no
// value at all (JSON's null); everything else is text, as the form shows it.
enum class ValueForm { Number, Text, Null };
struct FieldValue {
  ValueForm form;
  std::string text;  // empty for Null
};
FieldValue ReadField(const CRondelDoc& doc, const FieldEntry& f, int channel = 0);

// The image offset of the field's first byte (channel n's record for per-channel fields).
std::size_t FieldOffset(const FieldEntry& f, int channel = 0);

}  // namespace rondel
