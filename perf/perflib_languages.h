// Which subkeys of the performance library's key are language text bases ("009" English, "019"
// Russian, ...): names of at most three characters. The enumeration by index ends at the first
// index that has no subkey, and also at the first longer name; the subkeys before it count.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace perf {

inline constexpr std::size_t kLanguageNameMaxChars = 3;

// The name of the subkey at `index`; false when there is none (or it cannot be read).
using SubkeyNameAt = std::function<bool(std::uint32_t index, std::string& name)>;

std::vector<std::string> language_subkeys(const SubkeyNameAt& name_at);

}  // namespace perf
