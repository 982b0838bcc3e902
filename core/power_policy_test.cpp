#include "core/power_policy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/test_core_hooks.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class PowerActions : public ::testing::Test {
 protected:
  MonitorCore core;
  ScriptedCoreHooks hooks{core};
};

TEST_F(PowerActions, PowerOffUsesSoftOffWhenTheMachineHasIt) {
  run_power_action(core, hooks, 0);
  EXPECT_THAT(hooks.effects.exits, ElementsAre(Pair(13u, 0x800500FFu)));
  EXPECT_THAT(hooks.events, ElementsAre(Pair(21, "Командное выключение (1)\n")));
  EXPECT_EQ(core.policy.last_action_request, 1u) << "stays set so that the end-of-session watcher sees it";
  EXPECT_EQ(hooks.privilege_requests, 1);

  hooks.effects.soft_off = false;
  run_power_action(core, hooks, 4);
  EXPECT_EQ(hooks.effects.exits.back().first, 5u);
  EXPECT_EQ(hooks.events.back().first, 25);
}

TEST_F(PowerActions, UnknownCodesAreIgnoredWithADebugLine) {
  platform::TraceCapture trace;
  for (std::uint32_t action : {6u, 98u, 0xFFFFFFFFu}) run_power_action(core, hooks, action);
  EXPECT_TRUE(hooks.events.empty());
  EXPECT_TRUE(hooks.effects.exits.empty());
  EXPECT_TRUE(hooks.effects.power_states.empty());
  EXPECT_EQ(hooks.privilege_requests, 0);
  EXPECT_EQ(core.policy.last_action_request, 0u) << "the end-of-session watcher must not take it for a request";
  EXPECT_TRUE(trace.contains("UPS::power action 98 ignored\n"));
}

TEST_F(PowerActions, RefusedPowerOffOrRestartForgetsTheRequest) {
  hooks.effects.exit_result = false;
  run_power_action(core, hooks, 2);
  EXPECT_EQ(hooks.effects.exits.back().first, 6u);
  EXPECT_EQ(core.policy.last_action_request, 0u);
}

TEST_F(PowerActions, HibernationAndStandbyAskForACancelAfterWaking) {
  run_power_action(core, hooks, 1);
  ASSERT_EQ(hooks.effects.power_states.size(), 1u);
  EXPECT_TRUE(hooks.effects.power_states[0].hibernate);
  EXPECT_TRUE(hooks.effects.power_states[0].force);
  EXPECT_TRUE(core.policy.reset_turn_off_needed);
  EXPECT_EQ(core.policy.last_action_request, 0u);

  core.policy.reset_turn_off_needed = false;
  run_power_action(core, hooks, 3);
  EXPECT_FALSE(hooks.effects.power_states[1].hibernate);
  EXPECT_TRUE(core.policy.reset_turn_off_needed);
}

TEST_F(PowerActions, RefusedHibernationIsRecorded) {
  hooks.effects.power_state_result = false;
  run_power_action(core, hooks, 5);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(26, "Командное выключение (6)\n"),
                                        Pair(52, "Отказ спящего режима, под XP установите обновление KB909095\n")));
  EXPECT_TRUE(core.policy.reset_turn_off_needed);
}

// The query thread takes a queued turn-off within a few sleeps of the watcher.
class Watchers : public ::testing::Test {
 protected:
  Watchers() {
    hooks.config.set_dword("TurnUPSOffWait", 90);
    hooks.on_sleep = [this] {
      if (++sleeps_seen == 3) core.policy.turn_off_pending = false;
    };
  }
  MonitorCore core;
  ScriptedCoreHooks hooks{core};
  int sleeps_seen = 0;
};

TEST_F(Watchers, HibernateRequestedWithTurnOffQueuesItAtTheSuspend) {
  core.policy.last_action_request = 2;
  core.policy.turn_off_sent = true;
  on_suspend(core, hooks);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(9, "Ручной переход в спящий режим зафиксирован (2)\n"),
                                        Pair(10, "Активирую выключение ИБП через 90 сек\n")));
  EXPECT_EQ(core.policy.turn_off_delay, 90u);
  EXPECT_FALSE(core.policy.turn_off_sent) << "cleared once the query thread took it";
  EXPECT_TRUE(core.policy.suspended);
  EXPECT_EQ(hooks.flushes, 1);
  EXPECT_EQ(hooks.sleeps, 3);
}

