// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a data file: the loader must neither crash nor touch memory it does not own,
// and whatever it accepts must decode and store again as the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/data_file.h"
#include "tests/fuzz/fuzz_file.h"

namespace {

struct FixedModels : rondel::ModelDataSource {
  std::string ModelData(int k, std::size_t bufSize) const override {
    static const char* entries[] = {"00400047", "60134017", "0", "zz"};
    if (k < 0 || k >= 4 || bufSize == 0) return {};
    return std::string(entries[k]).substr(0, bufSize - 1);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FixedModels models;
  rondel::CRondelDoc doc;
  const auto result = rondel::LoadDocument(doc, std::span<const std::uint8_t>(data, size), models);
  std::size_t sink = 0;
  for (int n = 1; n <= 16; ++n) {
    sink += doc.GetFrequencyText(n, rondel::Direction::Receive).size();
    sink += doc.GetToneText(n, rondel::Direction::Transmit, "OFF").size();
  }
  for (const auto s : rondel::kAllSettings) sink += static_cast<std::size_t>(doc.GetSetting(s));
  sink += doc.GetPttCodeText(rondel::PttCode::Start).size() + doc.GetReadPasswordText().size();
  const std::span<const std::uint8_t> whole(data, std::min(size, rondel::layout::kFileSize));
  Require(result != rondel::LoadResult::Loaded || size < rondel::layout::kFileSize ||
          std::ranges::equal(rondel::SerializeDocument(doc), whole));
  return sink == static_cast<std::size_t>(-1);
}
