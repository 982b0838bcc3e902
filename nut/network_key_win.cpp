#include "nut/network_key_win.h"

#include "platform/key_security_win.h"
#include "platform/multi_string_win.h"
#include "platform/registry_win.h"

namespace nut {
namespace {

constexpr std::size_t kTextBytes = 256;
constexpr std::size_t kListBytes = 8192;
constexpr DWORD kMaxUsers = 256;

bool value_exists(HKEY key, const char* name) {
  return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void note_unusable(const char* name, std::vector<std::string>& problems) {
  problems.push_back(std::string("value ") + name + " is of the wrong type or too long; left out");
}

std::optional<std::uint32_t> dword(HKEY key, const char* name, std::vector<std::string>& problems) {
  std::uint32_t value = 0;
  if (platform::read_dword_value(key, name, value)) return value;
  if (value_exists(key, name)) note_unusable(name, problems);
  return std::nullopt;
}

std::optional<std::string> text(HKEY key, const char* name, std::vector<std::string>& problems) {
  char buffer[kTextBytes];
  if (platform::read_string_value(key, name, buffer, sizeof buffer)) return std::string(buffer);
  if (value_exists(key, name)) note_unusable(name, problems);
  return std::nullopt;
}

std::optional<std::vector<std::string>> list(HKEY key, const char* name, std::vector<std::string>& problems) {
  std::vector<std::string> items;
  switch (platform::read_multi_string_value(key, name, items, kListBytes)) {
    case platform::ListRead::ok: return items;
    case platform::ListRead::absent: return std::nullopt;
    case platform::ListRead::unusable: break;
  }
  note_unusable(name, problems);
  return std::nullopt;
}

platform::UniqueKey open_below(HKEY parent, const char* name, REGSAM access) {
  platform::UniqueKey key;
  if (RegOpenKeyExA(parent, name, 0, access, key.receive()) != ERROR_SUCCESS) key.release();
  return key;
}

UserSettings user_values(HKEY user_key, const std::string& name, std::vector<std::string>& problems) {
  UserSettings user;
  user.name = name;
  user.password = text(user_key, network_value::kPassword, problems).value_or("");
  user.upsmon = text(user_key, network_value::kUpsmon, problems).value_or("");
  user.actions = list(user_key, network_value::kActions, problems).value_or(std::vector<std::string>{});
  user.instcmds = list(user_key, network_value::kInstcmds, problems).value_or(std::vector<std::string>{});
  return user;
}

std::vector<UserSettings> users(HKEY network, std::vector<std::string>& problems) {
  std::vector<UserSettings> found;
  platform::UniqueKey users_key = open_below(network, network_value::kUsersKey, KEY_READ);
  if (!users_key) return found;
  for (DWORD index = 0; index < kMaxUsers; ++index) {
    char name[kTextBytes];
    DWORD length = sizeof name;
    const LONG rc = RegEnumKeyExA(users_key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    platform::UniqueKey user_key = open_below(users_key.get(), name, KEY_READ);
    if (user_key) found.push_back(user_values(user_key.get(), name, problems));
  }
  return found;
}

}  // namespace

NetworkKeyRead read_network_key() {
  NetworkKeyRead read;
  platform::UniqueKey key;
  const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, network_value::kKeyPath, 0, KEY_READ, key.receive());
  if (rc != ERROR_SUCCESS) {
    key.release();
    read.state = rc == ERROR_FILE_NOT_FOUND ? NetworkKeyState::absent : NetworkKeyState::unreadable;
    return read;
  }
  if (!platform::key_for_administrators_only(key.get())) {
    read.state = NetworkKeyState::open_to_others;
    return read;
  }
  read.state = NetworkKeyState::readable;
  NetworkValues& values = read.values;
  values.enable = dword(key.get(), network_value::kEnable, read.problems);
  values.listen = list(key.get(), network_value::kListen, read.problems);
  values.ups_name = text(key.get(), network_value::kUpsName, read.problems);
  values.max_clients = dword(key.get(), network_value::kMaxClients, read.problems);
  values.host_sync = dword(key.get(), network_value::kHostSync, read.problems);
  values.users = users(key.get(), read.problems);
  return read;
}

platform::UniqueKey open_network_key_for_change() { return platform::create_admin_only_key(network_value::kKeyPath); }

platform::UniqueKey open_user_key_for_change(HKEY network, const std::string& name) {
  const std::string path = std::string(network_value::kUsersKey) + "\\" + name;
  platform::UniqueKey key;
  if (RegCreateKeyExA(network, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) !=
      ERROR_SUCCESS)
    key.release();
  return key;
}

bool delete_user_key(HKEY network, const std::string& name) {
  platform::UniqueKey users_key = open_below(network, network_value::kUsersKey, KEY_ALL_ACCESS);
  return users_key && RegDeleteKeyA(users_key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<UserSettings> read_user_values(HKEY network, const std::string& name) {
  const std::string path = std::string(network_value::kUsersKey) + "\\" + name;
  platform::UniqueKey user_key = open_below(network, path.c_str(), KEY_READ);
  if (!user_key) return std::nullopt;
  std::vector<std::string> ignored;
  return user_values(user_key.get(), name, ignored);
}

}  // namespace nut
