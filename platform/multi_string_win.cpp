#include "platform/multi_string_win.h"

#include "platform/multi_string.h"

namespace platform {

ListRead read_multi_string_value(HKEY key, const char* name, std::vector<std::string>& items, std::size_t max_bytes) {
  items.clear();
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return ListRead::absent;
  if (rc != ERROR_SUCCESS || size > max_bytes) return ListRead::unusable;
  std::string data(size, '\0');
  rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  if (rc != ERROR_SUCCESS || size > data.size()) return ListRead::unusable;
  std::optional<std::vector<std::string>> read = multi_string_items(type, data.data(), size);
  if (!read) return ListRead::unusable;
  items = std::move(*read);
  return ListRead::ok;
}

bool write_multi_string_value(HKEY key, const char* name, const std::vector<std::string>& items) {
  const std::optional<std::string> data = multi_string_data(items);
  return data && RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data->data()),
                                static_cast<DWORD>(data->size())) == ERROR_SUCCESS;
}

}  // namespace platform
