// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the private-profile functions: the input supplies the names, the buffer size, a value
// and, in what is left, the file. Reads must stay within their buffer; a successful write must
// read back and leave the file's other entries as they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/profile.h"
#include "tests/fuzz/fuzz_file.h"

namespace {

using namespace rondel::profile;

constexpr std::size_t kWhole = 1 << 20;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::pair<std::string, std::string>, std::string> Snapshot(const std::string& path) {
  std::map<std::pair<std::string, std::string>, std::string> all;
  for (const std::string& section : GetSections(path))
    for (const std::string& key : GetKeys(path, section))
      all[{section, key}] = GetString(path, section, key, "<missing>", kWhole);
  return all;
}

// Names as the functions match them: blanks at both ends dropped, ASCII case folded.
bool SameName(std::string_view a, std::string_view b) {
  const auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  };
  const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return std::ranges::equal(trim(a), trim(b), [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(12);
  const std::string key = in.ConsumeRandomLengthString(12);
  const std::string value = in.ConsumeRandomLengthString(24);
  const std::size_t bufSize = in.ConsumeIntegralInRange<std::size_t>(0, 64);
  const std::string file = in.ConsumeRemainingBytesAsString();

  const FuzzFile ini(file);
  const std::string& path = ini.path;

  const std::string whole = GetString(path, section, key, "", kWhole);
  const std::string cut = GetString(path, section, key, "", bufSize);
  Require(cut.size() <= (bufSize == 0 ? 0 : bufSize - 1));
  Require(whole.compare(0, cut.size(), cut) == 0);
  Require(cut.size() + 3 >= std::min(whole.size(), bufSize == 0 ? 0 : bufSize - 1));
  // The integer agrees with the text of the same entry.
  long long digits = 0;
  for (std::size_t i = 0; i < whole.size() && whole[i] >= '0' && whole[i] <= '9'; ++i)
    digits = std::min<long long>(digits * 10 + (whole[i] - '0'), INT_MAX);
  Require(GetInt(path, section, key, -1) == (whole.empty() ? -1 : digits));
  for (const std::string& s : GetSections(path)) (void)GetKeys(path, s);

  const auto before = Snapshot(path);
  if (WriteString(path, section, key, value)) {
    Require(GetString(path, section, key, "<missing>", kWhole) == value);
    auto after = Snapshot(path);
    for (const auto& [where, old] : before)
      if (!SameName(where.first, section) || !SameName(where.second, key))
        Require(after[where] == old);
  } else {
    Require(ReadAll(path) == file);
  }
  return 0;
}
