#include "core/client_orders.h"

#include <string>

namespace core {
namespace {

bool starts_a_test(nut::InstantCommand command) {
  return command == nut::InstantCommand::test_battery_start || command == nut::InstantCommand::test_battery_start_deep ||
         command == nut::InstantCommand::test_battery_start_quick;
}

}  // namespace

bool carry_out_order(const nut::InstantCommandRequest& request, OrderHooks& hooks) {
  if (request.command == nut::InstantCommand::beeper_toggle) {
    hooks.want_beeper_toggled();
    return true;
  }
  if (!hooks.ups_link_up()) return false;
  if (request.command == nut::InstantCommand::shutdown_return) {
    hooks.send_configured_turn_off();
    return true;
  }
  if (starts_a_test(request.command)) hooks.flush_statistics();
  hooks.send_ups_command(nut::ups_command_text(request).c_str());
  return true;
}

}  // namespace core
