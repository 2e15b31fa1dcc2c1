// SPDX-License-Identifier: GPL-3.0-or-later
// Two documents compared field by field in the catalogue's terms, then byte by byte for
// whatever no field that differs accounts for (unnamed bytes, header bytes, bits beside a
// field). The command line's diff and the desktop program's compare dialog both list this.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/rondel_doc.h"

namespace rondel {

struct FieldDifference {
  enum class Place { Field, Image, Header };
  Place place = Place::Field;
  std::string field;       // Place::Field: the full name, "ch3.rxFreq", "calibration[2]"
  std::size_t offset = 0;  // Image: the radio's address; Header: the byte's place in the header
  // A field as it reads (an off tone is "off", an unset frequency empty); a byte as two
  // hexadecimal digits.
  std::string a;
  std::string b;
  bool operator==(const FieldDifference&) const = default;
};

// Every difference of `a` and `b`, in this order: the fields of the form (model, settings,
// codes, password, then channel by channel), the calibration values, then the header bytes
// and the image bytes by address. Empty when the two files would be the same bytes.
std::vector<FieldDifference> CompareDocuments(const CRondelDoc& a, const CRondelDoc& b);

// Where a difference is, as a listing names it: "ch3.rxFreq", "0x3F8", "header+0x1E".
std::string DifferencePlace(const FieldDifference& d);
// The byte's offset alone: "0x3F8" for an image byte, "0x1E" for a header byte.
std::string DifferenceOffset(const FieldDifference& d);

// The spelling of an off tone in a difference.
inline constexpr const char* kToneOffText = "off";

}  // namespace rondel
