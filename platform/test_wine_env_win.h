// Test helpers for programs that run under Wine: the harness's environment, paths, child processes.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/handles_win.h"

namespace platform::testing {

// An environment variable set by tools/wine/run_test.sh; empty when absent.
inline std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The Windows path under which Wine shows a Unix path (drive Z: is the Unix root).
inline std::string wine_path(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Starts `command_line` (in `folder`, or in this process's current folder); returns the child
// process handle (empty on failure).
inline UniqueHandle start_process(const std::string& command_line, const char* folder = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string mutable_line = command_line;
  if (!CreateProcessA(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
    return UniqueHandle();
  CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

// Waits for a child; its exit code, or -1 when it did not end within `timeout_ms`.
inline long wait_for_exit(HANDLE process, DWORD timeout_ms) {
  if (WaitForSingleObject(process, timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<long>(code);
}

// Runs `command_line` to its end; its exit code, -1 on time-out, -2 when it could not start.
inline long run_process(const std::string& command_line, DWORD timeout_ms = 30000, const char* folder = nullptr) {
  UniqueHandle process = start_process(command_line, folder);
  if (!process) return -2;
  long code = wait_for_exit(process.get(), timeout_ms);
  if (code == -1) TerminateProcess(process.get(), 99);
  return code;
}

}  // namespace platform::testing
