#include "core/ups_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ups_status.h"
#include "platform/test_side_effects.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

// A UPS that takes every command silently and remembers it.
class SilentUps : public ups_link::UpsTransport {
 public:
  std::string command_reply(const char* command) override {
    sent.emplace_back(command);
    return "";
  }
  std::vector<std::string> sent;
};

class UpsOperations : public ::testing::Test {
 protected:
  platform::RecordingSideEffects effects;
  SilentUps ups;
  MonitorCore core;
};

TEST_F(UpsOperations, BeeperIsToggledOnlyWhenItDisagreesWithTheWindow) {
  core.settings.signal_enable = 1;
  core.settings.signal_time_enable = 1;
  core.settings.signal_window_start = 22 * 60;
  core.settings.signal_window_end = 7 * 60;
  effects.now.hour = 23;
  effects.now.minute = 30;
  platform::TraceCapture trace;
  reconcile_beeper(ups, core.settings, ups_link::STATUS_BEEPER_ON);
  EXPECT_TRUE(ups.sent.empty()) << "wanted and on";
  reconcile_beeper(ups, core.settings, 0);
  EXPECT_EQ(ups.sent, std::vector<std::string>{"Q\r"});
  EXPECT_EQ(trace.joined(),
            " UPS::beep status UPS:0, needed:1, isToggle:1\n UPS::beep toggle command sending...\n"
            " UPS::beep toggle command sent OK\n");
  effects.now.hour = 12;
  reconcile_beeper(ups, core.settings, ups_link::STATUS_BEEPER_ON);
  EXPECT_EQ(ups.sent.size(), 2u) << "on outside the window: switched off";
}

TEST_F(UpsOperations, TurnOffIsSentWithToneAndLogAndMarkedSent) {
  core.settings.turn_ups_on_enable = 1;
  core.settings.turn_ups_on_wait = 5;
  platform::TraceCapture trace;
  send_turn_off(core, ups, {30, 0, "Lunem", ups_link::STATUS_UTILITY_FAIL});
  EXPECT_EQ(ups.sent, std::vector<std::string>{"S.5R0005\r"});
  EXPECT_TRUE(core.policy.turn_off_sent);
  ASSERT_EQ(effects.beeps.size(), 1u);
  EXPECT_EQ(effects.beeps[0], (std::pair<std::uint32_t, std::uint32_t>(700, 500)));
  EXPECT_EQ(trace.joined(), " UPS::cmd S.5R0005\r delay 30 sec\n");
}

TEST_F(UpsOperations, QueuedTurnOffOnMainsCarriesNoRestoreTime) {
  core.settings.turn_ups_on_enable = 1;
  core.settings.turn_ups_on_wait = 5;
  core.policy.turn_off_pending = true;
  send_turn_off(core, ups, {120, 0, "Orvik", 0});
  EXPECT_EQ(ups.sent, std::vector<std::string>{"S02R0000\r"});
}

TEST_F(UpsOperations, BlockedSwitchOrCtrlKeySendNothing) {
  send_turn_off(core, ups, {120, 1, "Orvik", 0});
  effects.ctrl_down = true;
  send_turn_off(core, ups, {120, 0, "Orvik", 0});
  EXPECT_TRUE(ups.sent.empty());
  EXPECT_FALSE(core.policy.turn_off_sent);
  EXPECT_TRUE(effects.beeps.empty());
}

// A UPS another computer serves: nothing that switches its output, ever.
class ServedUps : public SilentUps {
 public:
  bool controls_ups_output() const override { return false; }
};

TEST_F(UpsOperations, NeitherTurnOffNorItsCancelGoesToAServedUps) {
  ServedUps served;
  platform::TraceCapture trace;
  send_turn_off(core, served, {120, 0, "Orvik", ups_link::STATUS_UTILITY_FAIL});
  core.policy.turn_off_pending = true;
  send_turn_off(core, served, {120, 0, "Orvik", 0});
  cancel_pending_turn_off(served, false);
  cancel_pending_turn_off(served, true);
  EXPECT_TRUE(served.sent.empty());
  EXPECT_FALSE(core.policy.turn_off_sent);
  EXPECT_TRUE(effects.beeps.empty());
  EXPECT_TRUE(trace.contains(" UPS::turn-off not sent: the UPS is served by another computer"));
}

TEST_F(UpsOperations, ASharedBeeperIsToggledOnlyWhenThisComputersWishChanges) {
  SharedBeeper beeper;
  effects.now.hour = 12;
  CoreSettings on = core.settings;
  on.signal_enable = 1;
  CoreSettings off = core.settings;
  off.signal_enable = 0;
  struct Step {
    const char* what;
    const CoreSettings& settings;
    std::uint32_t bits;
    std::size_t sent_after;
  };
  const Step steps[] = {
      {"first answer: the wish is only noted", off, ups_link::STATUS_BEEPER_ON, 0},
      {"someone else's beeper stays as it is", off, ups_link::STATUS_BEEPER_ON, 0},
      {"wanted on, and it is on: nothing", on, ups_link::STATUS_BEEPER_ON, 0},
      {"wanted off, and it is on: one toggle", off, ups_link::STATUS_BEEPER_ON, 1},
      {"the server still shows it on: no second toggle", off, ups_link::STATUS_BEEPER_ON, 1},
      {"wanted on again while off: one toggle", on, 0, 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    beeper.after_answer(ups, step.settings, step.bits);
    EXPECT_EQ(ups.sent.size(), step.sent_after);
  }
  EXPECT_EQ(ups.sent, (std::vector<std::string>{"Q\r", "Q\r"}));
}

TEST_F(UpsOperations, CancelCarriesTheLogLinesOfItsCaller) {
  platform::TraceCapture trace;
  cancel_pending_turn_off(ups, false);
  cancel_pending_turn_off(ups, true);
  EXPECT_EQ(ups.sent, (std::vector<std::string>{"C\r", "C\r"}));
  EXPECT_EQ(trace.joined(),
            " UPS::force reset shutdown UPS...OK\n UPS::force reset shutdown UPS...isResetShutdownNeeded=1OK\n");
}

}  // namespace
}  // namespace core
