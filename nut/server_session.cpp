#include "nut/server_session.h"

#include <algorithm>

#include "nut/text_compare.h"

namespace nut {

const ServerSession::Command ServerSession::kCommands[] = {
    {"VER", &ServerSession::ver, false},
    {"NETVER", &ServerSession::netver, false},
    {"PROTVER", &ServerSession::netver, false},
    {"HELP", &ServerSession::help, false},
    {"STARTTLS", &ServerSession::starttls, false},
    {"GET", &ServerSession::get, false},
    {"LIST", &ServerSession::list, false},
    {"USERNAME", &ServerSession::username, false},
    {"PASSWORD", &ServerSession::password, false},
    {"LOGIN", &ServerSession::login, true},
    {"LOGOUT", &ServerSession::logout, false},
    {"PRIMARY", &ServerSession::primary, true},
    {"MASTER", &ServerSession::master, true},
    {"FSD", &ServerSession::fsd, true},
    {"SET", &ServerSession::set, true},
    {"INSTCMD", &ServerSession::instcmd, true},
};

ServerSession::ServerSession(ServerShared& shared, ConnectionId connection, std::string client_address)
    : shared_(shared), connection_(connection), address_(std::move(client_address)) {}

ServerSession::~ServerSession() { shared_.logins.remove(connection_); }

ServerSession::Answer ServerSession::handle_line(std::string_view line, Milliseconds now) {
  answer_ = Answer{};
  if (closed_) return answer_;
  now_ = now;
  dispatch(split_words(line));
  return std::move(answer_);
}

void ServerSession::dispatch(const Words& words) {
  if (words.empty()) return error("UNKNOWN-COMMAND");
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return equal_ignoring_case(c.name, words[0]); });
  if (command == std::end(kCommands)) return error("UNKNOWN-COMMAND");
  if (command->needs_credentials) {
    if (!username_set_) return error("USERNAME-REQUIRED");
    if (!password_set_) return error("PASSWORD-REQUIRED");
  }
  (this->*command->handler)(Args(words).subspan(1));
}

void ServerSession::error(std::string_view word) {
  reply("ERR ");
  reply(word);
  reply("\n");
}

bool ServerSession::known_ups(const std::string& name) {
  if (equal_ignoring_case(name, shared_.identity.ups_name)) return true;
  error("UNKNOWN-UPS");
  return false;
}

bool ServerSession::fresh(const VariableSnapshot& snapshot) {
  if (!snapshot.stale) return true;
  error("DATA-STALE");
  return false;
}

const NutUser* ServerSession::authenticated_user() {
  const Milliseconds pause = shared_.slowdown.admit(address_, now_);
  answer_.hold = std::max(answer_.hold, pause);
  const NutUser* user = shared_.users.authenticate(username_, password_);
  shared_.slowdown.record(address_, user != nullptr, now_);
  return user;
}

bool ServerSession::authorized(Right right) {
  const NutUser* user = authenticated_user();
  if (user != nullptr && has_right(*user, right)) return true;
  error("ACCESS-DENIED");
  return false;
}

void ServerSession::ver(Args args) {
  if (!args.empty()) return error("INVALID-ARGUMENT");
  reply(shared_.identity.version_line);
  reply("\n");
}

void ServerSession::netver(Args args) {
  if (!args.empty()) return error("INVALID-ARGUMENT");
  reply(kProtocolVersion);
  reply("\n");
}

void ServerSession::help(Args args) {
  if (!args.empty()) return error("INVALID-ARGUMENT");
  reply("Commands: HELP VER GET LIST SET INSTCMD LOGIN LOGOUT USERNAME PASSWORD STARTTLS\n");
}

void ServerSession::starttls(Args) { error("FEATURE-NOT-CONFIGURED"); }

void ServerSession::username(Args args) { remember(args, username_, username_set_, "ALREADY-SET-USERNAME"); }

