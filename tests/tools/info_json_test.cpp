// info --json against a second, separate decoding of many generated images: every field, in
// the order the listing gives them.
#include <gtest/gtest.h>

#include "support/json.h"
#include "support/temp_dir.h"
#include "tools/cli_harness.h"
#include "tools/expected_listing.h"

namespace rondel::test::cli {
namespace {

// A small generator of our own, so the same seed gives the same images on every library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1
  unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }
  bool OneIn(unsigned n) { return Below(n) == 0; }
  // lo .. hi, both included
  unsigned Between(unsigned lo, unsigned hi) { return lo + Below(hi - lo + 1); }

 private:
  std::uint64_t m_state;
};

std::uint8_t Bcd(unsigned twoDigits) {
  return static_cast<std::uint8_t>((twoDigits / 10) * 16 + twoDigits % 10);
}

constexpr unsigned kCtcssTenths[] = {
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072,
    1109, 1148, 1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679,
    1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257,
    2291, 2336, 2418, 2503, 2541};

constexpr unsigned kDcsCodes[] = {
    023, 025, 026, 031, 032, 036, 043, 047, 051, 053, 054, 065, 071, 072, 073, 074, 0114, 0115,
    0116, 0122, 0125, 0131, 0132, 0134, 0143, 0145, 0152, 0155, 0156, 0162, 0165, 0172, 0174,
    0205, 0212, 0223, 0225, 0226, 0243, 0244, 0245, 0246, 0251, 0252, 0255, 0261, 0263, 0265,
    0266, 0271, 0274, 0306, 0311, 0315, 0325, 0331, 0332, 0343, 0346, 0351, 0356, 0364, 0365,
    0371, 0411, 0412, 0413, 0423, 0431, 0432, 0445, 0446, 0452, 0454, 0455, 0462, 0464, 0465,
    0466, 0503, 0506, 0516, 0523, 0526, 0532, 0546, 0565, 0606, 0612, 0624, 0627, 0631, 0632,
    0654, 0662, 0664, 0703, 0712, 0723, 0731, 0732, 0734, 0743, 0754};
static_assert(std::size(kCtcssTenths) == 50 && std::size(kDcsCodes) == 104);

// Eight decimal digits in units of 10 Hz, lowest pair first.
void PutFrequency(std::uint8_t* at, unsigned value) {
  for (int i = 0; i < 4; ++i, value /= 100) at[i] = Bcd(value % 100);
}

void PutFrequencyField(Random& rnd, std::uint8_t* at) {
  switch (rnd.Below(8)) {
    case 0: std::fill(at, at + 4, 0xFF); break;
    case 1:  // a highest byte just past the digit pairs: not set, whatever the rest
      for (int i = 0; i < 3; ++i) at[i] = rnd.Byte();
      at[3] = static_cast<std::uint8_t>(rnd.Between(0x9A, 0xFF));
      break;
    case 2:  // any nibbles under a highest byte that still counts as set
      for (int i = 0; i < 3; ++i) at[i] = rnd.Byte();
      at[3] = static_cast<std::uint8_t>(rnd.Between(0x00, 0x99));
      break;
    case 3: PutFrequency(at, rnd.Between(0, 99999999)); break;
    default: {  // on a raster within the usual bands
      const unsigned mhz = rnd.OneIn(2) ? rnd.Between(400, 480) : rnd.Between(136, 174);
      const unsigned step = rnd.OneIn(2) ? 625 : 500;
      PutFrequency(at, mhz * 100000 + step * rnd.Below(100000 / step));
    }
  }
}

void PutTone(Random& rnd, std::uint8_t* at) {
  switch (rnd.Below(7)) {
    case 0: at[0] = 0xFF; at[1] = 0xFF; break;
    case 1: at[0] = rnd.Byte(); at[1] = 0xFF; break;
    case 2: {
      const unsigned t = kCtcssTenths[rnd.Below(50)];
      at[0] = Bcd(t % 100);
      at[1] = Bcd(t / 100);
      break;
    }
    case 3:
    case 4: {
      const unsigned code = kDcsCodes[rnd.Below(104)];
      at[0] = static_cast<std::uint8_t>(((code >> 3) & 7) * 16 + (code & 7));
      at[1] = static_cast<std::uint8_t>((rnd.OneIn(2) ? 0xC0 : 0x80) | (code >> 6));
      break;
    }
    default:  // any code at all, with the kind boundaries 0x7F/0x80, 0xBF/0xC0, 0xFE/0xFF likely
      at[0] = rnd.Byte();
      at[1] = rnd.OneIn(2) ? rnd.Byte()
                           : static_cast<std::uint8_t>(
                                 std::array<unsigned, 6>{0x00, 0x7F, 0x80, 0xBF, 0xC0, 0xFE}
                                     [rnd.Below(6)]);
  }
}

