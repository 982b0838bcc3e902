#include "platform/link_safe_files_win.h"

#include <cwchar>
#include <string>

#include "platform/system_function_win.h"

namespace platform {
namespace {

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// Where `handle` really is, links resolved; empty where the system cannot say (before Vista,
// which has no file links).
std::wstring final_path(HANDLE handle) {
  static const auto query =
      find_system_function<FinalPathFunction>(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
  wchar_t path[MAX_PATH * 2];
  if (!query) return std::wstring();
  const DWORD length = query(handle, path, MAX_PATH * 2, 0);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(path, length) : std::wstring();
}

// The opened file must be the entry named in its folder, not the target of a link planted there:
// its final path is its folder's final path and its own name. Links above the folder (an
// administrator's choice) resolve alike on both sides.
bool opened_in_place(HANDLE file, const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return true;
  UniqueHandle folder(CreateFileA(path.substr(0, slash).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const std::wstring file_path = final_path(file);
  if (!folder || file_path.empty()) return true;
  const std::string name = path.substr(slash + 1);
  wchar_t wide_name[MAX_PATH];
  const int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide_name, MAX_PATH);
  if (length <= 0) return false;
  const std::wstring expected = final_path(folder.get()) + L"\\" + wide_name;
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, file_path.c_str(), -1, expected.c_str(), -1) ==
         CSTR_EQUAL;
}

}  // namespace

bool is_link(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

UniqueHandle create_file_not_following(const char* path, DWORD access, DWORD share, DWORD disposition) {
  if (is_link(path)) {
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return UniqueHandle();
  }
  UniqueHandle file(CreateFileA(path, access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return file;
  BY_HANDLE_FILE_INFORMATION info;
  const bool link_itself = GetFileInformationByHandle(file.get(), &info) &&
                           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (link_itself || !opened_in_place(file.get(), path)) {
    file.reset();
    SetLastError(ERROR_CANT_ACCESS_FILE);
  }
  return file;
}

}  // namespace platform