void ServerSession::password(Args args) { remember(args, password_, password_set_, "ALREADY-SET-PASSWORD"); }

// A connection names its user and password once each.
void ServerSession::remember(Args args, std::string& slot, bool& set, std::string_view already) {
  if (args.size() != 1) return error("INVALID-ARGUMENT");
  if (set) return error(already);
  slot = args[0];
  set = true;
  reply("OK\n");
}

void ServerSession::login(Args args) {
  if (args.size() != 1) return error("INVALID-ARGUMENT");
  if (logged_in_) return error("ALREADY-LOGGED-IN");
  if (!known_ups(args[0]) || !authorized(Right::login)) return;
  shared_.logins.add(connection_, address_);
  logged_in_ = true;
  reply("OK\n");
}

void ServerSession::logout(Args args) {
  if (!args.empty()) return error("INVALID-ARGUMENT");
  reply("OK Goodbye\n");
  shared_.logins.remove(connection_);
  logged_in_ = false;
  closed_ = true;
  answer_.close = true;
}

void ServerSession::primary(Args args) { grant_primary(args, "OK PRIMARY-GRANTED\n"); }

void ServerSession::master(Args args) { grant_primary(args, "OK MASTER-GRANTED\n"); }

void ServerSession::grant_primary(Args args, std::string_view granted) {
  if (args.size() != 1) return error("INVALID-ARGUMENT");
  if (!known_ups(args[0]) || !authorized(Right::primary)) return;
  reply(granted);
}

void ServerSession::fsd(Args args) {
  if (args.size() != 1) return error("INVALID-ARGUMENT");
  if (!known_ups(args[0]) || !authorized(Right::forced_shutdown)) return;
  shared_.requests.forced_shutdown(username_, address_);
  reply("OK FSD-SET\n");
}

void ServerSession::set(Args args) {
  if (args.size() < 2) return error("INVALID-ARGUMENT");
  if (equal_ignoring_case(args[0], "VAR")) return set_var(args.subspan(1));
  if (equal_ignoring_case(args[0], "TRACKING")) return set_tracking(args[1]);
  error("INVALID-ARGUMENT");
}

// No variable is writable: a permitted user learns which ones exist, and that they are read-only.
void ServerSession::set_var(Args args) {
  if (args.size() < 3) return error("INVALID-ARGUMENT");
  if (!known_ups(args[0])) return;
  const std::shared_ptr<const VariableSnapshot> snapshot = shared_.snapshots.variables();
  if (!fresh(*snapshot) || !authorized(Right::set_variable)) return;
  error(snapshot->find(args[1]) != nullptr ? "READONLY" : "VAR-NOT-SUPPORTED");
}

void ServerSession::set_tracking(const std::string& value) {
  if (equal_ignoring_case(value, "OFF")) return reply("OK\n");
  if (equal_ignoring_case(value, "ON")) return error("FEATURE-NOT-SUPPORTED");
  error("INVALID-ARGUMENT");
}

void ServerSession::instcmd(Args args) {
  if (args.size() < 2) return error("INVALID-ARGUMENT");
  if (!known_ups(args[0]) || !fresh(*shared_.snapshots.variables())) return;
  const std::optional<InstantCommand> command = find_instant_command(args[1]);
  if (!command) return error("CMD-NOT-SUPPORTED");
  const NutUser* user = authenticated_user();
  if (user == nullptr || !may_run(*user, *command)) return error("ACCESS-DENIED");
  // As in NUT's server, a parameter counts only when it is the one word after the command.
  const std::string* parameter = args.size() == 3 ? &args[2] : nullptr;
  const std::optional<InstantCommandRequest> request = make_instant_command_request(*command, parameter);
  if (!request) return error("INVALID-ARGUMENT");
  if (!shared_.requests.instant_command(*request, username_, address_)) return error("INSTCMD-FAILED");
  reply("OK\n");
}

}  // namespace nut
