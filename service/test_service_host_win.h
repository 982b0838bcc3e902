// Test helper: the service host as an administrator drives it — orvik_ups run with a switch, the
// setup dialog answered by setup_answer, the service "UPS" as the service control manager shows
// it — and the cleanup that leaves the shared prefix without the service and its autostart.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/test_minidriver_host_win.h"
#include "platform/test_wine_env_win.h"
#include "service/service_manager_win.h"

namespace service::testing {

using core::testing::eventually;
using platform::testing::env;
using platform::testing::wine_path;

inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr DWORD kHostRunMs = 60000;

inline std::string bin_dir() { return wine_path(env("ORVIK_BIN_DIR")); }
inline std::string host_program() { return bin_dir() + "\\orvik_ups.exe"; }

// orvik_ups with `arguments` exactly as given (nothing appended), run to its end: its exit code,
// -1 on time-out.
inline long run_host(const std::string& arguments, DWORD timeout_ms = kHostRunMs) {
  return platform::testing::run_process("\"" + host_program() + "\" " + arguments, timeout_ms);
}

// orvik_ups with `arguments` while setup_answer answers its setup dialog with `answer`; the
// host's exit code, -1 on time-out. The answer must succeed. `host_id`, when given, receives the
// host's process id.
inline long run_host_answering(const std::string& arguments, const std::string& answer, DWORD* host_id = nullptr) {
  platform::UniqueHandle host = platform::testing::start_process("\"" + host_program() + "\" " + arguments);
  if (!host) return -2;
  if (host_id) *host_id = GetProcessId(host.get());
  const long answered = platform::testing::run_process("\"" + bin_dir() + "\\setup_answer.exe\" " + answer, 60000);
  EXPECT_EQ(answered, 0) << "setup_answer " << answer;
  const long code = platform::testing::wait_for_exit(host.get(), kHostRunMs);
  if (code == -1) TerminateProcess(host.get(), 99);
  return code;
}

using ServiceHandle = UniqueServiceHandle;

inline ServiceHandle open_ups_service(DWORD access = SERVICE_ALL_ACCESS) {
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return ServiceHandle();
  return ServiceHandle(OpenServiceW(manager.get(), L"UPS", access));
}

// The service's status; state 0 when the service does not exist.
inline SERVICE_STATUS ups_status() {
  SERVICE_STATUS status{};
  ServiceHandle ups = open_ups_service(SERVICE_QUERY_STATUS);
  if (ups) QueryServiceStatus(ups.get(), &status);
  return status;
}

inline bool ups_state_becomes(DWORD state, DWORD limit_ms) {
  return eventually([&] { return ups_status().dwCurrentState == state; }, limit_ms);
}

struct ServiceSetup {
  DWORD service_type = 0;
  DWORD start_type = 0;
  std::wstring program;
  std::wstring display_name;
};

inline std::optional<ServiceSetup> ups_setup() {
  ServiceHandle ups = open_ups_service(SERVICE_QUERY_CONFIG);
  if (!ups) return std::nullopt;
  alignas(QUERY_SERVICE_CONFIGW) BYTE buffer[8192];
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer);
  DWORD needed = 0;
  if (!QueryServiceConfigW(ups.get(), config, sizeof buffer, &needed)) return std::nullopt;
  return ServiceSetup{config->dwServiceType, config->dwStartType, config->lpBinaryPathName,
                      config->lpDisplayName ? config->lpDisplayName : L""};
}

// Starts the service through the manager and waits until it runs.
inline bool start_ups_service_and_wait() {
  ServiceHandle ups = open_ups_service();
  if (!ups || !StartServiceW(ups.get(), 0, nullptr)) return false;
  return ups_state_becomes(SERVICE_RUNNING, 30000);
}

// Stops the service through the manager, when it runs, and waits until it has stopped.
inline bool stop_ups_service_and_wait() {
  ServiceHandle ups = open_ups_service();
  if (!ups) return false;
  SERVICE_STATUS status{};
  if (QueryServiceStatus(ups.get(), &status) && status.dwCurrentState == SERVICE_STOPPED) return true;
  ControlService(ups.get(), SERVICE_CONTROL_STOP, &status);
  return ups_state_becomes(SERVICE_STOPPED, 30000);
}

// Stops and deletes a service "UPS" left behind (by a failed run or a stand-in of a test).
inline void remove_ups_service() {
  ServiceHandle ups = open_ups_service();
  if (!ups) return;
  stop_ups_service_and_wait();
  DeleteService(ups.get());
  ups.reset();
  eventually([] { return !open_ups_service(SERVICE_QUERY_STATUS); }, 10000);
}

// The tray autostart value, when there is one.
inline std::optional<std::wstring> tray_autostart() {
  platform::UniqueKey run;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_READ, run.receive()) != ERROR_SUCCESS) return std::nullopt;
  wchar_t text[1024] = L"";
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(run.get(), L"UPS_UI", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(text);
}

inline void delete_tray_autostart() {
  platform::UniqueKey run;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, run.receive()) == ERROR_SUCCESS)
    RegDeleteValueW(run.get(), L"UPS_UI");
}

// What the tray autostart and the service's program must name: this build's host.
inline std::wstring host_program_wide() {
  const std::string path = host_program();
  return std::wstring(path.begin(), path.end());
}

inline void write_config_dword(const char* name, DWORD value) {
  platform::UniqueKey config = core::testing::create_key(platform::kConfigKeyPath);
  platform::write_dword_value(config.get(), name, value);
}

inline void write_config_string(const char* name, const std::string& value) {
  platform::UniqueKey config = core::testing::create_key(platform::kConfigKeyPath);
  platform::write_string_value(config.get(), name, value.c_str());
}

// No system in the prefix (no service, no tray autostart, no service key), and the settings that
// an installation keeps (its defaults only fill in what is missing): a service installed next
// records its event lines and its trace into `output`.
inline void remove_system_and_record_into(const core::testing::CoreOutput& output) {
  remove_ups_service();
  delete_tray_autostart();
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath);
  write_config_dword("stat_on", 1);
  write_config_dword("stat_data", 0);
  write_config_string("stat_path", output.dir());
  write_config_string("DebugTraceFile", output.trace_file());
}

// The service installed (its setup dialog answered with `answer`) and monitoring; `output` is
// where its trace goes, shown when it does not start.
inline void ensure_monitoring(const char* answer, const core::testing::CoreOutput& output) {
  if (!open_ups_service(SERVICE_QUERY_STATUS)) {
    ASSERT_EQ(run_host_answering("/install", answer), 0);
  }
  if (ups_status().dwCurrentState != SERVICE_RUNNING) {
    ASSERT_TRUE(start_ups_service_and_wait()) << output.trace();
  }
}

// Where the event line of `code` with `utf8_text` begins in the event file's `events`; npos when
// absent.
inline std::size_t event_at(const std::string& events, int code, const std::string& utf8_text) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "|%02d|", code);
  return events.find(prefix + stats::utf8_to_windows1251(utf8_text));
}

// Number of times `piece` occurs in `text`.
inline std::size_t occurrences(const std::string& text, const std::string& piece) {
  return core::testing::simulator::count(text, piece);
}

}  // namespace service::testing
