// StatusPublisher: the service side's publication objects, held from UPSInit to UPSStop: the
// shared block it creates, the new-data event and the registry Status key it writes.
//
// Used by UPSInit (open_block, publish of the first record, create_new_data_event) and then by the
// polling thread alone (take_action_request, publish_cycle); UPSStop closes it after that thread
// has ended. Not thread-safe.
#pragma once

#include <memory>
#include <string>

#include "core/model_record.h"
#include "ipc/action_request.h"
#include "ipc/cycle_publication.h"
#include "ipc/shared_block.h"
#include "ipc/status_registry_win.h"
#include "link/ups_status.h"
#include "platform/handles_win.h"
#include "platform/shared_memory_win.h"

namespace ipc {

// The system's object names; tests give their own to run beside an installed service.
struct PublicationNames {
  const char* block_base = kSharedBlockBaseName;
  const char* new_data_event = kNewDataEventName;
  const char* status_key = kStatusKeyPath;
};

class StatusPublisher {
 public:
  explicit StatusPublisher(const PublicationNames& names = {}) : names_(names) {}
  StatusPublisher(const StatusPublisher&) = delete;
  StatusPublisher& operator=(const StatusPublisher&) = delete;
  ~StatusPublisher() { close(); }

  // Creates (or takes over) the block, zero-filled. Failures are logged by the open routine. A
  // block another account made first is refused: the monitoring then publishes into a block of
  // its own memory, which no other process sees, until the next start tries the name again.
  bool open_block();
  // Null until open_block succeeded.
  UpsSharedBlock* block() const;
  platform::Adoption block_adoption() const { return memory_.adoption; }
  std::string block_name() const { return platform::shared_memory_name(names_.block_base); }
  // What this process published, kept in its own memory: any local user can write the shared
  // block, so the service decides from this copy, never from values read back from the block.
  const UpsSharedBlock& published() const { return published_; }

  // Creates the new-data event, not signalled until the first cycle is published.
  bool create_new_data_event();
  platform::Adoption event_adoption() const { return event_adoption_; }
  const char* event_name() const { return names_.new_data_event; }

  // Publishes a record outside any cycle (UPSInit's first record, before the event exists).
  void publish(const ups_link::UpsStatus& status, const core::ModelRecord& model, bool link_lost,
               const ups_link::ServerBatteryValues& server = {});
  // One polling cycle, bracketed by the new-data event (cycle_publication.h).
  void publish_cycle(const PollingCycle& cycle, const core::ModelRecord& model);

  bool take_action_request(PowerActionStarter& starter);

  // Resets the event first, so that readers still holding it stop trusting the block, then
  // releases event and block.
  void close();

 private:
  PublicationNames names_;
  platform::SharedMemory memory_;
  std::unique_ptr<UpsSharedBlock> unshared_block_;  // while the shared one is refused
  UpsSharedBlock published_{};
  platform::UniqueHandle new_data_event_;
  platform::Adoption event_adoption_ = platform::Adoption::created;
};

}  // namespace ipc
