// Ticks, grid lines and labels: where round values fall, that only the range's ticks are drawn,
// and that no range, however wild, makes an unbounded or non-finite list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scopeview/axis_ticks.h"

namespace scopeview {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MajorTicks, StartOneStepBelowTheMultipleUnderMinAndEndAtMax) {
  struct Case {
    double min, max, step;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {3.5, 17, 2, {0, 2, 4, 6, 8, 10, 12, 14, 16}},
      {-3.5, 3, 1, {-4, -3, -2, -1, 0, 1, 2, 3}},
      {50, 149, 10, {40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140}},
      {0, 1e-15, 2, {-2, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(major_tick_values(c.min, c.max, c.step), c.expected) << c.min << ".." << c.max;
}

TEST(MajorTicks, DecimalStepsReachMaxDespiteRounding) {
  const std::vector<double> ticks = major_tick_values(0, 1, 0.1);
  ASSERT_EQ(ticks.size(), 12u);
  EXPECT_DOUBLE_EQ(ticks.front(), -0.1);
  EXPECT_DOUBLE_EQ(ticks.back(), 1.0);
}

// The loops of the paint handlers run over these lists: each must end, whatever the range.
TEST(MajorTicks, AreBoundedAndFiniteForEveryRange) {
  struct Case {
    double min, max;
  };
  const Case cases[] = {
      {kNaN, 1},       {0, kNaN},         {-kInf, 0},      {0, kInf},           {-kInf, kInf},
      {0, 1e308},      {-1e308, 1e308},   {-1.7e308, 1.7e308}, {1e308, -1e308},  {0, 1e-15},
      {1e10, 1e10},    {1e10, 1e10 + 1e-5}, {1e300, 1e300 * (1 + 1e-15)}, {-5e-324, 5e-324}, {2.5, 1.0},
  };
  for (const Case& c : cases) {
    for (double step : {nice_step(c.min, c.max).step, 1e-300, 1e-15, 1e308, 0.0, -1.0, kNaN, kInf}) {
      const std::vector<double> ticks = major_tick_values(c.min, c.max, step);
      ASSERT_LE(ticks.size(), kMaxTicks) << c.min << ".." << c.max << " by " << step;
      for (std::size_t i = 0; i < ticks.size(); ++i) {
        ASSERT_TRUE(std::isfinite(ticks[i]));
        if (i > 0) {
          ASSERT_GT(ticks[i], ticks[i - 1]) << "ticks must advance";
        }
      }
    }
  }
  EXPECT_FALSE(major_tick_values(0, 1e308, nice_step(0, 1e308).step).empty()) << "a huge but finite span has ticks";
  EXPECT_TRUE(major_tick_values(kNaN, 1, 0.1).empty());
  EXPECT_TRUE(major_tick_values(0, kInf, 1).empty());
}

TEST(AxisMarks, HorizontalAxisDrawsOnlyTheTicksBetweenItsEnds) {
  const AxisMarks m = axis_marks(axis_scale({0, 0, 208, 25}, true, 0, 20));
  ASSERT_EQ(m.majors.size(), 11u) << "-2 lies left of the range";
  for (std::size_t i = 0; i < m.majors.size(); ++i) {
    EXPECT_DOUBLE_EQ(m.majors[i].value, 2.0 * i);
    EXPECT_EQ(m.majors[i].pixel, 4 + 20 * static_cast<int>(i));
  }
  // One minor tick halfway after each major one, except after 20 (outside) and -2 (-1 outside).
  ASSERT_EQ(m.minors.size(), 10u);
  EXPECT_EQ(m.minors.front(), 14);
  EXPECT_EQ(m.minors.back(), 194);
}

TEST(AxisMarks, VerticalAxisCountsUpFromTheBottomRow) {
  const AxisMarks m = axis_marks(axis_scale({0, 0, 50, 108}, false, 0, 10));
  ASSERT_EQ(m.majors.size(), 11u);
  EXPECT_EQ(m.majors.front().pixel, 103);
  EXPECT_EQ(m.majors.back().pixel, 3);
  EXPECT_TRUE(m.minors.empty()) << "10 pixels between ticks is too crowded";
}

TEST(AxisMarks, TheViewersSampleAxisIsLabelledInTens) {
  const AxisMarks m = axis_marks(axis_scale({0, 0, 208, 25}, true, 50, 149));
  ASSERT_EQ(m.majors.size(), 10u);
  EXPECT_EQ(tick_label(m.majors.front().value), "50");
  EXPECT_EQ(tick_label(m.majors.back().value), "140");
}

TEST(AxisMarks, NothingIsDrawnWithoutAUsableScaleAndHugeRangesStayBounded) {
  const Rect client{0, 0, 208, 25};
  for (const AxisScale& a : {axis_scale(client, true, 5, 5), axis_scale(client, true, kNaN, 1),
                             axis_scale(client, true, 0, kInf), axis_scale({0, 0, 8, 8}, true, 0, 1),
                             axis_scale(client, true, -1e308, 1e308)}) {
    const AxisMarks m = axis_marks(a);
    EXPECT_TRUE(m.majors.empty());
    EXPECT_TRUE(m.minors.empty());
  }
  for (const StripView& v : {StripView{kNaN, 1, 0, kInf}, StripView{3, 3, 7, 7}}) {
    EXPECT_TRUE(grid_lines(client, v).xs.empty());
    EXPECT_TRUE(grid_lines(client, v).ys.empty());
  }
  const AxisMarks huge = axis_marks(axis_scale(client, true, 0, 1e308));
  EXPECT_LE(huge.majors.size(), kMaxTicks);
  EXPECT_LE(huge.minors.size(), kMaxMinorTicks);
}

TEST(GridLines, FallOnTheStripsPixelsAndStayInsideTheClient) {
  const GridLines g = grid_lines({0, 0, 200, 100}, StripView{0, 20, 0, 10});
  // x every 2 units = 20 pixels; 20 itself maps to x = 200, outside the client.
  const std::vector<int> xs{0, 20, 40, 60, 80, 100, 120, 140, 160, 180};
  const std::vector<int> ys{99, 89, 79, 69, 59, 49, 39, 29, 19, 9};
  EXPECT_EQ(g.xs, xs);
  EXPECT_EQ(g.ys, ys);
}

TEST(TickLabel, PrintsGeneralFormatAndRoundingResiduesAsZero) {
  struct Case {
    double v;
    const char* text;
  };
  const Case cases[] = {{0, "0"},         {-0.0, "0"},     {2.7755575615628914e-17, "0"}, {-9e-16, "0"},
                        {1e-15, "1e-15"}, {0.5, "0.5"},    {0.30000000000000004, "0.3"}, {150, "150"},
                        {-2.5, "-2.5"},   {1234567, "1.23457e+06"}, {1e308, "1e+308"}};
  for (const Case& c : cases) EXPECT_EQ(tick_label(c.v), c.text) << c.v;
}

}  // namespace
}  // namespace scopeview
