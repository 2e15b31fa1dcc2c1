#include "tools/expected_listing.h"

#include <algorithm>
#include <cstdio>

namespace rondel::test::cli {
namespace {

using json::Array;
using json::Object;
using json::Value;

// Where the radio keeps things; written out again here rather than borrowed from the program.
constexpr std::size_t kPttStart = 0x3A0;
constexpr std::size_t kPassword = 0x3B0;
constexpr std::size_t kOptions = 0x3C0;
constexpr std::size_t kBand = 0x3D8;
constexpr std::size_t kPttEnd = 0x3E0;
constexpr std::size_t kCalibration = 0x3F0;

std::string Format(const char* fmt, unsigned a, unsigned b, unsigned c) {
  char text[32];
  std::snprintf(text, sizeof text, fmt, a, b, c);
  return text;
}

// Eight BCD digits, the two highest in the last byte; "not set" when that byte is no digit pair.
std::string FrequencyText(const std::uint8_t* f) {
  if (f[3] > 0x99) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%x%x.%x%02x%02x", unsigned{f[3]}, unsigned(f[2] >> 4),
                unsigned(f[2] & 0x0F), unsigned{f[1]}, unsigned{f[0]});
  return text;
}

// The second byte picks the kind: off, CTCSS in BCD tenths of a hertz, or a DCS code.
Value ToneValue(const std::uint8_t* t) {
  const unsigned low = t[0];
  const unsigned high = t[1];
  if (high == 0xFF) return nullptr;
  if (high <= 0x7F) return Format("%x%x.%x", high, low >> 4, low & 0x0F);
  const char* fmt = high <= 0xBF ? "D%x%02xN" : "D%x%02xI";
  return Format(fmt, high & 0x0F, low, 0);
}

// A digit string ends at the first byte that is no character of its alphabet.
std::string DigitText(const std::uint8_t* bytes, std::size_t count, std::string_view alphabet) {
  std::string text;
  for (std::size_t i = 0; i < count && bytes[i] < alphabet.size(); ++i) text += alphabet[bytes[i]];
  return text;
}

constexpr std::string_view kCodeDigits = "0123456789ABCD";
constexpr std::string_view kPasswordChars =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

int Clamp(std::uint8_t b, int limit) { return std::min<int>(b, limit); }

// The settings file's way with hex: below ':' a digit, else (c - 55) & 15, nothing refused.
int Nibble(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < ':' ? u - 0x30 : (u - 55) & 0x0F;
}

std::array<std::uint8_t, 4> CodeOfEntry(const std::string& entry) {
  std::array<std::uint8_t, 4> code{};
  for (std::size_t i = 0; i < 4; ++i)
    code[i] = static_cast<std::uint8_t>(Nibble(entry.at(2 * i)) * 16 + Nibble(entry.at(2 * i + 1)));
  return code;
}

// Three characters of the entry, in the given order, read as a decimal number up to the first
// character that is not a digit.
std::int64_t Megahertz(const std::string& entry, std::size_t a, std::size_t b, std::size_t c) {
  std::int64_t value = 0;
  for (const std::size_t at : {a, b, c}) {
    if (at >= entry.size() || entry[at] < '0' || entry[at] > '9') break;
    value = value * 10 + (entry[at] - '0');
  }
  return value;
}

Value ModelValue(const ImageBytes& image, const std::vector<std::string>& models) {
  const std::array<std::uint8_t, 4> code{image[kBand], image[kBand + 1], image[kBand + 2],
                                         image[kBand + 3]};
  int index = 0;
  for (std::size_t k = 0; k < models.size() && k < 16 && !models[k].empty(); ++k)
    if (CodeOfEntry(models[k]) == code) index = static_cast<int>(k);

  std::int64_t low = 10000000, high = 52000000;
  if (!models.empty() && !models[static_cast<std::size_t>(index)].empty()) {
    const std::string& entry = models[static_cast<std::size_t>(index)];
    low = Megahertz(entry, 2, 3, 0) * 100000;
    high = Megahertz(entry, 6, 7, 4) * 100000;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", unsigned{code[0]}, unsigned{code[1]},
                unsigned{code[2]}, unsigned{code[3]});
  return Object{{"index", index}, {"bandCode", hex}, {"bandLow", low}, {"bandHigh", high}};
}

Value SettingsValue(const ImageBytes& image) {
  const std::uint8_t opt = image[kOptions];
  const auto byte = [&](std::size_t at) { return image[at]; };
  const std::uint8_t priority = byte(0x3C6);
  return Object{
      {"fmRadio", opt & 1},
      {"batterySaver", (opt >> 1) & 1},
      {"voicePrompt", std::min((opt >> 2) & 3, 2)},
      {"pttIdMode", (opt >> 4) & 3},
      {"scanMode", (opt >> 6) & 1},
      {"squelchLevel", Clamp(byte(0x3C1), 9)},
      {"sideKey1", Clamp(byte(0x3C2), 6)},
      {"txTimeout", Clamp(byte(0x3C3), 10)},
      {"voxLevel", Clamp(byte(0x3C4), 9)},
      {"sideKey2", Clamp(byte(0x3C5), 6)},
      {"priorityChannel", priority == 0xFF ? 0 : priority + 1},
      {"voxDelay", Clamp(byte(0x3C7), 6)},
  };
}

Value ChannelValue(const ImageBytes& image, int n) {
  const std::uint8_t* r = image.data() + 0x10 * n;
  const std::uint8_t flags = r[12];
  const auto bit = [&](int b) { return (flags >> b) & 1; };
  return Object{
      {"channel", n},
      {"rxFreq", FrequencyText(r)},
      {"txFreq", FrequencyText(r + 4)},
      {"rxTone", ToneValue(r + 8)},
      {"txTone", ToneValue(r + 10)},
      {"opt5Off", bit(4)},
      {"narrow", bit(2)},
      {"highPower", bit(3)},
      {"opt8Off", bit(0)},
      {"opt9Off", bit(5)},
      {"opt10Off", bit(6)},
      {"opt11Off", bit(7)},
  };
}

void Diff(const Value& e, const Value& a, const std::string& path, std::vector<std::string>& out) {
  if (e.kind != a.kind) {
    out.push_back(path + ": expected " + std::string(json::KindName(e.kind)) + " " +
                  json::ToText(e) + ", got " + std::string(json::KindName(a.kind)) + " " +
                  json::ToText(a));
    return;
  }
  if (const Object* eo = e.AsObject()) {
    const Object& ao = *a.AsObject();
    std::string ek, ak;
    for (const auto& m : *eo) ek += (ek.empty() ? "" : ",") + m.first;
    for (const auto& m : ao) ak += (ak.empty() ? "" : ",") + m.first;
    if (ek != ak) {
      out.push_back(path + ": expected keys {" + ek + "}, got {" + ak + "}");
      return;
    }
    for (std::size_t i = 0; i < eo->size(); ++i)
      Diff((*eo)[i].second, ao[i].second, path + "." + (*eo)[i].first, out);
    return;
  }
  if (const Array* ea = e.AsArray()) {
    const Array& aa = *a.AsArray();
    if (ea->size() != aa.size()) {
      out.push_back(path + ": expected " + std::to_string(ea->size()) + " items, got " +
                    std::to_string(aa.size()));
      return;
    }
    for (std::size_t i = 0; i < ea->size(); ++i)
      Diff((*ea)[i], aa[i], path + "[" + std::to_string(i) + "]", out);
    return;
  }
  if (!(e == a)) out.push_back(path + ": expected " + json::ToText(e) + ", got " + json::ToText(a));
}

std::string Hex(const ImageBytes& image, std::size_t from, std::size_t count) {
  std::string s;
  char b[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(b, sizeof b, "%02X", unsigned{image[from + i]});
    s += (i ? " " : "") + std::string(b);
  }
  return s;
}

}  // namespace