// Digits of an alphabet of `symbols`, ended by a byte of `symbols` or more, then anything.
void PutDigits(Random& rnd, std::uint8_t* at, std::size_t size, unsigned symbols) {
  const std::size_t length = rnd.Below(static_cast<unsigned>(size) + 1);
  for (std::size_t i = 0; i < length; ++i) at[i] = static_cast<std::uint8_t>(rnd.Below(symbols));
  if (length == size) return;
  // The first byte past the alphabet is the likeliest to be taken for one more character.
  const unsigned ends[] = {0xFF, symbols, symbols + 1, rnd.Between(symbols, 255)};
  at[length] = static_cast<std::uint8_t>(ends[rnd.Below(4)]);
  const bool junk = rnd.OneIn(2);
  for (std::size_t i = length + 1; i < size; ++i) at[i] = junk ? rnd.Byte() : 0xFF;
}

// A setting byte near its clamp, unset, or anything.
std::uint8_t SettingByte(Random& rnd, unsigned limit) {
  switch (rnd.Below(4)) {
    case 0: return 0xFF;
    case 1: return rnd.Byte();
    default: return static_cast<std::uint8_t>(rnd.Below(limit + 4));
  }
}

// What a radio could hold: mostly well-formed fields, some of each kind of oddity.
ImageBytes RealisticImage(Random& rnd, const std::vector<std::string>& models) {
  ImageBytes image = BlankImage();
  for (std::size_t i = 0; i < image.size(); ++i)  // runs of other bytes between 0xFF runs
    if (rnd.OneIn(64)) {
      const std::size_t run = rnd.Between(1, 40);
      const std::uint8_t b = rnd.OneIn(2) ? rnd.Byte() : 0x00;
      for (std::size_t j = i; j < std::min(image.size(), i + run); ++j) image[j] = b;
      i += run;
    }
  for (std::size_t n = 1; n <= 16; ++n) {
    std::uint8_t* r = image.data() + 0x10 * n;
    if (rnd.OneIn(4)) {
      std::fill(r, r + 12, 0xFF);
    } else {
      PutFrequencyField(rnd, r);
      if (rnd.OneIn(3))
        std::copy(r, r + 4, r + 4);
      else
        PutFrequencyField(rnd, r + 4);
      PutTone(rnd, r + 8);
      PutTone(rnd, r + 10);
    }
    r[12] = rnd.OneIn(3) ? 0xEB : rnd.Byte();
  }
  PutDigits(rnd, image.data() + 0x3A0, 15, 14);
  PutDigits(rnd, image.data() + 0x3E0, 15, 14);
  PutDigits(rnd, image.data() + 0x3B0, 6, 62);
  image[0x3C0] = rnd.OneIn(3) ? 0x86 : rnd.Byte();
  const unsigned limits[] = {9, 6, 10, 9, 6, 16, 6};
  for (std::size_t i = 0; i < 7; ++i) image[0x3C1 + i] = SettingByte(rnd, limits[i]);
  for (std::size_t i = 0; i < 7; ++i) image[0x3F0 + i] = rnd.Byte();
  // The band code of one of the entries (the unreachable ones too), or of none.
  if (rnd.OneIn(4)) {
    for (std::size_t i = 0; i < 4; ++i) image[0x3D8 + i] = rnd.OneIn(2) ? 0xFF : rnd.Byte();
  } else {
    const std::string& entry = models[rnd.Below(static_cast<unsigned>(models.size()))];
    if (!entry.empty())
      for (std::size_t i = 0; i < 4; ++i) {
        const auto nib = [](char c) { return c < ':' ? c - '0' : ((c - 55) & 15); };
        image[0x3D8 + i] = static_cast<std::uint8_t>(nib(entry[2 * i]) * 16 + nib(entry[2 * i + 1]));
      }
  }
  return image;
}

ImageBytes RandomImage(Random& rnd) {
  ImageBytes image;
  for (auto& b : image) b = rnd.Byte();
  return image;
}

constexpr int kImages = 200;
constexpr std::uint64_t kFirstSeed = 20240601;

