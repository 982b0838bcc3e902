// ServerSession's GET and LIST: the read-only half of the protocol.
#include "nut/server_session.h"

#include "nut/text_compare.h"
#include "nut/variable_descriptions.h"

namespace nut {
namespace {

constexpr std::string_view kServerVariablePrefix = "server.";

bool names_server_variable(std::string_view name) {
  return name.size() >= kServerVariablePrefix.size() &&
         equal_ignoring_case(name.substr(0, kServerVariablePrefix.size()), kServerVariablePrefix);
}

}  // namespace

void ServerSession::get(Args args) {
  if (args.empty()) return error("INVALID-ARGUMENT");
  const std::string& what = args[0];
  // Tracking is never on for this server.
  if (equal_ignoring_case(what, "TRACKING")) {
    if (args.size() < 2) return reply("OFF\n");
    return error("FEATURE-NOT-CONFIGURED");
  }
  if (args.size() < 2) return error("INVALID-ARGUMENT");
  if (equal_ignoring_case(what, "NUMLOGINS")) return get_numlogins(args[1]);
  if (equal_ignoring_case(what, "UPSDESC")) return get_upsdesc(args[1]);
  if (args.size() < 3) return error("INVALID-ARGUMENT");
  if (equal_ignoring_case(what, "VAR")) return get_var(args[1], args[2]);
  if (equal_ignoring_case(what, "TYPE")) return get_type(args[1], args[2]);
  if (equal_ignoring_case(what, "DESC")) return get_desc(args[1], args[2]);
  if (equal_ignoring_case(what, "CMDDESC")) return get_cmddesc(args[1], args[2]);
  error("INVALID-ARGUMENT");
}

void ServerSession::get_numlogins(const std::string& ups) {
  if (!known_ups(ups) || !fresh(*shared_.snapshots.variables())) return;
  reply("NUMLOGINS " + ups + " " + std::to_string(shared_.logins.count()) + "\n");
}

void ServerSession::get_upsdesc(const std::string& ups) {
  if (!known_ups(ups)) return;
  reply("UPSDESC " + ups + " " + quote_value(shared_.identity.ups_description) + "\n");
}

void ServerSession::get_var(const std::string& ups, const std::string& name) {
  if (names_server_variable(name)) return get_server_var(ups, name);
  if (!known_ups(ups)) return;
  const std::shared_ptr<const VariableSnapshot> snapshot = shared_.snapshots.variables();
  if (!fresh(*snapshot)) return;
  const NutVariable* variable = snapshot->find(name);
  if (variable == nullptr) return error("VAR-NOT-SUPPORTED");
  std::string value = variable->value;
  if (snapshot->forced_shutdown && equal_ignoring_case(name, "ups.status")) value = "FSD " + value;
  reply("VAR " + ups + " " + name + " " + quote_value(value) + "\n");
}

// The server's own variables answer for any UPS name, as NUT's server answers them.
void ServerSession::get_server_var(const std::string& ups, const std::string& name) {
  if (equal_ignoring_case(name, "server.info")) {
    return reply("VAR " + ups + " server.info " + quote_value(shared_.identity.version_line) + "\n");
  }
  if (equal_ignoring_case(name, "server.version")) {
    return reply("VAR " + ups + " server.version " + quote_value(shared_.identity.server_version) + "\n");
  }
  error("VAR-NOT-SUPPORTED");
}

void ServerSession::get_type(const std::string& ups, const std::string& name) {
  if (!known_ups(ups)) return;
  const std::shared_ptr<const VariableSnapshot> snapshot = shared_.snapshots.variables();
  if (!fresh(*snapshot)) return;
  if (snapshot->find(name) == nullptr) return error("VAR-NOT-SUPPORTED");
  reply("TYPE " + ups + " " + name + " NUMBER\n");
}

void ServerSession::get_desc(const std::string& ups, const std::string& name) {
  if (!known_ups(ups) || !fresh(*shared_.snapshots.variables())) return;
  reply("DESC " + ups + " " + name + " " + quote_value(variable_description(name)) + "\n");
}

void ServerSession::get_cmddesc(const std::string& ups, const std::string& name) {
  if (!known_ups(ups) || !fresh(*shared_.snapshots.variables())) return;
  std::string_view description = "Description unavailable";
  if (const std::optional<InstantCommand> command = find_instant_command(name)) {
    description = instant_commands()[static_cast<std::size_t>(*command)].description;
  }
  reply("CMDDESC " + ups + " " + name + " " + quote_value(description) + "\n");
}

void ServerSession::list(Args args) {
  if (args.empty()) return error("INVALID-ARGUMENT");
  const std::string& what = args[0];
  if (equal_ignoring_case(what, "UPS")) return list_ups();
  if (args.size() < 2) return error("INVALID-ARGUMENT");
  if (equal_ignoring_case(what, "VAR")) return list_var(args[1]);
  if (equal_ignoring_case(what, "RW")) return list_rw(args[1]);
  if (equal_ignoring_case(what, "CMD")) return list_cmd(args[1]);
  if (equal_ignoring_case(what, "CLIENT")) return list_client(args[1]);
  if (args.size() < 3) return error("INVALID-ARGUMENT");
  if (equal_ignoring_case(what, "ENUM")) return list_empty_of_var("ENUM", args[1], args[2]);
  if (equal_ignoring_case(what, "RANGE")) return list_empty_of_var("RANGE", args[1], args[2]);
  error("INVALID-ARGUMENT");
}

void ServerSession::list_ups() {
  reply("BEGIN LIST UPS\n");
  reply("UPS " + shared_.identity.ups_name + " " + quote_value(shared_.identity.ups_description) + "\n");
  reply("END LIST UPS\n");
}

void ServerSession::list_var(const std::string& ups) {
  if (!known_ups(ups)) return;
  const std::shared_ptr<const VariableSnapshot> snapshot = shared_.snapshots.variables();
  if (!fresh(*snapshot)) return;
  reply("BEGIN LIST VAR " + ups + "\n");
  for (const NutVariable& variable : snapshot->variables) {
    const bool forced = snapshot->forced_shutdown && variable.name == "ups.status";
    reply("VAR " + ups + " " + variable.name + " " + quote_value(forced ? "FSD " + variable.value : variable.value) + "\n");
  }
  reply("END LIST VAR " + ups + "\n");
}

void ServerSession::list_rw(const std::string& ups) {
  if (!known_ups(ups) || !fresh(*shared_.snapshots.variables())) return;
  reply("BEGIN LIST RW " + ups + "\nEND LIST RW " + ups + "\n");
}

void ServerSession::list_cmd(const std::string& ups) {
  if (!known_ups(ups) || !fresh(*shared_.snapshots.variables())) return;
  reply("BEGIN LIST CMD " + ups + "\n");
  for (const InstantCommandInfo& info : instant_commands()) {
    reply("CMD " + ups + " ");
    reply(info.name);
    reply("\n");
  }
  reply("END LIST CMD " + ups + "\n");
}

void ServerSession::list_client(const std::string& ups) {
  if (!known_ups(ups)) return;
  reply("BEGIN LIST CLIENT " + ups + "\n");
  for (const std::string& address : shared_.logins.addresses()) {
    reply("CLIENT " + shared_.identity.ups_name + " " + address + "\n");
  }
  reply("END LIST CLIENT " + ups + "\n");
}

// ENUM and RANGE: no variable of this server has either, so a known variable gets an empty list.
void ServerSession::list_empty_of_var(std::string_view kind, const std::string& ups, const std::string& name) {
  if (!known_ups(ups)) return;
  const std::shared_ptr<const VariableSnapshot> snapshot = shared_.snapshots.variables();
  if (!fresh(*snapshot)) return;
  if (snapshot->find(name) == nullptr) return error("VAR-NOT-SUPPORTED");
  const std::string tail = std::string(kind) + " " + ups + " " + name + "\n";
  reply("BEGIN LIST " + tail);
  reply("END LIST " + tail);
}

}  // namespace nut
