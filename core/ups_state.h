// The state codes and start-up results of the minidriver interface the library exports.
#pragma once

#include <cstdint>

namespace core {

inline constexpr std::uint32_t UPS_ONLINE = 1;
inline constexpr std::uint32_t UPS_ONBATTERY = 2;
inline constexpr std::uint32_t UPS_LOWBATTERY = 4;
inline constexpr std::uint32_t UPS_NOCOMM = 8;

inline constexpr std::uint32_t UPS_INITUNKNOWNERROR = 0;
inline constexpr std::uint32_t UPS_INITOK = 1;
inline constexpr std::uint32_t UPS_INITREGISTRYERROR = 4;
inline constexpr std::uint32_t UPS_INITCOMMOPENERROR = 5;
inline constexpr std::uint32_t UPS_INITCOMMSETUPERROR = 6;

// Why a cycle forced the battery-low bit (the shared block's shutdown reason).
inline constexpr std::uint32_t kReasonNone = 0;
inline constexpr std::uint32_t kReasonCapacity = 1;
inline constexpr std::uint32_t kReasonVoltage = 2;

}  // namespace core
