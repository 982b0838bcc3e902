#include "scopeview/last_points.h"

#include <algorithm>

namespace scopeview {
namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view trimmed(std::wstring_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::uint32_t clamp_last_points(std::uint64_t n) {
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(n, kMinLastPoints, kMaxLastPoints));
}

std::optional<std::uint32_t> parse_last_points(std::wstring_view text) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    // Past the maximum the digits still have to be checked, but the value need not grow.
    if (value <= kMaxLastPoints) value = value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return clamp_last_points(value);
}

std::wstring last_points_text(std::uint32_t n) { return std::to_wstring(n); }

}  // namespace scopeview
