// The rules by which a value read from the registry counts as usable. Kept apart from the Win32
// calls so that they are tested natively; registry_win.cpp applies them to what it read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Registry value types (the numbers Windows stores).
constexpr std::uint32_t kRegString = 1;          // REG_SZ
constexpr std::uint32_t kRegExpandString = 2;    // REG_EXPAND_SZ
constexpr std::uint32_t kRegDword = 4;           // REG_DWORD
constexpr std::uint32_t kRegMultiString = 7;     // REG_MULTI_SZ

// A string value is usable when it is a plain or expandable string whose `size` bytes of data end
// with the terminator. No data at all is an empty string.
bool string_value_usable(std::uint32_t type, const char* data, std::size_t size);

// The same for a string read in UTF-16: `size` bytes of whole 16-bit characters, the last one
// the terminator.
bool wide_string_value_usable(std::uint32_t type, const std::uint16_t* data, std::size_t size);

// A DWORD value is usable when it is of type DWORD and exactly 4 bytes long.
bool dword_value_usable(std::uint32_t type, std::size_t size);

}  // namespace platform
