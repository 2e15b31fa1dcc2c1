// SPDX-License-Identifier: GPL-3.0-or-later
// Field operations of the document on its memory image.
#include "core/rondel_doc.h"

#include <algorithm>
#include <cstring>

#include "core/field_catalogue.h"
#include "core/frequency_codec.h"
#include "core/tone_codec.h"

namespace rondel {
namespace L = layout;

namespace {

// How a radio-wide setting reads: the largest value a read shows (larger stored values read as
// this one). Where each is stored is the field catalogue's.
struct ReadLimit {
  Setting setting;
  int limit;  // -1: as stored
};

constexpr ReadLimit kReadLimits[] = {
    {Setting::FmRadio, -1},      {Setting::BatterySaver, -1}, {Setting::VoicePrompt, 2},
    {Setting::PttIdMode, -1},    {Setting::ScanMode, -1},     {Setting::SquelchLevel, 9},
    {Setting::SideKey1, 6},      {Setting::TxTimeout, 10},    {Setting::VoxLevel, 9},
    {Setting::SideKey2, 6},      {Setting::PriorityChannel, -1}, {Setting::VoxDelay, 6},
};

int ReadLimitOf(Setting s) {
  for (const auto& r : kReadLimits)
    if (r.setting == s) return r.limit;
  return -1;  // unreachable: every enumerator is in the table
}

int OptionBit(ChannelOption o) { return OptionField(o).bits.shift; }

std::size_t FreqOffset(Direction d) { return d == Direction::Receive ? L::kRxFreq : L::kTxFreq; }
std::size_t ToneOffset(Direction d) { return d == Direction::Receive ? L::kRxTone : L::kTxTone; }
std::size_t PttOffset(PttCode which) {
  return which == PttCode::Start ? L::kPttStartCode : L::kPttEndCode;
}

// An unknown channel number reads as this all-0xFF record: an empty channel.
constexpr std::array<std::uint8_t, L::kChannelRecordSize> kBlankRecord = [] {
  std::array<std::uint8_t, L::kChannelRecordSize> r{};
  r.fill(L::kUnset);
  return r;
}();

}  // namespace

std::string_view SettingName(Setting s) { return SettingField(s).name; }
std::string_view ChannelOptionName(ChannelOption o) { return OptionField(o).name; }

CRondelDoc::CRondelDoc() {
  // A new document's reserved header bytes are zeros; blanking keeps whatever they hold.
  m_header.fill(0);
  Blank();
}

void CRondelDoc::Blank() {
  std::copy(L::kHeaderText.begin(), L::kHeaderText.end(), m_header.begin());
  m_image.fill(L::kUnset);
}

void CRondelDoc::WriteDefaults() {
  for (std::size_t i = 0; i < L::kModelIdentText.size(); ++i)
    m_image[L::kModelIdentOffsets[i]] = static_cast<std::uint8_t>(L::kModelIdentText[i]);

  for (int n = 1; n <= L::kChannelCount; ++n) WriteChannelDefaults(n);

  SetSetting(Setting::FmRadio, 0);
  SetSetting(Setting::BatterySaver, 1);
  SetSetting(Setting::VoicePrompt, 1);
  SetSetting(Setting::PttIdMode, 0);
  SetSetting(Setting::SquelchLevel, 3);
  SetSetting(Setting::SideKey1, 0);
  SetSetting(Setting::SideKey2, 0);
  SetSetting(Setting::TxTimeout, 6);
  SetSetting(Setting::VoxLevel, 5);
  SetSetting(Setting::VoxDelay, 0);
  SetSetting(Setting::ScanMode, 0);
  SetSetting(Setting::PriorityChannel, 0);
}

void CRondelDoc::WriteChannelDefaults(int n) {
  // In this order, as the form refreshes the option cells; bit 1 is left alone.
  SetChannelOption(n, ChannelOption::Opt8Off, 1);
  SetChannelOption(n, ChannelOption::Narrow, 0);
  SetChannelOption(n, ChannelOption::HighPower, 1);
  SetChannelOption(n, ChannelOption::Opt5Off, 0);
  SetChannelOption(n, ChannelOption::Opt9Off, 1);
  SetChannelOption(n, ChannelOption::Opt10Off, 1);
  SetChannelOption(n, ChannelOption::Opt11Off, 1);
}

BandCode CRondelDoc::GetBandCode() const {
  BandCode code{};
  std::copy_n(m_image.begin() + L::kBandCode, L::kBandCodeSize, code.begin());
  return code;
}

void CRondelDoc::SetBandCode(const BandCode& code) {
  std::copy(code.begin(), code.end(), m_image.begin() + L::kBandCode);
}

int CRondelDoc::FindModel(const ModelDataSource& models) const {
  return FindModelEntry(models, GetBandCode());
}

void CRondelDoc::ComputeBandLimits(const ModelDataSource& models) {
  const int k = FindModel(models);
  const BandLimits limits = BandLimitsFromEntry(models.ModelData(k, kModelDataBandBuffer));
  bandLow = limits.low;
  bandHigh = limits.high;
}

void CRondelDoc::SelectModel(int k, const ModelDataSource& models) {
  if (k >= 0 && k < kMaxModels) {
    const std::string entry = models.ModelData(k, kModelDataLookupBuffer);
    if (!entry.empty()) SetBandCode(BandCodeFromEntry(entry));
  }
  ComputeBandLimits(models);
  WriteDefaults();
}

std::span<const std::uint8_t, L::kChannelRecordSize> CRondelDoc::Record(int n) const {
  if (!IsValidChannel(n)) return std::span<const std::uint8_t, L::kChannelRecordSize>(kBlankRecord);
  return std::span<const std::uint8_t, L::kChannelRecordSize>(m_image.data() + L::ChannelOffset(n),
                                                              L::kChannelRecordSize);
}

std::span<std::uint8_t, L::kChannelRecordSize> CRondelDoc::Record(int n) {
  return std::span<std::uint8_t, L::kChannelRecordSize>(m_image.data() + L::ChannelOffset(n),
                                                        L::kChannelRecordSize);
}

bool CRondelDoc::IsChannelEmpty(int n) const {
  return !IsFrequencySet(Record(n).subspan<L::kRxFreq, L::kFreqSize>());
}

bool CRondelDoc::LacksFrequency(int n) const {
  const auto r = Record(n);
  return !IsFrequencySet(r.subspan<L::kRxFreq, L::kFreqSize>()) ||
         !IsFrequencySet(r.subspan<L::kTxFreq, L::kFreqSize>());
}

bool CRondelDoc::TxEqualsRx(int n) const {
  const auto r = Record(n);
  return std::equal(r.begin() + L::kTxFreq, r.begin() + L::kTxFreq + L::kFreqSize,
                    r.begin() + L::kRxFreq);
}

bool CRondelDoc::TonesEqual(int n) const {
  const auto r = Record(n);
  return std::equal(r.begin() + L::kTxTone, r.begin() + L::kTxTone + L::kToneSize,
                    r.begin() + L::kRxTone);
}

std::string CRondelDoc::GetFrequencyText(int n, Direction d) const {
  return DecodeFrequency(std::span<const std::uint8_t, 4>(Record(n).data() + FreqOffset(d), 4));
}

void CRondelDoc::SetFrequencyText(int n, Direction d, std::string_view text) {
  if (!IsValidChannel(n)) return;
  const FreqBytes bytes = EncodeFrequency(text);
  std::copy(bytes.begin(), bytes.end(), Record(n).begin() + FreqOffset(d));
}

std::string CRondelDoc::GetToneText(int n, Direction d, std::string_view offText) const {
  return DecodeTone(std::span<const std::uint8_t, 2>(Record(n).data() + ToneOffset(d), 2), offText);
}

bool CRondelDoc::IsToneOff(int n, Direction d) const {
  return ToneKindOf(std::span<const std::uint8_t, 2>(Record(n).data() + ToneOffset(d), 2)) ==
         ToneKind::Off;
}

void CRondelDoc::SetToneText(int n, Direction d, std::string_view text) {
  if (!IsValidChannel(n)) return;
  const ToneBytes bytes = EncodeTone(text);
  std::copy(bytes.begin(), bytes.end(), Record(n).begin() + ToneOffset(d));
}

int CRondelDoc::GetChannelOption(int n, ChannelOption o) const {
  return (Record(n)[L::kChanFlags] >> OptionBit(o)) & 1;
}

void CRondelDoc::SetChannelOption(int n, ChannelOption o, int value) {
  if (!IsValidChannel(n)) return;
  auto& flags = Record(n)[L::kChanFlags];
  const auto bit = static_cast<std::uint8_t>(1u << OptionBit(o));
  flags = static_cast<std::uint8_t>(value ? (flags | bit) : (flags & ~bit));
}

int CRondelDoc::GetSetting(Setting s) const {
  const L::BitField& field = SettingField(s).bits;
  const std::uint8_t byte = m_image[field.offset];
  if (s == Setting::PriorityChannel) return byte == L::kUnset ? 0 : byte + 1;
  const int value = (byte & field.Mask()) >> field.shift;
  const int limit = ReadLimitOf(s);
  return limit >= 0 ? std::min(value, limit) : value;
}

bool CRondelDoc::SetSetting(Setting s, int value) {
  const L::BitField& field = SettingField(s).bits;
  std::uint8_t& byte = m_image[field.offset];
  if (s == Setting::PriorityChannel) {
    // The form passes the channel number, 0 for off; only real channels can be stored.
    if (value < 0 || value > L::kChannelCount) return false;
    byte = value == 0 ? L::kUnset : static_cast<std::uint8_t>(value - 1);
    return true;
  }
  // A value wider than its field would spill into the neighbouring settings: refuse it.
  if (value < 0 || static_cast<unsigned>(value) > field.MaxValue()) return false;
  byte = static_cast<std::uint8_t>((byte & ~field.Mask()) |
                                   (static_cast<unsigned>(value) << field.shift));
  return true;
}

PttCodeBytes CRondelDoc::GetPttCode(PttCode which) const {
  PttCodeBytes code{};
  std::copy_n(m_image.begin() + PttOffset(which), L::kPttCodeSize, code.begin());
  return code;
}

void CRondelDoc::SetPttCode(PttCode which, const PttCodeBytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), m_image.begin() + PttOffset(which));
}

