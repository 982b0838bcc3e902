// Fuzz target: the "Network" key's values as anyone with access to the registry might have left
// them. The input's first byte says which DWORDs exist, the next four give their values; the rest,
// split at zero bytes, gives the listen lines (as many as the sixth byte says), the UPS name and
// then users of five strings each. Whatever was stored, the server gets settings its own rules
// accept: listen lines it can read back, a plain UPS name, limits in range, users who can log in
// with their own password; and no report depends on a password.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nut/network_settings.h"
#include "nut/quoted_words.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::string> split_at_zero(std::string_view text) {
  std::vector<std::string> items;
  for (;;) {
    const std::size_t end = text.find('\0');
    items.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return items;
    text.remove_prefix(end + 1);
  }
}

nut::NetworkValues values_from(const std::uint8_t* data, std::size_t size) {
  nut::NetworkValues values;
  const std::uint8_t present = data[0];
  if (present & 1) values.enable = data[1];
  if (present & 2) values.max_clients = static_cast<std::uint32_t>(data[2]) * 7u;
  if (present & 4) values.host_sync = static_cast<std::uint32_t>(data[3]) << (data[4] % 24);
  const std::vector<std::string> items = split_at_zero(std::string_view(reinterpret_cast<const char*>(data + 6), size - 6));
  std::size_t next = 0;
  if (present & 8) {
    values.listen.emplace();
    for (std::size_t n = data[5] % 8; n > 0 && next < items.size(); --n) values.listen->push_back(items[next++]);
  }
  if ((present & 16) && next < items.size()) values.ups_name = items[next++];
  while (next + 5 <= items.size()) {
    values.users.push_back({items[next], items[next + 1], items[next + 2], {items[next + 3]}, {items[next + 4]}});
    next += 5;
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const nut::NetworkValues values = values_from(data, size);
  const nut::NetworkSettingsRead read = nut::read_network_settings(values);
  const nut::NetworkSettings& settings = read.settings;
  check(!settings.listen.empty());
  for (const nut::ListenLine& line : settings.listen) check(nut::parse_listen_line(nut::listen_line_text(line)) == line);
  check(nut::is_plain_word(settings.ups_name));
  check(settings.max_clients >= 1 && settings.max_clients <= nut::kMaxClientsLimit);
  check(settings.host_sync_seconds <= nut::kHostSyncLimitSeconds);
  check(read.users.size() == settings.users.size());
  const nut::UserTable table(read.users);
  // The registry's subkeys have unique names; here a name may repeat, and the first one counts.
  for (const nut::NutUser& user : read.users)
    if (&user == &*std::find_if(read.users.begin(), read.users.end(), [&](const nut::NutUser& u) { return u.name == user.name; }))
      check(table.authenticate(user.name, user.password) != nullptr);
  // Other passwords, usable where the stored ones are, must give the very same report.
  nut::NetworkValues other = values;
  for (nut::UserSettings& user : other.users) {
    const bool usable = nut::user_from_settings({"u", user.password, "", {}, {}}).error == nut::UserSettingsError::none;
    user.password = usable ? "other password" : "";
  }
  check(nut::read_network_settings(other).problems == read.problems);
  return 0;
}
