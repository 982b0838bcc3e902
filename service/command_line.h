// The command line of orvik_ups: which of its roles one run plays.
//
// The line (the program's arguments in UTF-8, without the program's name) is compared as a whole,
// byte for byte and case-sensitively, with each switch in a fixed order; the first match wins and
// anything else, the empty line included, runs the service. The exceptions take values: "/install"
// followed by a blank and the setup dialog's choice, "/event:NN" with a command, "/eventwait:N"
// (see parse_command_line), and the switches of the NUT server's settings, "/network…"
// (network_switches.h). Pure; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/network_switches.h"

namespace service {

enum class HostMode {
  kReconfigure,      // "/setup"
  kInstallGui,       // "/installGUI": write the tray autostart value
  kUninstallGui,     // "/uninstallGUI": delete it
  kInstall,          // "/install"
  kInstallGiven,     // "/install" with the dialog's choice on the line: no dialog, nothing shown
  kInstallRefused,   // "/install" followed by something that is not a complete choice: nothing done
  kCheckGiven,       // the same line with "/check": only whether it would be taken, nothing done
  kUninstall,        // "/uninstall"
  kGui,              // "/gui": the tray application in this process
  kApp,              // "/app": tray process plus the monitoring loop in the foreground
  kStatistics,       // "/statistics": the statistics sheet of this session's tray application
  kSettingsSheet,    // "/settings": the settings sheet in this process (a restricted tray's elevated start)
  kStatisticsSheet,  // "/statisticsSheet": the statistics sheet in this process, likewise
  kPowerAction,      // one of the power-action switches
  kSetEventCommand,  // "/event:NN command": the administrator's command on event NN; none clears it
  kListEventCommands,       // "/events": the commands and the critical point's wait
  kSetCriticalCommandWait,  // "/eventwait:N": how long the critical point waits for its command
  kEventSwitchRefused,      // one of the three above, malformed: nothing done
  kNetwork,          // "/network…": the NUT server's settings, shown or changed
  kService,          // anything else: started by the service control manager
};

// What the administrator would pick on the setup dialog.
struct CommandLineChoice {
  std::string vendor;
  std::string model;
  std::string port;  // as the dialog lists it: "USB", "COM1" … "COM9", or a NUT server's address
  bool tray_autostart = false;
  std::string user;      // the login at a NUT server; empty: none
  std::string password;
};

struct HostCommand {
  HostMode mode = HostMode::kService;
  std::uint32_t power_request = 0;  // 1..6 for kPowerAction
  CommandLineChoice choice;         // for kInstallGiven
  int event_code = 0;               // 1..99 for kSetEventCommand
  std::string event_command;        // for kSetEventCommand; empty: clear
  std::uint32_t critical_wait_s = 0;  // 0..600 for kSetCriticalCommandWait
  std::string refusal;              // for kInstallRefused: what is wrong with the line
  NetworkCommand network;           // for kNetwork
};

// The arguments within the whole command line as the system keeps it: what follows the program's
// name (in double quotes, or up to the first blank) and the blanks after it, as WinMain gets them.
std::string_view arguments_of(std::string_view command_line);

// "/install /vendor:V /model:M /port:P [/user:U /password:W] [/tray]" selects kInstallGiven: the
// options in any order, each once, separated by blanks; double quotes group blanks into a value and
// are dropped ("/model:Varnelo 600" in quotes, or /model:"Varnelo 600"). Vendor and model are taken
// as they are (the library checks them against its lists); a COM port or USB is matched ignoring
// case and stored as listed; a NUT server's address ("NUT:ups@host[:port]", server_address.h) is
// checked and stored in its own spelling, with the user and password of its login (both or
// neither; only with such a port). Option names are compared exactly. Any other text after
// "/install " is kInstallRefused with the reason, so that a mistyped unattended installation
// neither shows a dialog nor runs as the service. With "/check" among the options a line that
// would be taken is kCheckGiven instead: the package installer asks that before it copies anything.
//
// "/event:NN" names an event by its two-digit code (01..99); after a blank, the rest of the line,
// without the blanks around it, is the command, kept as typed (its quotes included). Nothing after
// the code clears the command. "/eventwait:N" takes 0..600 seconds in decimal digits. Anything else
// after "/event:" or "/eventwait:" is kEventSwitchRefused.
HostCommand parse_command_line(const char* arguments);

}  // namespace service
