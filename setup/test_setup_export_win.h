// Test helper for the Windows tests of the `setup` export: the export bound from the library as
// the service host loads it, and the parts of the prefix's service key that installation writes,
// saved when a suite starts and put back exactly when it ends (other test programs share the
// prefix and expect their own keys).
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/test_minidriver_host_win.h"
#include "platform/registry_win.h"
#include "platform/system_function_win.h"
#include "setup/install_registry_win.h"
#include "setup/setup_export.h"
#include "setup/test_registry_snapshot_win.h"

namespace installation::testing {

// "orvik_dll.dll" beside the test program, loaded by name.
using core::testing::load_driver_library;

inline SetupFunction bind_setup(HMODULE library) {
  return platform::find_system_function<SetupFunction>(library, "setup");
}

inline platform::UniqueKey open_service_subkey(const char* name, REGSAM access = KEY_READ) {
  return platform::open_key((std::string(platform::kServiceKeyPath) + "\\" + name).c_str(), access);
}

// A value as the wide query returns it: its type and data.
struct StoredValue {
  DWORD type = 0;
  std::vector<BYTE> data;
  bool operator==(const StoredValue&) const = default;
  friend void PrintTo(const StoredValue& value, std::ostream* out) {
    *out << "type " << value.type << ", " << value.data.size() << " bytes";
  }
};

inline std::optional<StoredValue> stored_value(HKEY key, const wchar_t* name) {
  StoredValue value;
  DWORD size = 0;
  if (!key || RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.data.resize(size);
  return value;
}

// Every value name of `key`, in enumeration order.
inline std::vector<std::wstring> value_names(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD length = 16384;
    if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

inline std::vector<std::wstring> subkey_names(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// What installation writes below the service key, put back as it was when destroyed; the service
// key itself exists meanwhile and goes again when it did not exist before.
class ServiceKeySnapshot {
 public:
  ServiceKeySnapshot() { create_key(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath); }

 private:
  static std::wstring path(const char* below = nullptr) {
    return to_utf16(platform::kServiceKeyPath) + (below ? L"\\" + to_utf16(below) : L"");
  }

  // Restored in reverse order: the subkeys and values first, the key's own presence last.
  KeyPresence service_{HKEY_LOCAL_MACHINE, path()};
  ValueSnapshot port_{HKEY_LOCAL_MACHINE, path(), L"Port"};
  ValueSnapshot description_{HKEY_LOCAL_MACHINE, path(), L"Description"};
  RegistrySnapshot database_{HKEY_LOCAL_MACHINE, path("db")};
  RegistrySnapshot providers_{HKEY_LOCAL_MACHINE, path("ServiceProviders")};
  RegistrySnapshot config_{HKEY_LOCAL_MACHINE, path("Config")};
  RegistrySnapshot status_{HKEY_LOCAL_MACHINE, path("status")};
};

}  // namespace installation::testing
