// The instant commands the server offers (LIST CMD, INSTCMD) and what each asks of the UPS.
//
// Only commands that the UPS link already sends, and none that switches the load off for good:
//   beeper.toggle             "Q\r"
//   shutdown.return           the turn-off with the configured delays (S..R.., built by the link)
//   shutdown.stop             "C\r"
//   test.battery.start        "T<nn>\r"; the parameter is the test's length in seconds, 60 to 5940,
//                             600 when absent, taken in whole minutes (as NUT's Q1 driver takes it)
//   test.battery.start.deep   "TL\r"
//   test.battery.start.quick  "T\r"
//   test.battery.stop         "CT\r"
// Names compare without regard to case, as NUT's server compares them; the list is in the order
// LIST CMD gives it. A parameter on a command that takes none is refused. Stateless; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nut {

enum class InstantCommand {
  beeper_toggle,
  shutdown_return,
  shutdown_stop,
  test_battery_start,
  test_battery_start_deep,
  test_battery_start_quick,
  test_battery_stop,
};

struct InstantCommandInfo {
  InstantCommand command;
  std::string_view name;
  std::string_view description;  // GET CMDDESC
};

// Every command, in LIST CMD order.
std::span<const InstantCommandInfo> instant_commands();

std::optional<InstantCommand> find_instant_command(std::string_view name);
std::string_view instant_command_name(InstantCommand command);

struct InstantCommandRequest {
  InstantCommand command = InstantCommand::beeper_toggle;
  std::uint32_t test_minutes = 0;  // test.battery.start only
};

// The request for `command` with the optional parameter as the client sent it; nothing when the
// parameter does not fit the command.
std::optional<InstantCommandRequest> make_instant_command_request(InstantCommand command,
                                                                  const std::string* parameter);

// The UPS command text of a request; empty for shutdown.return, whose text the link builds from the
// turn-off settings at the moment it is sent.
std::string ups_command_text(const InstantCommandRequest& request);

}  // namespace nut
