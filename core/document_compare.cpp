// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of two documents.
#include "core/document_compare.h"

#include <array>
#include <cstdio>

#include "core/field_catalogue.h"

namespace rondel {
namespace {

namespace L = layout;

std::string HexByte(std::uint8_t b) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}


std::string DifferenceText(const FieldValue& v) {
  return v.form == ValueForm::Null ? std::string(kToneOffText) : v.text;
}

class Comparison {
 public:
  Comparison(const CRondelDoc& a, const CRondelDoc& b) : m_a(a), m_b(b) {}

  // The field is listed when it reads differently; its bits are then accounted for.
  void Field(const FieldEntry& f, int channel) {
    const FieldValue va = ReadField(m_a, f, channel);
    const FieldValue vb = ReadField(m_b, f, channel);
    if (va.form == vb.form && va.text == vb.text) return;
    m_out.push_back({FieldDifference::Place::Field, FieldName(f, channel), 0, DifferenceText(va),
                     DifferenceText(vb)});
    const std::size_t at = FieldOffset(f, channel);
    for (std::size_t i = 0; i < f.size; ++i) m_shown[at + i] |= f.bits.Mask();
  }

  // Bits that differ and no listed field accounts for: a value that reads the same from other
  // bytes (a clamped setting), a bit no field names, bytes outside every field.
  void Bytes() {
    const auto& ha = m_a.header();
    const auto& hb = m_b.header();
    for (std::size_t i = 0; i < L::kHeaderSize; ++i)
      if (ha[i] != hb[i])
        m_out.push_back({FieldDifference::Place::Header, {}, i, HexByte(ha[i]), HexByte(hb[i])});
    const auto& ia = m_a.image();
    const auto& ib = m_b.image();
    for (std::size_t i = 0; i < L::kImageSize; ++i)
      if (((ia[i] ^ ib[i]) & ~m_shown[i] & 0xFF) != 0)
        m_out.push_back({FieldDifference::Place::Image, {}, i, HexByte(ia[i]), HexByte(ib[i])});
  }

  std::vector<FieldDifference> Take() { return std::move(m_out); }

 private:
  const CRondelDoc& m_a;
  const CRondelDoc& m_b;
  std::array<std::uint8_t, L::kImageSize> m_shown{};
  std::vector<FieldDifference> m_out;
};

bool IsCalibration(const FieldEntry& f) {
  return f.kind == FieldKind::Calibration || f.kind == FieldKind::CalibrationLast;
}

}  // namespace

std::vector<FieldDifference> CompareDocuments(const CRondelDoc& a, const CRondelDoc& b) {
  Comparison c(a, b);
  for (const FieldEntry& f : FieldCatalogue())
    if (!f.perChannel && !IsCalibration(f)) c.Field(f, 0);
  for (int n = 1; n <= L::kChannelCount; ++n)
    for (const FieldEntry& f : FieldCatalogue())
      if (f.perChannel) c.Field(f, n);
  for (const FieldEntry& f : FieldCatalogue())
    if (IsCalibration(f)) c.Field(f, 0);
  c.Bytes();
  return c.Take();
}

std::string DifferenceOffset(const FieldDifference& d) {
  char text[16];
  // Image addresses as the radio's memory map writes them, three digits; header places two.
  std::snprintf(text, sizeof text, d.place == FieldDifference::Place::Header ? "0x%02zX" : "0x%03zX",
                d.offset);
  return text;
}

std::string DifferencePlace(const FieldDifference& d) {
  switch (d.place) {
    case FieldDifference::Place::Field: return d.field;
    case FieldDifference::Place::Image: return DifferenceOffset(d);
    case FieldDifference::Place::Header: return "header+" + DifferenceOffset(d);
  }
  return {};
}

}  // namespace rondel
