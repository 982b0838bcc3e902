// What the viewer computes for one repaint of eight strips of 1000 samples, without drawing:
// the views after an update, each strip's pixel points and grid lines, and the marks of its two
// Y axes and of the X axis. The drawing itself is measured under Wine (bench/scope_paint_win.cpp).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "scopeview/axis_ticks.h"
#include "scopeview/osc_layout.h"
#include "scopeview/osc_view.h"

namespace {

using namespace scopeview;

constexpr std::uint32_t kPoints = 1000;
constexpr Rect kClient{0, 0, 700, 700};

std::vector<double> wave(int strip) {
  std::vector<double> samples(kPoints);
  for (std::uint32_t i = 0; i < kPoints; ++i) samples[i] = 200.0 + 30.0 * std::sin(i * 0.01 * (strip + 1));
  return samples;
}

void BM_RepaintMappingOfEightStrips(benchmark::State& state) {
  std::array<std::vector<double>, kStripCount> data;
  std::array<const double*, kStripCount> arrays{};
  for (int i = 0; i < kStripCount; ++i) {
    data[i] = wave(i);
    arrays[i] = data[i].data();
  }
  LayoutFlags flags;
  flags.strip_shown.fill(true);
  flags.right_y = true;
  const OscLayout layout = layout_oscilloscope(kClient, flags);
  OscViews views;
  std::uint32_t total = kPoints;
  for (auto _ : state) {
    views.update(arrays, kPoints, ++total, kPoints, UpdateOptions{});
    for (int i = 0; i < kStripCount; ++i) {
      const Rect strip{0, 0, layout.strips[i].width(), layout.strips[i].height()};
      const StripView& view = views.strip(i).view;
      benchmark::DoNotOptimize(strip_points(strip, view, total - kPoints, std::span<const double>(data[i])));
      benchmark::DoNotOptimize(grid_lines(strip, view));
      const Rect axis{0, 0, layout.left_axes[i].width(), layout.left_axes[i].height()};
      for (int side = 0; side < 2; ++side)
        benchmark::DoNotOptimize(axis_marks(axis_scale(axis, false, view.y_min, view.y_max)));
    }
    const Rect x_axis{0, 0, layout.bottom_x.width(), layout.bottom_x.height()};
    benchmark::DoNotOptimize(axis_marks(axis_scale(x_axis, true, views.strip(0).view.x_min, views.strip(0).view.x_max)));
  }
  state.SetItemsProcessed(state.iterations() * kStripCount * kPoints);
}
BENCHMARK(BM_RepaintMappingOfEightStrips)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
