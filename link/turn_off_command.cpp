#include "link/turn_off_command.h"

#include <algorithm>
#include <cstdio>

#include "link/ups_status.h"

namespace ups_link {
namespace {

constexpr std::string_view kVendorWithShortRestore = "Lunem";
constexpr std::uint32_t kShortRestoreMaxMinutes = 255;
constexpr std::uint32_t kRestoreMaxMinutes = 9999;

// Three characters: "S.2" … "S.9" or "S01" … "S10". A fraction of 0.95 minute or more
// (57-59 s) would print as "1.0" and become "S.0", an immediate turn-off; it takes the
// one-minute form instead.
std::string delay_text(std::uint32_t seconds) {
  const float minutes = static_cast<float>(seconds) * 0.016666668f;
  char text[16];
  if (minutes < 1.0f) {
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(minutes));
    if (text[0] == '0') {
      text[0] = 'S';
      return text;
    }
  }
  std::snprintf(text, sizeof text, "S%02u", std::max(seconds / 60, 1u));
  return text;
}

// The watchers' turn-off goes out as the computer shuts down or suspends. On mains that is a
// deliberate switch-off, so the output must not come back by itself.
std::uint32_t restore_minutes(const TurnOffInputs& inputs) {
  if (inputs.turn_ups_on_enable == 0) return 0;
  const bool on_mains = (inputs.last_status_bits & STATUS_UTILITY_FAIL) == 0;
  if (inputs.turn_off_pending && on_mains) return 0;
  return std::max(inputs.turn_ups_on_wait, 1u);
}

std::string restore_text(const TurnOffInputs& inputs) {
  const std::uint32_t minutes = restore_minutes(inputs);
  char text[16];
  if (inputs.vendor == kVendorWithShortRestore) {
    if (minutes == 0) return "\r";
    std::snprintf(text, sizeof text, "R%04u\r", std::min(minutes, kShortRestoreMaxMinutes));
  } else {
    std::snprintf(text, sizeof text, "R%04u\r", std::min(minutes, kRestoreMaxMinutes));
  }
  return text;
}

}  // namespace

TurnOffCommand build_turn_off_command(const TurnOffInputs& inputs) {
  const std::uint32_t delay =
      std::max(std::min(inputs.delay_seconds, kTurnOffMaxDelaySeconds), kTurnOffMinDelaySeconds);
  return {delay_text(delay) + restore_text(inputs), delay};
}

bool turn_off_suppressed(std::uint32_t turn_off_blocked, bool ctrl_key_down) {
  return turn_off_blocked != 0 || ctrl_key_down;
}

}  // namespace ups_link
