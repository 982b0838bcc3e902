// Test helper: the service's registry keys as an installation leaves them, for a monitoring core
// started against the UPS simulator on COM1; and readers of what the core wrote.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry_win.h"

namespace core::testing {

inline constexpr char kTestModel[] = "Varnelo 600";
inline constexpr char kTestModelEntry[] =
    "VA:600\0UMIN:10.5\0UMAX:13.5\0MOD:1\0T0VA:60\0T150VA:30\0T300VA:15\0T600VA:5\0";

inline platform::UniqueKey create_key(const std::string& path) {
  platform::UniqueKey key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, platform::kKeyReadWrite, nullptr, key.receive(),
                  nullptr);
  return key;
}

inline std::string temp_directory(const char* name) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  std::string dir = std::string(base) + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Writes Port, the Config values the core reads, the model database entry and the Status key.
// Statistics go to `stat_dir`, the debug trace to `trace_file`.
inline void install_service_keys(const char* port, const std::string& stat_dir, const std::string& trace_file) {
  platform::UniqueKey service = create_key(platform::kServiceKeyPath);
  platform::write_string_value(service.get(), "Port", port);
  platform::UniqueKey config = create_key(platform::kConfigKeyPath);
  platform::write_string_value(config.get(), "Model", kTestModel);
  platform::write_string_value(config.get(), "Vendor", "Orvik");
  platform::write_dword_value(config.get(), "stat_on", 1);
  platform::write_dword_value(config.get(), "stat_data", 0);
  platform::write_string_value(config.get(), "stat_path", stat_dir.c_str());
  platform::write_string_value(config.get(), "DebugTraceFile", trace_file.c_str());
  platform::UniqueKey db = create_key(std::string(platform::kServiceKeyPath) + "\\db");
  RegSetValueExA(db.get(), kTestModel, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kTestModelEntry),
                 sizeof kTestModelEntry);
  create_key(std::string(platform::kServiceKeyPath) + "\\Status");
}

inline std::uint32_t status_value(const char* name) {
  platform::UniqueKey status = platform::open_key((std::string(platform::kServiceKeyPath) + "\\Status").c_str());
  std::uint32_t value = 0xFFFFFFFF;
  if (status) platform::read_dword_value(status.get(), name, value);
  return value;
}

}  // namespace core::testing
