// The registry key "Network" of the service (network_settings.h): read by the service when its
// monitoring starts, written by orvik_ups's switches. Only SYSTEM and the Administrators may read
// or change it, since it holds the users' passwords: whoever writes it makes it so.
//
// Any thread; each call opens the keys it needs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "nut/network_settings.h"
#include "platform/handles_win.h"

namespace nut {

enum class NetworkKeyState { absent, readable, open_to_others, unreadable };

struct NetworkKeyRead {
  NetworkKeyState state = NetworkKeyState::absent;
  NetworkValues values;
  std::vector<std::string> problems;  // values of the wrong type or size, for the trace
};

// The values as they are; a key that others than SYSTEM and the Administrators may change is not
// read at all (its users and rights could be anyone's).
NetworkKeyRead read_network_key();

// The key, made when missing, owned by the Administrators and closed to everyone else; empty when
// that is not possible (not an administrator).
platform::UniqueKey open_network_key_for_change();

// A user's subkey below "Users", made when missing; empty on failure.
platform::UniqueKey open_user_key_for_change(HKEY network, const std::string& name);
bool delete_user_key(HKEY network, const std::string& name);

// The user's values as stored; nothing when the user has no subkey.
std::optional<UserSettings> read_user_values(HKEY network, const std::string& name);

}  // namespace nut
