// The JSON listing a memory image should give, worked out again here straight from the byte
// layout, so the program's own decoding can be checked against a second, separate reading.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/json.h"
#include "tools/cli_harness.h"

namespace rondel::test::cli {

// `models` are the "data%d" values by index; the list ends at the first empty one or at its
// end, as a missing entry would end it.
json::Value ExpectedListing(const ImageBytes& image, const std::vector<std::string>& models);

// Every place where `actual` differs from `expected`, as "path: expected X, got Y" lines;
// objects must have the same keys in the same order.
std::vector<std::string> Differences(const json::Value& expected, const json::Value& actual);

// The value at a path such as "channels[3].rxTone" or "model.index"; nullptr when absent.
const json::Value* At(const json::Value& root, std::string_view path);

// Channel record n (1..16) and the radio-wide block as hex, to show beside a difference.
std::string DescribeImage(const ImageBytes& image);

}  // namespace rondel::test::cli
