#include "nut/instant_commands.h"

#include <array>
#include <charconv>

#include "link/commands.h"
#include "nut/text_compare.h"

namespace nut {
namespace {

constexpr std::array<InstantCommandInfo, 7> kCommands = {{
    {InstantCommand::beeper_toggle, "beeper.toggle", "Toggle the UPS beeper"},
    {InstantCommand::shutdown_return, "shutdown.return", "Turn off the load and return when power is back"},
    {InstantCommand::shutdown_stop, "shutdown.stop", "Stop a shutdown in progress"},
    {InstantCommand::test_battery_start, "test.battery.start", "Start a battery test"},
    {InstantCommand::test_battery_start_deep, "test.battery.start.deep", "Start a deep battery test"},
    {InstantCommand::test_battery_start_quick, "test.battery.start.quick", "Start a quick battery test"},
    {InstantCommand::test_battery_stop, "test.battery.stop", "Stop the battery test"},
}};

constexpr bool table_follows_enum() {
  for (std::size_t i = 0; i < kCommands.size(); ++i) {
    if (static_cast<std::size_t>(kCommands[i].command) != i) return false;
  }
  return true;
}
static_assert(table_follows_enum(), "instant_command_name indexes the table by the enum");

constexpr std::uint32_t kDefaultTestSeconds = 600;
constexpr std::uint32_t kShortestTestSeconds = 60;
constexpr std::uint32_t kLongestTestSeconds = 5940;  // 99 minutes, the most "T<nn>" can say

std::optional<std::uint32_t> test_seconds(const std::string* parameter) {
  if (parameter == nullptr) return kDefaultTestSeconds;
  std::uint32_t seconds = 0;
  const char* end = parameter->data() + parameter->size();
  const auto [stop, error] = std::from_chars(parameter->data(), end, seconds);
  if (error != std::errc() || stop != end) return std::nullopt;
  if (seconds < kShortestTestSeconds || seconds > kLongestTestSeconds) return std::nullopt;
  return seconds;
}

}  // namespace

std::span<const InstantCommandInfo> instant_commands() { return kCommands; }

std::optional<InstantCommand> find_instant_command(std::string_view name) {
  for (const InstantCommandInfo& info : kCommands) {
    if (equal_ignoring_case(info.name, name)) return info.command;
  }
  return std::nullopt;
}

std::string_view instant_command_name(InstantCommand command) {
  return kCommands[static_cast<std::size_t>(command)].name;
}

std::optional<InstantCommandRequest> make_instant_command_request(InstantCommand command,
                                                                  const std::string* parameter) {
  InstantCommandRequest request{command, 0};
  if (command != InstantCommand::test_battery_start) {
    if (parameter != nullptr) return std::nullopt;
    return request;
  }
  const std::optional<std::uint32_t> seconds = test_seconds(parameter);
  if (!seconds) return std::nullopt;
  request.test_minutes = *seconds / 60;
  return request;
}

std::string ups_command_text(const InstantCommandRequest& request) {
  switch (request.command) {
    case InstantCommand::beeper_toggle: return ups_link::kBeeperToggleCommand;
    case InstantCommand::shutdown_return: return {};
    case InstantCommand::shutdown_stop: return ups_link::kCancelTurnOffCommand;
    case InstantCommand::test_battery_start: return ups_link::timed_test_command(request.test_minutes);
    case InstantCommand::test_battery_start_deep: return ups_link::kTestUntilLowCommand;
    case InstantCommand::test_battery_start_quick: return ups_link::kShortTestCommand;
    case InstantCommand::test_battery_stop: return ups_link::kCancelTestCommand;
  }
  return {};
}

}  // namespace nut
