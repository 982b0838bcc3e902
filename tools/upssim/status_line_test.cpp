#include "tools/upssim/status_line.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace upssim {
namespace {

StatusReading example() {
  return {230.0, 230.0, 229.0, 12, 50.0, 13.6, 25.0, 0x09};
}

TEST(upssim_status_line, MatchesTheReferenceLineCharacterForCharacter) {
  EXPECT_EQ(format_status_line(example()), "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001");
}

TEST(upssim_status_line, MissingTemperatureIsWrittenAsDashes) {
  StatusReading r = example();
  r.temperature_c.reset();
  EXPECT_EQ(format_status_line(r), "(230.0 230.0 229.0 012 50.0 13.6 --.- 00001001");
}

TEST(upssim_status_line, WildValuesAreClampedAndEveryFieldKeepsItsPlace) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  StatusReading huge{12345.6, 999.96, 1e9, 5000, 123.4, 150.0, 250.0, 0xFF};
  StatusReading tiny{-5.0, -0.0, nan, -7, -1.0, -0.0, -40.0, 0x00};
  EXPECT_EQ(format_status_line(huge), "(999.9 999.9 999.9 999 99.9 99.9 99.9 11111111");
  EXPECT_EQ(format_status_line(tiny), "(000.0 000.0 000.0 000 00.0 00.0 -9.9 00000000");
  StatusReading rounding{99.96, 0.04, 9.95, 5, 9.96, 9.99, -0.04, 0x10};
  std::string line = format_status_line(rounding);
  ASSERT_EQ(line.size(), kStatusLineLength) << line;
  for (std::size_t blank : {6u, 12u, 18u, 22u, 27u, 32u, 37u}) {
    EXPECT_EQ(line[blank], ' ') << line;
  }
}

TEST(upssim_status_line, BitSevenIsTheFirstCharacter) {
  EXPECT_EQ(format_status_bits(status_bit::kUtilityFail), "10000000");
  EXPECT_EQ(format_status_bits(status_bit::kBeeperOn), "00000001");
  EXPECT_EQ(format_status_bits(status_bit::kTest | status_bit::kLineInteractive), "00001100");
}

TEST(upssim_status_line, RatingLineCarriesTheNominalBatteryVoltage) {
  EXPECT_EQ(rating_line(12.0, 50.0), "#220.0 003 12.00 50.0");
  EXPECT_EQ(rating_line(24.0, 60.0), "#220.0 003 24.00 60.0");
  EXPECT_EQ(rating_line(150.0, 120.0).size(), 21u);
}

TEST(upssim_status_line, InformationLineHasFixedWidthFields) {
  std::string line = information_line();
  ASSERT_EQ(line.size(), 38u);
  EXPECT_EQ(line.substr(0, 17), "#ORVIK           ");
  EXPECT_EQ(line.substr(17, 11), "VARNELO600 ");
  EXPECT_EQ(line.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace upssim
