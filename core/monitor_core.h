// MonitorCore: the process-wide state of the monitoring core, shared by the host's thread, the
// query thread, the monitor window thread and the power-action threads.
//
// Every field that crosses threads is a single atomic word written by one side and read by the
// others; no operation needs two of them to change together, so there is no lock. The settings
// and the model are replaced only on the query thread (settings messages arrive there) and read
// elsewhere word by word. The Win32 objects of the running core live in monitor_core_win.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/core_settings.h"
#include "core/model_record.h"

namespace core {

// Flags of the power-failure policy (watchers, power-action threads and the query thread).
struct PolicyFlags {
  std::atomic<bool> turn_off_pending{false};
  std::atomic<std::uint32_t> turn_off_delay{0};  // seconds
  std::atomic<bool> turn_off_sent{false};
  std::atomic<bool> reset_turn_off_needed{false};
  std::atomic<std::uint32_t> last_action_request{0};  // 1..6, 0 when none
  std::atomic<bool> suspended{false};
  std::atomic<bool> end_session_seen{false};
};

struct MonitorCore {
  std::atomic<std::uint32_t> current_state{0};
  std::atomic<std::uint32_t> waiter_state{0};
  std::atomic<bool> running{true};
  std::atomic<bool> link_lost{false};
  std::atomic<bool> cancel_requested{false};
  std::atomic<bool> power_failure_seen{false};
  std::atomic<std::uint32_t> last_change_time{0};  // process clock, ms
  // A permitted network client ordered a forced shutdown: the critical point, whatever the UPS says.
  std::atomic<bool> forced_by_network{false};

  // Set by UPSInit before any other thread runs: the UPS is one that another computer serves over
  // the network. Its output is that computer's to switch off, never this one's; and a lost link is
  // only that, never mains back (on the cable a link lost during a failure counts as mains back,
  // so that the host starts its count afresh).
  bool served_ups = false;
  // The server of a UPS followed over the network has ordered every computer down (FSD).
  std::atomic<bool> server_forced_shutdown{false};

  CoreSettings settings;
  ModelRecord model;
  char query_command[4] = "Q1\r";

  // Edge detectors of the query thread.
  bool previous_avr_bit = false;
  bool previous_utility_fail_bit = false;

  PolicyFlags policy;

  // Back to the state of a freshly loaded library, for a new UPSInit in the same process.
  void reset();
};

}  // namespace core
