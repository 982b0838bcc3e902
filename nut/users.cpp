#include "nut/users.h"

#include <algorithm>

#include "nut/quoted_words.h"
#include "nut/text_compare.h"

namespace nut {
namespace {

// Compares every byte of the longer text, so the time taken says nothing about where they differ.
bool same_password(std::string_view given, std::string_view stored) {
  unsigned difference = given.size() == stored.size() ? 0u : 1u;
  const std::size_t length = std::max(given.size(), stored.size());
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char a = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
    const unsigned char b = i < stored.size() ? static_cast<unsigned char>(stored[i]) : 0;
    difference |= static_cast<unsigned>(a ^ b);
  }
  return difference == 0;
}

bool read_upsmon(std::string_view text, UpsmonRole& role) {
  if (text.empty()) role = UpsmonRole::none;
  else if (equal_ignoring_case(text, "primary") || equal_ignoring_case(text, "master")) role = UpsmonRole::primary;
  else if (equal_ignoring_case(text, "secondary") || equal_ignoring_case(text, "slave")) role = UpsmonRole::secondary;
  else return false;
  return true;
}

bool read_action(std::string_view text, NutUser& user) {
  if (equal_ignoring_case(text, "FSD")) user.fsd_action = true;
  else if (equal_ignoring_case(text, "SET")) user.set_action = true;
  else return false;
  return true;
}

bool read_instcmd(std::string_view text, NutUser& user) {
  if (equal_ignoring_case(text, "all")) {
    user.all_instcmds = true;
    return true;
  }
  const std::optional<InstantCommand> command = find_instant_command(text);
  if (!command) return false;
  if (std::find(user.instcmds.begin(), user.instcmds.end(), *command) == user.instcmds.end()) {
    user.instcmds.push_back(*command);
  }
  return true;
}

bool usable_password(std::string_view password) {
  if (password.empty()) return false;
  return std::all_of(password.begin(), password.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte <= 0x7E;
  });
}

UserSettingsResult failure(UserSettingsError error, std::string_view text) {
  UserSettingsResult result;
  result.error = error;
  result.offending_text = text;
  return result;
}

}  // namespace

bool has_right(const NutUser& user, Right right) {
  switch (right) {
    case Right::login: return user.upsmon != UpsmonRole::none;
    case Right::primary: return user.upsmon == UpsmonRole::primary;
    case Right::forced_shutdown: return user.upsmon == UpsmonRole::primary || user.fsd_action;
    case Right::set_variable: return user.set_action;
  }
  return false;
}

bool may_run(const NutUser& user, InstantCommand command) {
  return user.all_instcmds || std::find(user.instcmds.begin(), user.instcmds.end(), command) != user.instcmds.end();
}

const NutUser* UserTable::authenticate(std::string_view name, std::string_view password) const {
  for (const NutUser& user : users_) {
    if (user.name != name) continue;
    if (user.password.empty() || !same_password(password, user.password)) return nullptr;
    return &user;
  }
  return nullptr;
}

UserSettingsResult user_from_settings(const UserSettings& settings) {
  if (!is_plain_word(settings.name)) return failure(UserSettingsError::unusable_name, settings.name);
  if (!usable_password(settings.password)) return failure(UserSettingsError::unusable_password, "");
  UserSettingsResult result;
  result.user.name = settings.name;
  result.user.password = settings.password;
  if (!read_upsmon(settings.upsmon, result.user.upsmon)) {
    return failure(UserSettingsError::unknown_upsmon, settings.upsmon);
  }
  for (const std::string& action : settings.actions) {
    if (!read_action(action, result.user)) return failure(UserSettingsError::unknown_action, action);
  }
  for (const std::string& instcmd : settings.instcmds) {
    if (!read_instcmd(instcmd, result.user)) return failure(UserSettingsError::unknown_instcmd, instcmd);
  }
  return result;
}

}  // namespace nut
