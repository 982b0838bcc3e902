// Strip views: the x window, the data range with and without range-follows-data, margins, a
// constant series; zooming to a dragged rectangle and walking the zoom history.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scopeview/osc_view.h"

namespace scopeview {
namespace {

TEST(WindowXRange, StartsAtTheOldestHeldSampleAndSpansTheWholeWindow) {
  struct Case {
    std::uint32_t total, count, window;
    double min, max;
  };
  const Case cases[] = {{150, 100, 100, 50, 149}, {10, 10, 100, 0, 99}, {1, 1, 10, 0, 9}, {0, 0, 100, 0, 99}};
  for (const Case& c : cases) {
    const XRange x = window_x_range(c.total, c.count, c.window);
    EXPECT_EQ(x.min, c.min) << c.total;
    EXPECT_EQ(x.max, c.max) << c.total;
  }
}

// Data ranges over successive updates (margins off, so the visible range is the data range).
TEST(UpdateStrip, TheDataRangeOnlyGrowsUnlessItFollowsTheDataOrARunStarts) {
  struct Tick {
    std::vector<double> samples;
    double data_min, data_max;
  };
  struct Case {
    bool follow;
    std::vector<Tick> ticks;
  };
  const Case cases[] = {
      // The viewer after Run: b = 1 restarts from the default 0..1; 230 slides out but stays.
      {false, {{{230}, 230, 230}, {{230, 235}, 230, 235}, {{230, 235, 225}, 225, 235}, {{235, 226, 228}, 225, 235}}},
      {true, {{{230}, 230, 230}, {{230, 235, 225}, 225, 235}, {{235, 226, 228}, 226, 235}, {{-4, 2}, -4, 2}}},
      {false, {{{5, 7}, 0, 7}}},  // b = 2 is no restart: the default 0..1 is kept
  };
  for (const Case& c : cases) {
    StripState strip;
    for (std::size_t i = 0; i < c.ticks.size(); ++i) {
      update_strip(strip, {0, 99}, c.ticks[i].samples, UpdateOptions{.range_follows_data = c.follow, .margins_on = false});
      EXPECT_DOUBLE_EQ(strip.data_min, c.ticks[i].data_min) << "follow " << c.follow << " tick " << i;
      EXPECT_DOUBLE_EQ(strip.data_max, c.ticks[i].data_max) << "follow " << c.follow << " tick " << i;
      EXPECT_EQ(strip.view.y_min, strip.data_min);
    }
  }
}

TEST(UpdateStrip, TheMarginIsTheDataStepOverTheDivisor) {
  StripState strip;
  update_strip(strip, {0, 99}, std::vector<double>{230, 235, 225},
               UpdateOptions{.range_follows_data = true, .margins_on = true, .margin_divisor = 2.0});
  EXPECT_DOUBLE_EQ(strip.view.y_min, 224.5);  // step 1 over 225..235, halved
  EXPECT_DOUBLE_EQ(strip.view.y_max, 235.5);
  EXPECT_DOUBLE_EQ(strip.data_min, 225);
  update_strip(strip, {0, 99}, std::vector<double>{225, 235},
               UpdateOptions{.range_follows_data = true, .margins_on = true, .margin_divisor = 0.0});
  EXPECT_DOUBLE_EQ(strip.view.y_min, 225) << "a zero divisor adds no margin instead of an infinite one";
}

TEST(UpdateStrip, AConstantSeriesIsWidenedAndGetsAMarginAroundIt) {
  StripState strip;
  const UpdateOptions viewer{.margins_on = true, .margin_divisor = 2.0};
  update_strip(strip, {0, 99}, std::vector<double>{0.5}, viewer);
  update_strip(strip, {0, 99}, std::vector<double>{0.5, 0.5, 0.5}, viewer);
  EXPECT_DOUBLE_EQ(strip.data_min, 0.5 - 1e-15);
  EXPECT_DOUBLE_EQ(strip.data_max, 0.5 + 1e-15);
  EXPECT_LT(strip.data_min, strip.data_max);
  // The step of a span under 1e-15 is 2, so the margin is 1 with the viewer's divisor.
  EXPECT_NEAR(strip.view.y_min, -0.5, 1e-12);
  EXPECT_NEAR(strip.view.y_max, 1.5, 1e-12);
}

TEST(UpdateStrip, ReportsAChangedYRangeOnlyWhenItChanged) {
  StripState strip;
  const UpdateOptions o;
  EXPECT_TRUE(update_strip(strip, {0, 99}, std::vector<double>{3}, o));
  EXPECT_FALSE(update_strip(strip, {1, 100}, std::vector<double>{3, 3}, o));
  EXPECT_TRUE(update_strip(strip, {2, 101}, std::vector<double>{3, 3, 40}, o));
  EXPECT_EQ(strip.view.x_min, 2.0);
}

TEST(UpdateStrip, NonFiniteReadingsAreLeftOutOfTheRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  StripState strip;
  const UpdateOptions o{.range_follows_data = true, .margins_on = false};
  update_strip(strip, {0, 99}, std::vector<double>{nan, 4, inf, 6, -inf}, o);
  EXPECT_EQ(strip.data_min, 4.0);
  EXPECT_EQ(strip.data_max, 6.0);
  EXPECT_FALSE(update_strip(strip, {0, 99}, std::vector<double>{nan, nan}, o)) << "nothing to scale by";
  EXPECT_EQ(strip.view.y_min, 4.0);
}

TEST(OscViews, UpdateFeedsOnlyStripsWithArraysButMovesEveryStripsWindow) {
  OscViews views;
  const double samples[] = {8, 9};
  std::array<const double*, kStripCount> arrays{};
  arrays[2] = samples;
  const UpdateChanges c = views.update(arrays, 2, 52, 100, UpdateOptions{.range_follows_data = true, .margins_on = false});
  EXPECT_TRUE(c.x_changed);
  EXPECT_TRUE(c.y_changed[2]);
  EXPECT_FALSE(c.y_changed[0]);
  for (int i = 0; i < kStripCount; ++i) EXPECT_EQ(views.strip(i).view.x_min, 50.0) << i;
  EXPECT_EQ(views.strip(2).view.y_min, 8.0);
  EXPECT_EQ(views.strip(0).view.y_max, 1.0) << "an unfed strip keeps its range";
  EXPECT_FALSE(views.update(arrays, 2, 52, 100, {}).x_changed);
}

// A strip showing samples 0..99 and values 0..10 on 198 x 80 pixels: half a sample and an eighth
// of a unit per pixel (binary fractions, so the corners' values are exact).
class Zoom : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 100; ++i) values_.push_back(i % 11);
    std::array<const double*, kStripCount> arrays{};
    arrays.fill(values_.data());
    views_.update(arrays, 100, 100, 100, UpdateOptions{.margins_on = false});
    ASSERT_EQ(views_.strip(0).view, initial_);
  }

  const Rect client_{0, 0, 198, 80};
  const StripView initial_{0, 99, 0, 10};
  std::vector<double> values_;
  OscViews views_;
};

