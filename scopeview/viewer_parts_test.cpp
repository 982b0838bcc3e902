// The small pieces the windows draw with: marker shapes, axis lines, ticks and label places.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scopeview/axis_drawing.h"
#include "scopeview/markers.h"

namespace scopeview {
namespace {

TEST(Markers, EveryStyleHasItsKindAndStaysNearTheSample) {
  using Kind = MarkerShape::Kind;
  struct Case {
    int style;
    Kind kind;
    int count;
  };
  const Case cases[] = {{0, Kind::none, 0},    {1, Kind::polygon, 3}, {2, Kind::polygon, 3}, {3, Kind::polygon, 4},
                        {4, Kind::ellipse, 0}, {5, Kind::lines, 4},   {6, Kind::lines, 4},   {7, Kind::none, 0},
                        {-1, Kind::none, 0}};
  const Point at{100, 50};
  for (const Case& c : cases) {
    const MarkerShape m = marker_shape(c.style, at);
    EXPECT_EQ(m.kind, c.kind) << c.style;
    EXPECT_EQ(m.count, c.count) << c.style;
    for (int i = 0; i < m.count; ++i) {
      EXPECT_LE(std::abs(m.points[i].x - at.x), 4) << c.style;
      EXPECT_LE(std::abs(m.points[i].y - at.y), 5) << c.style;
    }
  }
  EXPECT_EQ(marker_shape(4, at).box, (Rect{97, 47, 104, 54}));
  // The up triangle's apex is above the sample (smaller y), the down triangle's below.
  EXPECT_LT(marker_shape(1, at).points[1].y, at.y);
  EXPECT_GT(marker_shape(2, at).points[1].y, at.y);
}

bool inside(Point p, Rect r) { return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom; }

TEST(AxisDrawing, TicksGrowFromTheLineIntoTheWindowAndLabelsSitBeyondThem) {
  const Rect c{0, 0, 50, 200};
  const Rect wide{0, 0, 300, 25};
  struct Case {
    AxisPlacement placement;
    Rect client;
    Point tick_start;
    Point tick_end;
    TickLabelPlace label;
  };
  const Case cases[] = {
      {AxisPlacement::top, wide, {60, 24}, {60, 14}, {{60, 14}, LabelAlign::centred_above}},
      {AxisPlacement::bottom, wide, {60, 0}, {60, 10}, {{60, 10}, LabelAlign::centred_below}},
      {AxisPlacement::left, c, {49, 60}, {39, 60}, {{37, 60}, LabelAlign::left_of}},
      {AxisPlacement::right, c, {0, 60}, {10, 60}, {{13, 60}, LabelAlign::right_of}},
  };
  for (const Case& k : cases) {
    const Segment tick = tick_segment(k.placement, k.client, 60, kMajorTickLength);
    EXPECT_EQ(tick, (Segment{k.tick_start, k.tick_end}));
    EXPECT_TRUE(inside(tick.to, k.client));
    const Segment line = axis_line(k.placement, k.client);
    EXPECT_TRUE(is_horizontal(k.placement) ? line.from.y == tick.from.y : line.from.x == tick.from.x)
        << "the tick starts on the axis line";
    const TickLabelPlace label = label_place(k.placement, k.client, 60);
    EXPECT_EQ(label.anchor, k.label.anchor);
    EXPECT_EQ(label.align, k.label.align);
  }
}

}  // namespace
}  // namespace scopeview
