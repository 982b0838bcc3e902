#include "ipc/status_publisher_win.h"

#include "ipc/new_data_event_win.h"
#include "ipc/shared_block_win.h"
#include "ipc/status_publication.h"

namespace ipc {
namespace {

// The in-process copy gets the same fields, without the registry and the event.
class NoStatusValues final : public StatusValueWriter {
 public:
  void write(const char*, std::uint32_t) override {}
};
class NoSignal final : public NewDataSignal {
 public:
  void reset() override {}
  void set() override {}
};

}  // namespace

bool StatusPublisher::open_block() {
  published_ = UpsSharedBlock{};
  unshared_block_.reset();
  if (open_shared_block(memory_, true, names_.block_base)) return true;
  if (memory_.adoption != platform::Adoption::refused) return false;
  unshared_block_ = std::make_unique<UpsSharedBlock>();
  return true;
}

UpsSharedBlock* StatusPublisher::block() const {
  return unshared_block_ ? unshared_block_.get() : shared_block(memory_);
}

bool StatusPublisher::create_new_data_event() {
  new_data_event_ = ipc::create_new_data_event(event_adoption_, names_.new_data_event);
  return new_data_event_.is_open();
}

void StatusPublisher::publish(const ups_link::UpsStatus& status, const core::ModelRecord& model, bool link_lost,
                              const ups_link::ServerBatteryValues& server) {
  if (!block()) return;
  NoStatusValues no_values;
  publish_status(published_, status, model, link_lost, no_values, server);
  RegistryStatusWriter registry(names_.status_key);
  publish_status(*block(), status, model, link_lost, registry, server);
}

void StatusPublisher::publish_cycle(const PollingCycle& cycle, const core::ModelRecord& model) {
  if (!block()) return;
  NoStatusValues no_values;
  NoSignal no_signal;
  ipc::publish_cycle(published_, cycle, model, no_values, no_signal);
  RegistryStatusWriter registry(names_.status_key);
  NewDataEvent new_data(new_data_event_.get());
  ipc::publish_cycle(*block(), cycle, model, registry, new_data);
}

bool StatusPublisher::take_action_request(PowerActionStarter& starter) {
  return block() && ipc::take_action_request(*block(), starter);
}

void StatusPublisher::close() {
  if (new_data_event_) ResetEvent(new_data_event_.get());
  new_data_event_.reset();
  memory_.view.reset();
  memory_.mapping.reset();
  unshared_block_.reset();
}

}  // namespace ipc
