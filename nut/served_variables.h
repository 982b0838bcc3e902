// The variables of the current polling cycle, as the server hands them out: the values the shared
// block publishes, in the names and formats NUT's Q1 driver gives the same UPS.
//
//   battery.charge        capacity, whole percent (truncated, as the registry's BatteryCapacity)  *
//   battery.charge.low    the capacity threshold, when it is on
//   battery.runtime       the runtime estimate in seconds, when there is one                     *
//   battery.voltage       "%.2f"
//   battery.voltage.high / .low   the model's UMAX / UMIN, "%.2f"                                 *
//   device.mfr, ups.mfr   the vendor;  device.model, ups.model  the model;  device.type "ups"
//   driver.name, driver.version   this system's own
//   input.voltage, input.voltage.fault, input.frequency, output.voltage   "%.1f"
//   ups.load              whole percent
//   ups.power.nominal     the model's VA                                                          *
//   ups.status, ups.alarm, ups.type, ups.beeper.status   from the status bits (status_words.h)
//   ups.temperature       "%.1f", only when the UPS reports one
//   ups.delay.shutdown    the turn-off delay in seconds as the UPS gets it (12..600)
//   ups.delay.start       seconds until the output returns after a turn-off; 0 when it does not
// (* only with a valid model.) Numbers always use a decimal point, whatever the user's regional
// settings. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>

#include "ipc/shared_block.h"
#include "nut/variable_snapshot.h"

namespace nut {

// What the variables need besides the block: the configuration as it stands in this cycle.
struct ServedSettings {
  std::string vendor;  // configured names, as the setup dialog saved them
  std::string model;
  bool model_valid = false;
  float model_va = 0;
  float model_u_min = 0;
  float model_u_max = 0;
  std::uint32_t turn_off_delay_seconds = 0;  // TurnUPSOffWait
  bool restore_enabled = false;              // TurnUPSOnEnable
  std::uint32_t restore_minutes = 0;         // TurnUPSOnWait
  bool capacity_threshold_enabled = false;   // ShutdownOnCapBatteryEnable
  std::uint32_t capacity_threshold_percent = 0;
  std::string driver_name;
  std::string driver_version;
};

// The snapshot of one cycle: stale when the block says the link is down. The forced-shutdown flag
// is the server's, not the block's, and stays clear here.
VariableSnapshot served_variables(const ipc::UpsSharedBlock& block, const ServedSettings& settings);

// "<vendor> <model> (<port>)": the UPS's description in LIST UPS and GET UPSDESC.
std::string ups_description(const std::string& vendor, const std::string& model, const std::string& port);

}  // namespace nut
