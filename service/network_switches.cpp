#include "service/network_switches.h"

#include <algorithm>
#include <charconv>

#include "nut/instant_commands.h"
#include "nut/quoted_words.h"
#include "service/argument_words.h"

namespace service {
namespace {

namespace value = nut::network_value;

constexpr std::string_view kSwitch = "/network";

constexpr char kUsage[] =
    "orvik_ups: сетевой доступ к ИБП (сервер NUT) настраивается так:\n"
    "  /network                         показать настройки (без паролей)\n"
    "  /network:on, /network:off        включить или выключить сервер\n"
    "  /network:listen [\"адрес порт\" ...]  где принимать клиентов; без строк 127.0.0.1 3493 и ::1 3493\n"
    "  /network:upsname ИМЯ             имя ИБП для клиентов (ups)\n"
    "  /network:maxclients N            сколько клиентов одновременно (1-1000, по умолчанию 64)\n"
    "  /network:hostsync N              сколько секунд ждать другие компьютеры (0-600, по умолчанию 15)\n"
    "  /network:user ИМЯ [/password:ПАРОЛЬ] [/upsmon:primary|secondary|none]\n"
    "                [/actions:FSD,SET|none] [/instcmds:КОМАНДА,...|all|none]\n"
    "                                   добавить пользователя или изменить названное\n"
    "  /network:deluser ИМЯ             удалить пользователя\n";
constexpr char kTakenAtStart[] = "orvik_ups: записано; служба UPS возьмёт это при следующем запуске\n";
constexpr char kNotWritten[] = "orvik_ups: раздел Network в реестре не записан; нужны права администратора\n";
constexpr char kNotRead[] = "orvik_ups: раздел Network в реестре не прочитан; нужны права администратора\n";

NetworkCommand refused(std::string why) {
  NetworkCommand command;
  command.refusal = "orvik_ups: " + std::move(why) + "\n";
  return command;
}

NetworkCommand usage() {
  NetworkCommand command;
  command.refusal = kUsage;
  return command;
}

std::optional<std::uint32_t> number_in(std::string_view text, std::uint32_t low, std::uint32_t high) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

NetworkCommand listen_lines(const std::vector<std::string>& words) {
  NetworkCommand command;
  command.action = NetworkAction::listen;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (!nut::parse_listen_line(words[i]))
      return refused("\"" + words[i] + "\" не адрес и порт: нужен числовой адрес IPv4 или IPv6 и порт 1-65535");
    command.listen.push_back(words[i]);
  }
  return command;
}

NetworkCommand limited_number(NetworkAction action, const std::vector<std::string>& words, std::uint32_t low,
                              std::uint32_t high, const char* name) {
  if (words.size() != 2) return usage();
  const std::optional<std::uint32_t> number = number_in(words[1], low, high);
  if (!number)
    return refused(std::string(name) + " — число от " + std::to_string(low) + " до " + std::to_string(high));
  NetworkCommand command;
  command.action = action;
  command.number = *number;
  return command;
}

std::string name_refusal(const std::string& name) {
  return "имя \"" + name + "\" не годится: одно слово из латинских букв, цифр и знаков, без кавычек и \\";
}

std::vector<std::string> comma_list(std::string_view text) {
  std::vector<std::string> items;
  if (text.empty() || text == "none") return items;
  for (;;) {
    const std::size_t comma = text.find(',');
    if (!text.substr(0, comma).empty()) items.emplace_back(text.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    text.remove_prefix(comma + 1);
  }
}

// "/name:value" into `slot`; each option once.
bool take_option(const std::string& word, std::string_view name, std::optional<std::string>& slot, bool& twice) {
  if (word.compare(0, name.size(), name) != 0) return false;
  if (slot) twice = true;
  slot = word.substr(name.size());
  return true;
}

NetworkCommand user_change(const std::vector<std::string>& words) {
  if (words.size() < 2) return usage();
  NetworkCommand command;
  command.action = NetworkAction::set_user;
  command.user.name = words[1];
  if (!nut::is_plain_word(command.user.name)) return refused(name_refusal(command.user.name));
  std::optional<std::string> actions, instcmds, upsmon;
  bool twice = false;
  for (std::size_t i = 2; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!take_option(word, "/password:", command.user.password, twice) && !take_option(word, "/upsmon:", upsmon, twice) &&
        !take_option(word, "/actions:", actions, twice) && !take_option(word, "/instcmds:", instcmds, twice))
      return usage();
  }
  if (twice) return usage();
  if (upsmon) command.user.upsmon = *upsmon == "none" ? std::string() : *upsmon;
  if (actions) command.user.actions = comma_list(*actions);
  if (instcmds) command.user.instcmds = comma_list(*instcmds);
  return command;
}

NetworkCommand named(NetworkAction action, const std::vector<std::string>& words) {
  if (words.size() != 2) return usage();
  if (!nut::is_plain_word(words[1])) return refused(name_refusal(words[1]));
  NetworkCommand command;
  command.action = action;
  if (action == NetworkAction::ups_name)
    command.ups_name = words[1];
  else
    command.user.name = words[1];
  return command;
}

NetworkCommand alone(NetworkAction action, const std::vector<std::string>& words) {
  if (words.size() != 1) return usage();
  NetworkCommand command;
  command.action = action;
  return command;
}

// --- applying ---

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

std::string listing(const nut::NetworkValues& values) {
  const nut::NetworkSettingsRead read = nut::read_network_settings(values);
  const nut::NetworkSettings& settings = read.settings;
  std::string text = std::string(value::kEnable) + " " + (settings.enabled ? "1" : "0") + "\n";
  for (const nut::ListenLine& line : settings.listen)
    text += std::string(value::kListen) + " " + nut::listen_line_text(line) + "\n";
  text += std::string(value::kUpsName) + " " + settings.ups_name + "\n";
  text += std::string(value::kMaxClients) + " " + std::to_string(settings.max_clients) + "\n";
  text += std::string(value::kHostSync) + " " + std::to_string(settings.host_sync_seconds) + "\n";
  for (const nut::UserSettings& user : settings.users)
    text += "User " + user.name + " upsmon=" + (user.upsmon.empty() ? "none" : user.upsmon) + " actions=" +
            joined(user.actions) + " instcmds=" + joined(user.instcmds) + "\n";
  for (const std::string& problem : read.problems) text += "! " + problem + "\n";
  return text;
}

std::string known_commands() {
  std::string names;
  for (const nut::InstantCommandInfo& info : nut::instant_commands())
    names += (names.empty() ? "" : ", ") + std::string(info.name);
  return names;
}

std::string user_refusal(const nut::UserSettingsResult& result) {
  switch (result.error) {
    case nut::UserSettingsError::unusable_password:
      return "пароль нужен, из печатных знаков ASCII (латинские буквы, цифры, знаки, пробел)";
    case nut::UserSettingsError::unknown_upsmon:
      return "/upsmon:" + result.offending_text + " — бывает primary, secondary или none";
    case nut::UserSettingsError::unknown_action:
      return "действие \"" + result.offending_text + "\" неизвестно: бывают FSD и SET";
    case nut::UserSettingsError::unknown_instcmd:
      return "команда \"" + result.offending_text + "\" неизвестна; бывают all, " + known_commands();
    case nut::UserSettingsError::unusable_name: return name_refusal(result.offending_text);
    case nut::UserSettingsError::none: break;
  }
  return {};
}

SwitchOutcome refusal(std::string message) { return {kNetworkSwitchRefused, {}, "orvik_ups: " + message + "\n"}; }
SwitchOutcome written(bool ok) {
  return ok ? SwitchOutcome{kNetworkSwitchDone, kTakenAtStart, {}} : SwitchOutcome{kNetworkSwitchFailed, {}, kNotWritten};
}

const nut::UserSettings* find_user(const nut::NetworkValues& values, const std::string& name) {
  const auto found = std::find_if(values.users.begin(), values.users.end(),
                                  [&](const nut::UserSettings& user) { return user.name == name; });
  return found == values.users.end() ? nullptr : &*found;
}

SwitchOutcome change_user(const UserChange& change, NetworkStore& store) {
  const std::optional<nut::NetworkValues> values = store.read();
  if (!values) return {kNetworkSwitchFailed, {}, kNotRead};
  const nut::UserSettings* stored = find_user(*values, change.name);
  if (!stored && !change.password) return refusal("новому пользователю " + change.name + " нужен /password:");
  nut::UserSettings user = stored ? *stored : nut::UserSettings{change.name, {}, {}, {}, {}};
  if (change.password) user.password = *change.password;
  if (change.upsmon) user.upsmon = *change.upsmon;
  if (change.actions) user.actions = *change.actions;
  if (change.instcmds) user.instcmds = *change.instcmds;
  const nut::UserSettingsResult checked = nut::user_from_settings(user);
  if (checked.error != nut::UserSettingsError::none) return refusal(user_refusal(checked));
  return written(store.write_user(user));
}

SwitchOutcome delete_user(const std::string& name, NetworkStore& store) {
  const std::optional<nut::NetworkValues> values = store.read();
  if (!values) return {kNetworkSwitchFailed, {}, kNotRead};
  if (!find_user(*values, name)) return refusal("пользователя " + name + " нет");
  return written(store.remove_user(name));
}

}  // namespace

