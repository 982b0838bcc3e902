#include "ipc/pipe_commands.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "ipc/pipe_rights.h"
#include "ipc/settings_message.h"
#include "ipc/test_recording_core.h"

namespace ipc {
namespace {

using testing::CallerWithRights;
using testing::Calls;
using testing::RecordingCore;

SettingsRecord settings_with_led(std::int8_t led_choice) {
  SettingsRecord record;
  record.key_led_enable = 1;
  record.key_led_num = led_choice;
  return record;
}

TEST(PipeSettings, EveryFieldReachesTheCoreSettings) {
  SettingsRecord record = settings_with_led(1);
  record.shutdown_on_cap_battery_enable = 1;
  record.shutdown_on_cap_battery_wait = 30;
  record.shutdown_on_u_battery_enable = 1;
  record.shutdown_on_u_battery_wait = 110;
  record.signal_enable = 1;
  record.signal_time_enable = 1;
  record.signal_window_start = 1320;
  record.signal_window_end = 420;
  record.turn_ups_on_enable = 1;
  record.turn_ups_on_wait = 5;
  record.wait_ba_enable = -1;
  record.wait_ba_wait = 0x01020304;  // unaligned on the wire
  RecordingCore core;
  EXPECT_EQ(execute_pipe_message(to_message(record), core), PipeReply::none);

  ASSERT_EQ(core.calls, Calls{"settings"});
  const core::CoreSettings& s = core.settings;
  EXPECT_EQ(s.shutdown_on_cap_battery_enable, 1u);
  EXPECT_EQ(s.shutdown_on_cap_battery_wait, 30u);
  EXPECT_EQ(s.shutdown_on_u_battery_enable, 1u);
  EXPECT_EQ(s.shutdown_on_u_battery_wait, 110u);
  EXPECT_EQ(s.signal_enable, 1u);
  EXPECT_EQ(s.signal_time_enable, 1u);
  EXPECT_EQ(s.signal_window_start, 1320);
  EXPECT_EQ(s.signal_window_end, 420);
  EXPECT_EQ(s.turn_ups_on_enable, 1u);
  EXPECT_EQ(s.turn_ups_on_wait, 5u);
  EXPECT_EQ(s.key_led_enable, 1u);
  EXPECT_EQ(s.key_led_mask, 2u);
  EXPECT_EQ(s.wait_ba_enable, 0xFFFFFFFFu) << "signed bytes are widened with their sign";
  EXPECT_EQ(s.wait_ba_wait, 120u) << "limited like the page's up-down";
  SettingsRecord read_back;
  ASSERT_TRUE(settings_record_from(to_message(record), read_back));
  const std::uint32_t on_the_wire = read_back.wait_ba_wait;  // a packed field: copied, never bound
  EXPECT_EQ(on_the_wire, 0x01020304u);
}

// Another process writes the record: every number is limited to what the settings page allows,
// so no wait or time computed from it can wrap around.
TEST(PipeSettings, NumbersAreLimitedToTheSettingsPageRanges) {
  struct Case {
    std::uint32_t wire;
    std::int32_t minute;
    std::uint32_t capacity, tenths, restore, wait_ba;
    std::int32_t window;
  };
  const Case cases[] = {
      {0, 0, 0, 50, 1, 0, 0},
      {4294967, 1439, 100, 1000, 9999, 120, 1439},
      {0xFFFFFFFF, -1, 100, 1000, 9999, 120, 0},
      {0x80000000, INT32_MIN, 100, 1000, 9999, 120, 0},
      {75, 1440, 75, 75, 75, 75, 1439},
  };
  for (const Case& c : cases) {
    SettingsRecord record;
    record.shutdown_on_cap_battery_wait = record.shutdown_on_u_battery_wait = c.wire;
    record.turn_ups_on_wait = record.wait_ba_wait = c.wire;
    record.signal_window_start = record.signal_window_end = c.minute;
    const core::CoreSettings s = core_settings_from(record);
    EXPECT_EQ(s.shutdown_on_cap_battery_wait, c.capacity) << c.wire;
    EXPECT_EQ(s.shutdown_on_u_battery_wait, c.tenths) << c.wire;
    EXPECT_EQ(s.turn_ups_on_wait, c.restore) << c.wire;
    EXPECT_EQ(s.wait_ba_wait, c.wait_ba) << c.wire;
    EXPECT_EQ(s.signal_window_start, c.window) << c.minute;
    EXPECT_EQ(s.signal_window_end, c.window) << c.minute;
  }
}

TEST(PipeSettings, LedChoiceBecomesTheIndicatorFlag) {
  struct Case {
    std::int8_t choice;
    std::uint32_t flag;
  };
  for (Case c : {Case{0, 1}, Case{1, 2}, Case{2, 4}, Case{7, 0}, Case{-1, 0}}) {
    RecordingCore core;
    execute_pipe_message(to_message(settings_with_led(c.choice)), core);
    EXPECT_EQ(core.settings.key_led_mask, c.flag) << "LED choice " << int{c.choice};
  }
}

TEST(PipeCommands, MessagesOfTheWrongSizeOrForTheGuiAreIgnored) {
  PipeMessage short_settings = to_message(SettingsRecord{});
  short_settings.size = 54;
  PipeMessage flush_with_payload = make_pipe_message(MSG_STAT_FLUSH, 1);
  PipeMessage action_without_code = make_pipe_message(MSG_POWER_ACTION);
  RecordingCore core;
  for (const PipeMessage& m :
       {short_settings, flush_with_payload, action_without_code, make_pipe_message(MSG_CLOSE),
        make_pipe_message(MSG_STAT_FLUSHED), make_pipe_message(MSG_ANSWER, 6), make_pipe_message(0),
        make_pipe_message(14), make_pipe_message(MSG_BLOCK_ACTION)})
    EXPECT_EQ(execute_pipe_message(m, core), PipeReply::none);
  EXPECT_TRUE(core.calls.empty());
}

TEST(PipeCommands, StatisticsCommandsAndTheFlushAnswer) {
  RecordingCore core;
  EXPECT_EQ(execute_pipe_message(make_pipe_message(MSG_STAT_RELOAD), core), PipeReply::none);
  EXPECT_EQ(execute_pipe_message(make_pipe_message(MSG_STAT_FLUSH), core), PipeReply::stat_flushed);
  EXPECT_EQ(core.calls, (Calls{"reload", "flush"}));
}

TEST(PipeCommands, PowerActionPassesItsCodeEvenWithTheLinkLost) {
  RecordingCore core;
  core.link_up = false;
  execute_pipe_message(make_pipe_message(MSG_POWER_ACTION, 4), core);
  EXPECT_EQ(core.calls, Calls{"action 4"});
}

TEST(PipeCommands, BatteryTestsFlushFirstExceptTheCancel) {
  RecordingCore core;
  execute_pipe_message(make_pipe_message(MSG_TEST_CANCEL), core);
  execute_pipe_message(make_pipe_message(MSG_TEST_SHORT), core);
  execute_pipe_message(make_pipe_message(MSG_TEST_MINUTES, 5), core);
  execute_pipe_message(make_pipe_message(MSG_TEST_UNTIL_LOW), core);
  EXPECT_EQ(core.calls,
            (Calls{"send CT\r", "flush", "send T\r", "flush", "send T05\r", "flush", "send TL\r"}));
}

TEST(PipeCommands, BatteryTestsAreDroppedWhileTheLinkIsLost) {
  RecordingCore core;
  core.link_up = false;
  for (std::uint32_t cmd : {MSG_TEST_CANCEL, MSG_TEST_SHORT, MSG_TEST_UNTIL_LOW})
    execute_pipe_message(make_pipe_message(cmd), core);
  execute_pipe_message(make_pipe_message(MSG_TEST_MINUTES, 5), core);
  EXPECT_TRUE(core.calls.empty());
}

}  // namespace
}  // namespace ipc

