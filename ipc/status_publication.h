// Publishing one parsed status: the record and its derived values into the shared block, and the
// UPS service's four registry status values.
//
// Fields and values that a cycle does not publish keep their last content: with the link lost only
// the record and CommStatus change; with an invalid model the capacity, load and runtime fields of
// the block are not touched (they stay 0 from the zero-filled block). Not thread-safe: the polling
// thread (or UPSInit before it starts) is the only publisher.
#pragma once

#include <cstdint>

#include "core/model_record.h"
#include "ipc/shared_block.h"
#include "link/derived_values.h"
#include "link/ups_status.h"

namespace ipc {

// REG_DWORD values under the service's Status key, written in this order.
inline constexpr const char* kCommStatusValue = "CommStatus";
inline constexpr const char* kBatteryStatusValue = "BatteryStatus";
inline constexpr const char* kBatteryCapacityValue = "BatteryCapacity";
inline constexpr const char* kTotalUpsRuntimeValue = "TotalUPSRuntime";

// Where the status values go: the registry's Status key on Windows. A write that fails is not
// reported; the values are advisory and the next cycle writes them again.
class StatusValueWriter {
 public:
  virtual ~StatusValueWriter() = default;
  virtual void write(const char* name, std::uint32_t value) = 0;
};

// `server`: what a NUT server reported of the battery itself (derived_values.h).
void publish_status(UpsSharedBlock& block, const ups_link::UpsStatus& status, const core::ModelRecord& model,
                    bool link_lost, StatusValueWriter& registry, const ups_link::ServerBatteryValues& server = {});

}  // namespace ipc
