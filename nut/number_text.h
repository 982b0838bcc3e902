// Numbers as the NUT protocol writes them: decimal, with a point, never a comma or an exponent,
// whatever the regional settings of the computer (the C library's locale plays no part).
// Pure functions; thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nut {

// `value` with exactly `decimals` digits after the point ("13.60"; no point for 0 decimals).
std::string fixed_text(double value, int decimals);

// A decimal number such as "230.5", "-4" or "12"; nothing for anything else (blanks, commas,
// exponents, hexadecimal, "nan", trailing characters).
std::optional<double> read_number(std::string_view text);

}  // namespace nut
