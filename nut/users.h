// The server's users: who may log in, claim the primary role, force a shutdown or run an instant
// command, with the meaning of NUT's upsd.users.
//
//   upsmon primary    LOGIN, PRIMARY (and MASTER), FSD
//   upsmon secondary  LOGIN
//   action FSD        FSD;  action SET: SET (the server has no writable variable, so it only
//                     changes which error a SET gets)
//   instcmds          the named instant commands, or "all"
// Every right needs the user's own password; a user without a password can do nothing. No user
// exists until the administrator makes one. The table is built once from the configuration and then
// only read; thread-safe for readers.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "nut/instant_commands.h"

namespace nut {

enum class UpsmonRole { none, primary, secondary };

enum class Right { login, primary, forced_shutdown, set_variable };

struct NutUser {
  std::string name;
  std::string password;
  UpsmonRole upsmon = UpsmonRole::none;
  bool fsd_action = false;
  bool set_action = false;
  bool all_instcmds = false;
  std::vector<InstantCommand> instcmds;
};

bool has_right(const NutUser& user, Right right);
bool may_run(const NutUser& user, InstantCommand command);

class UserTable {
 public:
  UserTable() = default;
  explicit UserTable(std::vector<NutUser> users) : users_(std::move(users)) {}

  // The user of that exact name when `password` is that user's; nullptr otherwise. The password
  // comparison takes the same time wherever the first difference is.
  const NutUser* authenticate(std::string_view name, std::string_view password) const;

  const std::vector<NutUser>& users() const { return users_; }

 private:
  std::vector<NutUser> users_;
};

// A user from its configured texts: "Upsmon" ("primary", "secondary" or empty; NUT's older "master"
// and "slave" too), "Actions" ("FSD", "SET") and "Instcmds" (command names or "all"), all without
// regard to case. A text that means nothing is reported, never silently dropped.
struct UserSettings {
  std::string name;
  std::string password;
  std::string upsmon;
  std::vector<std::string> actions;
  std::vector<std::string> instcmds;
};

// A name must be a plain word (is_plain_word): NUT's clients send it unquoted. A password may hold
// blanks and quotes, which a client can quote, but no byte the protocol drops (controls, non-ASCII):
// such a password could never match.
enum class UserSettingsError {
  none,
  unusable_name,
  unusable_password,
  unknown_upsmon,
  unknown_action,
  unknown_instcmd,
};

struct UserSettingsResult {
  NutUser user;
  UserSettingsError error = UserSettingsError::none;
  std::string offending_text;  // the value that was not understood
};

UserSettingsResult user_from_settings(const UserSettings& settings);

}  // namespace nut
