#include "core/served_cycle.h"

#include <gtest/gtest.h>

#include "link/ups_status.h"
#include "nut/test_varnelo.h"

namespace core {
namespace {

constexpr char kOnBattery[] = "(000.0 000.0 220.0 023 50.0 12.1 27.2 10001001";
constexpr char kOnMains[] = "(229.0 229.0 229.0 023 50.0 13.4 27.2 00001001";

std::string served_status(ServedCycle& cycle, ipc::UpsSharedBlock block, const CoreSettings& settings = {}) {
  const nut::VariableSnapshot snapshot = cycle.variables(block, settings);
  const nut::NutVariable* status = snapshot.find("ups.status");
  return snapshot.stale ? "stale" : (status ? status->value : "");
}

ipc::UpsSharedBlock with_low_bit(ipc::UpsSharedBlock block) {
  block.status.status_bits |= ups_link::STATUS_BATTERY_LOW;
  return block;
}

ipc::UpsSharedBlock link_lost(ipc::UpsSharedBlock block) {
  block.link_ok = 0;
  return block;
}

// The capacity threshold forces the bit every other cycle once reached; clients must not see it flicker.
TEST(ServedCycle, BatteryLowOnBatteryIsHeldOverTheCycleBetweenTwoThresholdCycles) {
  ServedCycle cycle(nut::varnelo_settings());
  const ipc::UpsSharedBlock battery = nut::block_after(kOnBattery);
  const ipc::UpsSharedBlock mains = nut::block_after(kOnMains);
  const struct {
    const char* what;
    ipc::UpsSharedBlock block;
    const char* status;
  } cycles[] = {
      {"on battery", battery, "OB"},
      {"threshold reached", with_low_bit(battery), "OB LB"},
      {"the cycle that does not test it", battery, "OB LB"},
      {"reached again", with_low_bit(battery), "OB LB"},
      {"not tested again", battery, "OB LB"},
      {"two cycles without it", battery, "OB"},
      {"reached again", with_low_bit(battery), "OB LB"},
      {"link lost", link_lost(battery), "stale"},
      {"no carry across a cycle without data", battery, "OB"},
      {"the UPS's own bit", with_low_bit(battery), "OB LB"},
      {"mains back", mains, "OL"},
      {"recharging: the UPS's bit as it is", with_low_bit(mains), "OL LB"},
      {"recharged", mains, "OL"},
  };
  for (const auto& c : cycles) EXPECT_EQ(served_status(cycle, c.block), c.status) << c.what;
}

TEST(ServedCycle, ThresholdAndRestoreFollowTheSettingsTheTrayChanges) {
  ServedCycle cycle(nut::varnelo_settings());
  CoreSettings settings;
  settings.shutdown_on_cap_battery_enable = 1;
  settings.shutdown_on_cap_battery_wait = 30;
  settings.turn_ups_on_enable = 1;
  settings.turn_ups_on_wait = 3;
  nut::VariableSnapshot snapshot = cycle.variables(nut::block_after(kOnMains), settings);
  ASSERT_TRUE(snapshot.find("battery.charge.low"));
  EXPECT_EQ(snapshot.find("battery.charge.low")->value, "30");
  EXPECT_EQ(snapshot.find("ups.delay.start")->value, "180");

  settings.shutdown_on_cap_battery_enable = 0;
  settings.turn_ups_on_enable = 0;
  snapshot = cycle.variables(nut::block_after(kOnMains), settings);
  EXPECT_FALSE(snapshot.find("battery.charge.low"));
  EXPECT_EQ(snapshot.find("ups.delay.start")->value, "0");
}

}  // namespace
}  // namespace core
