#include "nut/served_ups.h"

#include <utility>

namespace nut {

ServedUps::ServedUps() : latest_(std::make_shared<const VariableSnapshot>()) {}

void ServedUps::publish(VariableSnapshot snapshot) {
  auto published = std::make_shared<const VariableSnapshot>(std::move(snapshot));
  const std::lock_guard lock(mutex_);
  latest_ = std::move(published);
  latest_forced_.reset();
}

void ServedUps::raise_forced_shutdown() {
  const std::lock_guard lock(mutex_);
  forced_ = true;
}

std::optional<ServedUps::Requester> ServedUps::take_client_forced_shutdown() {
  const std::lock_guard lock(mutex_);
  if (!client_forced_ || client_forced_taken_) return std::nullopt;
  client_forced_taken_ = true;
  return client_forced_;
}

std::vector<ServedUps::Order> ServedUps::take_orders() {
  const std::lock_guard lock(mutex_);
  std::vector<Order> taken(std::make_move_iterator(orders_.begin()), std::make_move_iterator(orders_.end()));
  orders_.clear();
  return taken;
}

void ServedUps::refuse_orders() {
  const std::lock_guard lock(mutex_);
  refusing_orders_ = true;
  orders_.clear();
}

std::shared_ptr<const VariableSnapshot> ServedUps::variables() {
  const std::lock_guard lock(mutex_);
  if (!forced_) return latest_;
  if (!latest_forced_) {
    VariableSnapshot forced = *latest_;
    forced.forced_shutdown = true;
    latest_forced_ = std::make_shared<const VariableSnapshot>(std::move(forced));
  }
  return latest_forced_;
}

void ServedUps::forced_shutdown(const std::string& user, const std::string& address) {
  const std::lock_guard lock(mutex_);
  forced_ = true;
  if (!client_forced_) client_forced_ = Requester{user, address};
}

bool ServedUps::instant_command(const InstantCommandRequest& request, const std::string& user,
                                const std::string& address) {
  const std::lock_guard lock(mutex_);
  if (refusing_orders_ || orders_.size() >= kMaxWaitingOrders) return false;
  orders_.push_back({request, {user, address}});
  return true;
}

}  // namespace nut
