// Where an axis window draws its line, its ticks and their labels, by placement: the top X axis
// has its line along its lower edge with ticks and labels upward, the bottom X axis the reverse;
// a left Y axis has its line along its right edge with ticks to the left and labels right-aligned,
// a right Y axis the reverse. `pixel` is the tick's position along the axis (axis_pixel).
#pragma once

#include "scopeview/geometry.h"

namespace scopeview {

enum class AxisPlacement { top, bottom, left, right };

inline constexpr int kMajorTickLength = 10;
inline constexpr int kMinorTickLength = 5;

bool is_horizontal(AxisPlacement placement);

struct Segment {
  Point from;
  Point to;
  friend bool operator==(const Segment&, const Segment&) = default;
};

// How the label's text box sits against its anchor.
enum class LabelAlign {
  centred_above,  // horizontally centred, bottom edge on the anchor
  centred_below,  // horizontally centred, top edge on the anchor
  left_of,        // right edge on the anchor, vertically centred
  right_of,       // left edge on the anchor, vertically centred
};

struct TickLabelPlace {
  Point anchor;
  LabelAlign align = LabelAlign::centred_below;
};

Segment axis_line(AxisPlacement placement, Rect client);
// A tick starts on the line and points away from it.
Segment tick_segment(AxisPlacement placement, Rect client, int pixel, int length);
// The label of a major tick, at the tick's far end (vertical labels 2 pixels left of it, or 3
// right of it).
TickLabelPlace label_place(AxisPlacement placement, Rect client, int pixel);

}  // namespace scopeview
