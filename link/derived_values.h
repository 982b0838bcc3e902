// Derived values: what one polling cycle publishes besides the raw UpsStatus record.
//
// A UPS served over the network may report its charge and runtime itself (ServerBatteryValues);
// those are published instead of the model table's estimate, and make the capacity valid even
// without a valid model. Without them, and with a valid model, both come from the table.
//
// derive_published_values decides the numbers and which of them are written; the caller
// copies the record into the shared block first, then writes what this says, in this order:
//   registry CommStatus                                       always
//   block capacity-valid byte; registry BatteryStatus,
//     BatteryCapacity, TotalUPSRuntime                        only when `link_answered`
//   block capacity, load VA and runtime                       only when `model_values`
// Fields not written keep their last content. Pure function; thread-safe.
#pragma once

#include <cstdint>
#include <optional>

#include "core/model_record.h"
#include "link/ups_status.h"

namespace ups_link {

// Loads from this many volt-amperes on are beyond any runtime estimate.
inline constexpr float kRuntimeEstimateLimitVa = 2000.0f;

struct DerivedValues {
  bool link_answered = false;
  bool model_values = false;

  std::uint32_t comm_status = 0;
  std::uint32_t battery_status = 0;     // 2 when the UPS reports a fault (battery to replace), else 1
  std::uint32_t battery_capacity = 0;   // percent, truncated
  std::uint32_t total_ups_runtime = 0;  // minutes, at least 1 for a valid model

  std::uint8_t capacity_valid = 0;
  float capacity = 0;  // percent, 0..100
  float load_va = 0;
  float runtime = 0;  // minutes; 0 when not estimated
};

// What a NUT server reports of the battery (battery.charge, battery.runtime), when it does.
struct ServerBatteryValues {
  std::optional<float> capacity_percent;  // 0..100
  std::optional<float> runtime_minutes;   // >= 0
};

DerivedValues derive_published_values(const UpsStatus& status, const core::ModelRecord& model, bool link_lost,
                                      const ServerBatteryValues& server = {});

}  // namespace ups_link
