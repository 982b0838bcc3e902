#include "tools/upssim/ups_command.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

TEST(upssim_ups_command, FixedCommandsAreRecognised) {
  EXPECT_EQ(parse_ups_command("Q1").verb, UpsVerb::status_query);
  EXPECT_EQ(parse_ups_command("QS").verb, UpsVerb::status_query);
  EXPECT_EQ(parse_ups_command("I").verb, UpsVerb::info_query);
  EXPECT_EQ(parse_ups_command("F").verb, UpsVerb::rating_query);
  EXPECT_EQ(parse_ups_command("Q").verb, UpsVerb::beeper_toggle);
  EXPECT_EQ(parse_ups_command("T").verb, UpsVerb::test_short);
  EXPECT_EQ(parse_ups_command("TL").verb, UpsVerb::test_until_low);
  EXPECT_EQ(parse_ups_command("CT").verb, UpsVerb::test_cancel);
  EXPECT_EQ(parse_ups_command("C").verb, UpsVerb::turn_off_cancel);
}

TEST(upssim_ups_command, TimedTestTakesTwoDigitMinutes) {
  UpsCommand c = parse_ups_command("T05");
  EXPECT_EQ(c.verb, UpsVerb::test_minutes);
  EXPECT_EQ(c.minutes, 5);
  EXPECT_EQ(parse_ups_command("T99").minutes, 99);
  for (const char* bad : {"T00", "T5", "T100", "TX", "T0A"}) {
    EXPECT_EQ(parse_ups_command(bad).verb, UpsVerb::unknown) << bad;
  }
}

TEST(upssim_ups_command, TurnOffDelayIsTenthsOrWholeMinutes) {
  UpsCommand tenths = parse_ups_command("S.2R0000");
  EXPECT_EQ(tenths.verb, UpsVerb::turn_off);
  EXPECT_DOUBLE_EQ(tenths.minutes, 0.2);
  EXPECT_EQ(tenths.restore_minutes, 0);
  UpsCommand minutes = parse_ups_command("S10R9999");
  EXPECT_DOUBLE_EQ(minutes.minutes, 10);
  EXPECT_EQ(minutes.restore_minutes, 9999);
  EXPECT_DOUBLE_EQ(parse_ups_command("S.9").minutes, 0.9);
}

TEST(upssim_ups_command, ShortTurnOffFormMeansNoRestore) {
  UpsCommand c = parse_ups_command("S.5");
  EXPECT_EQ(c.verb, UpsVerb::turn_off);
  EXPECT_EQ(c.restore_minutes, 0);
  EXPECT_EQ(parse_ups_command("S.5R0005").restore_minutes, 5);
}

TEST(upssim_ups_command, MalformedTurnOffIsIgnoredLikeAnyUnknownCommand) {
  for (const char* bad : {"S", "S.1", "S.0", "S00", "S11", "S1", "S1.0", "S.5R12", "S.5R12345", "S.5X0001",
                          "S02R00A0", "S02R0000\n"}) {
    EXPECT_EQ(parse_ups_command(bad).verb, UpsVerb::unknown) << bad;
  }
}

TEST(upssim_ups_command, CommandsAreCaseSensitiveAndExact) {
  for (const char* bad : {"", "q1", "Q1 ", " Q1", "Q2", "II", "CTX", "c"}) {
    EXPECT_EQ(parse_ups_command(bad).verb, UpsVerb::unknown) << bad;
  }
}

}  // namespace
}  // namespace upssim
