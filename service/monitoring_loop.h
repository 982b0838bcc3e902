// The monitoring loop of the service "UPS" (and of "/app"): start the driver library's
// monitoring, follow the UPS state, and at the critical point of a power failure let the other
// computers on the UPS go first (those the library's NUT server serves), record it, turn the UPS off
// when configured, stop the monitoring and carry out the critical power action — starting over
// after a hibernation.
//
// The critical point: the battery is low while the UPS runs on battery (a low battery on mains is
// no emergency: the library reports UPS_ONLINE), or the UPS is still on battery after a wait that
// was limited to "ShutdownOnBatteryWait" minutes (when "ShutdownOnBatteryEnable" is set).
//
// run() blocks on the calling thread for the life of the monitoring. request_stop() may come from
// another thread (the service's control handler); the loop then stops the monitoring cleanly at
// its next wake-up and reports the service stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "service/driver_library.h"

namespace service {

// Win32 exit codes of the stopped service.
inline constexpr std::uint32_t kErrorFileNotFound = 2;          // Config key or a setting missing
inline constexpr std::uint32_t kErrorModNotFound = 126;         // the library missing
inline constexpr std::uint32_t kErrorProcNotFound = 127;        // one of its functions missing
inline constexpr std::uint32_t kErrorServiceSpecific = 1066;    // see the service-specific code
// Service-specific code when "Model" or "Vendor" is empty; UPSInit's own result otherwise.
inline constexpr std::uint32_t kNoUpsConfigured = 10;

inline constexpr std::uint32_t kNoTimeLimit = 0xFFFFFFFF;

// Critical power actions ("CriticalPowerAction"); other values: none.
inline constexpr std::uint32_t kActionShutdown = 0;
inline constexpr std::uint32_t kActionHibernate = 1;

// What the loop needs from its surroundings besides the library.
class HostEnvironment {
 public:
  virtual ~HostEnvironment() = default;
  // The Config key, opened once for the whole run; false when it cannot be opened.
  virtual bool open_config() = 0;
  // A string value of up to 255 bytes; empty when it cannot be read.
  virtual std::string read_string(const char* name) = 0;
  // A DWORD value; `value` is left alone and false returned when absent or of another type.
  virtual bool read_dword(const char* name, std::uint32_t& value) = 0;

  virtual void report_running() = 0;
  virtual void report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) = 0;
  // An event line that cannot be recorded because the library is missing or unusable: it goes
  // only where administrators watch (the Windows Event Log). `message` is UTF-8, as formatted.
  virtual void report_event_without_library(int code, const std::string& message) = 0;

  // On: this process's power actions are written down (through the library's event line) instead
  // of done. Off: they are done.
  virtual void set_power_action_test_mode(bool on) = 0;
  virtual void enable_shutdown_privilege() = 0;
};

struct MonitoringSettings {
  std::uint32_t critical_power_action = 0;
  std::uint32_t turn_ups_off_enable = 0;
  std::uint32_t turn_ups_off_wait = 0;
  std::uint32_t shutdown_on_battery_enable = 0;
  std::uint32_t shutdown_on_battery_wait = 0;  // minutes
};

// How long the loop waits for a change of `state`: "ShutdownOnBatteryWait" minutes on battery
// when enabled (saturated below kNoTimeLimit rather than wrapped), else without limit.
std::uint32_t state_wait_limit(const MonitoringSettings& settings, std::uint32_t state);

class MonitoringLoop {
 public:
  MonitoringLoop(DriverLibrary& library, HostEnvironment& host) : library_(library), host_(host) {}
  MonitoringLoop(const MonitoringLoop&) = delete;
  MonitoringLoop& operator=(const MonitoringLoop&) = delete;

  void run();
  // Asks the loop to stop; repeat it until run() returned, since a cancel that arrives just
  // before the library starts waiting is not seen by that wait. The wait is cancelled only while
  // the loop is in it: at the critical point the library is being stopped and unloaded, and a
  // cancel then would use the handles that UPSStop closes.
  void request_stop();

 private:
  bool start_monitoring();
  // The state that reached the critical point, or 0 when a stop was requested.
  std::uint32_t follow_state();
  // The action that was carried out.
  std::uint32_t act_at_critical_point(std::uint32_t state);
  bool read_settings();
  void finish_on_request();

  DriverLibrary& library_;
  HostEnvironment& host_;
  MonitoringSettings settings_;
  std::atomic<bool> stop_requested_{false};
  // Set while the loop is in the library's wait; guarded by cancel_mutex_, so that a cancel and
  // the end of the wait never overlap.
  bool waiting_ = false;
  std::mutex cancel_mutex_;
};

}  // namespace service
