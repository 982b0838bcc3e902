// Pixel mappings of the oscilloscope: a strip's view (x and y range) onto its client rectangle,
// and an axis's range onto its usable length, with the axis's major step and the number of minor
// ticks that fit between two major ones. Pure arithmetic; every result is a defined pixel even for
// zero, reversed or non-finite ranges.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "scopeview/geometry.h"
#include "scopeview/nice_step.h"

namespace scopeview {

// What a strip shows: sample numbers x_min..x_max across, values y_min..y_max up. Also the unit
// of the zoom history (four doubles per strip).
struct StripView {
  double x_min = 0.0;
  double x_max = 1.0;
  double y_min = 0.0;
  double y_max = 1.0;
  friend bool operator==(const StripView&, const StripView&) = default;
};

// Pixels per unit. A zero or non-finite span gives 0, which draws everything at the lower end
// instead of dividing by zero.
struct StripScale {
  double x = 0.0;
  double y = 0.0;
};

double pixels_per_unit(int length, double min, double max);
StripScale strip_scale(Rect client, const StripView& view);

// Where sample j (numbered from first_sample) of the given value is drawn.
Point sample_point(Rect client, const StripView& view, StripScale scale, std::uint32_t first_sample, std::size_t j,
                   double value);
// One point per sample, for the trace and the markers.
std::vector<Point> strip_points(Rect client, const StripView& view, std::uint32_t first_sample,
                                std::span<const double> samples);

// The client rectangle of an axis loses this much on each side before values are mapped, so the
// end labels are not cut by the window's edge.
inline constexpr int kAxisInset = 4;

struct AxisScale {
  bool horizontal = true;
  Rect usable{};
  double min = 0.0;
  double max = 1.0;
  double scale = 0.0;  // pixels per unit along the axis; 0 when nothing can be mapped
  NiceStep major{};
  int minor_count = 0;  // minor ticks between two major ones
};

AxisScale axis_scale(Rect client, bool horizontal, double min, double max);

// Minor ticks between two major ticks `distance` pixels apart: fewer where they would crowd; a
// five step divides into 2 or 5 parts, the others into 2 or 4.
int minor_tick_count(double distance, bool five);

// Horizontal axes run left to right from min; vertical ones bottom to top, on the same pixel rows
// as the strip beside them (bottom - trunc(offset) - 1), so ticks meet the grid lines.
int axis_pixel(const AxisScale& axis, double v);

}  // namespace scopeview
