#include "perf/perflib_languages.h"

namespace perf {

std::vector<std::string> language_subkeys(const SubkeyNameAt& name_at) {
  std::vector<std::string> languages;
  std::string name;
  for (std::uint32_t index = 0; name_at(index, name) && name.size() <= kLanguageNameMaxChars; ++index)
    languages.push_back(name);
  return languages;
}

}  // namespace perf
