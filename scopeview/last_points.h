// The "Last points" edit of the viewer: the window size N typed by the user, read as an unsigned
// decimal number and clamped to what the sample store and the up-down control allow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scopeview {

inline constexpr std::uint32_t kMinLastPoints = 10;
inline constexpr std::uint32_t kMaxLastPoints = 1000;
inline constexpr std::uint32_t kDefaultLastPoints = 100;

// The clamped window size, or nothing when the text holds no number: empty, a sign, letters,
// anything but decimal digits between optional blanks. The edit notifies on every keystroke, so
// "nothing" makes the caller keep its current N (clearing the field to type a new number must not
// jump N to 10) and rewrite the text from N when the edit loses the focus. Any run of digits
// works, however long: above the maximum it is the maximum.
std::optional<std::uint32_t> parse_last_points(std::wstring_view text);

std::uint32_t clamp_last_points(std::uint64_t n);

// The text the edit shows for a window size.
std::wstring last_points_text(std::uint32_t n);

}  // namespace scopeview
