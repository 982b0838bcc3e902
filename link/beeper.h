// Beeper reconciliation: whether the UPS beeper should be on now, and whether the UPS's
// current beeper bit disagrees (then the caller sends the toggle command "Q\r").
// Pure function; thread-safe.
#pragma once

#include <cstdint>

#include "core/core_settings.h"

namespace ups_link {

struct BeeperDecision {
  bool needed = false;
  bool toggle = false;
};

// `now_minutes` is the local time of day, hour × 60 + minute.
BeeperDecision decide_beeper(const core::CoreSettings& settings, int now_minutes,
                             std::uint32_t status_bits);

}  // namespace ups_link
