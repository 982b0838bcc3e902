#include "core/state_wait.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/test_core_hooks.h"
#include "core/ups_state.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

constexpr std::uint32_t kForever = 0xFFFFFFFFu;

TEST(StateWait, PowerFailureIsRecordedAndRemembered) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONLINE, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(5, "Сбой в питании, переход на батарею\n")));
  EXPECT_TRUE(core.power_failure_seen);
  EXPECT_EQ(core.waiter_state, UPS_ONLINE);
  EXPECT_TRUE(trace.contains("UPS::UPSWaitForStateChange(1, -1)\n"));
  EXPECT_TRUE(trace.contains("UPS::UPSWaitForStateChange END = 2\n"));
}

TEST(StateWait, LostLinkDuringAFailureCountsAsMainsBack) {
  MonitorCore core;
  core.power_failure_seen = true;
  ScriptedCoreHooks hooks(core, {{UPS_NOCOMM}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(core.current_state, UPS_ONLINE);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(4, "Питание восстановлено\n")));
  EXPECT_FALSE(core.power_failure_seen);
  EXPECT_TRUE(trace.contains(" UPS::Wait 0sec for test: currentStateUPS:1 waitStateUPS:2\n"));
}

TEST(StateWait, ALostLinkToAServedUpsIsNeverReadAsMains) {
  MonitorCore core;
  core.served_ups = true;
  core.power_failure_seen = true;
  ScriptedCoreHooks hooks(core, {{UPS_NOCOMM}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(core.current_state, UPS_NOCOMM);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(6, "Нет связи с ИБП\n")));
}

TEST(StateWait, TheServersForcedShutdownIsRecordedAsSuchAndHoldsNothing) {
  MonitorCore core;
  core.server_forced_shutdown = true;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 30;
  ScriptedCoreHooks hooks(core, {{UPS_LOWBATTERY, kReasonNone, true}});
  wait_for_state_change(core, hooks, UPS_ONLINE, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(45, "Сервер ИБП объявил выключение всех компьютеров (FSD)\n")));
  EXPECT_EQ(hooks.waits, 1) << "neither the tray's block nor the wait before action holds it";
  EXPECT_EQ(core.current_state, UPS_LOWBATTERY);
}

TEST(StateWait, LostLinkOnMainsIsRecordedAsSuch) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_NOCOMM}});
  wait_for_state_change(core, hooks, UPS_ONLINE, kForever);
  EXPECT_EQ(core.current_state, UPS_NOCOMM);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(6, "Нет связи с ИБП\n")));
}

TEST(StateWait, LinkBackIsRecordedInsteadOfPowerBack) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_NOCOMM, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(3, "Связь с ИБП восстановлена\n")));
}

TEST(StateWait, BatteryLowReportedByTheUpsCarriesTheVoltage) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_LOWBATTERY, kReasonNone}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(17, "Батарея разряжена (10.7, В)\n")));
  EXPECT_TRUE(core.power_failure_seen) << "battery low keeps the failure";
}

TEST(StateWait, ThresholdsAreReportedWithTheirFigures) {
  MonitorCore core;
  core.settings.shutdown_on_cap_battery_wait = 30;
  core.settings.shutdown_on_u_battery_wait = 110;
  {
    ScriptedCoreHooks hooks(core, {{UPS_LOWBATTERY, kReasonCapacity}});
    wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
    EXPECT_THAT(hooks.events, ElementsAre(Pair(21, "Выключение по ёмкости. Текущая:29, Порог:30\n")));
  }
  {
    platform::TraceCapture trace;
    ScriptedCoreHooks hooks(core, {{UPS_LOWBATTERY, kReasonVoltage}});
    wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
    EXPECT_THAT(hooks.events,
                ElementsAre(Pair(22, "Выключение по напряжению. Текущее:10.7 (В), Порог:11.0 (В)\n")));
    EXPECT_TRUE(trace.contains("UPS::ShutdownOnUBat: cur:107 threshold:110\n"));
  }
}

