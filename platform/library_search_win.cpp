#include "platform/library_search_win.h"

#include "platform/system_function_win.h"

namespace platform {
namespace {

constexpr DWORD kSearchApplicationFolder = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;           // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void restrict_library_search() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  using SetDirectory = BOOL(WINAPI*)(LPCWSTR);
  if (const auto set_default = find_system_function<SetDefaultDirectories>(kernel, "SetDefaultDllDirectories");
      set_default && set_default(kSearchApplicationFolder | kSearchSystem32))
    return;
  if (const auto set_directory = find_system_function<SetDirectory>(kernel, "SetDllDirectoryW")) set_directory(L"");
}

std::wstring system_file_path(const wchar_t* file) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(folder, length) + L"\\" + file;
}

HMODULE load_system_library(const wchar_t* file) {
  const std::wstring path = system_file_path(file);
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

}  // namespace platform
