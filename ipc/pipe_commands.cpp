#include "ipc/pipe_commands.h"

#include <string>

#include "ipc/pipe_rights.h"
#include "ipc/settings_message.h"
#include "link/commands.h"

namespace ipc {
namespace {

// The size each command of the table arrives with; 0 for codes the service does not take.
std::uint32_t expected_size(std::uint32_t cmd) {
  switch (cmd) {
    case MSG_SETTINGS: return kSettingsMessageSize;
    case MSG_POWER_ACTION:
    case MSG_TEST_MINUTES:
    case MSG_BLOCK_ACTION:
    case MSG_BLOCK_TURN_OFF: return kPipeWordMessageSize;
    case MSG_STAT_RELOAD:
    case MSG_STAT_FLUSH:
    case MSG_TEST_CANCEL:
    case MSG_TEST_SHORT:
    case MSG_TEST_UNTIL_LOW: return kPipeHeaderSize;
    default: return 0;
  }
}

std::string battery_test_command(const PipeMessage& message) {
  switch (message.cmd) {
    case MSG_TEST_CANCEL: return ups_link::kCancelTestCommand;
    case MSG_TEST_SHORT: return ups_link::kShortTestCommand;
    case MSG_TEST_MINUTES: return ups_link::timed_test_command(message.payload_word());
    default: return ups_link::kTestUntilLowCommand;
  }
}

// Battery tests: only while the UPS answers; the statistics are flushed before a test starts so
// that the files hold everything up to the moment the UPS leaves the mains.
void run_battery_test_command(const PipeMessage& message, PipeCommandHandler& handler) {
  if (!handler.ups_link_up()) return;
  if (message.cmd != MSG_TEST_CANCEL) handler.flush_statistics();
  handler.send_ups_command(battery_test_command(message).c_str());
}

bool taken_by_service(const PipeMessage& message) {
  return expected_size(message.cmd) != 0 && message.size == expected_size(message.cmd);
}

// Requests that need a right are answered either way, so that the asking side learns the outcome.
PipeReply reply_after(const PipeMessage& message, PipeReply executed) {
  return executed == PipeReply::none && rights_needed(message) != 0 ? PipeReply::answer : executed;
}

}  // namespace

PipeOutcome serve_pipe_message(const PipeMessage& message, PipeCaller& caller, PipeCommandHandler& handler) {
  if (!taken_by_service(message)) return {};
  const std::uint32_t needed = rights_needed(message);
  if (needed != 0) {
    if (const std::uint32_t missing = missing_rights(needed, caller.held_rights())) {
      handler.request_refused(caller.account(), message.cmd, missing);
      return {PipeReply::answer, missing};
    }
  }
  return {reply_after(message, execute_pipe_message(message, handler)), 0};
}

PipeReply execute_pipe_message(const PipeMessage& message, PipeCommandHandler& handler) {
  if (!taken_by_service(message)) return PipeReply::none;
  switch (message.cmd) {
    case MSG_SETTINGS: {
      SettingsRecord record;
      settings_record_from(message, record);
      handler.replace_settings(core_settings_from(record));
      return PipeReply::none;
    }
    case MSG_STAT_RELOAD:
      handler.reload_statistics_config();
      return PipeReply::none;
    case MSG_STAT_FLUSH:
      handler.flush_statistics();
      return PipeReply::stat_flushed;
    case MSG_POWER_ACTION:
      handler.start_power_action(message.payload_word());
      return PipeReply::none;
    case MSG_BLOCK_ACTION:
      handler.set_action_blocked(message.payload_word() != 0);
      return PipeReply::none;
    case MSG_BLOCK_TURN_OFF:
      handler.set_turn_off_blocked(message.payload_word() != 0);
      return PipeReply::none;
    default:
      run_battery_test_command(message, handler);
      return PipeReply::none;
  }
}

}  // namespace ipc
