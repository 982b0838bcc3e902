#include "service/console_output_win.h"

#include <windows.h>

#include <string>

#include "platform/wide_text_win.h"

namespace service {
namespace {

bool usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// The stream the program was given, or the starting program's console.
HANDLE stream(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  if (usable(handle)) return handle;
  static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
  if (!attached) return nullptr;
  static HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
  return usable(console) ? console : nullptr;
}

void write(DWORD which, std::string_view utf8) {
  HANDLE handle = stream(which);
  if (!handle) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = platform::to_wide(utf8);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

}  // namespace

void write_output(std::string_view utf8) { write(STD_OUTPUT_HANDLE, utf8); }

void write_error(std::string_view utf8) { write(STD_ERROR_HANDLE, utf8); }

}  // namespace service
