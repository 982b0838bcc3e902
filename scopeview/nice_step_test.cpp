// Nice step: the documented ranges, the 1-2-5 ladder over many decades, and ranges without a step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scopeview/nice_step.h"

namespace scopeview {
namespace {

TEST(NiceStep, PicksOneTwoOrFiveTimesAPowerOfTen) {
  struct Case {
    double u, v, step;
    bool five;
  };
  const Case cases[] = {
      {0, 1, 0.1, false},     {0, 2.4, 0.5, true},   {0, 15, 2, false},    {0, 70, 10, false},
      {1, 0, 0.1, false},     {0, 10, 1, false},     {0, 0.5, 0.05, true}, {-3, 3, 1, false},
      {50, 149, 10, false},   {225, 235, 1, false},  {0, 1e-15, 2, false},  // below 1e-15: exponent 0
      {7, 7, 2, false},
  };
  for (const Case& c : cases) {
    const NiceStep s = nice_step(c.u, c.v);
    EXPECT_DOUBLE_EQ(s.step, c.step) << c.u << ".." << c.v;
    EXPECT_EQ(s.five, c.five) << c.u << ".." << c.v;
  }
}

// log10 of a value just under a power of ten rounds up to that power's exponent; the step must
// still come from the decade the value is in (0.1 here, not 0.2).
TEST(NiceStep, AValueJustUnderAPowerOfTenStaysInItsDecade) {
  EXPECT_DOUBLE_EQ(nice_step(0, 0.9999999999999999).step, 0.1);
}

TEST(NiceStep, IsATenthOfTheSpanRoundedUpToTheLadderOverEveryDecade) {
  for (int e = -14; e <= 306; e += 7) {
    for (double mantissa : {1.0, 1.3, 2.0, 2.7, 4.9, 5.0, 6.1, 9.99}) {
      const double span = mantissa * std::pow(10.0, e);
      const double step = nice_step(0, span).step;
      const double raw = span / 10;
      ASSERT_GE(step, raw * (1 - 1e-12)) << span;
      ASSERT_LT(step, raw * 10) << span;
      const double m = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
      ASSERT_TRUE(std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9) << span << " gave " << step;
    }
  }
}

TEST(NiceStep, ANonFiniteSpanHasNoStep) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double cases[][2] = {{nan, 1}, {0, nan}, {0, inf}, {-inf, 0}, {-1e308, 1e308}};
  for (const auto& c : cases) EXPECT_TRUE(std::isnan(nice_step(c[0], c[1]).step)) << c[0] << ".." << c[1];
  EXPECT_TRUE(std::isfinite(nice_step(0, 1e308).step));
}

}  // namespace
}  // namespace scopeview
