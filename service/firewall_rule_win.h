// The NUT server's firewall rule (firewall_rule.h) made or removed with the system's netsh.exe,
// each command waited for; failures go to the debug trace (Wine has no firewall: its netsh does
// nothing). The program's one thread.
#pragma once

#include "nut/network_settings.h"

namespace service {

// Makes the rule for what `settings` listen on, or removes it when nothing reaches the network.
void apply_firewall_rule(const nut::NetworkSettings& settings);

}  // namespace service
