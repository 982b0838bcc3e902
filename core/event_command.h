// The administrator's commands on events. Under the service's key "Events" a string value named
// by an event's two-digit code ("05", "14") holds a command line that the service starts when
// that event is recorded, with the event in its environment. The critical point (event 14) waits
// for its command at most "CriticalCommandWait" seconds; every other event starts its command and
// goes on at once.
//
// Pure; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr char kCriticalCommandWaitName[] = "CriticalCommandWait";
inline constexpr std::uint32_t kDefaultCriticalCommandWaitS = 60;
inline constexpr std::uint32_t kMaxCriticalCommandWaitS = 600;

// The value's name for `code`: "05" for 5; empty for a code outside 1..99.
std::string event_value_name(int code);
// The code a value name stands for: exactly two digits naming 1..99.
std::optional<int> event_code_of(std::string_view name);

// The wait of the critical point's command: the stored value (absent: the default) limited to
// 0..600 seconds.
std::uint32_t critical_command_wait_s(std::optional<std::uint32_t> stored);
// How long recording `code` waits for its command, in milliseconds. 0: not at all, the command
// runs on alone.
std::uint32_t command_wait_ms(int code, std::uint32_t critical_wait_s);

// The lines about the commands themselves start none: a failing command on them would otherwise
// record its failure again without end.
bool event_starts_command(int code);

// The state as the command sees it in UPS_STATE: "online", "onbattery", "lowbattery", and
// "nocomm" for no link or no monitoring.
const char* state_word(std::uint32_t state);

struct EventFacts {
  int code = 0;
  std::string_view text;  // the message, without its line end
  std::uint32_t state = 0;
};

// The command's environment: the service's own ("NAME=value" entries) without any UPS_EVENT,
// UPS_TEXT or UPS_STATE it had (names compared ignoring case, as the system does), followed by the
// event's: UPS_EVENT the two-digit code, UPS_TEXT the message, UPS_STATE the state word.
std::vector<std::string> command_environment(const std::vector<std::string>& inherited, const EventFacts& facts);

}  // namespace core
