#include "link/turn_off_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "link/ups_status.h"

namespace ups_link {
namespace {

TurnOffInputs after(std::uint32_t delay, std::string_view vendor = "Orvik") {
  TurnOffInputs inputs;
  inputs.delay_seconds = delay;
  inputs.vendor = vendor;
  return inputs;
}

TurnOffInputs with_restore(TurnOffInputs inputs, std::uint32_t minutes) {
  inputs.turn_ups_on_enable = 1;
  inputs.turn_ups_on_wait = minutes;
  return inputs;
}

std::string text_for(const TurnOffInputs& inputs) { return build_turn_off_command(inputs).text; }

TEST(TurnOffCommandTest, DocumentedExamples) {
  EXPECT_EQ(text_for(after(120)), "S02R0000\r");
  EXPECT_EQ(text_for(with_restore(after(30, "Lunem"), 5)), "S.5R0005\r");
  EXPECT_EQ(text_for(after(600, "Lunem")), "S10\r");
}

TEST(TurnOffCommandTest, DelayIsClampedTo12Through600Seconds) {
  const TurnOffCommand short_delay = build_turn_off_command(after(5));
  EXPECT_EQ(short_delay.text, "S.2R0000\r");
  EXPECT_EQ(short_delay.delay_seconds, 12u);

  const TurnOffCommand long_delay = build_turn_off_command(after(1000));
  EXPECT_EQ(long_delay.text, "S10R0000\r");
  EXPECT_EQ(long_delay.delay_seconds, 600u);

  EXPECT_EQ(build_turn_off_command(after(0)).delay_seconds, 12u);
  EXPECT_EQ(build_turn_off_command(after(0xFFFFFFFFu)).delay_seconds, 600u);
}

TEST(TurnOffCommandTest, DelayTextAroundTheMinute) {
  struct Case {
    std::uint32_t seconds;
    const char* prefix;
  };
  const Case cases[] = {{12, "S.2"}, {30, "S.5"}, {54, "S.9"}, {56, "S.9"}, {57, "S01"}, {58, "S01"},
                        {59, "S01"}, {60, "S01"}, {119, "S01"}, {120, "S02"}, {599, "S09"}};
  for (const Case& c : cases) {
    EXPECT_EQ(text_for(after(c.seconds)).substr(0, 3), c.prefix) << c.seconds << " s";
  }
}

// Reads the delay back as the UPS would: tenths of a minute, or whole minutes.
int delay_seconds_sent(const std::string& text) {
  if (text[1] == '.') return (text[2] - '0') * 6;
  return std::atoi(text.substr(1, 2).c_str()) * 60;
}

TEST(TurnOffCommandTest, EveryDelaySendsANonZeroDelayWithinAMinuteOfTheRequest) {
  for (std::uint32_t d = 0; d <= 700; ++d) {
    const TurnOffCommand command = build_turn_off_command(after(d));
    ASSERT_EQ(command.text.size(), 9u) << d;
    ASSERT_EQ(command.text[0], 'S') << d;
    const int sent = delay_seconds_sent(command.text);
    EXPECT_GT(sent, 0) << command.text;
    EXPECT_LT(std::abs(sent - static_cast<int>(command.delay_seconds)), 60) << command.text;
  }
}

TEST(TurnOffCommandTest, RestoreMinutesFollowTheSettings) {
  EXPECT_EQ(text_for(with_restore(after(120), 5)), "S02R0005\r");
  EXPECT_EQ(text_for(with_restore(after(120), 0)), "S02R0001\r");
  EXPECT_EQ(text_for(with_restore(after(120), 12000)), "S02R9999\r");
  TurnOffInputs disabled = after(120);
  disabled.turn_ups_on_wait = 5;  // ignored while TurnUPSOnEnable is off
  EXPECT_EQ(text_for(disabled), "S02R0000\r");
}

TEST(TurnOffCommandTest, LunemTakesAtMost255RestoreMinutesAndOmitsZero) {
  EXPECT_EQ(text_for(with_restore(after(120, "Lunem"), 300)), "S02R0255\r");
  EXPECT_EQ(text_for(with_restore(after(120, "Lunem"), 0)), "S02R0001\r");
  EXPECT_EQ(text_for(after(120, "Lunem")), "S02\r");
  // The name must match exactly.
  EXPECT_EQ(text_for(after(120, "Lunem2")), "S02R0000\r");
  EXPECT_EQ(text_for(after(120, "lunem")), "S02R0000\r");
}

TEST(TurnOffCommandTest, PolicyTurnOffOnMainsNeverRestores) {
  TurnOffInputs on_mains = with_restore(after(120), 5);
  on_mains.turn_off_pending = true;
  on_mains.last_status_bits = STATUS_BEEPER_ON;
  EXPECT_EQ(text_for(on_mains), "S02R0000\r");

  TurnOffInputs on_battery = on_mains;
  on_battery.last_status_bits = STATUS_UTILITY_FAIL;
  EXPECT_EQ(text_for(on_battery), "S02R0005\r");

  TurnOffInputs not_pending = on_mains;
  not_pending.turn_off_pending = false;
  EXPECT_EQ(text_for(not_pending), "S02R0005\r");
}

TEST(TurnOffCommandTest, BlockedFieldOrCtrlKeySuppressesTheCommand) {
  EXPECT_FALSE(turn_off_suppressed(0, false));
  EXPECT_TRUE(turn_off_suppressed(1, false));
  EXPECT_TRUE(turn_off_suppressed(0x80000000u, false));
  EXPECT_TRUE(turn_off_suppressed(0, true));
}

}  // namespace
}  // namespace ups_link
