// The host's wait for a change of the UPS state, with the two holds that may keep it waiting
// during a power failure (the tray's "action blocked" switch and the wait before action) and the
// events that record what the host was told.
//
// Runs on the host's thread; the hooks reach the state-change event and the shared block, so the
// whole control flow is the same natively under test and in the library.
#pragma once

#include <cstdint>

#include "core/core_hooks.h"
#include "core/monitor_core.h"

namespace core {

// Blocks until the state differs from `waited_state`, `limit_ms` passed (0xFFFFFFFF: never) or
// a cancel came, and possibly longer while a hold applies. The caller reads the outcome from
// core.current_state.
void wait_for_state_change(MonitorCore& core, CoreHooks& hooks, std::uint32_t waited_state,
                           std::uint32_t limit_ms);

}  // namespace core
