// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding and encoding every field of an image: what a form refresh or "info" costs, and
// what typing a whole radio's worth of values into the form costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include "core/rondel_doc.h"
#include "core/tone_lists.h"
#include "tools/cli/image_json.h"

namespace {

using namespace rondel;

class TableModels : public ModelDataSource {
 public:
  std::string ModelData(int k, std::size_t bufSize) const override {
    static const char* entries[] = {"00400047", "00400048", "60134017", "00430044"};
    if (k < 0 || k >= 4) return {};
    return std::string(entries[k]).substr(0, bufSize - 1);
  }
};

CRondelDoc FilledDocument() {
  TableModels models;
  CRondelDoc doc;
  doc.SelectModel(0, models);
  const auto tones = ToneChoices("OFF");
  std::mt19937 rng(42);
  for (int n = 1; n <= 16; ++n) {
    char rx[16];
    std::snprintf(rx, sizeof rx, "%03d.%05d", 410 + n, n * 625);
    doc.SetFrequencyText(n, Direction::Receive, rx);
    doc.SetFrequencyText(n, Direction::Transmit, rx);
    doc.SetToneText(n, Direction::Receive, tones[rng() % tones.size()]);
    doc.SetToneText(n, Direction::Transmit, tones[rng() % tones.size()]);
  }
  doc.SetPttCodeText(PttCode::Start, "123ABCD");
  doc.SetReadPasswordText("Ab12x");
  return doc;
}

// Every getter the form and the listing call, for all 16 channels.
void BM_DecodeAllFields(benchmark::State& state) {
  const CRondelDoc doc = FilledDocument();
  for (auto _ : state) {
    std::size_t sink = 0;
    for (const Setting s : kAllSettings) sink += static_cast<std::size_t>(doc.GetSetting(s));
    sink += doc.GetPttCodeText(PttCode::Start).size() + doc.GetPttCodeText(PttCode::End).size();
    sink += doc.GetReadPasswordText().size();
    for (int i = 0; i < 6; ++i) sink += doc.GetCalibration(i);
    for (int n = 1; n <= 16; ++n) {
      for (const Direction d : {Direction::Receive, Direction::Transmit}) {
        sink += doc.GetFrequencyText(n, d).size();
        sink += doc.GetToneText(n, d, "OFF").size();
      }
      for (const ChannelOption o : kAllChannelOptions) sink += doc.GetChannelOption(n, o);
      sink += doc.IsChannelEmpty(n) + doc.LacksFrequency(n) + doc.TxEqualsRx(n) + doc.TonesEqual(n);
    }
    benchmark::DoNotOptimize(sink);
  }
}
BENCHMARK(BM_DecodeAllFields)->Unit(benchmark::kMicrosecond);

// The whole JSON listing of "info --json".
void BM_DocumentToJson(benchmark::State& state) {
  const CRondelDoc doc = FilledDocument();
  TableModels models;
  for (auto _ : state) benchmark::DoNotOptimize(DocumentToJson(doc, models));
}
BENCHMARK(BM_DocumentToJson)->Unit(benchmark::kMicrosecond);

// Every setter, as typing every value of a radio into the form.
void BM_EncodeAllFields(benchmark::State& state) {
  CRondelDoc doc = FilledDocument();
  const auto tones = ToneChoices("OFF");
  std::vector<std::string> freqs;
  for (int n = 1; n <= 16; ++n) freqs.push_back(doc.GetFrequencyText(n, Direction::Receive));
  for (auto _ : state) {
    for (const Setting s : kAllSettings) doc.SetSetting(s, 1);
    doc.SetPttCodeText(PttCode::Start, "123ABCD");
    doc.SetPttCodeText(PttCode::End, "9");
    doc.SetReadPasswordText("Ab12x");
    for (int n = 1; n <= 16; ++n) {
      doc.SetFrequencyText(n, Direction::Receive, freqs[static_cast<std::size_t>(n - 1)]);
      doc.SetFrequencyText(n, Direction::Transmit, freqs[static_cast<std::size_t>(16 - n)]);
      doc.SetToneText(n, Direction::Receive, tones[static_cast<std::size_t>(n * 7) % tones.size()]);
      doc.SetToneText(n, Direction::Transmit, tones[static_cast<std::size_t>(n * 13) % tones.size()]);
      for (const ChannelOption o : kAllChannelOptions) doc.SetChannelOption(n, o, n & 1);
    }
    benchmark::DoNotOptimize(doc.image().data());
  }
}
BENCHMARK(BM_EncodeAllFields)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
