#include "service/service_status_reporter_win.h"

#include "platform/debug_trace.h"

namespace service {

bool ServiceStatusReporter::register_handler(LPHANDLER_FUNCTION_EX handler, void* context) {
  std::lock_guard lock(mutex_);
  handle_ = RegisterServiceCtrlHandlerExW(L"UPS", handler, context);
  return handle_ != nullptr;
}

ControlHandling ServiceStatusReporter::apply_control(std::uint32_t control) {
  std::lock_guard lock(mutex_);
  return handle_control(record_, control);
}

void ServiceStatusReporter::report_current() {
  std::lock_guard lock(mutex_);
  report_locked();
}

void ServiceStatusReporter::report_running() {
  std::lock_guard lock(mutex_);
  if (!may_report_running(record_)) return;
  set_state(record_, kServiceRunning);
  report_locked();
}

void ServiceStatusReporter::report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) {
  std::lock_guard lock(mutex_);
  const bool stop_control = record_.state == kServiceStopPending;
  set_stopped(record_, win32_exit_code, specific_exit_code);
  report_locked();
  if (stop_control) debug_trace("UPS::SERVICE Leaving MyService \n");
}

void ServiceStatusReporter::report_locked() {
  SERVICE_STATUS status{};
  status.dwServiceType = record_.service_type;
  status.dwCurrentState = record_.state;
  status.dwControlsAccepted = record_.controls_accepted;
  status.dwWin32ExitCode = record_.win32_exit_code;
  status.dwServiceSpecificExitCode = record_.specific_exit_code;
  status.dwCheckPoint = record_.check_point;
  status.dwWaitHint = record_.wait_hint;
  if (!SetServiceStatus(handle_, &status))
    debug_trace("UPS::SERVICE SetServiceStatus error %ld\n", static_cast<long>(GetLastError()));
}

}  // namespace service
