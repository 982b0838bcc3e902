// Fuzz target: a text base of arbitrary UTF-16 units (little-endian bytes after a 4-byte index)
// through removal and addition. Whatever the value held, an edited base must be regular, report
// a true highest index, and find the pair that was just added.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "perf/title_base.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Every string terminated, no empty string before the closing one, pairs complete.
void check_regular(const perf::TextBase& base) {
  check(!base.empty() && base.back() == u'\0');
  std::size_t strings = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < base.size(); ++i) {
    if (base[i] != u'\0') continue;
    check(i > start);
    ++strings;
    start = i + 1;
  }
  check(start == base.size() - 1 && strings % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t index = 0;
  std::memcpy(&index, data, 4);
  perf::TextBase base;
  for (std::size_t i = 4; i + 1 < size; i += 2) base.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  perf::remove_title(base, index);
  check_regular(base);
  const std::uint32_t highest = perf::highest_title_index(base);
  perf::remove_title(base, highest);
  check(perf::highest_title_index(base) <= highest);

  check(perf::add_title(base, index, u"UPS"));
  check_regular(base);
  check(perf::highest_title_index(base) >= index);
  check(perf::remove_title(base, index));
  check_regular(base);
  return 0;
}
