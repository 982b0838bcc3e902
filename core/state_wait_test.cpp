#include "core/state_wait.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/ups_state.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// What the query thread and the tray have done by the time a wait on the event ends.
struct Frame {
  std::uint32_t state;
  std::uint32_t reason = kReasonNone;
  bool blocked = false;
};

class ScriptedHooks : public WaitHooks {
 public:
  ScriptedHooks(MonitorCore& core, std::deque<Frame> frames) : core_(core), frames_(std::move(frames)) {}

  void wait_state_change(std::uint32_t timeout_ms) override {
    ++waits;
    if (timeout_ms != 0xFFFFFFFFu) tick += timeout_ms;
    if (frames_.empty()) return;  // nothing changes any more: the wait just times out
    apply(frames_.front());
    frames_.pop_front();
  }
  void sleep(std::uint32_t ms) override { tick += ms; }
  std::uint32_t tick_count() override { return tick; }
  void beep(std::uint32_t f, std::uint32_t ms) override { beeps.emplace_back(f, ms); }
  std::uint32_t shutdown_reason() override { return reason; }
  bool action_blocked() override { return blocked; }
  float capacity() override { return 29.6f; }
  float battery_voltage() override { return 10.7f; }
  void log_event(int code, const char* text) override { events.emplace_back(code, text); }

  void apply(const Frame& f) {
    core_.current_state = f.state;
    reason = f.reason;
    blocked = f.blocked;
  }

  std::uint32_t tick = 1000;
  std::uint32_t reason = kReasonNone;
  bool blocked = false;
  int waits = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> beeps;
  std::vector<std::pair<int, std::string>> events;

 private:
  MonitorCore& core_;
  std::deque<Frame> frames_;
};

constexpr std::uint32_t kForever = 0xFFFFFFFFu;

TEST(StateWait, PowerFailureIsRecordedAndRemembered) {
  MonitorCore core;
  ScriptedHooks hooks(core, {{UPS_ONBATTERY}});
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
  ScriptedHooks hooks(core, {{UPS_NOCOMM}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(core.current_state, UPS_ONLINE);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(4, "Питание восстановлено\n")));
  EXPECT_FALSE(core.power_failure_seen);
  EXPECT_TRUE(trace.contains(" UPS::Wait 0sec for test: currentStateUPS:1 waitStateUPS:2\n"));
}

TEST(StateWait, LostLinkOnMainsIsRecordedAsSuch) {
  MonitorCore core;
  ScriptedHooks hooks(core, {{UPS_NOCOMM}});
  wait_for_state_change(core, hooks, UPS_ONLINE, kForever);
  EXPECT_EQ(core.current_state, UPS_NOCOMM);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(6, "Нет связи с ИБП\n")));
}

TEST(StateWait, LinkBackIsRecordedInsteadOfPowerBack) {
  MonitorCore core;
  ScriptedHooks hooks(core, {{UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_NOCOMM, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(3, "Связь с ИБП восстановлена\n")));
}

TEST(StateWait, BatteryLowReportedByTheUpsCarriesTheVoltage) {
  MonitorCore core;
  ScriptedHooks hooks(core, {{UPS_LOWBATTERY, kReasonNone}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(17, "Батарея разряжена (10.7, В)\n")));
  EXPECT_TRUE(core.power_failure_seen) << "battery low keeps the failure";
}

TEST(StateWait, ThresholdsAreReportedWithTheirFigures) {
  MonitorCore core;
  core.settings.shutdown_on_cap_battery_wait = 30;
  core.settings.shutdown_on_u_battery_wait = 110;
  {
    ScriptedHooks hooks(core, {{UPS_LOWBATTERY, kReasonCapacity}});
    wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
    EXPECT_THAT(hooks.events, ElementsAre(Pair(21, "Выключение по ёмкости. Текущая:29, Порог:30\n")));
  }
  {
    platform::TraceCapture trace;
    ScriptedHooks hooks(core, {{UPS_LOWBATTERY, kReasonVoltage}});
    wait_for_state_change(core, hooks, UPS_ONBATTERY, kForever);
    EXPECT_THAT(hooks.events,
                ElementsAre(Pair(22, "Выключение по напряжению. Текущее:10.7 (В), Порог:11.0 (В)\n")));
    EXPECT_TRUE(trace.contains("UPS::ShutdownOnUBat: cur:107 threshold:110\n"));
  }
}

TEST(StateWait, ActionBlockedHoldsUntilMainsReturns) {
  MonitorCore core;
  core.current_state = UPS_ONBATTERY;
  ScriptedHooks hooks(core, {{UPS_ONBATTERY, 0, true},
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
  ScriptedHooks hooks(core, {{UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}, {UPS_LOWBATTERY, 0, true}});
  std::uint32_t before = hooks.tick;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(core.current_state, UPS_LOWBATTERY);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(hooks.tick - before, 60000u + 200u + 200u + 50u) << "confirmed after 50 ms";
}

TEST(StateWait, ActionBlockedHoldEndsWhenTheSwitchIsCleared) {
  MonitorCore core;
  ScriptedHooks hooks(core, {{UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, true}, {UPS_ONBATTERY, 0, false}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(core.current_state, UPS_ONBATTERY);
}

TEST(StateWait, WaitBeforeActionHoldsForItsSecondsWithATone) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 2;
  ScriptedHooks hooks(core, {{UPS_ONBATTERY}});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_THAT(hooks.beeps, ElementsAre(Pair(500u, 1000u)));
  EXPECT_TRUE(trace.contains("UPS::WAIT 1 2\n"));
  EXPECT_EQ(hooks.waits, 1 + 2000 / 200);
}

TEST(StateWait, WaitBeforeActionEndsEarlyWhenMainsReturns) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 60;
  ScriptedHooks hooks(core, {{UPS_ONBATTERY}, {UPS_ONBATTERY}, {UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 3);
  EXPECT_EQ(core.current_state, UPS_ONLINE);
}

TEST(StateWait, WaitBeforeActionIsNotHeldOnMains) {
  MonitorCore core;
  core.settings.wait_ba_enable = 1;
  core.settings.wait_ba_wait = 60;
  ScriptedHooks hooks(core, {{UPS_ONLINE}});
  wait_for_state_change(core, hooks, UPS_ONBATTERY, 60000);
  EXPECT_EQ(hooks.waits, 1);
  EXPECT_TRUE(hooks.beeps.empty());
}

TEST(StateWait, CancelEndsAHoldWithoutTheEndLineAndIsConsumed) {
  MonitorCore core;
  struct CancellingHooks : ScriptedHooks {
    using ScriptedHooks::ScriptedHooks;
    MonitorCore* core = nullptr;
    void wait_state_change(std::uint32_t ms) override {
      ScriptedHooks::wait_state_change(ms);
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
  ScriptedHooks hooks(core, {});
  platform::TraceCapture trace;
  wait_for_state_change(core, hooks, UPS_ONLINE, 5000);
  EXPECT_EQ(hooks.waits, 1);
  EXPECT_FALSE(trace.contains("END"));
  EXPECT_FALSE(core.cancel_requested);
}

}  // namespace
}  // namespace core
