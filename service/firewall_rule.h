// The Windows Firewall rule that lets other computers reach the service's NUT server: one inbound
// rule for orvik_ups.exe and the ports of the listen lines that reach beyond this computer, made
// while the server is on and such a line exists, removed otherwise (and at /uninstall). It is made
// with the system's netsh: from Vista on in its "advfirewall" context, before Vista as an allowed
// program of the older firewall. Pure: the command lines; firewall_rule_win.h runs them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nut/network_settings.h"

namespace service {

inline constexpr char kFirewallRuleName[] = "Orvik UPS NUT server";

// The ports other computers must reach: those of the lines beyond loopback, each once, ascending;
// none while the server is off.
std::vector<std::uint16_t> ports_reaching_network(const nut::NetworkSettings& settings);

// netsh's arguments, in order: the rule removed, then made again when there are ports.
std::vector<std::string> firewall_commands(const std::vector<std::uint16_t>& ports, const std::string& program,
                                           bool before_vista);

}  // namespace service
