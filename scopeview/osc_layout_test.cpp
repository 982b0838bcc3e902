// Container layout: strips share the height between the X axes, axes flank them, hidden parts
// get empty rectangles, and a window too small never gets inside-out rectangles.
#include <gtest/gtest.h>

#include "scopeview/osc_layout.h"

namespace scopeview {
namespace {

LayoutFlags shown(std::initializer_list<int> strips) {
  LayoutFlags f;
  for (int i : strips) f.strip_shown[i] = true;
  return f;
}

TEST(OscLayout, DefaultAxesTwoStripsShareTheHeightAboveTheBottomAxis) {
  const OscLayout l = layout_oscilloscope({0, 0, 400, 300}, shown({0, 2}));
  // h = (300 - 25) / 2 = 137; the strips start after the 50-pixel left axis column.
  EXPECT_EQ(l.strips[0], (Rect{54, 4, 396, 133}));
  EXPECT_EQ(l.strips[2], (Rect{54, 141, 396, 270}));
  EXPECT_EQ(l.left_axes[0], (Rect{0, 0, 50, 137}));
  EXPECT_EQ(l.left_axes[2], (Rect{0, 137, 50, 274}));
  EXPECT_EQ(l.bottom_x, (Rect{50, 274, 400, 299})) << "directly under the last strip, not at the window's bottom";
  EXPECT_TRUE(l.top_x.empty());
  for (int i : {1, 3, 4, 5, 6, 7}) {
    EXPECT_TRUE(l.strips[i].empty()) << i;
    EXPECT_TRUE(l.left_axes[i].empty()) << i;
  }
  for (const Rect& r : l.right_axes) EXPECT_TRUE(r.empty());
}

TEST(OscLayout, EveryAxisShownInAnOffsetClient) {
  LayoutFlags f = shown({1});
  f.top_x = f.bottom_x = f.left_y = f.right_y = true;
  const OscLayout l = layout_oscilloscope({10, 20, 410, 320}, f);
  EXPECT_EQ(l.strips[1], (Rect{64, 49, 356, 291}));
  EXPECT_EQ(l.left_axes[1], (Rect{10, 45, 60, 295}));
  EXPECT_EQ(l.right_axes[1], (Rect{360, 45, 410, 295}));
  EXPECT_EQ(l.top_x, (Rect{60, 20, 360, 45}));
  EXPECT_EQ(l.bottom_x, (Rect{60, 295, 360, 320}));
}

TEST(OscLayout, EightStripsLeaveTheDivisionRemainderBelowTheBottomAxis) {
  const OscLayout l = layout_oscilloscope({0, 0, 300, 230}, shown({0, 1, 2, 3, 4, 5, 6, 7}));
  const int h = (230 - 25) / 8;  // 25, remainder 5
  for (int i = 0; i < 8; ++i) EXPECT_EQ(l.strips[i], (Rect{54, i * h + 4, 296, (i + 1) * h - 4})) << i;
  EXPECT_EQ(l.bottom_x.top, 8 * h);
}

TEST(OscLayout, WithAllStripsHiddenEverythingIsEmpty) {
  LayoutFlags f;
  f.top_x = f.bottom_x = f.left_y = f.right_y = true;
  const OscLayout l = layout_oscilloscope({0, 0, 400, 300}, f);
  EXPECT_EQ(l.top_x, Rect{});
  EXPECT_EQ(l.bottom_x, Rect{});
  for (int i = 0; i < kStripCount; ++i) {
    EXPECT_EQ(l.strips[i], Rect{});
    EXPECT_EQ(l.left_axes[i], Rect{});
    EXPECT_EQ(l.right_axes[i], Rect{});
  }
}

TEST(OscLayout, AClientSmallerThanTheAxesGivesNoNegativeSizes) {
  LayoutFlags f = shown({0, 5});
  f.top_x = f.bottom_x = f.left_y = f.right_y = true;
  for (const Rect client : {Rect{0, 0, 90, 40}, Rect{0, 0, 0, 0}, Rect{0, 0, 101, 60}}) {
    const OscLayout l = layout_oscilloscope(client, f);
    for (int i = 0; i < kStripCount; ++i) {
      for (const Rect& r : {l.strips[i], l.left_axes[i], l.right_axes[i]}) {
        EXPECT_GE(r.width(), 0);
        EXPECT_GE(r.height(), 0);
      }
    }
    EXPECT_GE(l.top_x.width(), 0);
    EXPECT_GE(l.bottom_x.width(), 0);
  }
}

}  // namespace
}  // namespace scopeview
