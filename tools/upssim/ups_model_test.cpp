#include "tools/upssim/ups_model.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

using namespace status_bit;

// Readings without wander, so they can be compared exactly.
UpsModel steady_model() {
  UpsModel model(7);
  model.conditions().jitter = false;
  return model;
}

bool has(const UpsModel& model, std::uint8_t bit) { return (model.peek().bits & bit) != 0; }

TEST(upssim_model, OnMainsOutputFollowsInputAndOnlyTheFixedBitsAreSet) {
  UpsModel model = steady_model();
  StatusReading r = model.peek();
  EXPECT_DOUBLE_EQ(r.input_v, 230.0);
  EXPECT_DOUBLE_EQ(r.output_v, 230.0);
  EXPECT_EQ(r.load_percent, 12);
  EXPECT_DOUBLE_EQ(r.battery_v, 13.6);
  EXPECT_EQ(r.bits, kLineInteractive | kBeeperOn);
}

TEST(upssim_model, MainsFailureRunsFromBatteryUntilCutOffThenSilenceUntilMainsReturns) {
  UpsModel model = steady_model();
  model.conditions().load_percent = 50;
  model.set_mains(false);
  StatusReading r = model.peek();
  EXPECT_DOUBLE_EQ(r.input_v, 0.0);
  EXPECT_DOUBLE_EQ(r.output_v, 220.0);
  EXPECT_TRUE(r.bits & kUtilityFail);
  EXPECT_FALSE(r.bits & kBatteryLow);

  model.advance(60);
  EXPECT_LT(model.peek().battery_v, 13.0);
  while (model.powered() && !has(model, kBatteryLow)) {
    model.advance(1);
  }
  EXPECT_TRUE(model.output_on());
  EXPECT_LE(model.peek().battery_v, 10.9);

  model.advance(3600);
  EXPECT_FALSE(model.powered());
  EXPECT_FALSE(model.output_on());
  EXPECT_DOUBLE_EQ(model.peek().output_v, 0.0);

  model.set_mains(true);
  EXPECT_TRUE(model.powered());
  EXPECT_TRUE(model.output_on());
  double exhausted = model.peek().battery_v;
  model.advance(600);
  EXPECT_GT(model.peek().battery_v, exhausted + 2.0);
  EXPECT_LE(model.peek().battery_v, 13.6);
}

TEST(upssim_model, HeavierLoadDrainsTheBatteryFaster) {
  UpsModel light = steady_model();
  UpsModel heavy = steady_model();
  light.conditions().load_percent = 10;
  heavy.conditions().load_percent = 90;
  light.set_mains(false);
  heavy.set_mains(false);
  light.advance(120);
  heavy.advance(120);
  EXPECT_LT(heavy.peek().battery_v, light.peek().battery_v - 0.5);
}

TEST(upssim_model, FaultVoltageHoldsTheFailureUntilOneReport) {
  UpsModel model = steady_model();
  model.set_mains_voltage(228.0);
  model.conditions().outage_input_v = 3.0;
  model.set_mains(false);
  StatusReading first = model.report();
  EXPECT_DOUBLE_EQ(first.input_v, 3.0);
  EXPECT_DOUBLE_EQ(first.input_fault_v, 228.0);
  EXPECT_DOUBLE_EQ(model.report().input_fault_v, 3.0);
}

TEST(upssim_model, InputOutsideRegulationSetsAvrAndOutsideTransferGoesToBattery) {
  UpsModel model = steady_model();
  model.set_mains_voltage(190.0);
  EXPECT_EQ(model.peek().bits, kAvr | kLineInteractive | kBeeperOn);
  EXPECT_DOUBLE_EQ(model.peek().output_v, 220.0);
  model.set_mains_voltage(250.0);
  EXPECT_TRUE(has(model, kAvr));
  model.set_mains_voltage(232.0);
  EXPECT_FALSE(has(model, kAvr));
  model.set_mains_voltage(150.0);
  EXPECT_TRUE(has(model, kUtilityFail));
  EXPECT_FALSE(has(model, kAvr));
  EXPECT_DOUBLE_EQ(model.peek().input_v, 150.0);
}

