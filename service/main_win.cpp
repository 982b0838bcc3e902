// orvik_ups: the service host. It holds no UPS logic: the driver library "orvik_dll.dll" does the
// work, loaded from the program's own folder. The command line chooses the role of the run; the
// exit code is 0, except for an installation with the choice given and for a power-action switch,
// whose codes tell how they ended.
#include <windows.h>

#include <string>

#include "platform/debug_trace.h"
#include "platform/library_search_win.h"
#include "platform/wide_text_win.h"
#include "service/command_line.h"
#include "service/driver_library_win.h"
#include "service/event_commands_key_win.h"
#include "service/installer_win.h"
#include "service/network_config_win.h"
#include "service/power_switch_win.h"
#include "service/service_main_win.h"
#include "service/statistics_request_win.h"
#include "service/tray_autostart_win.h"
#include "tray/tray_ids.h"

namespace {

using service::HostMode;

void run_tray_application() {
  service::LibraryExports library;
  if (library.run_gui())
    library.run_gui()();
  else if (library.loaded())
    debug_trace("UPS::runGUI not found\n");
}

// The sheet in this process (tray::kSettingsSheet or tray::kStatisticsSheet).
void run_sheet(DWORD which) {
  service::LibraryExports library;
  if (library.run_sheet())
    library.run_sheet()(which);
  else if (library.loaded())
    debug_trace("UPS::runSheet not found\n");
}

int run(const service::HostCommand& command) {
  switch (command.mode) {
    case HostMode::kReconfigure:
      service::reconfigure();
      break;
    case HostMode::kInstallGui:
      service::write_tray_autostart();
      break;
    case HostMode::kUninstallGui:
      service::delete_tray_autostart();
      break;
    case HostMode::kInstall:
      service::install_after_uninstall();
      break;
    case HostMode::kInstallGiven:
      return service::install_given_choice(command.choice);
    case HostMode::kCheckGiven:
      return service::kInstalled;
    case HostMode::kInstallRefused:
      debug_trace("UPS::install: the choice on the command line is refused (%s); nothing done\n",
                  command.refusal.c_str());
      return service::kLineRefused;
    case HostMode::kUninstall:
      service::uninstall();
      break;
    case HostMode::kGui:
      run_tray_application();
      break;
    case HostMode::kApp:
      service::start_tray_application();
      service::run_monitoring_in_foreground();
      break;
    case HostMode::kStatistics:
      return service::show_statistics();
    case HostMode::kSettingsSheet:
      run_sheet(tray::kSettingsSheet);
      break;
    case HostMode::kStatisticsSheet:
      run_sheet(tray::kStatisticsSheet);
      break;
    case HostMode::kPowerAction:
      return service::send_power_action(command.power_request);
    case HostMode::kSetEventCommand:
      return service::set_event_command(command.event_code, command.event_command);
    case HostMode::kListEventCommands:
      return service::list_event_commands();
    case HostMode::kSetCriticalCommandWait:
      return service::set_critical_command_wait(command.critical_wait_s);
    case HostMode::kEventSwitchRefused:
      return service::refuse_event_switch();
    case HostMode::kNetwork:
      return service::run_network_switch(command.network);
    case HostMode::kService:
      service::run_service_dispatcher();
      break;
  }
  return 0;
}

}  // namespace

// The arguments without the program's name, compared as they are; read in UTF-16, so that a
// command for an event keeps every character whatever the system's code page.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The service runs as SYSTEM: nothing it loads by name may come from a folder users can write.
  platform::restrict_library_search();
  const std::string line = platform::to_utf8(GetCommandLineW());
  return run(service::parse_command_line(std::string(service::arguments_of(line)).c_str()));
}
