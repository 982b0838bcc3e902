#include "link/derived_values.h"

#include <cstdint>
#include <iterator>

namespace ups_link {
namespace {

// A garbage status line can carry NaN or huge numbers; converting those to an integer
// would be undefined, so they saturate (NaN counts as 0).
std::uint32_t truncate_to_dword(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 4294967296.0f) return UINT32_MAX;
  return static_cast<std::uint32_t>(value);
}

float capacity_percent(float battery_voltage, const core::ModelRecord& model) {
  const float capacity = (battery_voltage - model.u_min) * 100.0f / (model.u_max - model.u_min);
  if (!(capacity > 0.0f)) return 0.0f;
  return capacity > 100.0f ? 100.0f : capacity;
}

// Linear between the two points that bracket the load, scaled by the charge left.
// Returns false when no pair brackets it (below the first point or at/after the last).
bool estimate_runtime(float load_va, float capacity, const core::RuntimeTable& table, float& runtime) {
  if (table.count() < 2) return false;
  auto p = table.begin();
  for (auto q = std::next(p); q != table.end(); p = q++) {
    if (p->load <= load_va && load_va < q->load) {
      const float t = (load_va - p->load) / (q->load - p->load);
      runtime = ((1.0f - t) * p->minutes + t * q->minutes) * capacity * 0.01f;
      return true;
    }
  }
  return false;
}

void derive_battery_values(const UpsStatus& status, const core::ModelRecord& model, const ServerBatteryValues& server,
                           DerivedValues& out) {
  out.model_values = true;
  out.capacity_valid = 1;
  out.capacity = server.capacity_percent ? *server.capacity_percent : capacity_percent(status.battery_voltage, model);
  out.battery_capacity = truncate_to_dword(out.capacity);
  out.load_va = model.valid ? static_cast<float>(status.load_percent) * model.va * 0.01f : 0.0f;
  out.runtime = 0;
  out.total_ups_runtime = model.valid ? 1 : 0;
  float runtime = 0;
  if (server.runtime_minutes) {
    runtime = *server.runtime_minutes;
  } else if (!model.valid || out.load_va >= kRuntimeEstimateLimitVa ||
             !estimate_runtime(out.load_va, out.capacity, model.runtime_table, runtime)) {
    return;
  }
  out.runtime = runtime;
  const std::uint32_t whole_minutes = truncate_to_dword(runtime);
  out.total_ups_runtime = whole_minutes > 0 ? whole_minutes : 1;
}

}  // namespace

DerivedValues derive_published_values(const UpsStatus& status, const core::ModelRecord& model, bool link_lost,
                                      const ServerBatteryValues& server) {
  DerivedValues out;
  if (link_lost) return out;

  out.link_answered = true;
  out.comm_status = 1;
  out.battery_status = (status.status_bits & STATUS_UPS_FAULT) != 0 ? 2 : 1;
  if (model.valid || server.capacity_percent) derive_battery_values(status, model, server, out);
  return out;
}

}  // namespace ups_link