TEST(StateWait, ActionBlockedHoldsUntilMainsReturns) {
  MonitorCore core;
  core.current_state = UPS_ONBATTERY;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY, 0, true},
                             {UPS_ONBATTERY, 0, true},
                             {UPS_LOWBATTERY, kReasonCapacity, true},
                             {UPS_ONBATTERY, 0, true},
                             {UPS_ONLINE, 0, true}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 5);
  EXPECT_TRUE(trace.contains("UPS::BLOCK SHUTDOWN\n"));
  EXPECT_TRUE(trace.contains("UPS::UPSWaitForStateChange END = 1\n"));
  EXPECT_TRUE(hooks.events.empty()) << "the events of the hold's end are the next wait's";
}

TEST(StateWait, ActionBlockedHoldEndsWhenTheUpsItselfReportsBatteryLow) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}, {UPS_LOWBATTERY, 0, true}});
  std::uint32_t before = hooks.effects.tick;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(core.current_state, UPS_LOWBATTERY);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(hooks.effects.tick - before, 60000u + 200u + 200u + 50u) << "confirmed after 50 ms";
}

TEST(StateWait, ActionBlockedHoldEndsWhenTheSwitchIsCleared) {
  MonitorCore core;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, false}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(core.current_state, UPS_ONBATTERY);
}

TEST(StateWait, WaitBeforeActionHoldsForItsSecondsWithATone) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 2;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_THAT(hooks.effects.beeps, ElementsAre(Pair(500u, 1000u)));
  EXPECT_TRUE(trace.contains("UPS::WAIT 1 2\n"));
  EXPECT_EQ(hooks.waits, 1 + 2000 / 200);
}

TEST(StateWait, WaitBeforeActionOfTheLargestSettingDoesNotWrapIntoAShortHold) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 4294968;  // × 1000 wraps to 704 ms in 32 bits
  std::deque<Frame> frames(50, Frame{UPS_ONBATTERY});
  frames.push_back(Frame{UPS_ONLINE});
  ScriptedCoreHooks hooks(core, frames);
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 51) << "held until mains returned";
  EXPECT_EQ(core.current_state, UPS_ONLINE);
}

TEST(StateWait, WaitBeforeActionEndsEarlyWhenMainsReturns) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 60;
  ScriptedCoreHooks hooks(core, {{UPS_ONBATTERY}, {UPS_ONBATTERY}, {UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(core.current_state, UPS_ONLINE);
}

TEST(StateWait, WaitBeforeActionIsNotHeldOnMains) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 60;
  ScriptedCoreHooks hooks(core, {{UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 1);
  EXPECT_TRUE(hooks.effects.beeps.empty());
}

TEST(StateWait, CancelEndsAHoldWithoutTheEndLineAndIsConsumed) {
  MonitorCore core;
  struct CancellingHooks : ScriptedCoreHooks {
    using ScriptedCoreHooks::ScriptedCoreHooks;
    MonitorCore* core = nullptr;
    void wait_state_change(std::uint32_t ms) override {
      ScriptedCoreHooks::wait_state_change(ms);
      if (waits == 3) core->cancel_requested = true;
    }
  } cancelling(core, {{UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}});
  cancelling.core = &core;
  platform::TraceCapture trace;
  wait_for_state_change(core, cancelling, UPS_ONBATTERY, 60000);
  EXPECT_EQ(cancelling.waits, 3);
  EXPECT_FALSE(trace.contains("END"));
  EXPECT_FALSE(core.cancel_requested);
}

TEST(StateWait, CancelBeforeTheWaitReturnsAfterItsFirstWait) {
  MonitorCore core;
  core.cancel_requested = true;
  ScriptedCoreHooks hooks(core, {});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONLINE, 5000);
  EXPECT_EQ(hooks.waits, 1);
  EXPECT_FALSE(trace.contains("END"));
  EXPECT_FALSE(core.cancel_requested);
}

}  // namespace
}  // namespace core
