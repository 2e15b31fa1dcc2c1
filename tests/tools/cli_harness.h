// What the command-line tests share: where the built rondel-cli is, a settings file of our own
// with awkward model entries, and data files made from raw bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/process.h"

namespace rondel::test::cli {

using ImageBytes = std::array<std::uint8_t, 4096>;

inline constexpr std::size_t kHeaderBytes = 48;
inline constexpr std::size_t kFileBytes = kHeaderBytes + 4096;
inline constexpr std::string_view kHeaderText = "Pelto Radio Program data v1.02";

// RONDEL_BIN_DIR, or an empty text when the test was started without it.
std::string BinDir();
std::string CliPath();
std::string ShippedIniPath();

// Runs rondel-cli with `args`; the time limit is generous for sanitizer builds.
ProcessResult RunCli(const std::vector<std::string>& args);

// One "data%d" line of our settings file, in index order. The key's spelling varies on
// purpose: keys are matched without regard to case.
struct IniModel {
  std::string_view key;
  std::string_view value;  // empty: the entry is there without a value
};

// Upper- and lower-case hex, a band code that repeats an earlier one, a character that is not
// hex, a long entry, and an empty entry (index 6) that ends the list before index 7.
inline constexpr IniModel kTestModels[] = {
    {"data0", "00400047"},    {"DATA1", "60134017"}, {"data2", "00a400b5"},
    {"data3", "00400047"},    {"Data4", "2513G052"}, {"data5", "00450046XYZ"},
    {"data6", ""},            {"data7", "00460047"},
};

// The whole text of that settings file.
std::string TestIniText();

// The values of kTestModels by index, as the band code lookup needs them.
std::vector<std::string> TestModelValues();

// A data file: `header` (padded with zeros to 48 bytes) followed by the image.
std::vector<std::uint8_t> DataFile(const ImageBytes& image, std::string_view header = kHeaderText);

ImageBytes BlankImage();

}  // namespace rondel::test::cli
