#include "service/firewall_rule.h"

#include <algorithm>

namespace service {
namespace {

const std::string kName = std::string("name=\"") + kFirewallRuleName + "\"";

std::string port_list(const std::vector<std::uint16_t>& ports) {
  std::string text;
  for (const std::uint16_t port : ports) text += (text.empty() ? "" : ",") + std::to_string(port);
  return text;
}

}  // namespace

std::vector<std::uint16_t> ports_reaching_network(const nut::NetworkSettings& settings) {
  std::vector<std::uint16_t> ports;
  if (!settings.enabled) return ports;
  for (const nut::ListenLine& line : settings.listen)
    if (nut::reaches_network(line)) ports.push_back(line.port);
  std::sort(ports.begin(), ports.end());
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

std::vector<std::string> firewall_commands(const std::vector<std::uint16_t>& ports, const std::string& program,
                                           bool before_vista) {
  const std::string quoted_program = "program=\"" + program + "\"";
  if (before_vista) {
    std::vector<std::string> commands{"firewall delete allowedprogram " + quoted_program};
    if (!ports.empty()) commands.push_back("firewall add allowedprogram " + quoted_program + " " + kName + " mode=ENABLE");
    return commands;
  }
  std::vector<std::string> commands{"advfirewall firewall delete rule " + kName};
  if (!ports.empty())
    commands.push_back("advfirewall firewall add rule " + kName + " dir=in action=allow protocol=TCP localport=" +
                       port_list(ports) + " " + quoted_program + " enable=yes");
  return commands;
}

}  // namespace service