bool is_network_switch(std::string_view line) {
  if (line.compare(0, kSwitch.size(), kSwitch) != 0) return false;
  return line.size() == kSwitch.size() || line[kSwitch.size()] == ':' || line[kSwitch.size()] == ' ' ||
         line[kSwitch.size()] == '\t';
}

NetworkCommand parse_network_switch(std::string_view line) {
  const std::vector<std::string> words = argument_words(line);
  if (words.empty()) return usage();
  const std::string& verb = words[0];
  if (verb == "/network") return alone(NetworkAction::list, words);
  if (verb == "/network:on") return alone(NetworkAction::enable, words);
  if (verb == "/network:off") return alone(NetworkAction::disable, words);
  if (verb == "/network:listen") return listen_lines(words);
  if (verb == "/network:upsname") return named(NetworkAction::ups_name, words);
  if (verb == "/network:maxclients")
    return limited_number(NetworkAction::max_clients, words, 1, nut::kMaxClientsLimit, "MaxClients");
  if (verb == "/network:hostsync")
    return limited_number(NetworkAction::host_sync, words, 0, nut::kHostSyncLimitSeconds, "HostSync");
  if (verb == "/network:user") return user_change(words);
  if (verb == "/network:deluser") return named(NetworkAction::delete_user, words);
  return usage();
}

SwitchOutcome apply_network_command(const NetworkCommand& command, NetworkStore& store) {
  switch (command.action) {
    case NetworkAction::list: {
      const std::optional<nut::NetworkValues> values = store.read();
      if (!values) return {kNetworkSwitchFailed, {}, kNotRead};
      return {kNetworkSwitchDone, listing(*values), {}};
    }
    case NetworkAction::enable: return written(store.set_number(value::kEnable, 1));
    case NetworkAction::disable: return written(store.set_number(value::kEnable, 0));
    case NetworkAction::listen:
      return written(command.listen.empty() ? store.remove_value(value::kListen)
                                            : store.set_list(value::kListen, command.listen));
    case NetworkAction::ups_name: return written(store.set_text(value::kUpsName, command.ups_name));
    case NetworkAction::max_clients: return written(store.set_number(value::kMaxClients, command.number));
    case NetworkAction::host_sync: return written(store.set_number(value::kHostSync, command.number));
    case NetworkAction::set_user: return change_user(command.user, store);
    case NetworkAction::delete_user: return delete_user(command.user.name, store);
    case NetworkAction::refused: break;
  }
  return {kNetworkSwitchRefused, {}, command.refusal};
}

}  // namespace service
