// SPDX-License-Identifier: GPL-3.0-or-later
// The field catalogue's names and readings.
#include "core/field_catalogue.h"

#include <charconv>

namespace rondel {

std::string FieldName(const FieldEntry& f, int channel) {
  if (f.perChannel)
    return std::string(field_names::kChannelPrefix) + std::to_string(channel) + "." + std::string(f.name);
  if (f.kind == FieldKind::Calibration) return std::string(f.name) + "[" + std::to_string(f.index) + "]";
  return std::string(f.name);
}

std::optional<ChannelFieldName> SplitChannelFieldName(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (!name.starts_with(field_names::kChannelPrefix) || dot == std::string_view::npos) return std::nullopt;
  const std::string_view number = name.substr(field_names::kChannelPrefix.size(),
                                              dot - field_names::kChannelPrefix.size());
  int channel = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), channel);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return ChannelFieldName{channel, name.substr(dot + 1)};
}

const FieldEntry* FindChannelField(std::string_view field) {
  for (const FieldEntry& f : FieldCatalogue())
    if (f.perChannel && f.name == field) return &f;
  return nullptr;
}

FieldValue ReadField(const CRondelDoc& doc, const FieldEntry& f, int channel) {
  switch (f.kind) {
    case FieldKind::Frequency: return {ValueForm::Text, doc.GetFrequencyText(channel, f.direction)};
    case FieldKind::Tone:
      if (doc.IsToneOff(channel, f.direction)) return {ValueForm::Null, {}};
      return {ValueForm::Text, doc.GetToneText(channel, f.direction, "")};
    case FieldKind::ChannelOption:
      return {ValueForm::Number, std::to_string(doc.GetChannelOption(channel, f.option))};
    case FieldKind::Setting: return {ValueForm::Number, std::to_string(doc.GetSetting(f.setting))};
    case FieldKind::PttCode: return {ValueForm::Text, doc.GetPttCodeText(f.code)};
    case FieldKind::ReadPassword: return {ValueForm::Text, doc.GetReadPasswordText()};
    case FieldKind::BandCode: return {ValueForm::Text, BandCodeHex(doc.GetBandCode())};
    case FieldKind::Calibration: return {ValueForm::Number, std::to_string(doc.GetCalibration(f.index))};
    case FieldKind::CalibrationLast:
      return {ValueForm::Number, std::to_string(doc.GetLastCalibrationIndex())};
  }
  return {ValueForm::Null, {}};
}

std::size_t FieldOffset(const FieldEntry& f, int channel) {
  return f.perChannel ? layout::ChannelOffset(channel) + f.bits.offset : f.bits.offset;
}

}  // namespace rondel
