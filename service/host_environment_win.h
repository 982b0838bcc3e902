// The monitoring loop's surroundings on Windows: the Config key, the reports to the service
// control manager (none in the foreground) and to the Windows Event Log, the shutdown privilege
// and the test mode of the critical action, whose lines go through the library's `setup` export.
//
// Used by the monitoring loop's thread only.
#pragma once

#include "platform/handles_win.h"
#include "service/driver_library_win.h"
#include "service/monitoring_loop.h"
#include "service/service_status_reporter_win.h"

namespace service {

class RegistryHostEnvironment final : public HostEnvironment {
 public:
  // `status` is null when the loop runs in the foreground.
  RegistryHostEnvironment(LoadedDriverLibrary& library, ServiceStatusReporter* status)
      : library_(library), status_(status) {}

  bool open_config() override;
  std::string read_string(const char* name) override;
  bool read_dword(const char* name, std::uint32_t& value) override;
  void report_running() override;
  void report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) override;
  void report_event_without_library(int code, const std::string& message) override;
  void set_power_action_test_mode(bool on) override;
  void enable_shutdown_privilege() override;

 private:
  LoadedDriverLibrary& library_;
  ServiceStatusReporter* status_;
  platform::UniqueKey config_;
};

}  // namespace service
