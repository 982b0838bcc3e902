// The command line's power-action switches: a request to the running service over its pipe, in
// this program's own name. The service decides by this program's token whether it may ask; a
// refusal, or any other reason the request was not carried out, is written to the standard error.
#pragma once

#include <cstdint>

namespace service {

// The service answers at its next polling cycle; a service that does not answer within this long
// is taken for one that will not.
inline constexpr std::uint32_t kPowerActionAnswerLimitMs = 30000;

// Sends request `code` (1..6) and waits for the service's answer; the program's exit code
// (power_switch.h).
int send_power_action(std::uint32_t code);

}  // namespace service
