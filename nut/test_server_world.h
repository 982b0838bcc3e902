// A server's surroundings for tests of ServerSession: identity, users, a snapshot the test sets, a
// request sink that records what reached the service, the login registry and the slowdown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nut/server_session.h"

namespace nut {

class TestServerWorld : public SnapshotSource, public RequestSink {
 public:
  TestServerWorld() {
    identity.ups_name = "ups";
    identity.ups_description = "Orvik Varnelo 600 (COM1)";
    identity.version_line = "Orvik UPS service 1.0.0";
    identity.server_version = "1.0.0";
    snapshot.stale = false;
    snapshot.variables = {{"battery.charge", "100"}, {"ups.load", "12"}, {"ups.status", "OL"}};
    users = UserTable({
        user({"admin", "secret", "primary", {"SET"}, {"all"}}),
        user({"mon", "pw2", "secondary", {}, {}}),
        user({"tester", "t\"q\\x", "", {}, {"test.battery.start.quick"}}),
    });
  }

  std::shared_ptr<const VariableSnapshot> variables() override {
    return std::make_shared<const VariableSnapshot>(snapshot);
  }
  // As the service does: the flag shows in the very next answer.
  void forced_shutdown(const std::string& user, const std::string& address) override {
    forced_by.push_back(user + "@" + address);
    snapshot.forced_shutdown = true;
  }
  bool instant_command(const InstantCommandRequest& request, const std::string& user,
                       const std::string& address) override {
    if (!accept_commands) return false;
    commands.push_back(request);
    command_senders.push_back(user + "@" + address);
    return true;
  }

  std::unique_ptr<ServerSession> session(std::string address = "127.0.0.1") {
    return std::make_unique<ServerSession>(shared, next_connection++, std::move(address));
  }

  ServerIdentity identity;
  VariableSnapshot snapshot;
  UserTable users;
  LoginRegistry logins;
  LoginSlowdown slowdown;
  ServerShared shared{identity, *this, users, *this, logins, slowdown};

  bool accept_commands = true;
  std::vector<std::string> forced_by;
  std::vector<InstantCommandRequest> commands;
  std::vector<std::string> command_senders;
  ConnectionId next_connection = 1;

 private:
  static NutUser user(const UserSettings& settings) { return user_from_settings(settings).user; }
};

}  // namespace nut