void expect_view_near(const StripView& got, const StripView& want) {
  EXPECT_NEAR(got.x_min, want.x_min, 1e-9);
  EXPECT_NEAR(got.x_max, want.x_max, 1e-9);
  EXPECT_NEAR(got.y_min, want.y_min, 1e-9);
  EXPECT_NEAR(got.y_max, want.y_max, 1e-9);
}

TEST_F(Zoom, CornersBecomeOrderedDataValuesWithAQuarterStepMargin) {
  struct Case {
    ZoomMode mode;
    StripView expected;
  };
  // Dragged from (40, 64) to (20, 24): x 20..10 -> 10..20 (step 1), y 2..7 (five step 0.5).
  const Case cases[] = {
      {ZoomMode::rectangle, {9.75, 20.25, 1.875, 7.125}},
      {ZoomMode::horizontal, {9.75, 20.25, 0, 10}},
      {ZoomMode::vertical, {0, 99, 1.875, 7.125}},
  };
  for (const Case& c : cases) {
    OscViews views = views_;
    ASSERT_TRUE(views.zoom_to_rect(client_, {40, 64}, {20, 24}, c.mode));
    for (int i = 0; i < kStripCount; ++i) expect_view_near(views.strip(i).view, c.expected);
  }
}

TEST_F(Zoom, AClickWithoutDraggingWidensTheDegenerateSpan) {
  ASSERT_TRUE(views_.zoom_to_rect(client_, {40, 50}, {40, 50}, ZoomMode::rectangle));
  // 20 +- 1e-15 has a step of 2: half a unit each side; likewise 3.75 up.
  expect_view_near(views_.strip(0).view, {19.5, 20.5, 3.25, 4.25});
}