TEST_F(Watchers, ActionsThatLeaveTheUpsOnQueueNothing) {
  for (std::uint32_t request : {3u, 4u, 5u, 6u}) {
    core.policy.last_action_request = request;
    EXPECT_FALSE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterSuspend)) << request;
  }
  EXPECT_TRUE(hooks.events.empty());
}

TEST_F(Watchers, AServedUpsIsNeverQueuedATurnOffNorAnnouncedOne) {
  core.served_ups = true;
  core.policy.last_action_request = 2;
  hooks.config.set_dword("TurnUPSOffEnable2", 1);
  on_suspend(core, hooks);
  on_end_session(core, hooks);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(9, "Ручной переход в спящий режим зафиксирован (2)\n"),
                                        Pair(12, "Ручное выключение зафиксированно (2)\n")));
  EXPECT_FALSE(core.policy.turn_off_pending);
}

TEST_F(Watchers, SuspendStartedElsewhereNeedsTurnUpsOffEnable2) {
  on_suspend(core, hooks);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(9, "Ручной переход в спящий режим зафиксирован (0)\n")));
  EXPECT_FALSE(core.policy.turn_off_pending);

  hooks.events.clear();
  hooks.config.set_dword("TurnUPSOffEnable2", 1);
  on_suspend(core, hooks);
  EXPECT_EQ(hooks.events.back().first, 10);
}

TEST_F(Watchers, CtrlKeyOrBlockedSwitchOrMissingDelayVetoTheTurnOff) {
  core.policy.last_action_request = 1;
  hooks.effects.ctrl_down = true;
  EXPECT_FALSE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  hooks.effects.ctrl_down = false;
  hooks.turn_off_block = true;
  EXPECT_FALSE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  hooks.turn_off_block = false;
  hooks.config.set_mistyped("TurnUPSOffWait");
  EXPECT_FALSE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  hooks.config_opens = false;
  EXPECT_FALSE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  EXPECT_TRUE(hooks.events.empty());
}

TEST_F(Watchers, QueuedTurnOffIsDroppedWhenNobodyTakesIt) {
  hooks.on_sleep = nullptr;
  core.policy.last_action_request = 1;
  platform::TraceCapture trace;
  EXPECT_TRUE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  EXPECT_FALSE(core.policy.turn_off_pending);
  EXPECT_EQ(hooks.sleeps, static_cast<int>(kTurnOffTakeLimitMs / 200));
  EXPECT_EQ(trace.joined(), "UPS::turn off request dropped\n");

  core.running = false;
  hooks.sleeps = 0;
  EXPECT_TRUE(queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown));
  EXPECT_EQ(hooks.sleeps, 0) << "stopped polling drops it at once";
}

TEST_F(Watchers, EndOfSessionQueuesTheTurnOffOnlyOnce) {
  core.policy.last_action_request = 1;
  on_end_session(core, hooks);
  on_end_session(core, hooks);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(12, "Ручное выключение зафиксированно (1)\n"),
                                        Pair(13, "Активирую выключение ИБП через 90 сек\n")));
}

TEST_F(Watchers, EndOfSessionAfterATurnOffWasSentRecordsNothing) {
  core.policy.turn_off_sent = true;
  on_end_session(core, hooks);
  EXPECT_TRUE(hooks.events.empty());
}

TEST_F(Watchers, WithPollingStoppedOnlyTheEventsAreWritten) {
  core.running = false;
  core.policy.last_action_request = 1;
  on_suspend(core, hooks);
  on_end_session(core, hooks);
  on_resume(core, hooks);
  EXPECT_THAT(hooks.events, ElementsAre(Pair(8, "Переход в спящий режим зафиксирован (1)\n"),
                                        Pair(11, "Выключение зафиксированно (1)\n"),
                                        Pair(18, "Выход из спящего режима зафиксирован\n")));
  EXPECT_FALSE(core.policy.turn_off_pending);
  EXPECT_FALSE(core.policy.suspended);
  EXPECT_EQ(hooks.flushes, 2);
}

}  // namespace
}  // namespace core
