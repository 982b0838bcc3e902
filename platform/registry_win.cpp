#include "platform/registry_win.h"

#include <cstring>
#include <vector>

#include "platform/registry_rules.h"

namespace platform {

UniqueKey open_key(const char* path, REGSAM access, HKEY root) {
  UniqueKey key;
  if (RegOpenKeyExA(root, path, 0, access, key.receive()) != ERROR_SUCCESS) key.release();
  return key;
}

bool read_string_value(HKEY key, const char* name, char* buffer, std::size_t buffer_size) {
  if (buffer_size == 0) return false;
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(buffer_size);
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (rc != ERROR_SUCCESS || size > buffer_size || !string_value_usable(type, buffer, size)) {
    buffer[0] = '\0';
    return false;
  }
  if (size == 0) buffer[0] = '\0';
  return true;
}

ValueRead read_wide_string_value(HKEY key, const wchar_t* name, std::wstring& value, std::size_t max_chars) {
  value.clear();
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return ValueRead::absent;
  if (rc != ERROR_SUCCESS || size > (max_chars + 1) * sizeof(wchar_t)) return ValueRead::unusable;
  std::vector<std::uint16_t> data(size / 2 + 1);
  rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  if (rc != ERROR_SUCCESS || size > data.size() * 2 || !wide_string_value_usable(type, data.data(), size))
    return ValueRead::unusable;
  if (size > 0) value.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size / 2 - 1));
  return ValueRead::ok;
}

bool read_dword_value(HKEY key, const char* name, std::uint32_t& value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (rc != ERROR_SUCCESS || !dword_value_usable(type, size)) return false;
  value = data;
  return true;
}

bool write_string_value(HKEY key, const char* name, const char* value) {
  DWORD size = static_cast<DWORD>(std::strlen(value) + 1);
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), size) == ERROR_SUCCESS;
}

bool write_wide_string_value(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type) {
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), size) == ERROR_SUCCESS;
}

bool write_dword_value(HKEY key, const char* name, std::uint32_t value) {
  DWORD data = value;
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

}  // namespace platform
