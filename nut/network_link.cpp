#include "nut/network_link.h"

#include <charconv>

#include "link/commands.h"
#include "link/ups_status.h"
#include "nut/status_mapping.h"
#include "platform/debug_trace.h"

namespace nut {
namespace {

constexpr std::uint32_t kSecondsPerMinute = 60;

// "T<nn>\r" with nn from 01 to 99: the test's length in minutes.
std::optional<std::uint32_t> timed_test_minutes(std::string_view command) {
  if (command.size() != 4 || command[0] != 'T' || command[3] != '\r') return std::nullopt;
  std::uint32_t minutes = 0;
  const auto [end, error] = std::from_chars(command.data() + 1, command.data() + 3, minutes);
  if (error != std::errc() || end != command.data() + 3 || minutes == 0) return std::nullopt;
  return minutes;
}

// Why an instant command did not run, for the administrator reading the trace.
std::string refusal_reason(const std::string& refusal, const std::string& user) {
  if (refusal == "ACCESS-DENIED") return "the server does not let the user \"" + user + "\" run it (upsd.users, instcmds)";
  if (refusal == "CMD-NOT-SUPPORTED") return "the server's UPS has no such command";
  return refusal;
}

}  // namespace

std::optional<InstantCommandRequest> instant_command_for(std::string_view ups_command) {
  if (ups_command == ups_link::kShortTestCommand) return InstantCommandRequest{InstantCommand::test_battery_start_quick, 0};
  if (ups_command == ups_link::kTestUntilLowCommand) return InstantCommandRequest{InstantCommand::test_battery_start_deep, 0};
  if (ups_command == ups_link::kCancelTestCommand) return InstantCommandRequest{InstantCommand::test_battery_stop, 0};
  if (ups_command == ups_link::kBeeperToggleCommand) return InstantCommandRequest{InstantCommand::beeper_toggle, 0};
  if (const std::optional<std::uint32_t> minutes = timed_test_minutes(ups_command)) {
    return InstantCommandRequest{InstantCommand::test_battery_start, *minutes};
  }
  return std::nullopt;
}

NetworkLink::NetworkLink(ServerStream& stream, SessionClock& clock, ClientSettings settings)
    : clock_(clock), session_(stream, clock, std::move(settings)), label_(server_address_label(session_.settings().address)) {}

NetworkReading NetworkLink::reading_from(const CycleReading& cycle) {
  NetworkReading out;
  if (cycle.login_refused && *cycle.login_refused != reported_refusal_) {
    out.login_refused = reported_refusal_ = *cycle.login_refused;
  }
  if (session_.logged_in()) reported_refusal_.clear();
  if (!cycle.answered) return out;
  const MappedStatus mapped = map_server_variables(cycle.variables);
  if (!mapped.usable) {
    if (!reported_unusable_) debug_trace(" UPS::NUT %s: the server gives no ups.status\n", label_.c_str());
    reported_unusable_ = true;
    return out;
  }
  reported_unusable_ = false;
  out.reading.answered = true;
  out.reading.status = mapped.status;
  out.reading.raw_line = "NUT " + label_ + ": " + cycle.variables.at("ups.status");
  out.battery = {mapped.capacity_percent, mapped.runtime_minutes};
  out.forced_shutdown = mapped.forced_shutdown;
  return out;
}

NetworkReading NetworkLink::poll() {
  const std::uint32_t start = clock_.now_ms();
  NetworkReading reading = reading_from(session_.read_variables(kCycleMs));
  const std::uint32_t spent = clock_.now_ms() - start;
  if (spent < kCycleMs) clock_.sleep_ms(kCycleMs - spent);
  return reading;
}

std::string NetworkLink::command_reply(const char* command) {
  const std::optional<InstantCommandRequest> request = instant_command_for(command);
  if (!request) {
    debug_trace(" UPS::NUT %s: the UPS belongs to the server's primary; no command of that kind is sent\n",
                label_.c_str());
    return "not sent over the network";
  }
  const std::string_view name = instant_command_name(request->command);
  const std::string seconds = std::to_string(request->test_minutes * kSecondsPerMinute);
  const bool timed = request->command == InstantCommand::test_battery_start;
  const CommandResult result = session_.run_instant_command(name, timed ? &seconds : nullptr, kCommandBudgetMs);
  if (result.done) {
    debug_trace(" UPS::NUT %s: INSTCMD %.*s done\n", label_.c_str(), static_cast<int>(name.size()), name.data());
    return std::string();
  }
  const std::string reason = refusal_reason(result.refusal, session_.settings().user);
  debug_trace(" UPS::NUT %s: INSTCMD %.*s not run: %s\n", label_.c_str(), static_cast<int>(name.size()), name.data(),
              reason.c_str());
  return "ERR " + result.refusal;
}

void NetworkLink::log_out() { session_.log_out(kCommandBudgetMs); }

}  // namespace nut
