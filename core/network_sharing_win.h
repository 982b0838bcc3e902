// NetworkSharing: the UPS shared with the other computers on it, through the NUT server of the
// running core. Off unless the "Network" key turns it on; with it off nothing here acts.
//
//   start()     UPSInit, once the first status is published: reads the key and starts the server
//               (event 44 when it cannot serve)
//   publish()   the query thread, after each cycle's publication: the variables clients get
//   take_*()    the query thread, at the start of each cycle: a client's FSD and instant commands
//   let_clients_go_first()   the host's thread at the critical point: FSD to every client, then
//               the wait for those logged in (event 42), at most "HostSync" seconds
//   stop()      UPSStop: the server ends (within its own time limit; a server thread that does not
//               end is left behind rather than waited for)
//
// Threads as listed; the query thread runs only between start() and stop(), so the members it
// reads are never changed under it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/core_settings.h"
#include "core/model_record.h"
#include "core/served_cycle.h"
#include "ipc/shared_block.h"
#include "nut/network_server_win.h"
#include "nut/served_ups.h"

namespace core {

struct ServedUpsIdentity {
  std::string vendor;
  std::string model;
  std::string port;
};

class NetworkSharing {
 public:
  void start(const ServedUpsIdentity& identity, const ModelRecord& model, const ipc::UpsSharedBlock& published,
             const CoreSettings& settings);
  void publish(const ipc::UpsSharedBlock& published, const CoreSettings& settings);
  std::optional<nut::ServedUps::Requester> take_client_forced_shutdown();
  std::vector<nut::ServedUps::Order> take_orders();
  // The query thread has ended: nothing would carry out an instant command any more.
  void refuse_orders();
  void let_clients_go_first();
  void stop();

  // The UPS turn-off delay that shutdown.return and ups.delay.shutdown use, seconds.
  std::uint32_t turn_off_delay_seconds() const { return turn_off_delay_seconds_; }

 private:
  std::unique_ptr<nut::ServedUps> served_;
  std::unique_ptr<nut::NetworkServer> server_;
  std::unique_ptr<ServedCycle> cycle_;
  std::uint32_t host_sync_seconds_ = 0;
  std::uint32_t turn_off_delay_seconds_ = 0;
};

}  // namespace core
