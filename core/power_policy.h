// The power-failure policy around the computer's own power transitions: carrying out a requested
// power action, and the watchers of suspend, resume and end of session that record events and
// queue a UPS turn-off for the query thread to send.
//
// Power actions run on short-lived threads of their own; the watchers on the monitor window
// thread. Both talk to the query thread only through the policy flags of MonitorCore.
#pragma once

#include <cstdint>

#include "core/core_hooks.h"
#include "core/event_texts.h"
#include "core/monitor_core.h"

namespace core {

// Power-action request codes 1..6 (tray menu, command line, shared block); the action code is
// the request minus 1.
inline constexpr std::uint32_t kFirstActionRequest = 1;
inline constexpr std::uint32_t kLastActionRequest = 6;

// Exit flags and shutdown reason of a commanded power off or restart.
inline constexpr std::uint32_t kExitPowerOff = 13;   // shutdown, power off, force
inline constexpr std::uint32_t kExitShutdown = 5;    // shutdown, force
inline constexpr std::uint32_t kExitRestart = 6;     // reboot, force
inline constexpr std::uint32_t kPlannedShutdownReason = 0x800500FF;

// Carries out action `action` (0 power off, 1 hibernate, 2 restart, 3 standby, 4 power off and
// 5 hibernate with the UPS left on) through platform::side_effects().
void run_power_action(MonitorCore& core, CoreHooks& hooks, std::uint32_t action);

// How long a watcher waits for the query thread to take a queued turn-off before dropping it.
inline constexpr std::uint32_t kTurnOffTakeLimitMs = 15000;

// Queues a UPS turn-off when the configuration and the switches allow it, writing `text` with
// the delay; waits until the query thread took it (or dropped it). True when one was queued.
// Never for a UPS that another computer serves (core.served_ups).
bool queue_turn_off_if_wanted(MonitorCore& core, CoreHooks& hooks, const event::Text& text);

void on_suspend(MonitorCore& core, CoreHooks& hooks);
void on_resume(MonitorCore& core, CoreHooks& hooks);
// End of the session (not a logoff): the machine is shutting down.
void on_end_session(MonitorCore& core, CoreHooks& hooks);

}  // namespace core
