#include "stats/stat_presentation.h"

#include <cstdio>

namespace stats {

std::string format_duration(std::uint32_t seconds) {
  const std::uint32_t days = seconds / 86400;
  const std::uint32_t hours = seconds % 86400 / 3600;
  const std::uint32_t minutes = seconds % 3600 / 60;
  char text[64];
  if (days > 0)
    std::snprintf(text, sizeof text, "%uд/%u:%02u", days, hours, minutes);
  else if (hours > 0)
    std::snprintf(text, sizeof text, "%u:%02u", hours, minutes);
  else
    std::snprintf(text, sizeof text, "0:%02u:%02u", minutes, seconds % 60);
  return text;
}

double consumption_wh(double energy_va_minutes) { return energy_va_minutes * 0.011785; }

}  // namespace stats
