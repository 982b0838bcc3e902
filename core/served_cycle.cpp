#include "core/served_cycle.h"

#include "link/ups_status.h"

namespace core {

nut::VariableSnapshot ServedCycle::variables(const ipc::UpsSharedBlock& published, const CoreSettings& now) {
  settings_.capacity_threshold_enabled = now.shutdown_on_cap_battery_enable != 0;
  settings_.capacity_threshold_percent = now.shutdown_on_cap_battery_wait;
  settings_.restore_enabled = now.turn_ups_on_enable != 0;
  settings_.restore_minutes = now.turn_ups_on_wait;

  const bool fresh = published.link_ok != 0;
  const std::uint32_t bits = published.status.status_bits;
  const bool low_now = fresh && (bits & ups_link::STATUS_BATTERY_LOW) != 0;
  const bool on_battery = (bits & ups_link::STATUS_UTILITY_FAIL) != 0;
  ipc::UpsSharedBlock served = published;
  if (fresh && on_battery && low_before_) served.status.status_bits |= ups_link::STATUS_BATTERY_LOW;
  low_before_ = low_now;
  return nut::served_variables(served, settings_);
}

}  // namespace core