std::string CRondelDoc::GetPttCodeText(PttCode which) const {
  return DecodePttCode(GetPttCode(which));
}

void CRondelDoc::SetPttCodeText(PttCode which, std::string_view text) {
  SetPttCode(which, EncodePttCode(text));
}

PasswordBytes CRondelDoc::GetReadPassword() const {
  PasswordBytes pw{};
  std::copy_n(m_image.begin() + L::kReadPassword, L::kReadPasswordSize, pw.begin());
  return pw;
}

void CRondelDoc::SetReadPassword(const PasswordBytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), m_image.begin() + L::kReadPassword);
}

std::string CRondelDoc::GetReadPasswordText() const { return DecodePassword(GetReadPassword()); }

void CRondelDoc::SetReadPasswordText(std::string_view text) {
  SetReadPassword(EncodePassword(text));
}

std::uint8_t CRondelDoc::GetCalibration(int index) const {
  if (index < 0 || index >= static_cast<int>(L::kCalibrationValueCount)) return 0;
  return m_image[L::kPowerCalibration + static_cast<std::size_t>(index)];
}

void CRondelDoc::SetCalibration(int index, std::uint8_t value) {
  if (index < 0 || index >= static_cast<int>(L::kCalibrationValueCount)) return;
  m_image[L::kPowerCalibration + static_cast<std::size_t>(index)] = value;
}

std::uint8_t CRondelDoc::GetLastCalibrationIndex() const { return m_image[L::kCalibrationLast]; }

void CRondelDoc::SetLastCalibrationIndex(std::uint8_t index) { m_image[L::kCalibrationLast] = index; }

}  // namespace rondel
