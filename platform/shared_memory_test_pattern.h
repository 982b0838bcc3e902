// The byte pattern the shared-memory tests write in one process and check in another.
#pragma once

#include <cstddef>

namespace platform {

inline unsigned char test_pattern_byte(std::size_t i) { return static_cast<unsigned char>(i * 31 + 7); }

inline void fill_test_pattern(unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) bytes[i] = test_pattern_byte(i);
}

inline bool has_test_pattern(const unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] != test_pattern_byte(i)) return false;
  return true;
}

}  // namespace platform
