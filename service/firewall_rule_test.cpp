#include "service/firewall_rule.h"

#include <gtest/gtest.h>

namespace service {
namespace {

nut::NetworkSettings listening(std::vector<nut::ListenLine> lines, bool enabled = true) {
  nut::NetworkSettings settings;
  settings.enabled = enabled;
  settings.listen = std::move(lines);
  return settings;
}

TEST(FirewallRule, OnlyPortsOfLinesBeyondLoopbackWhileTheServerIsOn) {
  using Ports = std::vector<std::uint16_t>;
  EXPECT_EQ(ports_reaching_network(listening(nut::default_listen_lines())), Ports{});
  EXPECT_EQ(ports_reaching_network(listening({{"127.0.0.1", 3493}, {"0.0.0.0", 3493}, {"::", 3493}, {"192.168.1.2", 13493}})),
            (Ports{3493, 13493}));
  EXPECT_EQ(ports_reaching_network(listening({{"0.0.0.0", 3493}}, false)), Ports{}) << "a server that is off";
}

TEST(FirewallRule, TheRuleIsRemovedThenMadeForThisProgramAndItsPorts) {
  const std::string program = "C:\\Program Files\\Orvik UPS\\orvik_ups.exe";
  EXPECT_EQ(firewall_commands({3493, 13493}, program, false),
            (std::vector<std::string>{
                "advfirewall firewall delete rule name=\"Orvik UPS NUT server\"",
                "advfirewall firewall add rule name=\"Orvik UPS NUT server\" dir=in action=allow protocol=TCP "
                "localport=3493,13493 program=\"C:\\Program Files\\Orvik UPS\\orvik_ups.exe\" enable=yes"}));
  EXPECT_EQ(firewall_commands({}, program, false).size(), 1u) << "no ports: removed only";
  EXPECT_EQ(firewall_commands({3493}, program, true),
            (std::vector<std::string>{
                "firewall delete allowedprogram program=\"C:\\Program Files\\Orvik UPS\\orvik_ups.exe\"",
                "firewall add allowedprogram program=\"C:\\Program Files\\Orvik UPS\\orvik_ups.exe\" "
                "name=\"Orvik UPS NUT server\" mode=ENABLE"}));
}

}  // namespace
}  // namespace service
