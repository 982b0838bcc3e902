#include "core/cycle_rules.h"

#include <gtest/gtest.h>

#include "core/ups_state.h"
#include "link/ups_status.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

using namespace ups_link;

TEST(DeriveState, LinkLossWinsThenBatteryLowThenOnBattery) {
  EXPECT_EQ(derive_state(true, STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW), UPS_NOCOMM);
  EXPECT_EQ(derive_state(false, STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW), UPS_LOWBATTERY);
  EXPECT_EQ(derive_state(false, STATUS_UTILITY_FAIL | STATUS_AVR), UPS_ONBATTERY);
  EXPECT_EQ(derive_state(false, STATUS_AVR | STATUS_BEEPER_ON), UPS_ONLINE);
}

TEST(Regulation, IsMaskedOnlyDuringATest) {
  EXPECT_EQ(mask_regulation_during_test(STATUS_TEST | STATUS_AVR | STATUS_BEEPER_ON), STATUS_TEST | STATUS_BEEPER_ON);
  EXPECT_EQ(mask_regulation_during_test(STATUS_AVR), STATUS_AVR);
  EXPECT_EQ(avr_event_code(STATUS_AVR, false), 19);
  EXPECT_EQ(avr_event_code(0, true), 20);
  EXPECT_EQ(avr_event_code(STATUS_AVR, true), 0);
  EXPECT_EQ(avr_event_code(mask_regulation_during_test(STATUS_TEST | STATUS_AVR), false), 0);
}

class Thresholds : public ::testing::Test {
 protected:
  Thresholds() {
    settings.shutdown_on_cap_battery_enable = 1;
    settings.shutdown_on_cap_battery_wait = 30;
    settings.shutdown_on_u_battery_enable = 1;
    settings.shutdown_on_u_battery_wait = 110;
    in.link_up = true;
    in.status_bits = STATUS_UTILITY_FAIL;
    in.previous_state = UPS_ONBATTERY;
    in.capacity_valid = true;
    in.capacity = 55.0f;
    in.battery_voltage = 12.4f;
  }
  CoreSettings settings;
  ThresholdInputs in;
};

TEST_F(Thresholds, CapacityExactlyAtTheThresholdFires) {
  in.capacity = 30.0f;
  platform::TraceCapture trace;
  ThresholdOutcome out = evaluate_thresholds(settings, in);
  EXPECT_EQ(out.reason, kReasonCapacity);
  EXPECT_TRUE(out.status_bits & STATUS_BATTERY_LOW);
  EXPECT_EQ(trace.joined(), "UPS::ShutdownOnCap: cur:30% threshold:30%\n");
}

TEST_F(Thresholds, VoltageIsTheReasonWhenBothFire) {
  in.capacity = 10.0f;
  in.battery_voltage = 10.9f;
  platform::TraceCapture trace;
  EXPECT_EQ(evaluate_thresholds(settings, in).reason, kReasonVoltage);
  EXPECT_TRUE(trace.contains("UPS::ShutdownOnUBat: cur:109 threshold:110\n"));
}

TEST_F(Thresholds, CapacityNeedsAValidModelButVoltageDoesNot) {
  in.capacity_valid = false;
  in.capacity = 0.0f;
  EXPECT_EQ(evaluate_thresholds(settings, in).reason, kReasonNone);
  in.battery_voltage = 11.0f;
  EXPECT_EQ(evaluate_thresholds(settings, in).reason, kReasonVoltage);
}

TEST_F(Thresholds, OnlyAfterAnAnsweredOnBatteryCycleWithoutTheUpsOwnBit) {
  in.capacity = 5.0f;
  ThresholdInputs lost = in;
  lost.link_up = false;
  ThresholdInputs after_low = in;
  after_low.previous_state = UPS_LOWBATTERY;  // the alternation: the next cycle does not check
  ThresholdInputs ups_low = in;
  ups_low.status_bits |= STATUS_BATTERY_LOW;
  for (const auto& case_in : {lost, after_low, ups_low}) {
    ThresholdOutcome out = evaluate_thresholds(settings, case_in);
    EXPECT_EQ(out.reason, kReasonNone);
    EXPECT_EQ(out.status_bits, case_in.status_bits);
  }
}

TEST_F(Thresholds, DisabledThresholdsNeverFire) {
  settings.shutdown_on_cap_battery_enable = 0;
  settings.shutdown_on_u_battery_enable = 0;
  in.capacity = 0.0f;
  in.battery_voltage = 0.0f;
  EXPECT_EQ(evaluate_thresholds(settings, in).reason, kReasonNone);
}

}  // namespace
}  // namespace core
