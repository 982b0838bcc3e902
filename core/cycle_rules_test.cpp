#include "core/cycle_rules.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/ups_state.h"
#include "link/ups_status.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

using namespace ups_link;

// Every cycle as the query thread decides it, from the UPS's bits and the previous cycle's state:
// the battery-low bit, the UPS's or a threshold's, is critical only while the UPS runs on battery.
TEST(CycleState, BatteryLowIsCriticalOnlyOnBattery) {
  CoreSettings settings;
  settings.shutdown_on_cap_battery_enable = 1;
  settings.shutdown_on_cap_battery_wait = 30;
  constexpr std::uint32_t UF = STATUS_UTILITY_FAIL, LB = STATUS_BATTERY_LOW, TEST = STATUS_TEST;
  struct Row {
    bool link_up;
    std::uint32_t bits;
    std::uint32_t previous;
    float capacity;
    std::uint32_t state;
    std::uint32_t reason;
    const char* what;
  };
  const Row rows[] = {
      {true, 0, UPS_ONLINE, 80, UPS_ONLINE, kReasonNone, "mains"},
      {true, LB, UPS_ONLINE, 80, UPS_ONLINE, kReasonNone, "mains, the battery recharging"},
      {true, LB, UPS_LOWBATTERY, 5, UPS_ONLINE, kReasonNone, "mains back, the UPS keeps its bit"},
      {true, LB, UPS_ONBATTERY, 5, UPS_ONLINE, kReasonNone, "mains back with the bit"},
      {true, TEST, UPS_ONLINE, 5, UPS_ONLINE, kReasonNone, "a battery test on mains"},
      {true, TEST | LB, UPS_ONLINE, 5, UPS_ONLINE, kReasonNone, "a deep test down to the low level"},
      {true, 0, UPS_ONBATTERY, 5, UPS_ONLINE, kReasonCapacity, "mains back as a threshold fires"},
      {true, UF, UPS_ONLINE, 5, UPS_ONBATTERY, kReasonNone, "the first cycle on battery: no threshold yet"},
      {true, UF | LB, UPS_ONLINE, 80, UPS_LOWBATTERY, kReasonNone, "mains fails with the bit set"},
      {true, UF | LB, UPS_ONBATTERY, 80, UPS_LOWBATTERY, kReasonNone, "the UPS's own bit on battery"},
      {true, UF | LB | TEST, UPS_ONLINE, 80, UPS_LOWBATTERY, kReasonNone, "mains fails during a test, bit set"},
      {true, UF | TEST, UPS_ONLINE, 80, UPS_ONBATTERY, kReasonNone, "mains fails during a test"},
      {true, UF, UPS_ONBATTERY, 20, UPS_LOWBATTERY, kReasonCapacity, "the capacity threshold on battery"},
      {true, UF, UPS_LOWBATTERY, 20, UPS_ONBATTERY, kReasonNone, "the cycle after it: the alternation"},
      {true, UF, UPS_ONBATTERY, 80, UPS_ONBATTERY, kReasonNone, "on battery above the threshold"},
      {false, UF | LB, UPS_ONBATTERY, 5, UPS_NOCOMM, kReasonNone, "link lost on battery"},
      {false, LB, UPS_ONLINE, 5, UPS_NOCOMM, kReasonNone, "link lost on mains"},
  };
  for (const Row& row : rows) {
    CycleInputs in;
    in.link_up = row.link_up;
    in.status_bits = row.bits;
    in.previous_state = row.previous;
    in.capacity_valid = true;
    in.capacity = row.capacity;
    in.battery_voltage = 12.0f;
    const CycleDecision decision = decide_cycle(settings, in);
    EXPECT_EQ(decision.state, row.state) << row.what;
    EXPECT_EQ(decision.reason, row.reason) << row.what;
    EXPECT_EQ(decision.status_bits, row.reason ? (row.bits | LB) : row.bits) << "published as the UPS sent them: " << row.what;
  }
}

// A NUT server's FSD is the critical point on mains too, without a bit the record would publish.
TEST(CycleState, AServersForcedShutdownIsCriticalWhileItIsHeard) {
  struct Row {
    bool link_up;
    std::uint32_t bits;
    std::uint32_t state;
  };
  for (const Row& row : {Row{true, 0, UPS_LOWBATTERY}, Row{true, STATUS_UTILITY_FAIL, UPS_LOWBATTERY},
                         Row{false, 0, UPS_NOCOMM}}) {
    CycleInputs in;
    in.link_up = row.link_up;
    in.status_bits = row.bits;
    in.previous_state = UPS_ONLINE;
    in.forced_critical = true;
    const CycleDecision decision = decide_cycle(CoreSettings{}, in);
    EXPECT_EQ(decision.state, row.state) << row.bits;
    EXPECT_EQ(decision.status_bits, row.bits);
    EXPECT_EQ(decision.reason, kReasonNone);
  }
}

// Fed cycle by cycle: the line it asks for after each answer, 0 for none.
TEST(LowBatteryOnMains, OneLinePerEpisodeAndATestThatEndsLowSaysSo) {
  constexpr std::uint32_t UF = STATUS_UTILITY_FAIL, LB = STATUS_BATTERY_LOW, TEST = STATUS_TEST;
  struct Step {
    std::uint32_t bits;
    int code;
    const char* what;
  };
  const Step steps[] = {
      {0, 0, "mains"},
      {LB, 31, "the bit on mains"},
      {LB, 0, "the same episode"},
      {LB | STATUS_AVR, 0, "still the same episode"},
      {0, 0, "recharged"},
      {LB, 31, "a new episode"},
      {UF | LB, 0, "on battery it is critical, not a note"},
      {LB, 31, "mains back, recharging"},
      {0, 0, "recharged"},
      {TEST, 0, "a deep test"},
      {TEST | LB, 0, "down to the low level while testing"},
      {LB, 32, "the test ends with the bit"},
      {LB, 0, "recharging after the test: the same episode"},
      {0, 0, "recharged"},
      {TEST, 0, "a test"},
      {0, 0, "ended without the bit"},
      {LB, 31, "the bit a cycle later"},
      {TEST, 0, "a test from within an episode"},
      {UF | LB, 0, "ended by a failure"},
  };
  LowBatteryOnMains watch;
  for (const Step& step : steps) {
    const event::Text* line = watch.on_answer(step.bits);
    EXPECT_EQ(line ? line->code : 0, step.code) << step.what;
  }
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
  CycleInputs in;
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

TEST_F(Thresholds, AVoltageReadAtTheThresholdFires) {
  // 10.6f and 11.3f lie just above their decimals: times ten in single precision they are the
  // threshold's tenths exactly, in any wider precision a little more.
  in.capacity_valid = false;
  const std::pair<float, std::uint32_t> readings[] = {{10.6f, 106}, {11.3f, 113}};
  for (const auto& [volts, tenths] : readings) {
    settings.shutdown_on_u_battery_wait = tenths;
    in.battery_voltage = volts;
    platform::TraceCapture trace;
    EXPECT_EQ(evaluate_thresholds(settings, in).reason, kReasonVoltage) << volts << " V";
  }
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
  CycleInputs lost = in;
  lost.link_up = false;
  CycleInputs after_low = in;
  after_low.previous_state = UPS_LOWBATTERY;  // the alternation: the next cycle does not check
  CycleInputs ups_low = in;
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
