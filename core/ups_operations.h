// The commands the monitoring core sends on its own initiative, with their log lines: the beeper
// toggle that keeps the UPS beeper as the settings want it, the delayed turn-off of the UPS
// output, and the cancel of a turn-off the UPS may still hold.
//
// Called on the query thread (or by UPSInit and UPSTurnOff while no query thread runs), which is
// the only user of the transport at that moment.
#pragma once

#include <cstdint>
#include <optional>

#include "core/monitor_core.h"
#include "link/ups_transport.h"

namespace core {

// Toggles the UPS beeper ("Q\r") when its bit disagrees with the settings at this local time.
void reconcile_beeper(ups_link::UpsTransport& link, const CoreSettings& settings, std::uint32_t status_bits);

// The beeper of a UPS another computer serves: several computers share it, and the beeper bit the
// server reports may lag a toggle by a poll or more. So it is toggled only when this computer's
// wish changes (the settings, or the beeper window's edge) and the bit disagrees at that moment,
// never to undo what the server's primary or another computer chose, and never twice in a row
// for one change. The first answered cycle only notes the wish.
class SharedBeeper {
 public:
  void after_answer(ups_link::UpsTransport& link, const CoreSettings& settings, std::uint32_t status_bits);

 private:
  std::optional<bool> wanted_;
};

// What the turn-off needs besides the core's own state.
struct TurnOffRequest {
  std::uint32_t delay_seconds = 0;
  std::uint32_t turn_off_blocked = 0;   // the tray's switch in the shared block
  const char* vendor = "";              // the vendor name in the shared block
  std::uint32_t last_status_bits = 0;   // of the last poll
};

// Sends the turn-off unless the tray blocks it or Ctrl is held down; marks it sent and sounds a
// tone. The restore time depends on whether the policy queued it (core.policy.turn_off_pending).
// Never over a link whose UPS output belongs to another computer: a trace line says so instead.
void send_turn_off(MonitorCore& core, ups_link::UpsTransport& link, const TurnOffRequest& request);

// Sends "C\r" with the log lines of UPSInit (`after_power_action` false) or of the polling loop
// after a standby or hibernation; not over a link whose UPS output belongs to another computer.
void cancel_pending_turn_off(ups_link::UpsTransport& link, bool after_power_action);

}  // namespace core