TEST(CliInfoJson, AgreesWithASeparateDecodingOfGeneratedImagesFieldForField) {
  TempDir dir;
  const std::string ini = dir.Write("test.ini", TestIniText());
  const std::vector<std::string> models = TestModelValues();
  int failedImages = 0;
  for (int i = 0; i < kImages && failedImages < 3; ++i) {
    const std::uint64_t seed = kFirstSeed + static_cast<std::uint64_t>(i);
    Random rnd(seed);
    ImageBytes image = i % 4 == 0 ? RandomImage(rnd) : RealisticImage(rnd, models);
    if (i % 4 == 3)  // a realistic image with a few bytes gone wrong
      for (int k = 0; k < 24; ++k) image[rnd.Below(0x400)] = rnd.Byte();
    std::vector<std::uint8_t> file = DataFile(image);
    if (i % 5 == 1)  // the version and the reserved bytes are never looked at
      for (std::size_t k = 24; k < 48; ++k) file[k] = rnd.Byte();
    const std::string path = dir.WriteBytes("image.dig", file);

    const ProcessResult r = RunCli({"--ini", ini, "info", path, "--json"});
    ASSERT_EQ(r.exitStatus, 0) << "seed " << seed << "\n" << Describe(r);
    ASSERT_EQ(r.err, "") << "seed " << seed;
    const json::ParseResult parsed = json::Parse(r.out);
    ASSERT_TRUE(parsed.ok) << "seed " << seed << ": " << parsed.error << "\n" << r.out;

    const auto diffs = Differences(ExpectedListing(image, models), parsed.value);
    if (diffs.empty()) continue;
    ++failedImages;
    std::string text;
    for (std::size_t k = 0; k < diffs.size() && k < 20; ++k) text += "  " + diffs[k] + "\n";
    ADD_FAILURE() << "image " << i << " (seed " << seed << "), " << diffs.size()
                  << " differences:\n" << text << DescribeImage(image);
  }
}

// The listing's shape on its own, so a reordering shows as exactly that.
TEST(CliInfoJson, KeysComeInTheDocumentedOrder) {
  TempDir dir;
  Random rnd(7);
  const std::string path = dir.WriteBytes("image.dig", DataFile(RealisticImage(rnd, TestModelValues())));
  const ProcessResult r =
      RunCli({"--ini", dir.Write("test.ini", TestIniText()), "info", path, "--json"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const json::ParseResult parsed = json::Parse(r.out);
  ASSERT_TRUE(parsed.ok) << parsed.error;

  const auto keys = [](const json::Value* v) {
    std::vector<std::string> names;
    if (v && v->AsObject())
      for (const auto& m : *v->AsObject()) names.push_back(m.first);
    return names;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(keys(&parsed.value), (Names{"model", "settings", "pttStartCode", "pttEndCode",
                                        "readPassword", "calibration", "calibrationLast",
                                        "channels"}));
  EXPECT_EQ(keys(At(parsed.value, "model")), (Names{"index", "bandCode", "bandLow", "bandHigh"}));
  EXPECT_EQ(keys(At(parsed.value, "settings")),
            (Names{"fmRadio", "batterySaver", "voicePrompt", "pttIdMode", "scanMode",
                   "squelchLevel", "sideKey1", "txTimeout", "voxLevel", "sideKey2",
                   "priorityChannel", "voxDelay"}));
  const json::Value* calibration = At(parsed.value, "calibration");
  ASSERT_TRUE(calibration && calibration->AsArray());
  EXPECT_EQ(calibration->AsArray()->size(), 6u);
  const json::Value* channels = At(parsed.value, "channels");
  ASSERT_TRUE(channels && channels->AsArray());
  ASSERT_EQ(channels->AsArray()->size(), 16u);
  for (std::size_t n = 0; n < 16; ++n) {
    const json::Value& ch = (*channels->AsArray())[n];
    EXPECT_EQ(keys(&ch), (Names{"channel", "rxFreq", "txFreq", "rxTone", "txTone", "opt5Off",
                                "narrow", "highPower", "opt8Off", "opt9Off", "opt10Off",
                                "opt11Off"}))
        << "channel " << n + 1;
    const json::Value* number = ch.Find("channel");
    ASSERT_TRUE(number && number->AsInteger());
    EXPECT_EQ(*number->AsInteger(), static_cast<std::int64_t>(n + 1));
  }
}

}  // namespace
}  // namespace rondel::test::cli
