// Strip and axis mappings: samples to pixels (truncating toward zero), degenerate ranges, and the
// minor tick rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scopeview/osc_scale.h"

namespace scopeview {
namespace {

// 198 pixels for the 99 units of 50..149 and 100 pixels for 0..10: 2 and 10 pixels per unit.
const Rect kStrip{5, 0, 203, 100};
const StripView kView{50, 149, 0, 10};

TEST(StripMapping, SampleNumbersAcrossAndValuesUpFromTheBottomRow) {
  struct Case {
    std::size_t j;
    double value;
    Point expected;
  };
  const Case cases[] = {
      {0, 0, {5, 99}},      // first sample on the bottom row (bottom - 0 - 1)
      {10, 2.55, {25, 74}},  // 25.5 pixels up truncates to 25
      {99, 10, {203, -1}},   // the range's top lies one row above the client
      {3, -0.15, {11, 100}},  // -1.5 truncates toward zero to -1: one row below, not two
  };
  const StripScale scale = strip_scale(kStrip, kView);
  EXPECT_DOUBLE_EQ(scale.x, 2.0);
  EXPECT_DOUBLE_EQ(scale.y, 10.0);
  for (const Case& c : cases) EXPECT_EQ(sample_point(kStrip, kView, scale, 50, c.j, c.value), c.expected) << c.j;
}

TEST(StripMapping, DegenerateRangesAndWildValuesStayDefinedPixels) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const StripView flat{50, 149, 5, 5};
  EXPECT_EQ(strip_scale(kStrip, flat).y, 0.0) << "no division by a zero span";
  EXPECT_EQ(sample_point(kStrip, flat, strip_scale(kStrip, flat), 50, 0, 7).y, 99);
  const StripScale scale = strip_scale(kStrip, kView);
  EXPECT_EQ(sample_point(kStrip, kView, scale, 50, 0, nan).y, 99);
  EXPECT_EQ(sample_point(kStrip, kView, scale, 50, 0, inf).y, 100 - kPixelLimit - 1);
  EXPECT_EQ(sample_point(kStrip, kView, scale, 50, 0, -1e300).y, 100 + kPixelLimit - 1);
  EXPECT_EQ(strip_scale(kStrip, StripView{nan, 1, 0, inf}).x, 0.0);
}

TEST(AxisScale, MinorTicksDependOnTheSpacingAndTheStepKind) {
  struct Case {
    double distance;
    bool five;
    int minors;
  };
  const Case cases[] = {
      {14.9, false, 0}, {15, false, 1}, {20, false, 1}, {24.9, false, 1}, {25, false, 3}, {40, false, 3},
      {14.9, true, 0},  {15, true, 1},  {34.9, true, 1}, {35, true, 4},   {-20, false, 0},
      {std::numeric_limits<double>::quiet_NaN(), true, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(minor_tick_count(c.distance, c.five), c.minors) << c.distance << " " << c.five;
}

TEST(AxisScale, TwentyPixelsOfAStepOfTwoGetOneMinorTickFortyGetThree) {
  // The usable length is the client less 4 pixels each side: 200 and 400 pixels for 0..20.
  const AxisScale narrow = axis_scale({0, 0, 208, 25}, true, 0, 20);
  EXPECT_DOUBLE_EQ(narrow.major.step, 2);
  EXPECT_DOUBLE_EQ(narrow.scale, 10);
  EXPECT_EQ(narrow.minor_count, 1);
  const AxisScale wide = axis_scale({0, 0, 408, 25}, true, 0, 20);
  EXPECT_EQ(wide.minor_count, 3);
  // A five step (0.5 over 0..2.4) needs 35 pixels for four.
  EXPECT_EQ(axis_scale({0, 0, 50, 8 + 168}, false, 0, 2.4).minor_count, 4);
  EXPECT_EQ(axis_scale({0, 0, 50, 8 + 160}, false, 0, 2.4).minor_count, 1);
}

TEST(AxisScale, ValuesMapFromTheLeftEdgeOrUpFromTheBottomRow) {
  const AxisScale h = axis_scale({0, 0, 208, 25}, true, 0, 20);
  EXPECT_EQ(axis_pixel(h, 0), 4);
  EXPECT_EQ(axis_pixel(h, 20), 204);
  EXPECT_EQ(axis_pixel(h, 1.25), 16);
  const AxisScale v = axis_scale({0, 0, 50, 108}, false, 0, 10);
  EXPECT_EQ(axis_pixel(v, 0), 103);
  EXPECT_EQ(axis_pixel(v, 10), 3);
  EXPECT_EQ(axis_pixel(v, 2.55), 78) << "the same rows as the strip's bottom - trunc - 1";
}

}  // namespace
}  // namespace scopeview
