// ServerSession: the NUT network protocol (version 1.3) for one client connection, as a pure state
// machine over request lines. Its answers are byte for byte those of NUT 2.8's server for the same
// requests, error words included; the sockets around it are the caller's.
//
// Like NUT's server, it knows its commands from one table: the command's name (any case), its
// handler, and whether it needs the connection's USERNAME and PASSWORD first (LOGIN, PRIMARY,
// MASTER, FSD, SET, INSTCMD). The finer right (log in, primary, forced shutdown, an instant command)
// is checked by the handler against the user table once the UPS name is known good, so the errors
// come in the order NUT gives them. The password is checked at each such command, not at PASSWORD;
// each check goes through the login slowdown, whose pause the answer carries in `hold`.
//
// Departures from NUT's server, each for a reason:
//   - VER and server.info name this system, not NUT's server;
//   - status tracking is not offered: GET TRACKING says OFF, SET TRACKING ON is refused with
//     FEATURE-NOT-SUPPORTED (SET TRACKING OFF is OK);
//   - an instant command whose parameter does not fit it is refused with INVALID-ARGUMENT, where NUT's
//     server would say OK and its driver then drop the command;
//   - an overlong line is answered TOO-LONG and the connection closed (kOverlongLineAnswer).
//
// Threading: all sessions of a server and the objects of ServerShared belong to the server's one
// thread; the snapshot source and the request sink are the only ways out of it.
#pragma once

#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "nut/instant_commands.h"
#include "nut/login_registry.h"
#include "nut/login_slowdown.h"
#include "nut/quoted_words.h"
#include "nut/users.h"
#include "nut/variable_snapshot.h"

namespace nut {

inline constexpr std::string_view kProtocolVersion = "1.3";
// Requests longer than this (before the LF) are not read.
inline constexpr std::size_t kMaxRequestLength = 1024;
inline constexpr std::string_view kOverlongLineAnswer = "ERR TOO-LONG\n";
// For the connection beyond the configured maximum, just before it is closed.
inline constexpr std::string_view kTooManyClientsAnswer = "ERR ACCESS-DENIED\n";

struct ServerIdentity {
  std::string ups_name = "ups";
  std::string ups_description;  // ups_description() of served_variables.h
  std::string version_line;     // VER and server.info, without the LF
  std::string server_version;   // server.version
};

class SnapshotSource {
 public:
  virtual ~SnapshotSource() = default;
  // The latest cycle's variables with the server's forced-shutdown flag as it is now.
  virtual std::shared_ptr<const VariableSnapshot> variables() = 0;
};

class RequestSink {
 public:
  virtual ~RequestSink() = default;
  // A permitted client set FSD: the service treats it as its critical point, at once.
  virtual void forced_shutdown(const std::string& user, const std::string& address) = 0;
  // An instant command for the UPS; false when it could not be handed to the polling side.
  virtual bool instant_command(const InstantCommandRequest& request, const std::string& user,
                               const std::string& address) = 0;
};

// What every session of one server shares; owned by the server.
struct ServerShared {
  const ServerIdentity& identity;
  SnapshotSource& snapshots;
  const UserTable& users;
  RequestSink& requests;
  LoginRegistry& logins;
  LoginSlowdown& slowdown;
};

class ServerSession {
 public:
  using Milliseconds = std::chrono::milliseconds;

  struct Answer {
    std::string text;     // the bytes to send; empty when nothing is owed
    bool close = false;   // close the connection once `text` is sent
    Milliseconds hold{0}; // send nothing on this connection, and read nothing more, until then
  };

  ServerSession(ServerShared& shared, ConnectionId connection, std::string client_address);
  ~ServerSession();
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  // One request line without its line end; `now` is a monotonic clock in milliseconds.
  Answer handle_line(std::string_view line, Milliseconds now);

  bool logged_in() const { return logged_in_; }
  bool closed() const { return closed_; }

 private:
  using Args = std::span<const std::string>;
  using Handler = void (ServerSession::*)(Args args);

  struct Command {
    std::string_view name;
    Handler handler;
    bool needs_credentials;
  };
  static const Command kCommands[];

  void dispatch(const Words& words);
  void reply(std::string_view text) { answer_.text.append(text); }
  void error(std::string_view word);

  // Checks shared by handlers; each answers the error itself and returns false.
  bool known_ups(const std::string& name);
  bool fresh(const VariableSnapshot& snapshot);
  bool authorized(Right right);
  const NutUser* authenticated_user();

  void ver(Args args);
  void netver(Args args);
  void help(Args args);
  void starttls(Args args);
  void get(Args args);
  void list(Args args);
  void username(Args args);
  void password(Args args);
  void login(Args args);
  void logout(Args args);
  void primary(Args args);
  void master(Args args);
  void fsd(Args args);
  void set(Args args);
  void instcmd(Args args);

  void remember(Args args, std::string& slot, bool& set, std::string_view already);
  void grant_primary(Args args, std::string_view granted);
  void get_numlogins(const std::string& ups);
  void get_upsdesc(const std::string& ups);
  void get_var(const std::string& ups, const std::string& name);
  void get_server_var(const std::string& ups, const std::string& name);
  void get_type(const std::string& ups, const std::string& name);
  void get_desc(const std::string& ups, const std::string& name);
  void get_cmddesc(const std::string& ups, const std::string& name);
  void list_ups();
  void list_var(const std::string& ups);
  void list_rw(const std::string& ups);
  void list_cmd(const std::string& ups);
  void list_client(const std::string& ups);
  void list_empty_of_var(std::string_view kind, const std::string& ups, const std::string& name);
  void set_var(Args args);
  void set_tracking(const std::string& value);

  ServerShared& shared_;
  ConnectionId connection_;
  std::string address_;
  std::string username_;
  std::string password_;
  bool username_set_ = false;
  bool password_set_ = false;
  bool logged_in_ = false;
  bool closed_ = false;

  // Of the request being handled.
  Answer answer_;
  Milliseconds now_{0};
};

}  // namespace nut
