#include "scopeview/axis_drawing.h"

namespace scopeview {
namespace {

// The coordinate across the axis where its line runs, and which way ticks grow from it.
int line_position(AxisPlacement placement, Rect c) {
  switch (placement) {
    case AxisPlacement::top:
      return c.bottom - 1;
    case AxisPlacement::bottom:
      return c.top;
    case AxisPlacement::left:
      return c.right - 1;
    case AxisPlacement::right:
      return c.left;
  }
  return 0;
}

int away_direction(AxisPlacement placement) {
  return placement == AxisPlacement::top || placement == AxisPlacement::left ? -1 : 1;
}

// A point `along` the axis and `across` it, in window coordinates.
Point at(AxisPlacement placement, int along, int across) {
  return is_horizontal(placement) ? Point{along, across} : Point{across, along};
}

}  // namespace

bool is_horizontal(AxisPlacement placement) {
  return placement == AxisPlacement::top || placement == AxisPlacement::bottom;
}

Segment axis_line(AxisPlacement placement, Rect c) {
  const int across = line_position(placement, c);
  if (is_horizontal(placement)) return {{c.left, across}, {c.right, across}};
  return {{across, c.top}, {across, c.bottom}};
}

Segment tick_segment(AxisPlacement placement, Rect c, int pixel, int length) {
  const int base = line_position(placement, c);
  return {at(placement, pixel, base), at(placement, pixel, base + away_direction(placement) * length)};
}

TickLabelPlace label_place(AxisPlacement placement, Rect c, int pixel) {
  const Point end = tick_segment(placement, c, pixel, kMajorTickLength).to;
  switch (placement) {
    case AxisPlacement::top:
      return {end, LabelAlign::centred_above};
    case AxisPlacement::bottom:
      return {end, LabelAlign::centred_below};
    case AxisPlacement::left:
      return {{end.x - 2, end.y}, LabelAlign::left_of};
    case AxisPlacement::right:
      return {{end.x + 3, end.y}, LabelAlign::right_of};
  }
  return {end, LabelAlign::centred_below};
}

}  // namespace scopeview
