// Strict number reading for the command language and the command line: the whole text must be the
// number, plain decimal notation only (no sign for counts, no exponent, no "inf" or "nan").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace upssim {

// "-12", "230", "13.6", ".5" read; "1e3", "12V", " 1", "nan" do not.
std::optional<double> parse_decimal(std::string_view text);

// Digits only, at most max.
std::optional<std::uint64_t> parse_count(std::string_view text, std::uint64_t max);

}  // namespace upssim
