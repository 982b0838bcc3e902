#include "ipc/pipe_server_identity_win.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "platform/system_function_win.h"

namespace ipc {
namespace {

using ServerProcessFunction = BOOL(WINAPI*)(HANDLE, PULONG);

ServerProcessFunction server_process_function() {
  return platform::find_system_function<ServerProcessFunction>(GetModuleHandleW(L"kernel32.dll"),
                                                                "GetNamedPipeServerProcessId");
}

DWORD service_process() {
  platform::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return 0;
  platform::UniqueServiceHandle service(OpenServiceW(manager.get(), L"UPS", SERVICE_QUERY_STATUS));
  SERVICE_STATUS_PROCESS status{};
  DWORD size = 0;
  if (!service || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                        sizeof status, &size))
    return 0;
  return status.dwCurrentState == SERVICE_RUNNING ? status.dwProcessId : 0;
}

DWORD parent_process() {
  platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ProcessID == GetCurrentProcessId()) return entry.th32ParentProcessID;
  return 0;
}

bool runs_as_system(DWORD process_id) {
  platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id));
  platform::UniqueHandle token;
  if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, token.receive())) return false;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID system = nullptr;
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system)) return false;
  const bool same = EqualSid(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, system) != FALSE;
  FreeSid(system);
  return same;
}

}  // namespace

DWORD pipe_server_process(HANDLE pipe) {
  const ServerProcessFunction server_process_id = server_process_function();
  ULONG process = 0;
  if (!server_process_id || !server_process_id(pipe, &process)) return 0;
  return process;
}

bool pipe_server_is_the_service(HANDLE pipe) {
  if (!server_process_function()) return true;
  const DWORD server = pipe_server_process(pipe);
  if (server == 0) return false;
  if (server == GetCurrentProcessId() || server == parent_process() || server == service_process() ||
      runs_as_system(server))
    return true;
  debug_trace("UPS::pipe server %lu is not the service\n", static_cast<unsigned long>(server));
  return false;
}

}  // namespace ipc
