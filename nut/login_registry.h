// LoginRegistry: the connections that did LOGIN, for NUMLOGINS, LIST CLIENT and the service's wait
// for the other computers at its critical point.
//
// A connection is on the list from its LOGIN until its LOGOUT or disconnection; one login per
// connection. Not thread-safe: the server's thread owns it and tells the service the count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nut {

using ConnectionId = std::uint64_t;

class LoginRegistry {
 public:
  void add(ConnectionId connection, std::string address);
  void remove(ConnectionId connection);

  std::size_t count() const { return logins_.size(); }
  // The clients' addresses in the order they logged in.
  std::vector<std::string> addresses() const;

 private:
  struct Login {
    ConnectionId connection;
    std::string address;
  };
  std::vector<Login> logins_;
};

}  // namespace nut
