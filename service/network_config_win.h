// The "/network…" switches of orvik_ups carried out on the registry key "Network": every change
// makes the key when missing and closes it to all but SYSTEM and the Administrators again (it holds
// passwords). The outcome goes to the output and error streams; the result is the exit code.
//
// The program's one thread.
#pragma once

#include "service/network_switches.h"

namespace service {

int run_network_switch(const NetworkCommand& command);

// After an installation: a key copied back from an earlier one (reg.exe import) is closed again.
void protect_network_key_if_present();

}  // namespace service
