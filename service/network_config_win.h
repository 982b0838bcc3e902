// The "/network…" switches of orvik_ups carried out on the registry key "Network": every change
// makes the key when missing and closes it to all but SYSTEM and the Administrators again (it holds
// passwords); turning the server on or off and changing its listen lines also makes or removes
// its firewall rule. The outcome goes to the output and error streams; the result is the exit code.
//
// The program's one thread.
#pragma once

#include "service/network_switches.h"

namespace service {

int run_network_switch(const NetworkCommand& command);

// At an installation: a key copied back from an earlier one (reg.exe import) is closed again, and
// the firewall rule made for what it says.
void take_over_network_key();

// At the removal: the firewall rule goes.
void remove_firewall_rule();

}  // namespace service
