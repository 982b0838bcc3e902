// The command line's power-action switches: a request handed to the running service through the
// library's `setup` export (command 10) and the shared status block.
#pragma once

#include <cstdint>

namespace service {

// A shared block may outlive its service while a tray application still holds it; no service
// then takes the request, so the wait ends after this long and the request is withdrawn, lest a
// service started later act on it.
inline constexpr std::uint32_t kPowerActionTakeLimitMs = 30000;

// Hands request `code` (1..6) over and returns once the service took it, at once when no service
// runs or the library is missing, or after kPowerActionTakeLimitMs (the request withdrawn).
void send_power_action(std::uint32_t code);

}  // namespace service
