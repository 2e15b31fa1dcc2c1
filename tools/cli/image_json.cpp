#include "tools/cli/image_json.h"

#include <cstdio>

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

void AppendString(std::string& out, std::string_view s) { AppendJsonString(out, s); }

void AppendKey(std::string& out, std::string_view key) {
  AppendString(out, key);
  out += ": ";
}

}  // namespace

std::string DocumentToJson(const CRondelDoc& doc, const ModelDataSource& models) {
  std::string out;
  out.reserve(4096);

  out += "{\"model\": {\"index\": " + std::to_string(doc.FindModel(models)) + ", \"bandCode\": ";
  AppendString(out, BandCodeHex(doc.GetBandCode()));
  out += ", \"bandLow\": " + std::to_string(doc.bandLow) +
         ", \"bandHigh\": " + std::to_string(doc.bandHigh) + "},\n";

  out += " \"settings\": {";
  bool first = true;
  for (const Setting s : kAllSettings) {
    if (!first) out += ", ";
    first = false;
    AppendKey(out, SettingName(s));
    out += std::to_string(doc.GetSetting(s));
  }
  out += "},\n";

  out += " ";
  AppendKey(out, "pttStartCode");
  AppendString(out, doc.GetPttCodeText(PttCode::Start));
  out += ", ";
  AppendKey(out, "pttEndCode");
  AppendString(out, doc.GetPttCodeText(PttCode::End));
  out += ", ";
  AppendKey(out, "readPassword");
  AppendString(out, doc.GetReadPasswordText());
  out += ",\n \"calibration\": [";
  for (int i = 0; i < static_cast<int>(layout::kCalibrationValueCount); ++i) {
    if (i) out += ", ";
    out += std::to_string(doc.GetCalibration(i));
  }
  out += "], \"calibrationLast\": " + std::to_string(doc.GetLastCalibrationIndex()) + ",\n";

  out += " \"channels\": [";
  for (int n = 1; n <= layout::kChannelCount; ++n) {
    out += n == 1 ? "" : ",\n  ";
    out += "{\"channel\": " + std::to_string(n);
    for (const Direction d : {Direction::Receive, Direction::Transmit}) {
      out += ", ";
      AppendKey(out, d == Direction::Receive ? "rxFreq" : "txFreq");
      AppendString(out, doc.GetFrequencyText(n, d));
    }
    for (const Direction d : {Direction::Receive, Direction::Transmit}) {
      out += ", ";
      AppendKey(out, d == Direction::Receive ? "rxTone" : "txTone");
      if (doc.IsToneOff(n, d))
        out += "null";
      else
        AppendString(out, doc.GetToneText(n, d, ""));
    }
    for (const ChannelOption o : kAllChannelOptions) {
      out += ", ";
      AppendKey(out, ChannelOptionName(o));
      out += std::to_string(doc.GetChannelOption(n, o));
    }
    out += "}";
  }
  out += "]}\n";
  return out;
}

}  // namespace rondel
