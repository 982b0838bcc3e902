#include "scopeview/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scopeview {
namespace {

bool between(int p, int a, int b) { return std::min(a, b) <= p && p <= std::max(a, b); }

// Pixel offsets of the grid values from the low end of the range (the strip's own scale).
std::vector<int> grid_offsets(double min, double max, double scale) {
  std::vector<int> out;
  if (scale == 0.0) return out;
  for (double v : major_tick_values(min, max, nice_step(min, max).step)) out.push_back(to_pixel((v - min) * scale));
  return out;
}

}  // namespace

std::vector<double> major_tick_values(double min, double max, double step) {
  std::vector<double> out;
  if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(step) || !(step > 0.0)) return out;
  const double start = min - std::fmod(min, step) - step;
  if (!std::isfinite(start)) return out;
  // start + i * step rather than adding step up: no rounding drift, and a step lost in the
  // values' precision shows as a repeated value instead of a loop that never passes max.
  // A tick meant to sit on max may come out a rounding error above it; it still belongs.
  const double last = max + step * 1e-9;
  for (std::size_t i = 0; i < kMaxTicks; ++i) {
    const double v = start + static_cast<double>(i) * step;
    if (!std::isfinite(v) || !(v <= last)) break;
    if (out.empty() || v > out.back()) out.push_back(v);
  }
  return out;
}

AxisMarks axis_marks(const AxisScale& axis) {
  AxisMarks marks;
  if (axis.scale == 0.0) return marks;  // nothing maps to distinct pixels
  const int end_a = axis_pixel(axis, axis.min);
  const int end_b = axis_pixel(axis, axis.max);
  const double minor_step = axis.major.step / (axis.minor_count + 1);
  for (double v : major_tick_values(axis.min, axis.max, axis.major.step)) {
    const int p = axis_pixel(axis, v);
    if (between(p, end_a, end_b)) marks.majors.push_back({v, p});
    for (int k = 1; k <= axis.minor_count; ++k) {
      const int mp = axis_pixel(axis, v + k * minor_step);
      if (between(mp, end_a, end_b)) marks.minors.push_back(mp);
    }
  }
  return marks;
}

GridLines grid_lines(Rect client, const StripView& view) {
  const StripScale scale = strip_scale(client, view);
  GridLines grid;
  for (int offset : grid_offsets(view.x_min, view.x_max, scale.x)) {
    const int x = client.left + offset;
    if (client.left <= x && x < client.right) grid.xs.push_back(x);
  }
  for (int offset : grid_offsets(view.y_min, view.y_max, scale.y)) {
    const int y = client.bottom - offset - 1;
    if (client.top <= y && y < client.bottom) grid.ys.push_back(y);
  }
  return grid;
}

std::string tick_label(double v) {
  if (std::fabs(v) < 1e-15) v = 0.0;
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace scopeview
