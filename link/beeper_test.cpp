#include "link/beeper.h"

#include <gtest/gtest.h>

#include "link/ups_status.h"

namespace ups_link {
namespace {

constexpr int at(int hour, int minute) { return hour * 60 + minute; }

core::CoreSettings beeper_settings(bool signal_enable, bool time_enable, int start, int end) {
  core::CoreSettings settings;
  settings.signal_enable = signal_enable;
  settings.signal_time_enable = time_enable;
  settings.signal_window_start = start;
  settings.signal_window_end = end;
  return settings;
}

bool needed_at(const core::CoreSettings& settings, int now) { return decide_beeper(settings, now, 0).needed; }

TEST(BeeperTest, WindowOverMidnight) {
  const auto night = beeper_settings(true, true, at(22, 0), at(7, 0));
  EXPECT_TRUE(needed_at(night, at(23, 30)));
  EXPECT_TRUE(needed_at(night, at(6, 0)));
  EXPECT_FALSE(needed_at(night, at(12, 0)));
  EXPECT_TRUE(needed_at(night, at(22, 0)));
  EXPECT_TRUE(needed_at(night, at(7, 0)));
  EXPECT_FALSE(needed_at(night, at(7, 1)));
  EXPECT_FALSE(needed_at(night, at(21, 59)));
}

TEST(BeeperTest, WindowWithinTheDay) {
  const auto day = beeper_settings(true, true, at(8, 0), at(20, 0));
  EXPECT_TRUE(needed_at(day, at(12, 0)));
  EXPECT_TRUE(needed_at(day, at(8, 0)));
  EXPECT_TRUE(needed_at(day, at(20, 0)));
  EXPECT_FALSE(needed_at(day, at(20, 1)));
  EXPECT_FALSE(needed_at(day, at(3, 0)));
}

TEST(BeeperTest, EmptyWindowOrNoTimeLimitLeavesTheBeeperWanted) {
  for (int now : {at(0, 0), at(12, 0), at(23, 59)}) {
    EXPECT_TRUE(needed_at(beeper_settings(true, true, at(9, 0), at(9, 0)), now));
    EXPECT_TRUE(needed_at(beeper_settings(true, false, at(8, 0), at(9, 0)), now));
    EXPECT_FALSE(needed_at(beeper_settings(false, true, at(0, 0), at(23, 59)), now));
  }
}

TEST(BeeperTest, ToggleWhenTheBeeperBitDisagrees) {
  const auto wanted = beeper_settings(true, false, 0, 0);
  const auto unwanted = beeper_settings(false, false, 0, 0);
  constexpr std::uint32_t other_bits = 0xFEu;  // only bit 0 counts

  EXPECT_TRUE(decide_beeper(wanted, 0, other_bits).toggle);
  EXPECT_FALSE(decide_beeper(wanted, 0, STATUS_BEEPER_ON).toggle);
  EXPECT_TRUE(decide_beeper(unwanted, 0, STATUS_BEEPER_ON | other_bits).toggle);
  EXPECT_FALSE(decide_beeper(unwanted, 0, other_bits).toggle);
}

}  // namespace
}  // namespace ups_link
