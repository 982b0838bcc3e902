// The settings loader's store over an open registry key (the Config key in the service).
#pragma once

#include <windows.h>

#include "core/config_store.h"

namespace core {

class RegistryConfigStore final : public ConfigStore {
 public:
  // `key` stays owned by the caller and must outlive the store.
  explicit RegistryConfigStore(HKEY key) : key_(key) {}

  bool read_dword(const char* name, std::uint32_t& value) override;
  bool read_string(const char* name, char* buffer, std::size_t buffer_size) override;
  bool write_dword(const char* name, std::uint32_t value) override;
  bool write_string(const char* name, const char* value) override;
  bool delete_value(const char* name) override;

 private:
  HKEY key_;
};

}  // namespace core
