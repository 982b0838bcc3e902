#include "service/program_instances_win.h"

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "service/program_files_win.h"

namespace service {
namespace {

using platform::UniqueHandle;

std::wstring file_name_of(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

struct Instance {
  DWORD id;
  UniqueHandle process;
};

// Opened while they are listed: a process that ends later stays waitable through its handle.
// `unwatched` tells whether one could not be opened.
std::vector<Instance> open_other_instances(bool& unwatched) {
  std::vector<Instance> instances;
  const std::wstring name = file_name_of(this_program_path());
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (name.empty() || !snapshot) return instances;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL listed = Process32FirstW(snapshot.get(), &entry); listed; listed = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    if (_wcsicmp(file_name_of(entry.szExeFile).c_str(), name.c_str()) != 0) continue;
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process) {
      instances.push_back({entry.th32ProcessID, std::move(process)});
      continue;
    }
    debug_trace("UPS::process %lu cannot be waited for (%lu)\n", entry.th32ProcessID, GetLastError());
    unwatched = true;
  }
  return instances;
}

DWORD time_left(DWORD start, DWORD limit_ms) {
  const DWORD waited = GetTickCount() - start;
  return waited < limit_ms ? limit_ms - waited : 0;
}

}  // namespace

void wait_for_other_instances(DWORD limit_ms, DWORD unwatched_ms) {
  const DWORD start = GetTickCount();
  bool unwatched = false;
  for (const Instance& instance : open_other_instances(unwatched)) {
    if (WaitForSingleObject(instance.process.get(), time_left(start, limit_ms)) != WAIT_OBJECT_0) {
      debug_trace("UPS::process %lu still runs after %lu ms\n", instance.id, GetTickCount() - start);
      return;
    }
  }
  if (unwatched) Sleep(time_left(start, unwatched_ms));
}

}  // namespace service
