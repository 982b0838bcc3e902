#include "service/installer_win.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/debug_trace.h"
#include "platform/library_search_win.h"
#include "platform/system_version_win.h"
#include "platform/wide_text_win.h"
#include "service/driver_library_win.h"
#include "service/event_commands_key_win.h"
#include "service/event_source_win.h"
#include "service/network_config_win.h"
#include "service/program_files_win.h"
#include "service/program_instances_win.h"
#include "service/service_manager_win.h"
#include "service/tray_autostart_win.h"
#include "service/uninstall_steps.h"

namespace service {
namespace {

constexpr wchar_t kDisplayName[] = L"Источник бесперебойного питания";
constexpr wchar_t kPowerOptionsArguments[] = L" shell32,Control_RunDLL powercfg.cpl";
// The trays look at their exit request once a second; a loaded machine may take several times that.
// One that cannot be watched (another user's) gets two of its ticks.
constexpr DWORD kProgramEndLimitMs = 15000;
constexpr DWORD kUnwatchedTrayMs = 2000;
constexpr DWORD kServiceRemovalLimitMs = 30000;

using platform::system_before_vista;

// The system's own rundll32, by its full path: a program of that name elsewhere on the search path
// would otherwise run as the installing administrator.
void start_power_options() {
  start_program(L"\"" + platform::system_file_path(L"rundll32.exe") + L"\"" + kPowerOptionsArguments);
}

// An unattended installation must never wait for a click: its failures go to the debug trace alone.
enum class Feedback { kMessageBox, kTraceOnly };

void warn_user(Feedback feedback, const wchar_t* text) {
  if (feedback == Feedback::kMessageBox) MessageBoxW(GetActiveWindow(), text, L"Ошибка", MB_OK | MB_ICONWARNING);
}

bool stop_service_or_tell_user(Feedback feedback = Feedback::kMessageBox) {
  const std::uint32_t error = stop_ups_service_if_present();
  if (error == 0) return true;
  debug_trace("UPS::Stop service error:%d\n", static_cast<int>(error));
  warn_user(feedback, L"Не могу остановить службу");
  return false;
}

void apply_tray_choice(int dialog_result) {
  if (dialog_result & installation::kResultTrayAutostart)
    write_tray_autostart();
  else
    delete_tray_autostart();
}

int run_setup_dialog(SetupFunction setup) {
  return setup(installation::kRunSetupDialog, reinterpret_cast<ULONG_PTR>(GetActiveWindow()));
}

bool start_service_or_tell_user(Feedback feedback = Feedback::kMessageBox) {
  if (start_ups_service()) return true;
  warn_user(feedback, L"Ошибка запуска службы");
  return false;
}

// The dialog's result: the administrator's answer, or the choice given on the command line saved
// by the library as the dialog would save it.
int choose(SetupFunction setup, const CommandLineChoice* given) {
  if (!given) return run_setup_dialog(setup);
  const std::wstring vendor = platform::to_wide(given->vendor);
  const std::wstring model = platform::to_wide(given->model);
  const std::wstring port = platform::to_wide(given->port);
  const std::wstring user = platform::to_wide(given->user);
  const std::wstring password = platform::to_wide(given->password);
  installation::GivenChoice choice{vendor.c_str(), model.c_str(), port.c_str(), given->tray_autostart ? 1u : 0u,
                                   user.c_str(),   password.c_str()};
  return setup(installation::kSaveGivenChoice, reinterpret_cast<ULONG_PTR>(&choice));
}

// The system's own service "UPS" becomes an interactive service of its own process, so that the
// library it hosts can show its windows.
void adapt_system_ups_service() {
  UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, SERVICE_CHANGE_CONFIG));
  if (!ups) return;
  if (ChangeServiceConfigW(ups.get(), SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_NO_CHANGE,
                           SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
    debug_trace("UPS::ChangeServiceConfig succeeded.\n");
  else
    debug_trace("UPS::ChangeServiceConfig failed (%d)\n", static_cast<int>(GetLastError()));
}

GivenInstallResult install_before_vista(SetupFunction setup, const CommandLineChoice* given) {
  debug_trace("UPS W2K/W2K3/XP install start\n");
  setup(installation::kWriteModelLists, 0);
  setup(installation::kWriteDefaults, 0);
  write_tray_autostart();
  adapt_system_ups_service();
  if (!given) {
    start_power_options();
    return kInstalled;
  }
  // Unattended: the choice goes where the system's UPS page reads it, and the page stays closed.
  const int choice = choose(setup, given);
  if (!(choice & installation::kResultSaved)) return kChoiceRefused;
  apply_tray_choice(choice);
  return kInstalled;
}

// 0, or the manager's error: ERROR_SERVICE_MARKED_FOR_DELETE while a removed service is still held.
DWORD create_ups_service() {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return ERROR_ACCESS_DENIED;
  // Quoted: a path with blanks would otherwise be open to a program planted at its first blank.
  const std::wstring program = L"\"" + this_program_path() + L"\"";
  UniqueServiceHandle ups(CreateServiceW(manager.get(), kServiceName, kDisplayName, SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         program.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!ups) {
    const DWORD error = GetLastError();
    debug_trace("UPS::CreateService error:%d\n", static_cast<int>(error));
    return error;
  }
  debug_trace("UPS::CreateService SUCCESS.\n");
  return 0;
}

bool create_ups_service_or_tell_user(Feedback feedback) {
  const DWORD error = create_ups_service();
  if (error == ERROR_SERVICE_MARKED_FOR_DELETE)
    warn_user(feedback, L"Прежняя служба ещё не удалена: закройте программы, которые к ней обращаются, "
                        L"и повторите установку");
  else if (error != 0)
    warn_user(feedback, L"Не могу создать службу");
  return error == 0;
}

GivenInstallResult install_service(SetupFunction setup, const CommandLineChoice* given, Feedback feedback) {
  debug_trace("UPS VISTA install start\n");
  if (!create_ups_service_or_tell_user(feedback)) return kServiceNotRunning;
  setup(installation::kWriteModelLists, 0);
  setup(installation::kWriteDefaults, 0);
  const int choice = choose(setup, given);
  if (!(choice & installation::kResultSaved)) return kChoiceRefused;
  apply_tray_choice(choice);
  if (!start_service_or_tell_user(feedback)) return kServiceNotRunning;
  if (choice & installation::kResultTrayAutostart) start_tray_application();
  return kInstalled;
}

void delete_ups_service() {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return;
  UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, DELETE));
  if (!ups) {
    debug_trace("UPS::OpenService error\n");
    return;
  }
  if (DeleteService(ups.get())) {
    debug_trace("UPS::DeleteService SUCCESS\n");
  } else {
    const DWORD error = GetLastError();
    debug_trace("UPS::DeleteService error:%lu\n", error);
    if (error != ERROR_SERVICE_MARKED_FOR_DELETE) return;
  }
  // An installation that follows could not create the service while the old one is still held.
  ups.reset();
  if (!wait_until_service_removed(kServiceRemovalLimitMs))
    debug_trace("UPS::service still held after %lu ms\n", kServiceRemovalLimitMs);
}

class SystemUninstall final : public UninstallSteps {
 public:
  SystemUninstall(SetupFunction setup, Feedback feedback) : setup_(setup), feedback_(feedback) {}
  void request_gui_exit() override { setup_(installation::kRequestGuiExit, 0); }
  void delete_tray_autostart() override { service::delete_tray_autostart(); }
  bool stop_service() override { return stop_service_or_tell_user(feedback_); }
  void wait_for_program_to_end() override { wait_for_other_instances(kProgramEndLimitMs, kUnwatchedTrayMs); }
  void withdraw_gui_exit() override { setup_(installation::kWithdrawGuiExit, 0); }
  // The Event Log's source of its entries and the firewall's rule for the NUT server go with the
  // service.
  void delete_service() override {
    if (!system_before_vista()) delete_ups_service();
    remove_event_source();
    remove_firewall_rule();
  }

