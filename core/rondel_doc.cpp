// Field operations of the document on its memory image.
#include "core/rondel_doc.h"

#include <algorithm>
#include <cstring>

#include "core/frequency_codec.h"
#include "core/tone_codec.h"

namespace rondel {
namespace L = layout;

namespace {

// How each radio-wide setting is stored: a bit field of optionByte or a whole byte, and the
// largest value a read shows (larger stored values read as this one).
struct SettingInfo {
  Setting setting;
  std::string_view name;
  L::BitField field;  // for whole bytes: {offset, 0, 8}
  int readLimit;      // -1: as stored
};

constexpr SettingInfo kSettingInfo[] = {
    {Setting::FmRadio, "fmRadio", L::kFmRadio, -1},
    {Setting::BatterySaver, "batterySaver", L::kBatterySaver, -1},
    {Setting::VoicePrompt, "voicePrompt", L::kVoicePrompt, 2},
    {Setting::PttIdMode, "pttIdMode", L::kPttIdMode, -1},
    {Setting::ScanMode, "scanMode", L::kScanMode, -1},
    {Setting::SquelchLevel, "squelchLevel", {L::kSquelchLevel, 0, 8}, 9},
    {Setting::SideKey1, "sideKey1", {L::kSideKey1, 0, 8}, 6},
    {Setting::TxTimeout, "txTimeout", {L::kTxTimeout, 0, 8}, 10},
    {Setting::VoxLevel, "voxLevel", {L::kVoxLevel, 0, 8}, 9},
    {Setting::SideKey2, "sideKey2", {L::kSideKey2, 0, 8}, 6},
    {Setting::PriorityChannel, "priorityChannel", {L::kPriorityChannel, 0, 8}, -1},
    {Setting::VoxDelay, "voxDelay", {L::kVoxDelay, 0, 8}, 6},
};

const SettingInfo& InfoOf(Setting s) {
  for (const auto& info : kSettingInfo)
    if (info.setting == s) return info;
  return kSettingInfo[0];  // unreachable: every enumerator is in the table
}

struct OptionInfo {
  ChannelOption option;
  std::string_view name;
  int bit;
};

constexpr OptionInfo kOptionInfo[] = {
    {ChannelOption::Opt5Off, "opt5Off", L::kBitOpt5Off},
    {ChannelOption::Narrow, "narrow", L::kBitNarrow},
    {ChannelOption::HighPower, "highPower", L::kBitHighPower},
    {ChannelOption::Opt8Off, "opt8Off", L::kBitOpt8Off},
    {ChannelOption::Opt9Off, "opt9Off", L::kBitOpt9Off},
    {ChannelOption::Opt10Off, "opt10Off", L::kBitOpt10Off},
    {ChannelOption::Opt11Off, "opt11Off", L::kBitOpt11Off},
};

const OptionInfo& InfoOf(ChannelOption o) {
  for (const auto& info : kOptionInfo)
    if (info.option == o) return info;
  return kOptionInfo[0];
}

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

std::string_view SettingName(Setting s) { return InfoOf(s).name; }
std::string_view ChannelOptionName(ChannelOption o) { return InfoOf(o).name; }

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
  return (Record(n)[L::kChanFlags] >> InfoOf(o).bit) & 1;
}

void CRondelDoc::SetChannelOption(int n, ChannelOption o, int value) {
  if (!IsValidChannel(n)) return;
  auto& flags = Record(n)[L::kChanFlags];
  const auto bit = static_cast<std::uint8_t>(1u << InfoOf(o).bit);
  flags = static_cast<std::uint8_t>(value ? (flags | bit) : (flags & ~bit));
}

int CRondelDoc::GetSetting(Setting s) const {
  const SettingInfo& info = InfoOf(s);
  const std::uint8_t byte = m_image[info.field.offset];
  if (s == Setting::PriorityChannel) return byte == L::kUnset ? 0 : byte + 1;
  const int value = (byte & info.field.Mask()) >> info.field.shift;
  return info.readLimit >= 0 ? std::min(value, info.readLimit) : value;
}

bool CRondelDoc::SetSetting(Setting s, int value) {
  const SettingInfo& info = InfoOf(s);
  std::uint8_t& byte = m_image[info.field.offset];
  if (s == Setting::PriorityChannel) {
    // The form passes the channel number, 0 for off; only real channels can be stored.
    if (value < 0 || value > L::kChannelCount) return false;
    byte = value == 0 ? L::kUnset : static_cast<std::uint8_t>(value - 1);
    return true;
  }
  // A value wider than its field would spill into the neighbouring settings: refuse it.
  if (value < 0 || static_cast<unsigned>(value) > info.field.MaxValue()) return false;
  byte = static_cast<std::uint8_t>((byte & ~info.field.Mask()) |
                                   (static_cast<unsigned>(value) << info.field.shift));
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
