// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/image_json.h"

#include <cstdio>

#include "core/field_catalogue.h"

namespace rondel {

void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", u);
      out += esc;
    } else {
      out += c;
    }
  }
  out += '"';
}

namespace {

void AppendKey(std::string& out, std::string_view key) {
  AppendJsonString(out, key);
  out += ": ";
}

}  // namespace

std::string DocumentToJson(const CRondelDoc& doc, const ModelDataSource& models) {
  std::string out;
  out.reserve(4096);
  // One field as "name": value, numbers bare and an off tone as null.
  const auto field = [&](const FieldEntry& f, int channel) {
    AppendKey(out, f.name);
    const FieldValue v = ReadField(doc, f, channel);
    switch (v.form) {
      case ValueForm::Number: out += v.text; break;
      case ValueForm::Text: AppendJsonString(out, v.text); break;
      case ValueForm::Null: out += "null"; break;
    }
  };

  // The layout's number first: a reader checks it before it trusts any other member.
  out += "{\"format\": " + std::to_string(kInfoJsonFormat) + ",\n ";
  AppendKey(out, field_names::kModel);
  out += "{\"index\": " + std::to_string(doc.FindModel(models)) + ", ";
  field(FieldOfKind(FieldKind::BandCode), 0);
  out += ", \"bandLow\": " + std::to_string(doc.bandLow) +
         ", \"bandHigh\": " + std::to_string(doc.bandHigh) + "},\n";

  out += " \"settings\": {";
  bool first = true;
  for (const Setting s : kAllSettings) {
    if (!first) out += ", ";
    first = false;
    field(SettingField(s), 0);
  }
  out += "},\n";

  out += " ";
  field(PttCodeField(PttCode::Start), 0);
  out += ", ";
  field(PttCodeField(PttCode::End), 0);
  out += ", ";
  field(FieldOfKind(FieldKind::ReadPassword), 0);
  out += ",\n ";
  first = true;
  for (const FieldEntry& f : FieldCatalogue()) {
    if (f.kind != FieldKind::Calibration) continue;
    if (first) {
      AppendKey(out, f.name);
      out += "[";
    } else {
      out += ", ";
    }
    first = false;
    out += ReadField(doc, f).text;
  }
  out += "], ";
  field(FieldOfKind(FieldKind::CalibrationLast), 0);
  out += ",\n";

  out += " \"channels\": [";
  for (int n = 1; n <= layout::kChannelCount; ++n) {
    out += n == 1 ? "" : ",\n  ";
    out += "{";
    AppendKey(out, field_names::kChannel);
    out += std::to_string(n);
    for (const FieldEntry& f : FieldCatalogue()) {
      if (!f.perChannel) continue;
      out += ", ";
      field(f, n);
    }
    out += "}";
  }
  out += "]}\n";
  return out;
}

}  // namespace rondel
