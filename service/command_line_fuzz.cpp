// Fuzz target: a command line of arbitrary bytes. Whatever it holds, the run plays exactly one
// role, a power-action request is one the service understands, a choice given for an unattended
// installation names a vendor, a model and a port the setup dialog lists (a NUT server's in its own
// spelling, with a usable login) and a refused one says why, an event switch names an event the
// system has and a wait it accepts, and a network switch that is taken carries only values the
// service's own reading accepts. The arguments found within a whole line are its end, never
// starting with a blank.
#include <cstddef>
#include <cstdint>
#include <string>

#include "nut/login_credentials.h"
#include "nut/quoted_words.h"
#include "nut/server_address.h"
#include "service/command_line.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void check_event_switch(const service::HostCommand& command) {
  using service::HostMode;
  const bool sets_command = command.mode == HostMode::kSetEventCommand;
  check(sets_command == (command.event_code >= 1 && command.event_code <= 99));
  const std::string& text = command.event_command;
  check(sets_command || text.empty());
  check(text.empty() || !(text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t'));
  check(command.critical_wait_s <= 600);
  check(command.mode == HostMode::kSetCriticalCommandWait || command.critical_wait_s == 0);
}

void check_arguments(const std::string& line) {
  const std::string_view arguments = service::arguments_of(line);
  check(arguments.size() <= line.size() &&
        line.compare(line.size() - arguments.size(), arguments.size(), arguments) == 0);
  check(arguments.empty() || static_cast<unsigned char>(arguments.front()) > ' ');
}

void check_network(const service::NetworkCommand& network) {
  using service::NetworkAction;
  check((network.action == NetworkAction::refused) == !network.refusal.empty());
  for (const std::string& line : network.listen) check(nut::parse_listen_line(line).has_value());
  if (network.action == NetworkAction::ups_name) check(nut::is_plain_word(network.ups_name));
  if (network.action == NetworkAction::set_user || network.action == NetworkAction::delete_user)
    check(nut::is_plain_word(network.user.name));
  if (network.action == NetworkAction::max_clients) check(network.number >= 1 && network.number <= nut::kMaxClientsLimit);
  if (network.action == NetworkAction::host_sync) check(network.number <= nut::kHostSyncLimitSeconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);  // ends at the first NUL, as WinMain's does
  const service::HostCommand command = service::parse_command_line(line.c_str());
  const bool power_action = command.mode == service::HostMode::kPowerAction;
  if (power_action != (command.power_request >= 1 && command.power_request <= 6)) __builtin_trap();
  if (!power_action && command.power_request != 0) __builtin_trap();
  if (command.mode == service::HostMode::kInstallGiven || command.mode == service::HostMode::kCheckGiven) {
    const service::CommandLineChoice& choice = command.choice;
    const std::string& port = choice.port;
    const bool com = port.size() == 4 && port.compare(0, 3, "COM") == 0 && port[3] >= '1' && port[3] <= '9';
    const nut::ParsedAddress served = nut::parse_server_address(port);
    const bool network = served.address && nut::server_address_text(*served.address) == port;
    if (choice.vendor.empty() || choice.model.empty() || !(com || port == "USB" || network)) __builtin_trap();
    if (!network && (!choice.user.empty() || !choice.password.empty())) __builtin_trap();
    if (nut::check_login_credentials(choice.user, choice.password) != nut::CredentialsError::none) __builtin_trap();
  }
  check_event_switch(command);
  check_arguments(line.c_str());
  check((command.mode == service::HostMode::kInstallRefused) != command.refusal.empty());
  check((command.mode == service::HostMode::kNetwork) == service::is_network_switch(line.c_str()));
  if (command.mode == service::HostMode::kNetwork) check_network(command.network);
  return 0;
}
