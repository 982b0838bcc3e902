#include "link/beeper.h"

#include "link/ups_status.h"

namespace ups_link {
namespace {

// A window whose start is after its end runs over midnight; an empty window (start = end)
// is no limit at all.
bool inside_signal_window(int start, int end, int now) {
  if (start > end) return now >= start || now <= end;
  if (start < end) return start <= now && now <= end;
  return true;
}

}  // namespace

BeeperDecision decide_beeper(const core::CoreSettings& settings, int now_minutes,
                             std::uint32_t status_bits) {
  bool needed = settings.signal_enable != 0;
  if (needed && settings.signal_time_enable != 0) {
    needed = inside_signal_window(settings.signal_window_start, settings.signal_window_end, now_minutes);
  }
  const bool beeper_on = (status_bits & STATUS_BEEPER_ON) != 0;
  return {needed, beeper_on != needed};
}

}  // namespace ups_link