TEST_F(Zoom, AStripWithoutPixelsRecordsNothing) {
  EXPECT_FALSE(views_.zoom_to_rect({0, 0, 0, 0}, {1, 1}, {5, 5}, ZoomMode::rectangle));
  EXPECT_FALSE(views_.can_go_back());
  EXPECT_EQ(views_.strip(0).view, initial_);
}

TEST_F(Zoom, HistoryWalksBackForwardAndToTheFirstView) {
  ASSERT_TRUE(views_.zoom_to_rect(client_, {40, 64}, {20, 24}, ZoomMode::rectangle));
  const StripView first_zoom = views_.strip(0).view;
  ASSERT_TRUE(views_.zoom_to_rect(client_, {0, 100}, {99, 0}, ZoomMode::horizontal));
  const StripView second_zoom = views_.strip(0).view;
  ASSERT_NE(first_zoom, second_zoom);

  struct Step {
    ZoomStep step;
    bool acts;
    StripView after;
  };
  const Step walk[] = {
      {ZoomStep::back, true, first_zoom},     {ZoomStep::back, true, initial_},
      {ZoomStep::back, false, initial_},      {ZoomStep::forward, true, first_zoom},
      {ZoomStep::forward, true, second_zoom}, {ZoomStep::forward, false, second_zoom},
      {ZoomStep::first_view, true, initial_}, {ZoomStep::first_view, false, initial_},
      {ZoomStep::forward, true, first_zoom},
  };
  for (std::size_t i = 0; i < std::size(walk); ++i) {
    EXPECT_EQ(views_.history_step(walk[i].step), walk[i].acts) << "step " << i;
    for (int s = 0; s < kStripCount; ++s) ASSERT_EQ(views_.strip(s).view, walk[i].after) << "step " << i << " strip " << s;
  }
  // A new zoom from there drops what was ahead.
  ASSERT_TRUE(views_.can_go_forward());
  views_.zoom_to_rect(client_, {10, 10}, {50, 50}, ZoomMode::vertical);
  EXPECT_FALSE(views_.can_go_forward());
  EXPECT_TRUE(views_.history_step(ZoomStep::back));
  EXPECT_EQ(views_.strip(0).view, first_zoom);
}

TEST_F(Zoom, RightClickWithoutHistoryLeavesTheViewUnchanged) {
  EXPECT_FALSE(views_.history_step(ZoomStep::back));
  EXPECT_FALSE(views_.history_step(ZoomStep::first_view));
  EXPECT_FALSE(views_.history_step(ZoomStep::forward));
  EXPECT_EQ(views_.strip(0).view, initial_);
  views_.zoom_to_rect(client_, {40, 64}, {20, 24}, ZoomMode::rectangle);
  views_.clear_history();
  EXPECT_FALSE(views_.history_step(ZoomStep::back)) << "Run clears the history";
}

TEST_F(Zoom, NewDataReplacesAZoomedView) {
  views_.zoom_to_rect(client_, {40, 64}, {20, 24}, ZoomMode::rectangle);
  std::array<const double*, kStripCount> arrays{};
  arrays.fill(values_.data());
  views_.update(arrays, 100, 101, 100, UpdateOptions{.margins_on = false});
  EXPECT_EQ(views_.strip(0).view, (StripView{1, 100, 0, 10}));
}

}  // namespace
}  // namespace scopeview
