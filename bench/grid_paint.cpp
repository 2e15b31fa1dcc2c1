// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's cost on screen: one full paint of a channel-sized grid (17 x 12) against a long
// one (2 000 x 12), which should cost the same since only the cells in view are painted, and
// finding the cell under a point.
#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "grid/grid_ctrl.h"

namespace {

using rondel::CGridCtrl;

constexpr int kCols = 12;

constexpr int kRowHeight = 24;
constexpr int kHeadingHeight = 28;

// A grid laid out like the channel table: a heading row, a number column, texts in every cell.
// The view is just tall enough for 17 rows, so both sizes paint a full view.
std::unique_ptr<CGridCtrl> MakeGrid(int rows) {
  auto grid = std::make_unique<CGridCtrl>();
  grid->setFrameShape(QFrame::NoFrame);
  grid->resize(850, kHeadingHeight + 16 * kRowHeight);
  grid->EnableRedraw(false);
  grid->SetRowCount(rows);
  grid->SetColumnCount(kCols);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  for (int c = 0; c < kCols; ++c) grid->SetColumnWidth(c, 68);
  for (int r = 1; r < rows; ++r) grid->SetRowHeight(r, kRowHeight);
  grid->SetRowHeight(0, kHeadingHeight);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      rondel::GV_ITEM item;
      item.row = r;
      item.col = c;
      item.mask = rondel::GVIF_TEXT | rondel::GVIF_FORMAT;
      item.text = c == 0 ? QString::number(r) : QStringLiteral("433.%1").arg(r * 12 + c, 5, 10, QLatin1Char('0'));
      item.format = rondel::GV_FMT_CENTER | rondel::GV_FMT_VCENTER | rondel::GV_FMT_SINGLELINE;
      grid->SetCell(item);
    }
    if (r % 3 == 0) grid->SetCellState(r, 5, rondel::GVIS_READONLY);
  }
  grid->EnableRedraw(true, true);
  grid->SetFocusCell(std::min(rows - 1, 3), 2);
  return grid;
}

void FullPaint(benchmark::State& state, bool middle) {
  const int rows = static_cast<int>(state.range(0));
  auto grid = MakeGrid(rows);
  if (middle) grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2);
  QImage target(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    grid->viewport()->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["rows"] = rows;
}

void BM_FullPaintTop(benchmark::State& state) { FullPaint(state, false); }
void BM_FullPaintMiddle(benchmark::State& state) { FullPaint(state, true); }
BENCHMARK(BM_FullPaintTop)->Arg(17)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullPaintMiddle)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

// The cell under each of 1 024 points spread over the view, scrolled to the middle.
void BM_HitTest(benchmark::State& state) {
  auto grid = MakeGrid(static_cast<int>(state.range(0)));
  grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> x(0, grid->viewport()->width() - 1);
  std::uniform_int_distribution<int> y(0, grid->viewport()->height() - 1);
  std::vector<QPoint> points(1024);
  for (auto& p : points) p = QPoint(x(rng), y(rng));
  for (auto _ : state) {
    int sink = 0;
    for (const QPoint& p : points) sink += grid->GetCellFromPt(p).row;
    benchmark::DoNotOptimize(sink);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(points.size()));
}
BENCHMARK(BM_HitTest)->Arg(17)->Arg(2000)->Arg(20000);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
