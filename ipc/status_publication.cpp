#include "ipc/status_publication.h"

#include "link/derived_values.h"

namespace ipc {

void publish_status(UpsSharedBlock& block, const ups_link::UpsStatus& status, const core::ModelRecord& model,
                    bool link_lost, StatusValueWriter& registry, const ups_link::ServerBatteryValues& server) {
  const ups_link::DerivedValues values = ups_link::derive_published_values(status, model, link_lost, server);
  block.status = status;
  registry.write(kCommStatusValue, values.comm_status);
  if (!values.link_answered) return;

  block.capacity_valid = values.capacity_valid;
  registry.write(kBatteryStatusValue, values.battery_status);
  registry.write(kBatteryCapacityValue, values.battery_capacity);
  registry.write(kTotalUpsRuntimeValue, values.total_ups_runtime);
  if (!values.model_values) return;

  block.capacity = values.capacity;
  block.load_va = values.load_va;
  block.runtime = values.runtime;
}

}  // namespace ipc