TEST(upssim_model, ShortTestRunsFromBatteryForTenSecondsWithInputStillMeasured) {
  UpsModel model = steady_model();
  model.start_test(TestKind::timed, 10);
  model.advance(9);
  StatusReading r = model.peek();
  EXPECT_TRUE(r.bits & kTest);
  EXPECT_FALSE(r.bits & kUtilityFail);
  EXPECT_DOUBLE_EQ(r.input_v, 230.0);
  EXPECT_LT(r.battery_v, 13.6);
  model.advance(1.5);
  EXPECT_FALSE(has(model, kTest));
}

TEST(upssim_model, TestEndsAtLowBatteryOnCancelAndOnMainsLoss) {
  UpsModel until_low = steady_model();
  until_low.battery().set_voltage(11.2);
  until_low.start_test(TestKind::until_low, 0);
  int seconds = 0;
  for (; has(until_low, kTest) && seconds < 3600; ++seconds) {
    until_low.advance(1);
  }
  EXPECT_GT(seconds, 60) << "no time limit of its own";
  EXPECT_LE(until_low.peek().battery_v, 10.9);
  EXPECT_GT(until_low.peek().battery_v, 10.8);

  UpsModel cancelled = steady_model();
  cancelled.start_test(TestKind::timed, 600);
  cancelled.cancel_test();
  EXPECT_FALSE(has(cancelled, kTest));

  UpsModel interrupted = steady_model();
  interrupted.start_test(TestKind::timed, 600);
  interrupted.set_mains(false);
  EXPECT_FALSE(has(interrupted, kTest));
}

// A deep test ends at the low level; a unit with the hold keeps reporting battery low on mains
// until it has recharged to its nominal voltage, and so after an outage.
TEST(upssim_model, BatteryLowHoldKeepsTheBitOnMainsUntilRecharged) {
  for (bool hold : {false, true}) {
    UpsModel model = steady_model();
    model.conditions().hold_low = hold;
    model.battery().set_voltage(11.0);
    model.start_test(TestKind::until_low, 0);
    while (has(model, kTest)) {
      model.advance(1);
    }
    EXPECT_FALSE(has(model, kUtilityFail));
    EXPECT_EQ(has(model, kBatteryLow), hold) << "at the end of the test, hold " << hold;
    model.advance(60);
    EXPECT_EQ(has(model, kBatteryLow), hold) << "recharging, hold " << hold;
    while (model.peek().battery_v < 12.0) {
      model.advance(1);
    }
    EXPECT_FALSE(has(model, kBatteryLow)) << "recharged to the nominal voltage";
  }

  UpsModel outage = steady_model();
  outage.conditions().hold_low = true;
  outage.battery().set_voltage(11.0);
  outage.set_mains(false);
  while (!has(outage, kBatteryLow)) {
    outage.advance(1);
  }
  outage.set_mains(true);
  outage.advance(30);
  EXPECT_TRUE(has(outage, kBatteryLow));
  EXPECT_FALSE(has(outage, kUtilityFail));
}

TEST(upssim_model, TestIsRefusedOnBattery) {
  UpsModel model = steady_model();
  model.set_mains(false);
  model.start_test(TestKind::timed, 10);
  EXPECT_FALSE(has(model, kTest));
}

TEST(upssim_model, TurnOffWithRestoreSwitchesOffAfterDelayAndOnAfterRestore) {
  UpsModel model = steady_model();
  model.schedule_turn_off(12, 60);
  EXPECT_TRUE(has(model, kShutdownActive));
  model.advance(11);
  EXPECT_TRUE(model.output_on());
  model.advance(2);
  EXPECT_FALSE(model.output_on());
  EXPECT_DOUBLE_EQ(model.peek().output_v, 0.0);
  EXPECT_EQ(model.peek().load_percent, 0);
  EXPECT_TRUE(has(model, kShutdownActive));
  EXPECT_TRUE(model.powered()) << "on mains the UPS still answers";
  model.advance(59);
  EXPECT_TRUE(model.output_on());
  EXPECT_FALSE(has(model, kShutdownActive));
}

