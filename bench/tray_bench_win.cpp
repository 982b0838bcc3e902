// The running tray application's memory under Wine beside that of an empty Win32 program
// (empty_window.exe) started the same way, which it keeps running for N seconds more so that
// bench/tray_bench.sh can count both processes' CPU time meanwhile (Wine does not report another
// process's times). Figures only, nothing passes or fails.
//
// tray_bench.exe [--seconds N]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/handles_win.h"

namespace {

void print_memory(const char* name, HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    std::printf("  %-22s memory not available (%lu)\n", name, GetLastError());
    return;
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  std::printf("  %-22s working set %5.1f MiB (peak %5.1f MiB), private %5.1f MiB\n", name,
              counters.WorkingSetSize / kMiB, counters.PeakWorkingSetSize / kMiB, counters.PagefileUsage / kMiB);
}

platform::UniqueHandle tray_process() {
  HWND tray = nullptr;
  for (int i = 0; i < 100 && !(tray = FindWindowW(nullptr, L"ControlManageUPS")); ++i) Sleep(100);
  DWORD id = 0;
  if (tray) GetWindowThreadProcessId(tray, &id);
  return platform::UniqueHandle(id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : nullptr);
}

// empty_window.exe beside this program.
platform::UniqueHandle start_empty_program() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = std::string(path, length);
  command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "empty_window.exe\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return platform::UniqueHandle();
  CloseHandle(info.hThread);
  return platform::UniqueHandle(info.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 30;
  if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0) seconds = std::atoi(argv[2]);
  if (seconds < 1 || (argc != 1 && argc != 3)) {
    std::fputs("usage: tray_bench.exe [--seconds N]\n", stderr);
    return 2;
  }
  platform::UniqueHandle tray = tray_process();
  platform::UniqueHandle empty = start_empty_program();
  if (!tray || !empty) {
    std::printf("  no tray application running (or empty_window.exe missing)\n");
    return 1;
  }
  Sleep(3000);  // the empty program settles
  print_memory("tray application", tray.get());
  print_memory("empty Win32 program", empty.get());
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  TerminateProcess(empty.get(), 0);
  return 0;
}
