#include "scopeview/osc_scale.h"

#include <cmath>

namespace scopeview {

double pixels_per_unit(int length, double min, double max) {
  const double scale = length / (max - min);
  return std::isfinite(scale) ? scale : 0.0;
}

StripScale strip_scale(Rect client, const StripView& view) {
  return {pixels_per_unit(client.width(), view.x_min, view.x_max),
          pixels_per_unit(client.height(), view.y_min, view.y_max)};
}

Point sample_point(Rect client, const StripView& view, StripScale scale, std::uint32_t first_sample, std::size_t j,
                   double value) {
  const double number = static_cast<double>(first_sample) + static_cast<double>(j);
  return {client.left + to_pixel((number - view.x_min) * scale.x),
          client.bottom - to_pixel((value - view.y_min) * scale.y) - 1};
}

std::vector<Point> strip_points(Rect client, const StripView& view, std::uint32_t first_sample,
                                std::span<const double> samples) {
  const StripScale scale = strip_scale(client, view);
  std::vector<Point> points;
  points.reserve(samples.size());
  for (std::size_t j = 0; j < samples.size(); ++j)
    points.push_back(sample_point(client, view, scale, first_sample, j, samples[j]));
  return points;
}

AxisScale axis_scale(Rect client, bool horizontal, double min, double max) {
  AxisScale a;
  a.horizontal = horizontal;
  a.usable = shrunk(client, kAxisInset);
  a.min = min;
  a.max = max;
  a.scale = pixels_per_unit(horizontal ? a.usable.width() : a.usable.height(), min, max);
  a.major = nice_step(min, max);
  a.minor_count = minor_tick_count(a.major.step * a.scale, a.major.five);
  return a;
}

int minor_tick_count(double distance, bool five) {
  if (!(distance >= 15.0)) return 0;  // also NaN: no step, no minor ticks
  if (five) return distance < 35.0 ? 1 : 4;
  return distance < 25.0 ? 1 : 3;
}

int axis_pixel(const AxisScale& axis, double v) {
  const int offset = to_pixel((v - axis.min) * axis.scale);
  return axis.horizontal ? axis.usable.left + offset : axis.usable.bottom - offset - 1;
}

}  // namespace scopeview
