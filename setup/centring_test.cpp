#include "setup/centring.h"

#include <gtest/gtest.h>

namespace installation {
namespace {

const ScreenRect kScreen{0, 0, 1280, 800};

TEST(Centring, PutsTheWindowInTheMiddleOfItsParent) {
  ScreenPoint origin = centred_origin({100, 100, 700, 500}, 400, 200, kScreen);
  EXPECT_EQ(origin.x, 200);
  EXPECT_EQ(origin.y, 200);
  ScreenPoint over_small = centred_origin({600, 380, 620, 400}, 400, 200, kScreen);
  EXPECT_EQ(over_small.x, 410);
  EXPECT_EQ(over_small.y, 290);
}

TEST(Centring, KeepsTheWindowOnTheScreenWhenTheParentIsAtAnEdge) {
  ScreenPoint right_bottom = centred_origin({1200, 760, 1400, 900}, 400, 200, kScreen);
  EXPECT_EQ(right_bottom.x, 880);
  EXPECT_EQ(right_bottom.y, 600);
  ScreenPoint left_top = centred_origin({-300, -100, 100, 50}, 400, 200, kScreen);
  EXPECT_EQ(left_top.x, 0);
  EXPECT_EQ(left_top.y, 0);
}

TEST(Centring, WindowLargerThanTheScreenKeepsItsTopLeftCornerVisible) {
  ScreenPoint origin = centred_origin(kScreen, 1500, 900, kScreen);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
}

}  // namespace
}  // namespace installation
