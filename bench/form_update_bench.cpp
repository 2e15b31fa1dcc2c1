// SPDX-License-Identifier: GPL-3.0-or-later
// What the form costs: a language lookup with the settings file's parse reused and without,
// a whole view update of the desktop program's form (title and settings panel; the channel
// grid adds its own), and one frequency commit with what the form shows again after it.
// Runs the program from the build's bin folder under the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/app_paths.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "shell/language.h"
#include "shell/qt/prompt_script.h"
#include "shell/qt/rondel_app.h"
#include "view/rondel_view.h"

namespace {

using namespace rondel;

const std::string kBin = RONDEL_BIN_DIR;

// The English language file as installed, unchanged for a while: its parse is reused.
void BM_LanguageLookup(benchmark::State& state) {
  const std::string lang = kBin + "/english.lang";
  for (auto _ : state) benchmark::DoNotOptimize(GetLangStringFrom(lang, "IDS_CONFIRM_FREQ"));
}
BENCHMARK(BM_LanguageLookup);

// The same lookup when every one reads and parses the file: nine copies in turn, more than
// the parses kept.
void BM_LanguageLookupParsedEachTime(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rondel-bench-lang";
  std::filesystem::create_directories(dir);
  std::vector<std::string> copies;
  for (int i = 0; i < 9; ++i) {
    const auto copy = dir / ("copy" + std::to_string(i) + ".lang");
    std::filesystem::copy_file(kBin + "/english.lang", copy,
                               std::filesystem::copy_options::overwrite_existing);
    copies.push_back(copy.string());
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetLangStringFrom(copies[i], "IDS_CONFIRM_FREQ"));
    i = (i + 1) % copies.size();
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LanguageLookupParsedEachTime);

// The desktop program with a document of 16 channels.
class Program {
 public:
  Program() : m_app(CreateRondelView, kBin) {
    if (!m_app.InitInstance({})) std::fprintf(stderr, "the program did not start\n");
    CRondelDoc& doc = m_app.Core().Doc();
    for (int n = 1; n <= 16; ++n) {
      char rx[16];
      std::snprintf(rx, sizeof rx, "%03d.%05d", 430 + n, n * 625);
      doc.SetFrequencyText(n, Direction::Receive, rx);
      doc.SetFrequencyText(n, Direction::Transmit, rx);
    }
    m_app.Document().UpdateAllViews();
  }
  CRondelApp& app() { return m_app; }

 private:
  CRondelApp m_app;
};

// Made in main, after the toolkit and gone before it.
std::unique_ptr<Program> g_program;
Program& TheProgram() {
  if (!g_program) g_program = std::make_unique<Program>();
  return *g_program;
}

// Every view update: window title, the form's texts, every settings list refilled and
// selected, codes, password and check boxes.
void BM_ViewUpdate(benchmark::State& state) {
  CRondelApp& app = TheProgram().app();
  for (auto _ : state) app.Document().UpdateAllViews();
}
BENCHMARK(BM_ViewUpdate)->Unit(benchmark::kMicrosecond);

// One frequency commit through the document, with the priority list refilled, and the texts
// of the edited row as the grid shows them.
void BM_FrequencyCommit(benchmark::State& state) {
  CRondelApp& app = TheProgram().app();
  const char* texts[] = {"446.00625", "446.0125"};
  int i = 0;
  for (auto _ : state) {
    app.Document().ApplyEdit(FrequencyEdit{7, 1, texts[i ^= 1]});
    benchmark::DoNotOptimize(ChannelRow(app.Core().Doc(), 7));
  }
}
BENCHMARK(BM_FrequencyCommit)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qtApp(argc, argv);
  // Nobody answers: no question may stop the run.
  CPromptScript silent("/dev/null", "/dev/null");
  SetPrompter(&silent);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_program.reset();
  SetPrompter(nullptr);
  return 0;
}
