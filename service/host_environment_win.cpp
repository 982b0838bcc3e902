#include "service/host_environment_win.h"

#include "core/event_report.h"
#include "core/power_action_rehearsal.h"
#include "platform/privilege_win.h"
#include "platform/registry_win.h"
#include "platform/system_event_log_win.h"

namespace service {
namespace {

constexpr std::size_t kStringValueBytes = 255;

// The rehearsal's writer is a plain function: it finds the library here.
LoadedDriverLibrary* g_rehearsal_library = nullptr;

void record_rehearsal(int code, const char* text) {
  if (g_rehearsal_library) g_rehearsal_library->record_event(static_cast<std::uint32_t>(code), text);
}

}  // namespace

bool RegistryHostEnvironment::open_config() {
  config_ = platform::open_key(platform::kConfigKeyPath);
  return static_cast<bool>(config_);
}

std::string RegistryHostEnvironment::read_string(const char* name) {
  char buffer[kStringValueBytes];
  platform::read_string_value(config_.get(), name, buffer, sizeof buffer);
  return buffer;
}

bool RegistryHostEnvironment::read_dword(const char* name, std::uint32_t& value) {
  return platform::read_dword_value(config_.get(), name, value);
}

void RegistryHostEnvironment::report_running() {
  if (status_) status_->report_running();
}

// The process may outlive the report a little; the next start of the service must not find the
// pipe's name still held by it.
void RegistryHostEnvironment::report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) {
  library_.release_pipe();
  if (status_) status_->report_stopped(win32_exit_code, specific_exit_code);
}

void RegistryHostEnvironment::report_event_without_library(int code, const std::string& message) {
  platform::report_to_event_log(static_cast<std::uint32_t>(code), core::event_log_kind(code),
                                core::event_report_text(message));
}

void RegistryHostEnvironment::set_power_action_test_mode(bool on) {
  g_rehearsal_library = &library_;
  core::set_power_action_test_mode(on, record_rehearsal);
}

void RegistryHostEnvironment::enable_shutdown_privilege() { platform::enable_privilege("SeShutdownPrivilege"); }

}  // namespace service
