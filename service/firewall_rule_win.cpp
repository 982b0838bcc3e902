#include "service/firewall_rule_win.h"

#include <windows.h>

#include <string>

#include "platform/debug_trace.h"
#include "platform/system_version_win.h"
#include "platform/wide_text_win.h"
#include "service/firewall_rule.h"
#include "service/program_files_win.h"

namespace service {
namespace {

constexpr DWORD kNetshWaitMs = 30000;

// netsh.exe of the system folder, by its full path.
std::wstring netsh_path() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  return std::wstring(folder, length) + L"\\netsh.exe";
}

void run_netsh(const std::wstring& netsh, const std::string& arguments) {
  std::wstring line = L"\"" + netsh + L"\" " + platform::to_wide(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(netsh.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &info)) {
    debug_trace("UPS::firewall: netsh could not be started (%u)\n", static_cast<unsigned>(GetLastError()));
    return;
  }
  DWORD code = 0;
  if (WaitForSingleObject(info.hProcess, kNetshWaitMs) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
  debug_trace("UPS::firewall: netsh %s: %u\n", arguments.c_str(), static_cast<unsigned>(code));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

}  // namespace

void apply_firewall_rule(const nut::NetworkSettings& settings) {
  const std::wstring netsh = netsh_path();
  if (netsh.empty()) return;
  const std::string program = platform::to_utf8(this_program_path());
  for (const std::string& command :
       firewall_commands(ports_reaching_network(settings), program, platform::system_before_vista()))
    run_netsh(netsh, command);
}

}  // namespace service
