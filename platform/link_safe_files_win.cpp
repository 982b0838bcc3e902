#include "platform/link_safe_files_win.h"

#include <winternl.h>

#include <vector>

#include "platform/system_function_win.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using QueryObjectFunction = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);

constexpr DWORD kNormalizedNtPath = 0x2;  // FILE_NAME_NORMALIZED | VOLUME_NAME_NT
constexpr OBJECT_INFORMATION_CLASS kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);

std::wstring without_trailing_separators(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool same_path(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

bool has_one_name(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
         info.nNumberOfLinks == 1;
}

// The folder as its path reaches it, links on the way followed.
UniqueHandle open_folder(const std::string& folder) {
  return UniqueHandle(CreateFileA(folder.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool opened_as_named(HANDLE file, const std::string& base, const std::string& relative) {
  const UniqueHandle folder = open_folder(base);
  if (!folder) return false;
  const std::wstring base_path = without_trailing_separators(final_path(folder.get()));
  const std::wstring file_path = final_path(file);
  if (base_path.empty() || file_path.empty()) return false;
  return same_path(file_path, base_path + to_wide(relative, CP_ACP));
}

// A link at a folder between `base` and the file: opening would create the file at its target.
bool link_on_the_way(const std::string& base, const std::string& relative) {
  for (std::size_t at = relative.find_first_of("\\/", 1); at != std::string::npos;
       at = relative.find_first_of("\\/", at + 1))
    if (is_link((base + relative.substr(0, at)).c_str())) return true;
  return false;
}

UniqueHandle refused() {
  SetLastError(ERROR_CANT_ACCESS_FILE);
  return UniqueHandle();
}

}  // namespace

std::pair<std::string, std::string> folder_and_name(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {".", "\\" + path};
  // "C:" alone would be the drive's current folder, not its root.
  const bool drive_root = slash == 2 && path[1] == ':';
  return {path.substr(0, drive_root ? slash + 1 : slash), path.substr(slash)};
}

bool is_link(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring object_name_path(HANDLE object) {
  static const auto query =
      find_system_function<QueryObjectFunction>(GetModuleHandleA("ntdll.dll"), "NtQueryObject");
  if (!query) return std::wstring();
  std::vector<BYTE> buffer(sizeof(UNICODE_STRING) + MAX_PATH * 4 * sizeof(wchar_t));
  ULONG needed = 0;
  if (query(object, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) < 0)
    return std::wstring();
  const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
  return name->Buffer ? std::wstring(name->Buffer, name->Length / sizeof(wchar_t)) : std::wstring();
}

std::wstring final_path(HANDLE object) {
  static const auto query =
      find_system_function<FinalPathFunction>(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
  if (!query) return object_name_path(object);
  std::vector<wchar_t> path(MAX_PATH * 4);
  const DWORD length = query(object, path.data(), static_cast<DWORD>(path.size()), kNormalizedNtPath);
  return length > 0 && length < path.size() ? std::wstring(path.data(), length) : std::wstring();
}

UniqueHandle create_file_below(const std::string& base, const std::string& relative, DWORD access, DWORD share,
                               DWORD disposition) {
  const std::string path = base + relative;
  if (is_link(path.c_str()) || link_on_the_way(base, relative)) return refused();
  UniqueHandle file(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return file;
  if (has_one_name(file.get()) && opened_as_named(file.get(), base, relative)) return file;
  file.reset();
  return refused();
}

UniqueHandle create_file_not_following(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  const auto [folder, name] = folder_and_name(path);
  return create_file_below(folder, name, access, share, disposition);
}

}  // namespace platform
