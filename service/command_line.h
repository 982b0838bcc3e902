// The command line of orvik_ups: which of its roles one run plays.
//
// The line (the program's arguments, as the system hands them to WinMain) is compared as a whole,
// byte for byte and case-sensitively, with each switch in a fixed order; the first match wins and
// anything else, the empty line included, runs the service. Pure; any thread.
#pragma once

#include <cstdint>

namespace service {

enum class HostMode {
  kReconfigure,      // "/setup"
  kInstallGui,       // "/installGUI": write the tray autostart value
  kUninstallGui,     // "/uninstallGUI": delete it
  kInstall,          // "/install"
  kUninstall,        // "/uninstall"
  kGui,              // "/gui": the tray application in this process
  kApp,              // "/app": tray process plus the monitoring loop in the foreground
  kPowerAction,      // one of the power-action switches
  kService,          // anything else: started by the service control manager
};

struct HostCommand {
  HostMode mode = HostMode::kService;
  std::uint32_t power_request = 0;  // 1..6 for kPowerAction
};

HostCommand parse_command_line(const char* arguments);

}  // namespace service
