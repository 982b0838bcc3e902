// Multi-string registry values (REG_MULTI_SZ): a list of strings, each ended by its terminator,
// the list ended by an empty string. Kept apart from the Win32 calls so that the rules are tested
// natively; multi_string_win.h reads and writes values with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The strings of a value's `size` bytes of data, when it is a multi-string whose data ends with its
// terminators. No data at all, or a lone terminator, is the empty list. Nothing otherwise.
std::optional<std::vector<std::string>> multi_string_items(std::uint32_t type, const char* data, std::size_t size);

// The data of a multi-string holding `items`; an empty item would end the list early, so such
// items (and items holding a terminator) give nothing.
std::optional<std::string> multi_string_data(const std::vector<std::string>& items);

}  // namespace platform
