// ServedUps: what the polling thread and the server's thread share about the one UPS served.
//
// The polling thread publishes each cycle's variables and carries out what clients asked for; the
// server's thread reads the latest variables and hands requests over, through the two interfaces of
// ServerSession. Neither waits for the other beyond one short lock, so a busy server never delays a
// polling cycle, and the UPS hears every command from the polling thread alone.
//
// The forced-shutdown flag: once set, by a permitted client's FSD or by this computer's own critical
// point, every answer from then on shows FSD in ups.status, the very next one included. It is never
// cleared: the service stops monitoring after its critical point, and a new start begins afresh.
// Instant commands queue up to kMaxWaitingOrders; beyond that, and once the polling thread has
// ended (refuse_orders), a command is refused, so that a client is never told OK for a command that
// nothing will send. Thread-safe.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "nut/server_session.h"

namespace nut {

class ServedUps final : public SnapshotSource, public RequestSink {
 public:
  static constexpr std::size_t kMaxWaitingOrders = 16;

  struct Requester {
    std::string user;
    std::string address;
  };
  struct Order {
    InstantCommandRequest request;
    Requester requester;
  };

  ServedUps();

  // Polling side.
  void publish(VariableSnapshot snapshot);
  void raise_forced_shutdown();
  // The client whose FSD has not been taken yet (the first one, when several came).
  std::optional<Requester> take_client_forced_shutdown();
  std::vector<Order> take_orders();
  void refuse_orders();

  // Server side.
  std::shared_ptr<const VariableSnapshot> variables() override;
  void forced_shutdown(const std::string& user, const std::string& address) override;
  bool instant_command(const InstantCommandRequest& request, const std::string& user,
                       const std::string& address) override;

 private:
  std::mutex mutex_;
  std::shared_ptr<const VariableSnapshot> latest_;
  std::shared_ptr<const VariableSnapshot> latest_forced_;  // latest_ with the flag, made when first asked
  bool forced_ = false;
  std::optional<Requester> client_forced_;
  bool client_forced_taken_ = false;
  std::deque<Order> orders_;
  bool refusing_orders_ = false;
};

}  // namespace nut
