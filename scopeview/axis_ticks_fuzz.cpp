// Fuzz target: arbitrary doubles as a range (min, max) and a pixel length, through the nice step,
// the axis scales, the tick and grid lists, the strip mapping and the zoom. Every list must stay
// within its bound, ticks must be finite and advance, and pixels must stay inside what they may
// reach; a double converted to an int out of range stops the run (UBSan, not recoverable here).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scopeview/axis_ticks.h"
#include "scopeview/osc_scale.h"
#include "scopeview/osc_view.h"

namespace {

using namespace scopeview;

void check_step(double min, double max) {
  const NiceStep s = nice_step(min, max);
  if (std::isnan(s.step)) return;
  if (!(s.step > 0.0) || !std::isfinite(s.step)) __builtin_trap();
}

void check_ticks(double min, double max, double step) {
  const auto ticks = major_tick_values(min, max, step);
  if (ticks.size() > kMaxTicks) __builtin_trap();
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    if (!std::isfinite(ticks[i])) __builtin_trap();
    if (i > 0 && !(ticks[i] > ticks[i - 1])) __builtin_trap();
  }
}

void check_axis(Rect client, bool horizontal, double min, double max) {
  const AxisScale axis = axis_scale(client, horizontal, min, max);
  if (axis.minor_count < 0 || axis.minor_count > 4) __builtin_trap();
  const AxisMarks marks = axis_marks(axis);
  if (marks.majors.size() > kMaxTicks || marks.minors.size() > kMaxMinorTicks) __builtin_trap();
  // Drawn ticks lie between the range's ends, which map to the usable rectangle's edges (a row
  // higher vertically), give or take a pixel of rounding.
  const int lo = horizontal ? axis.usable.left - 1 : axis.usable.top - 2;
  const int hi = horizontal ? axis.usable.right + 1 : axis.usable.bottom;
  for (const MajorTick& t : marks.majors) {
    if (t.pixel < lo || t.pixel > hi) __builtin_trap();
    if (tick_label(t.value).size() > 16) __builtin_trap();
  }
  for (int p : marks.minors)
    if (p < lo || p > hi) __builtin_trap();
}

void check_grid(Rect client, const StripView& view) {
  const GridLines g = grid_lines(client, view);
  if (g.xs.size() > kMaxTicks || g.ys.size() > kMaxTicks) __builtin_trap();
  for (int x : g.xs)
    if (x < client.left || x >= client.right) __builtin_trap();
  for (int y : g.ys)
    if (y < client.top || y >= client.bottom) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double v[3];
  if (size < sizeof v) return 0;
  std::memcpy(v, data, sizeof v);
  const double min = v[0];
  const double max = v[1];
  // A length a window could have, negative ones included (a collapsed layout).
  const int length = to_pixel(v[2]) % 40000;

  check_step(min, max);
  check_ticks(min, max, nice_step(min, max).step);
  check_ticks(min, max, v[2]);
  check_axis({0, 0, length, 25}, true, min, max);
  check_axis({0, 0, 50, length}, false, min, max);
  const Rect strip{0, 0, length, length / 2};
  const StripView view{min, max, max, min};
  check_grid(strip, view);

  const double samples[] = {min, max, v[2], (min + max) / 2};
  const std::uint32_t first = static_cast<std::uint32_t>(length) * 977u;
  if (strip_points(strip, view, first, samples).size() != 4) __builtin_trap();
  const Point a{length / 3, length / 5};
  const Point b{length - 1, -length};
  for (ZoomMode mode : {ZoomMode::rectangle, ZoomMode::horizontal, ZoomMode::vertical}) {
    const StripView z = zoomed_view(view, strip, a, b, mode);
    check_grid(strip, z);
    check_axis({0, 0, length, 25}, true, z.x_min, z.x_max);
  }
  return 0;
}