 private:
  SetupFunction setup_;
  Feedback feedback_;
};

bool uninstall(Feedback feedback) {
  LibraryExports library;
  if (!library.setup()) return false;
  SystemUninstall steps(library.setup(), feedback);
  return uninstall_system(steps);
}

// Where the system's events reach the administrator: the Event Log's source and the key of the
// commands on events (kept by an upgrade that restored it). Failures are traced and not fatal.
void prepare_event_reporting() {
  if (!register_event_source()) debug_trace("UPS::install: the event source is not registered\n");
  if (!prepare_event_commands_key()) debug_trace("UPS::install: the key of the commands on events is not protected\n");
}

GivenInstallResult install(const CommandLineChoice* given, Feedback feedback) {
  if (!uninstall(feedback)) return kServiceNotRunning;
  take_over_network_key();
  LibraryExports library;
  if (!library.setup()) return kServiceNotRunning;
  prepare_event_reporting();
  if (system_before_vista()) return install_before_vista(library.setup(), given);
  return install_service(library.setup(), given, feedback);
}

}  // namespace

void install_after_uninstall() { install(nullptr, Feedback::kMessageBox); }

GivenInstallResult install_given_choice(const CommandLineChoice& choice) {
  return install(&choice, Feedback::kTraceOnly);
}

bool uninstall() { return uninstall(Feedback::kMessageBox); }

void reconfigure() {
  if (system_before_vista()) {
    start_power_options();
    return;
  }
  const bool was_running = ups_service_running();
  if (!stop_service_or_tell_user()) return;
  LibraryExports library;
  if (!library.setup()) return;
  const int choice = run_setup_dialog(library.setup());
  if (!(choice & installation::kResultSaved)) {
    // Nothing changed: the monitoring goes on as before the dialog.
    if (was_running) start_service_or_tell_user();
    return;
  }
  apply_tray_choice(choice);
  if (!start_service_or_tell_user()) return;
  if ((choice & installation::kResultTrayAutostart) && !tray_application_running()) start_tray_application();
}

}  // namespace service
