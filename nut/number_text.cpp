#include "nut/number_text.h"

#include <charconv>
#include <cmath>

namespace nut {

std::string fixed_text(double value, int decimals) {
  char text[400];  // the largest double in fixed notation has 309 digits
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "0";
  return std::string(text, end);
}

std::optional<double> read_number(std::string_view text) {
  for (const char c : text) {
    const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
    if (!allowed) return std::nullopt;
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace nut
