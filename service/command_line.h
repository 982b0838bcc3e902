// The command line of orvik_ups: which of its roles one run plays.
//
// The line (the program's arguments, as the system hands them to WinMain) is compared as a whole,
// byte for byte and case-sensitively, with each switch in a fixed order; the first match wins and
// anything else, the empty line included, runs the service. The one exception is "/install"
// followed by a blank: the rest of the line is then the setup dialog's choice (see
// parse_command_line). Pure; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace service {

enum class HostMode {
  kReconfigure,      // "/setup"
  kInstallGui,       // "/installGUI": write the tray autostart value
  kUninstallGui,     // "/uninstallGUI": delete it
  kInstall,          // "/install"
  kInstallGiven,     // "/install" with the dialog's choice on the line: no dialog, nothing shown
  kInstallRefused,   // "/install" followed by something that is not a complete choice: nothing done
  kUninstall,        // "/uninstall"
  kGui,              // "/gui": the tray application in this process
  kApp,              // "/app": tray process plus the monitoring loop in the foreground
  kStatistics,       // "/statistics": the statistics sheet of this session's tray application
  kPowerAction,      // one of the power-action switches
  kService,          // anything else: started by the service control manager
};

// What the administrator would pick on the setup dialog.
struct CommandLineChoice {
  std::string vendor;
  std::string model;
  std::string port;  // as the dialog lists it: "USB", "COM1" … "COM9"
  bool tray_autostart = false;
};

struct HostCommand {
  HostMode mode = HostMode::kService;
  std::uint32_t power_request = 0;  // 1..6 for kPowerAction
  CommandLineChoice choice;         // for kInstallGiven
};

// "/install /vendor:V /model:M /port:P [/tray]" selects kInstallGiven: the options in any order,
// each once, separated by blanks; double quotes group blanks into a value and are dropped
// ("/model:Varnelo 600" in quotes, or /model:"Varnelo 600"). Vendor and model are taken as they
// are (the library checks them against its lists); the port is matched ignoring case and stored as
// listed. Option names are compared exactly. Any other text after "/install " is kInstallRefused,
// so that a mistyped unattended installation neither shows a dialog nor runs as the service.
HostCommand parse_command_line(const char* arguments);

}  // namespace service
