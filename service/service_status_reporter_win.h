// The service's reports to the service control manager: the status record, guarded, since the
// control handler (dispatcher thread) and the monitoring loop (service main thread) both report.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "service/service_status.h"

namespace service {

class ServiceStatusReporter {
 public:
  // Registers `handler` for the service "UPS"; false (with the system's error) when the program
  // was not started as that service.
  bool register_handler(LPHANDLER_FUNCTION_EX handler, void* context);

  // Applies a control to the record (handle_control), without reporting it.
  ControlHandling apply_control(std::uint32_t control);
  void report_current();
  // Ignored once a stop is under way: the stop's own report follows.
  void report_running();
  void report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code);

 private:
  void report_locked();

  std::mutex mutex_;
  SERVICE_STATUS_HANDLE handle_ = nullptr;
  ServiceStatusRecord record_;
};

}  // namespace service
