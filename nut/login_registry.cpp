#include "nut/login_registry.h"

#include <algorithm>

namespace nut {

void LoginRegistry::add(ConnectionId connection, std::string address) {
  remove(connection);
  logins_.push_back({connection, std::move(address)});
}

void LoginRegistry::remove(ConnectionId connection) {
  std::erase_if(logins_, [connection](const Login& login) { return login.connection == connection; });
}

std::vector<std::string> LoginRegistry::addresses() const {
  std::vector<std::string> addresses;
  addresses.reserve(logins_.size());
  for (const Login& login : logins_) addresses.push_back(login.address);
  return addresses;
}

}  // namespace nut
