#include "platform/registry_rules.h"

namespace platform {

bool string_value_usable(std::uint32_t type, const char* data, std::size_t size) {
  if (type != kRegString && type != kRegExpandString) return false;
  return size == 0 || data[size - 1] == '\0';
}

bool wide_string_value_usable(std::uint32_t type, const std::uint16_t* data, std::size_t size) {
  if (type != kRegString && type != kRegExpandString) return false;
  if (size % 2 != 0) return false;
  return size == 0 || data[size / 2 - 1] == 0;
}

bool dword_value_usable(std::uint32_t type, std::size_t size) {
  return type == kRegDword && size == 4;
}

}  // namespace platform
