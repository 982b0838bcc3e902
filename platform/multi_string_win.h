// Reading and writing multi-string registry values with the rules of multi_string.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

enum class ListRead { ok, absent, unusable };

// At most `max_bytes` of data are read; a longer value is unusable.
ListRead read_multi_string_value(HKEY key, const char* name, std::vector<std::string>& items, std::size_t max_bytes);

bool write_multi_string_value(HKEY key, const char* name, const std::vector<std::string>& items);

}  // namespace platform
