#include "core/ups_operations.h"

#include "link/beeper.h"
#include "link/command_sender.h"
#include "link/commands.h"
#include "link/turn_off_command.h"
#include "link/ups_status.h"
#include "platform/debug_trace.h"
#include "platform/side_effects.h"

namespace core {

void reconcile_beeper(ups_link::UpsTransport& link, const CoreSettings& settings, std::uint32_t status_bits) {
  platform::LocalTime now = platform::side_effects().local_time();
  ups_link::BeeperDecision decision = ups_link::decide_beeper(settings, now.hour * 60 + now.minute, status_bits);
  if (!decision.toggle) return;
  debug_trace(" UPS::beep status UPS:%d, needed:%d, isToggle:%d\n",
              (status_bits & ups_link::STATUS_BEEPER_ON) ? 1 : 0, decision.needed ? 1 : 0, 1);
  debug_trace(" UPS::beep toggle command sending...\n");
  ups_link::send_command(link, ups_link::kBeeperToggleCommand);
  debug_trace(" UPS::beep toggle command sent OK\n");
}

void SharedBeeper::after_answer(ups_link::UpsTransport& link, const CoreSettings& settings,
                                std::uint32_t status_bits) {
  platform::LocalTime now = platform::side_effects().local_time();
  ups_link::BeeperDecision decision = ups_link::decide_beeper(settings, now.hour * 60 + now.minute, status_bits);
  const bool changed = wanted_ && *wanted_ != decision.needed;
  wanted_ = decision.needed;
  if (!changed || !decision.toggle) return;
  debug_trace(" UPS::beep wanted %s: the served UPS's beeper is toggled\n", decision.needed ? "on" : "off");
  ups_link::send_command(link, ups_link::kBeeperToggleCommand);
}

void send_turn_off(MonitorCore& core, ups_link::UpsTransport& link, const TurnOffRequest& request) {
  if (!link.controls_ups_output()) {
    debug_trace(" UPS::turn-off not sent: the UPS is served by another computer, whose primary alone switches it off\n");
    return;
  }
  platform::SideEffects& effects = platform::side_effects();
  if (ups_link::turn_off_suppressed(request.turn_off_blocked, effects.ctrl_key_down())) return;
  ups_link::TurnOffInputs inputs;
  inputs.delay_seconds = request.delay_seconds;
  inputs.turn_ups_on_enable = core.settings.turn_ups_on_enable;
  inputs.turn_ups_on_wait = core.settings.turn_ups_on_wait;
  inputs.turn_off_pending = core.policy.turn_off_pending;
  inputs.last_status_bits = request.last_status_bits;
  inputs.vendor = request.vendor;
  ups_link::TurnOffCommand command = ups_link::build_turn_off_command(inputs);

  ups_link::send_command(link, command.text.c_str());
  core.policy.turn_off_sent = true;
  effects.beep(700, 500);
  debug_trace(" UPS::cmd %s delay %d sec\n", command.text.c_str(), static_cast<int>(command.delay_seconds));
}

void cancel_pending_turn_off(ups_link::UpsTransport& link, bool after_power_action) {
  if (!link.controls_ups_output()) return;
  debug_trace(after_power_action ? " UPS::force reset shutdown UPS...isResetShutdownNeeded=1"
                                 : " UPS::force reset shutdown UPS...");
  ups_link::send_command(link, ups_link::kCancelTurnOffCommand);
  debug_trace("OK\n");
}

}  // namespace core
