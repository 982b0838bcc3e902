#include "service/service_main_win.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/debug_trace.h"
#include "service/driver_library_win.h"
#include "service/host_environment_win.h"
#include "service/monitoring_loop.h"
#include "service/service_status_reporter_win.h"

namespace service {
namespace {

constexpr DWORD kStopNudgeMs = 200;

// Everything the service main and its control handler share. One per process, never destroyed:
// the manager may still call the handler while the service main returns.
struct ServiceProcess {
  LoadedDriverLibrary library;
  ServiceStatusReporter status;
  RegistryHostEnvironment host{library, &status};
  MonitoringLoop loop{library, host};
  std::atomic<bool> loop_ended{false};
  std::once_flag stop_started;
};

ServiceProcess& service_process() {
  static ServiceProcess* process = new ServiceProcess;
  return *process;
}

// A cancel that reaches the library just before its wait begins is lost, so the request is
// repeated until the loop has ended.
void start_stopping(ServiceProcess& process) {
  std::call_once(process.stop_started, [&process] {
    std::thread([&process] {
      while (!process.loop_ended) {
        process.loop.request_stop();
        Sleep(kStopNudgeMs);
      }
    }).detach();
  });
}

DWORD WINAPI control_handler(DWORD control, DWORD, void*, void* context) {
  ServiceProcess& process = *static_cast<ServiceProcess*>(context);
  const ControlHandling handling = process.status.apply_control(control);
  if (handling.result == kErrorCallNotImplemented)
    debug_trace("UPS::SERVICE Unrecognized opcode %ld\n", static_cast<long>(control));
  if (handling.forward_end_session) process.library.forward_end_session();
  if (handling.report) process.status.report_current();
  if (handling.stop_monitoring) start_stopping(process);
  return handling.result;
}

void run_loop(MonitoringLoop& loop) {
  const HRESULT com = CoInitialize(nullptr);
  loop.run();
  if (SUCCEEDED(com)) CoUninitialize();
}

void WINAPI service_main(DWORD, LPWSTR*) {
  ServiceProcess& process = service_process();
  if (!process.status.register_handler(control_handler, &process)) {
    debug_trace("UPS::SERVICE RegisterServiceCtrlHandler failed %d\n", static_cast<int>(GetLastError()));
    return;
  }
  process.status.report_current();
  debug_trace("UPS::SERVICE Main Thread\n");
  run_loop(process.loop);
  process.loop_ended = true;
}

}  // namespace

void run_service_dispatcher() {
  wchar_t name[] = L"UPS";
  const SERVICE_TABLE_ENTRYW table[] = {{name, service_main}, {nullptr, nullptr}};
  // Fails when the program was not started by the manager; there is nothing else to do then.
  if (StartServiceCtrlDispatcherW(table)) debug_trace("UPS::SERVICE process ends\n");
}

void run_monitoring_in_foreground() {
  LoadedDriverLibrary library;
  RegistryHostEnvironment host(library, nullptr);
  MonitoringLoop loop(library, host);
  run_loop(loop);
}

}  // namespace service
