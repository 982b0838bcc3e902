// The names and help texts of the performance object and its nine counters, as the counter
// registration adds them to the text base of each language: Russian for "019", English for every
// other language. UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace perf {

struct TitleTexts {
  const char* name;
  const char* help;
};

// Entry 0 is the object, entry k counter k. The entry's offset is what its indexes lie above the
// first counter and first help index: 2 per entry.
struct CounterTextEntry {
  std::uint32_t offset;
  TitleTexts english;
  TitleTexts russian;
};

inline constexpr std::size_t kTextEntryCount = 10;
extern const CounterTextEntry kCounterTexts[kTextEntryCount];

// The texts of `entry` for the Perflib language subkey `language` ("009", "019", ...).
const TitleTexts& texts_for_language(const CounterTextEntry& entry, std::string_view language);

}  // namespace perf