namespace ipc {
namespace {

TEST(PipeCommands, ProtectionSwitchesAreSetByAnyNonZeroWord) {
  RecordingCore core;
  for (std::uint32_t word : {1u, 0u, 7u}) {
    execute_pipe_message(make_pipe_message(MSG_BLOCK_ACTION, word), core);
    execute_pipe_message(make_pipe_message(MSG_BLOCK_TURN_OFF, word), core);
  }
  EXPECT_EQ(core.calls, (Calls{"block action 1", "block turn-off 1", "block action 0", "block turn-off 0",
                               "block action 1", "block turn-off 1"}));
}

// Every request the service takes, what it needs, and what it does once allowed.
struct Request {
  PipeMessage message;
  std::uint32_t needed;
  Calls done;
};

std::vector<Request> every_request() {
  return {
      {to_message(SettingsRecord{}), kRightAdministrators, {"settings"}},
      {make_pipe_message(MSG_STAT_RELOAD), kRightAdministrators, {"reload"}},
      {make_pipe_message(MSG_POWER_ACTION, 0), kAllRights, {"action 0"}},  // UPS output off as well
      {make_pipe_message(MSG_POWER_ACTION, 1), kAllRights, {"action 1"}},
      {make_pipe_message(MSG_POWER_ACTION, 2), kRightShutdown, {"action 2"}},
      {make_pipe_message(MSG_POWER_ACTION, 3), kRightShutdown, {"action 3"}},
      {make_pipe_message(MSG_POWER_ACTION, 4), kRightShutdown, {"action 4"}},
      {make_pipe_message(MSG_POWER_ACTION, 5), kRightShutdown, {"action 5"}},
      {make_pipe_message(MSG_POWER_ACTION, 6), kAllRights, {"action 6"}},  // ignored by the core, still guarded
      {make_pipe_message(MSG_POWER_ACTION, 0xFFFFFFFF), kAllRights, {"action 4294967295"}},
      {make_pipe_message(MSG_TEST_CANCEL), kRightAdministrators, {"send CT\r"}},
      {make_pipe_message(MSG_TEST_SHORT), kRightAdministrators, {"flush", "send T\r"}},
      {make_pipe_message(MSG_TEST_MINUTES, 3), kRightAdministrators, {"flush", "send T03\r"}},
      {make_pipe_message(MSG_TEST_UNTIL_LOW), kRightAdministrators, {"flush", "send TL\r"}},
      {make_pipe_message(MSG_BLOCK_ACTION, 1), kRightAdministrators, {"block action 1"}},
      {make_pipe_message(MSG_BLOCK_TURN_OFF, 1), kRightAdministrators, {"block turn-off 1"}},
  };
}

TEST(PipeAuthorisation, ARequestIsCarriedOutOnlyWithEveryRightItNeeds) {
  for (const Request& request : every_request()) {
    const std::string name = request.done.back();
    EXPECT_EQ(rights_needed(request.message), request.needed) << name;
    for (std::uint32_t held : {0u, kRightShutdown, kRightAdministrators, kAllRights}) {
      SCOPED_TRACE(name + ", held " + std::to_string(held));
      RecordingCore core;
      CallerWithRights caller(held);
      const PipeOutcome outcome = serve_pipe_message(request.message, caller, core);
      const std::uint32_t missing = request.needed & ~held;
      EXPECT_EQ(outcome.reply, PipeReply::answer) << "the asking side learns the outcome either way";
      EXPECT_EQ(outcome.missing, missing);
      const std::string refused = "refused " + std::to_string(request.message.cmd) + " by HOST\\user lacking " +
                                  std::to_string(missing);
      EXPECT_EQ(core.calls, missing ? Calls{refused} : request.done)
          << "a refused request does nothing, not even the flush before a battery test";
    }
  }
}

TEST(PipeAuthorisation, FlushAndMessagesTheServiceDoesNotTakeNeverAskWhoSentThem) {
  RecordingCore core;
  CallerWithRights nobody(0);
  EXPECT_EQ(serve_pipe_message(make_pipe_message(MSG_STAT_FLUSH), nobody, core).reply, PipeReply::stat_flushed);
  PipeMessage short_action = make_pipe_message(MSG_POWER_ACTION);
  for (const PipeMessage& m : {short_action, make_pipe_message(MSG_CLOSE), make_pipe_message(MSG_ANSWER, 1),
                               make_pipe_message(MSG_BLOCK_ACTION), make_pipe_message(99)}) {
    EXPECT_EQ(serve_pipe_message(m, nobody, core).reply, PipeReply::none) << m.cmd;
  }
  EXPECT_EQ(core.calls, Calls{"flush"});
  EXPECT_EQ(nobody.asked, 0);
}

TEST(PipeAuthorisation, TheAnswerCarriesTheCommandAndWhatWasMissing) {
  const PipeMessage answer = make_answer(MSG_POWER_ACTION, kAllRights);
  EXPECT_EQ(answer.size, kPipeAnswerSize);
  EXPECT_EQ(answer.cmd, MSG_ANSWER);
  EXPECT_EQ(answer.payload_word(0), MSG_POWER_ACTION);
  EXPECT_EQ(answer.payload_word(1), kAllRights);
}

TEST(PipeRights, TheRefusalNamesWhatIsMissing) {
  EXPECT_EQ(refusal_text(kRightAdministrators), "Служба ИБП отклонила запрос: нужны права администратора.");
  EXPECT_EQ(refusal_text(kRightShutdown), "Служба ИБП отклонила запрос: нужно право завершения работы.");
  EXPECT_EQ(refusal_text(kAllRights),
            "Служба ИБП отклонила запрос: нужны права администратора и право завершения работы.");
}

}  // namespace
}  // namespace ipc