json::Value ExpectedListing(const ImageBytes& image, const std::vector<std::string>& models) {
  Array calibration;
  for (std::size_t i = 0; i < 6; ++i) calibration.push_back(int{image[kCalibration + i]});
  Array channels;
  for (int n = 1; n <= 16; ++n) channels.push_back(ChannelValue(image, n));
  return Object{
      {"model", ModelValue(image, models)},
      {"settings", SettingsValue(image)},
      {"pttStartCode", DigitText(image.data() + kPttStart, 15, kCodeDigits)},
      {"pttEndCode", DigitText(image.data() + kPttEnd, 15, kCodeDigits)},
      {"readPassword", DigitText(image.data() + kPassword, 6, kPasswordChars)},
      {"calibration", calibration},
      {"calibrationLast", int{image[kCalibration + 6]}},
      {"channels", channels},
  };
}

const json::Value* At(const json::Value& root, std::string_view path) {
  const json::Value* v = &root;
  std::size_t i = 0;
  while (v && i < path.size()) {
    if (path[i] == '.') ++i;
    if (path[i] == '[') {
      const std::size_t close = path.find(']', i);
      const std::size_t index = std::stoul(std::string(path.substr(i + 1, close - i - 1)));
      const json::Array* a = v->AsArray();
      v = a && index < a->size() ? &(*a)[index] : nullptr;
      i = close + 1;
      continue;
    }
    const std::size_t end = path.find_first_of(".[", i);
    v = v->Find(path.substr(i, end == std::string_view::npos ? end : end - i));
    i = end == std::string_view::npos ? path.size() : end;
  }
  return v;
}

std::vector<std::string> Differences(const json::Value& expected, const json::Value& actual) {
  std::vector<std::string> out;
  Diff(expected, actual, "$", out);
  return out;
}

std::string DescribeImage(const ImageBytes& image) {
  std::string s;
  for (int n = 1; n <= 16; ++n)
    s += "channel " + std::to_string(n) + ": " + Hex(image, 0x10 * static_cast<std::size_t>(n), 16) + "\n";
  s += "0x3A0: " + Hex(image, 0x3A0, 16) + "\n0x3B0: " + Hex(image, 0x3B0, 16) +
       "\n0x3C0: " + Hex(image, 0x3C0, 16) + "\n0x3D0: " + Hex(image, 0x3D0, 16) +
       "\n0x3E0: " + Hex(image, 0x3E0, 16) + "\n0x3F0: " + Hex(image, 0x3F0, 16) + "\n";
  return s;
}

}  // namespace rondel::test::cli
