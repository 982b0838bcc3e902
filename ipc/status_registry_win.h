// The UPS service's status values in the registry: "CommStatus", "BatteryStatus",
// "BatteryCapacity" and "TotalUPSRuntime" (REG_DWORD) under the service's Status key.
#pragma once

#include <cstdint>

#include "ipc/status_publication.h"
#include "platform/handles_win.h"

namespace ipc {

inline constexpr const char* kStatusKeyPath = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Status";

// Holds the Status key open for one publication. The key belongs to the installation: it is never
// created here, and while it is missing every write is silently dropped.
class RegistryStatusWriter final : public StatusValueWriter {
 public:
  explicit RegistryStatusWriter(const char* key_path = kStatusKeyPath);
  void write(const char* name, std::uint32_t value) override;

 private:
  platform::UniqueKey key_;
};

}  // namespace ipc
