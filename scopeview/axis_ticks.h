// Tick marks of the axes and grid lines of the strips: the round values a range shows, where they
// fall in pixels, and their labels.
//
// Every list is bounded by kMaxTicks. A nice step never yields more than 13 major ticks for its
// own range, but the lists are also fed ranges far from that (a step below the values'
// resolution stops advancing, a huge step overflows), and a paint handler must finish whatever
// the data were; so the loops count, and non-finite input gives no ticks at all.
#pragma once

#include <string>
#include <vector>

#include "scopeview/geometry.h"
#include "scopeview/osc_scale.h"

namespace scopeview {

inline constexpr std::size_t kMaxTicks = 64;
inline constexpr std::size_t kMaxMinorTicks = kMaxTicks * 4;  // at most 4 minor ticks per major one

// Multiples of `step` (as far as the arithmetic allows) from the one below min - step up to max,
// strictly increasing; empty for a non-finite bound or a step that is not finite and positive.
std::vector<double> major_tick_values(double min, double max, double step);

struct MajorTick {
  double value = 0.0;
  int pixel = 0;
};

// What an axis draws: the major ticks (with the values for their labels) and the minor ticks,
// only those between the range's two ends, in increasing value.
struct AxisMarks {
  std::vector<MajorTick> majors;
  std::vector<int> minors;
};

AxisMarks axis_marks(const AxisScale& axis);

// Pixel columns of the vertical grid lines and rows of the horizontal ones, inside the client.
struct GridLines {
  std::vector<int> xs;
  std::vector<int> ys;
};

GridLines grid_lines(Rect client, const StripView& view);

// "%g" of the value; magnitudes below 1e-15 print as 0, since a tick meant to be zero often
// arrives as a rounding residue like 2.8e-17.
std::string tick_label(double v);

}  // namespace scopeview