TEST(upssim_model, TurnOffWithoutRestoreWaitsForMainsToFailAndReturn) {
  UpsModel model = steady_model();
  model.schedule_turn_off(12, 0);
  model.advance(3600);
  EXPECT_FALSE(model.output_on());
  model.set_mains(false);
  EXPECT_FALSE(model.powered());
  model.set_mains(true);
  EXPECT_TRUE(model.output_on());
  EXPECT_FALSE(has(model, kShutdownActive));
}

TEST(upssim_model, TurnOffOnBatteryPowersTheUpsDownAndRestoreWaitsForMains) {
  UpsModel model = steady_model();
  model.set_mains(false);
  model.schedule_turn_off(30, 120);
  model.advance(31);
  EXPECT_FALSE(model.powered());
  model.advance(200);
  EXPECT_FALSE(model.output_on()) << "restore time passed without mains";
  model.set_mains(true);
  EXPECT_TRUE(model.powered());
  EXPECT_TRUE(model.output_on());
}

TEST(upssim_model, CancelStopsAPendingTurnOffAndRestoresAnOffOutput) {
  UpsModel pending = steady_model();
  pending.schedule_turn_off(12, 0);
  pending.cancel_turn_off();
  pending.advance(60);
  EXPECT_TRUE(pending.output_on());
  EXPECT_FALSE(has(pending, kShutdownActive));

  UpsModel off = steady_model();
  off.schedule_turn_off(12, 0);
  off.advance(13);
  off.cancel_turn_off();
  EXPECT_TRUE(off.output_on());
  EXPECT_FALSE(has(off, kShutdownActive));
}

TEST(upssim_model, NominalVoltageScalesTheBatteryLevels) {
  UpsModel model = steady_model();
  model.battery().set_nominal(24);
  EXPECT_DOUBLE_EQ(model.peek().battery_v, 27.2);
  model.set_mains(false);
  model.battery().set_voltage(21.9);
  EXPECT_FALSE(has(model, kBatteryLow));
  model.battery().set_voltage(21.7);
  EXPECT_TRUE(has(model, kBatteryLow));
}

TEST(upssim_model, ForcedBitsAndMissingSensor) {
  UpsModel model = steady_model();
  model.conditions().force_low = true;
  model.conditions().fault = true;
  model.conditions().temperature_c.reset();
  model.toggle_beeper();
  StatusReading r = model.peek();
  EXPECT_EQ(r.bits, kBatteryLow | kUpsFault | kLineInteractive);
  EXPECT_FALSE(r.temperature_c.has_value());
}

TEST(upssim_model, WanderIsReproducibleFromTheSeedAndStaysNearTheSetValue) {
  UpsModel a(42);
  UpsModel b(42);
  UpsModel c(43);
  double lowest = 1e9;
  double highest = 0;
  bool differs = false;
  for (int second = 0; second < 3600; ++second) {
    a.advance(1);
    b.advance(1);
    c.advance(1);
    ASSERT_DOUBLE_EQ(a.peek().input_v, b.peek().input_v);
    differs = differs || a.peek().input_v != c.peek().input_v;
    lowest = std::min(lowest, a.peek().input_v);
    highest = std::max(highest, a.peek().input_v);
  }
  EXPECT_TRUE(differs);
  EXPECT_GT(highest - lowest, 1.0) << "the mains should visibly wander";
  EXPECT_GT(lowest, 220.0);
  EXPECT_LT(highest, 240.0);
}

}  // namespace
}  // namespace upssim
