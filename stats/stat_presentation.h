// How every statistics view shows a duration and the stored energy.
#pragma once

#include <cstdint>
#include <string>

namespace stats {

// "1д/2:03" with days, "1:02" under a day, "0:00:59" under an hour (UTF-8). Callers pass the
// stored double seconds truncated to an integer.
std::string format_duration(std::uint32_t seconds);

// Watt-hours of a StatSummary's energy (VA-minutes): / 60 for hours, x 0.7071 for the power
// factor. Shown with "%.1f".
double consumption_wh(double energy_va_minutes);

}  // namespace stats
