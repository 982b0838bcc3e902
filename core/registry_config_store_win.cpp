#include "core/registry_config_store_win.h"

#include "platform/registry_win.h"

namespace core {

bool RegistryConfigStore::read_dword(const char* name, std::uint32_t& value) {
  return platform::read_dword_value(key_, name, value);
}

bool RegistryConfigStore::read_string(const char* name, char* buffer, std::size_t buffer_size) {
  return platform::read_string_value(key_, name, buffer, buffer_size);
}

bool RegistryConfigStore::write_dword(const char* name, std::uint32_t value) {
  return platform::write_dword_value(key_, name, value);
}

bool RegistryConfigStore::write_string(const char* name, const char* value) {
  return platform::write_string_value(key_, name, value);
}

bool RegistryConfigStore::delete_value(const char* name) {
  const LSTATUS result = RegDeleteValueA(key_, name);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace core
