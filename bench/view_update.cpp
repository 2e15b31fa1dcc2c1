// The form's refresh cost: one full view update (settings panel, channel grid with all sixteen
// rows, tone list) and one frequency commit with its row refresh, on the real view under the
// offscreen platform, with the shipped settings and language files.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "grid/grid_ctrl.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/rondel_app.h"
#include "shell/rondel_document.h"
#include "view/rondel_view.h"

namespace {

rondel::CRondelApp* g_app = nullptr;

rondel::CRondelView& View() {
  return *static_cast<rondel::CRondelView*>(g_app->MainFrame()->View());
}

void FullViewUpdate(benchmark::State& state) {
  for (auto _ : state) View().OnUpdate();
}
BENCHMARK(FullViewUpdate)->Unit(benchmark::kMicrosecond);

void FrequencyCommitWithRowRefresh(benchmark::State& state) {
  const char* texts[] = {"446.00625", "438.50000"};
  int i = 0;
  for (auto _ : state) {
    g_app->Document().ApplyEdit(rondel::FrequencyEdit{5, 1, texts[i ^= 1]});
  }
}
BENCHMARK(FrequencyCommitWithRowRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Recent files of the run go to a folder of its own, never the user's.
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "rondel-bench-view";
  std::filesystem::create_directories(home);
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  QApplication qt(argc, argv);
  rondel::CRondelApp app(rondel::CreateRondelView, RONDEL_BIN_DIR);
  if (!app.InitInstance({})) return 1;
  g_app = &app;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_app = nullptr;
  std::filesystem::remove_all(home);
  return 0;
}
