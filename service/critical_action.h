// The critical power action of the monitoring loop: shut the computer down (with power-off when
// the machine can switch itself off) or hibernate it, both forced, through the side-effect seam.
//
// Called on the monitoring loop's thread.
#pragma once

#include <cstdint>
#include <functional>

#include "service/monitoring_loop.h"

namespace service {

// The system's exit flags: shutdown and force, with or without power-off.
inline constexpr std::uint32_t kExitShutdownForced = 0x5;
inline constexpr std::uint32_t kExitPowerOffForced = 0xD;
// Planned; major reason power; minor reason power supply.
inline constexpr std::uint32_t kPowerSupplyShutdownReason = 0x8006000A;

// Enables the shutdown privilege, then carries out `action` (kActionShutdown, kActionHibernate;
// anything else does nothing). Returns after the hibernation when the machine has resumed.
// `started` runs once, as soon as the action is under way: right after the shutdown was requested
// (it runs on by itself), but before the hibernation call, which returns only after the resume. A
// `rehearsed` action only writes its line and returns at once: `started` then follows the line.
void perform_critical_action(std::uint32_t action, HostEnvironment& host, bool rehearsed,
                             const std::function<void()>& started);

}  // namespace service
