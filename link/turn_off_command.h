// The delayed turn-off command: "S<delay>R<restore>\r".
//
// The delay is sent in tenths of a minute below one minute (S.2 … S.9) and in whole minutes
// from one minute on (S01 … S10). The restore part tells the UPS after how many minutes to
// switch its output on again; 0 when it is not to. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ups_link {

inline constexpr std::uint32_t kTurnOffMinDelaySeconds = 12;
inline constexpr std::uint32_t kTurnOffMaxDelaySeconds = 600;

struct TurnOffInputs {
  std::uint32_t delay_seconds = 0;
  std::uint32_t turn_ups_on_enable = 0;  // settings TurnUPSOnEnable / TurnUPSOnWait
  std::uint32_t turn_ups_on_wait = 0;    // minutes
  bool turn_off_pending = false;         // the power-failure policy asked for this turn-off
  std::uint32_t last_status_bits = 0;    // of the last poll
  std::string_view vendor;               // the Vendor setting, without terminator
};

struct TurnOffCommand {
  std::string text;             // ends with "\r"
  std::uint32_t delay_seconds;  // clamped to 12..600, for the log line
};

TurnOffCommand build_turn_off_command(const TurnOffInputs& inputs);

// The command is not sent while the tray's turn-off-blocked field is set or Ctrl is held down.
bool turn_off_suppressed(std::uint32_t turn_off_blocked, bool ctrl_key_down);

}  // namespace ups_link
