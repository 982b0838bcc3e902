#include "settings/page_form.h"

#include <limits>

namespace settings {

std::uint32_t typed_number(std::string_view text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kMax) return static_cast<std::uint32_t>(kMax);
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace settings
