#include "service/command_line.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "core/event_command.h"
#include "nut/login_credentials.h"
#include "nut/server_address.h"
#include "service/argument_words.h"
#include "setup/port_list.h"

namespace service {
namespace {

struct Switch {
  const char* text;
  HostMode mode;
  std::uint32_t power_request;
};

// Tried in this order; the first whole-line match wins.
const Switch kSwitches[] = {
    {"/setup", HostMode::kReconfigure, 0},
    {"/installGUI", HostMode::kInstallGui, 0},
    {"/uninstallGUI", HostMode::kUninstallGui, 0},
    {"/install", HostMode::kInstall, 0},
    {"/uninstall", HostMode::kUninstall, 0},
    {"/gui", HostMode::kGui, 0},
    {"/app", HostMode::kApp, 0},
    {"/statistics", HostMode::kStatistics, 0},
    {"/settings", HostMode::kSettingsSheet, 0},
    {"/statisticsSheet", HostMode::kStatisticsSheet, 0},
    {"/shutdownUPS", HostMode::kPowerAction, 1},
    {"/hibernateUPS", HostMode::kPowerAction, 2},
    {"/shutdown", HostMode::kPowerAction, 5},
    {"/hibernate", HostMode::kPowerAction, 6},
    {"/reset", HostMode::kPowerAction, 3},
    {"/suspend", HostMode::kPowerAction, 4},
    {"/events", HostMode::kListEventCommands, 0},
};

constexpr std::string_view kInstallWithChoice = "/install";
constexpr std::string_view kEventCommand = "/event:";
constexpr std::string_view kCriticalWait = "/eventwait:";

HostCommand with_mode(HostMode mode, std::uint32_t power_request = 0) {
  HostCommand command;
  command.mode = mode;
  command.power_request = power_request;
  return command;
}

bool blank(char c) { return c == ' ' || c == '\t'; }
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The port as the dialog lists it, whatever the case it was typed in.
std::optional<std::string> listed_port(std::string_view typed) {
  for (const std::wstring& entry : installation::port_entries()) {
    if (entry.size() != typed.size()) continue;
    std::string listed(entry.begin(), entry.end());  // the entries are ASCII
    bool same = true;
    for (std::size_t i = 0; i < listed.size() && same; ++i) same = listed[i] == ascii_upper(typed[i]);
    if (same) return listed;
  }
  return std::nullopt;
}

// Takes `word` when it is `name` followed by a value, which must be given once and not be empty.
bool take_value(const std::string& word, std::string_view name, std::optional<std::string>& value, bool& bad) {
  if (word.compare(0, name.size(), name) != 0) return false;
  if (value || word.size() == name.size()) bad = true;
  value = word.substr(name.size());
  return true;
}

HostCommand refused(std::string why) {
  HostCommand command = with_mode(HostMode::kInstallRefused);
  command.refusal = std::move(why);
  return command;
}

// The port of the choice, checked: a listed one, or a NUT server with its login.
std::optional<std::string> given_port(const std::string& port, const std::optional<std::string>& user,
                                      const std::optional<std::string>& password, std::string& why) {
  if (!nut::is_network_port(port)) {
    if (user || password) {
      why = "a user and password belong only to a NUT server's port";
      return std::nullopt;
    }
    std::optional<std::string> listed = listed_port(port);
    if (!listed) why = "the port is not USB, COM1 ... COM9 or NUT:<ups>@<host>[:<port>]";
    return listed;
  }
  const nut::ParsedAddress parsed = nut::parse_server_address(port);
  if (!parsed.address) {
    why = std::string("the port is no NUT server address: ") + nut::address_error_description(parsed.error);
    return std::nullopt;
  }
  const nut::CredentialsError credentials = nut::check_login_credentials(user.value_or(""), password.value_or(""));
  if (credentials != nut::CredentialsError::none) {
    why = nut::credentials_error_description(credentials);
    return std::nullopt;
  }
  return nut::server_address_text(*parsed.address);
}

HostCommand parse_given_choice(std::string_view options) {
  std::optional<std::string> vendor, model, port, user, password;
  bool tray = false;
  bool check = false;
  bool bad = false;
  for (const std::string& word : argument_words(options)) {
    if (take_value(word, "/vendor:", vendor, bad) || take_value(word, "/model:", model, bad) ||
        take_value(word, "/port:", port, bad) || take_value(word, "/user:", user, bad) ||
        take_value(word, "/password:", password, bad))
      continue;
    if (word == "/tray" && !tray)
      tray = true;
    else if (word == "/check" && !check)
      check = true;
    else
      bad = true;
  }
  if (bad || !vendor || !model || !port) return refused("the line is not /vendor:V /model:M /port:P [/user:U /password:W] [/tray]");
  std::string why;
  std::optional<std::string> checked = given_port(*port, user, password, why);
  if (!checked) return refused(why);
  HostCommand given = with_mode(check ? HostMode::kCheckGiven : HostMode::kInstallGiven);
  given.choice = {*vendor, *model, *checked, tray, user.value_or(""), password.value_or("")};
  return given;
}

std::string_view without_blanks_around(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool starts_with(std::string_view line, std::string_view start) { return line.substr(0, start.size()) == start; }

HostCommand refused_event_switch() { return with_mode(HostMode::kEventSwitchRefused); }

// What follows "/event:".
HostCommand parse_event_command(std::string_view rest) {
  const std::optional<int> code = core::event_code_of(rest.substr(0, 2));
  if (!code || (rest.size() > 2 && !blank(rest[2]))) return refused_event_switch();
  HostCommand command = with_mode(HostMode::kSetEventCommand);
  command.event_code = *code;
  command.event_command = std::string(without_blanks_around(rest.substr(2)));
  return command;
}

// What follows "/eventwait:".
HostCommand parse_critical_wait(std::string_view digits) {
  if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return refused_event_switch();
  std::uint32_t seconds = 0;
  for (char digit : digits) seconds = seconds * 10 + static_cast<std::uint32_t>(digit - '0');
  if (seconds > core::kMaxCriticalCommandWaitS) return refused_event_switch();
  HostCommand command = with_mode(HostMode::kSetCriticalCommandWait);
  command.critical_wait_s = seconds;
  return command;
}

}  // namespace

std::string_view arguments_of(std::string_view command_line) {
  std::size_t at = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    const std::size_t closing = command_line.find('"', 1);
    at = closing == std::string_view::npos ? command_line.size() : closing + 1;
  } else {
    while (at < command_line.size() && static_cast<unsigned char>(command_line[at]) > ' ') ++at;
  }
  while (at < command_line.size() && static_cast<unsigned char>(command_line[at]) <= ' ') ++at;
  return command_line.substr(at);
}

HostCommand parse_command_line(const char* arguments) {
  if (!arguments) return {};
  for (const Switch& s : kSwitches)
    if (std::strcmp(arguments, s.text) == 0) return with_mode(s.mode, s.power_request);
  const std::string_view line(arguments);
  if (is_network_switch(line)) {
    HostCommand command = with_mode(HostMode::kNetwork);
    command.network = parse_network_switch(line);
    return command;
  }
  if (line.size() > kInstallWithChoice.size() && starts_with(line, kInstallWithChoice) &&
      blank(line[kInstallWithChoice.size()]))
    return parse_given_choice(line.substr(kInstallWithChoice.size()));
  if (starts_with(line, kEventCommand)) return parse_event_command(line.substr(kEventCommand.size()));
  if (starts_with(line, kCriticalWait)) return parse_critical_wait(line.substr(kCriticalWait.size()));
  return {};
}

}  // namespace service
