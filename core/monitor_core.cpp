#include "core/monitor_core.h"

#include <cstring>

namespace core {

void MonitorCore::reset() {
  current_state = 0;
  waiter_state = 0;
  running = true;
  link_lost = false;
  cancel_requested = false;
  power_failure_seen = false;
  last_change_time = 0;
  served_ups = false;
  server_forced_shutdown = false;
  forced_by_network = false;
  settings = CoreSettings{};
  model = ModelRecord{};
  std::strcpy(query_command, "Q1\r");
  previous_avr_bit = false;
  previous_utility_fail_bit = false;
  policy.turn_off_pending = false;
  policy.turn_off_delay = 0;
  policy.turn_off_sent = false;
  policy.reset_turn_off_needed = false;
  policy.last_action_request = 0;
  policy.suspended = false;
  policy.end_session_seen = false;
}

}  // namespace core
