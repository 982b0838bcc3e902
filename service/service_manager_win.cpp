#include "service/service_manager_win.h"

#include "platform/debug_trace.h"
#include "service/service_waits.h"

namespace service {
namespace {

constexpr DWORD kRemovalPollMs = 200;

class ScmServicePort final : public ServicePort {
 public:
  explicit ScmServicePort(SC_HANDLE service) : service_(service) {}

  bool query(ServiceProgress& progress, std::uint32_t& error) override {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service_, &status)) {
      error = GetLastError();
      return false;
    }
    progress = from_status(status);
    return true;
  }
  bool send_stop(std::uint32_t& error) override {
    SERVICE_STATUS status{};
    if (ControlService(service_, SERVICE_CONTROL_STOP, &status)) return true;
    error = GetLastError();
    return false;
  }
  void sleep(std::uint32_t ms) override { Sleep(ms); }
  std::uint32_t tick_count() override { return GetTickCount(); }

 private:
  static ServiceProgress from_status(const SERVICE_STATUS& status) {
    ServiceProgress p;
    p.state = status.dwCurrentState;
    p.win32_exit_code = status.dwWin32ExitCode;
    p.specific_exit_code = status.dwServiceSpecificExitCode;
    p.check_point = status.dwCheckPoint;
    p.wait_hint = status.dwWaitHint;
    return p;
  }

  SC_HANDLE service_;
};

void trace_not_started(const ServiceProgress& last) {
  debug_trace("\nUPS::Service not started. \n");
  debug_trace("  Current State: %d\n", static_cast<int>(last.state));
  debug_trace("  Exit Code: %d\n", static_cast<int>(last.win32_exit_code));
  debug_trace("  Service Specific Exit Code: %d\n", static_cast<int>(last.specific_exit_code));
  debug_trace("  Check Point: %d\n", static_cast<int>(last.check_point));
  debug_trace("  Wait Hint: %d\n", static_cast<int>(last.wait_hint));
}

}  // namespace

UniqueServiceHandle open_service_manager() {
  UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) debug_trace("UPS::OpenSCManager error %08x", static_cast<unsigned>(GetLastError()));
  return manager;
}

bool start_ups_service() {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return false;
  UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
  if (!ups) {
    debug_trace("Cant open service\n");
    return false;
  }
  if (!StartServiceW(ups.get(), 0, nullptr)) return false;
  debug_trace("UPS::Service start pending.\n");
  ScmServicePort port(ups.get());
  ServiceProgress last;
  std::uint32_t error = 0;
  if (!port.query(last, error)) return false;
  wait_while_starting(port, last);
  if (last.state == kServiceRunning) {
    debug_trace("UPS::StartService SUCCESS.\n");
    return true;
  }
  trace_not_started(last);
  return false;
}

bool ups_service_running() {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return false;
  UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
  if (!ups) return false;
  ScmServicePort port(ups.get());
  ServiceProgress progress;
  std::uint32_t error = 0;
  return port.query(progress, error) &&
         (progress.state == kServiceRunning || progress.state == kServiceStartPending);
}

std::uint32_t stop_ups_service_if_present() {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return ERROR_ACCESS_DENIED;
  UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!ups) {
    const DWORD error = GetLastError();
    return error == ERROR_SERVICE_DOES_NOT_EXIST ? 0 : error;
  }
  ScmServicePort port(ups.get());
  return stop_service(port);
}

bool wait_until_service_removed(DWORD limit_ms) {
  UniqueServiceHandle manager = open_service_manager();
  if (!manager) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    UniqueServiceHandle ups(OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    if (!ups && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return true;
    ups.reset();  // held across the sleep, it would itself keep the service
    if (GetTickCount() - start >= limit_ms) return false;
    Sleep(kRemovalPollMs);
  }
}

}  // namespace service
