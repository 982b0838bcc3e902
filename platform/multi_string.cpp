#include "platform/multi_string.h"

#include "platform/registry_rules.h"

namespace platform {

std::optional<std::vector<std::string>> multi_string_items(std::uint32_t type, const char* data, std::size_t size) {
  if (type != kRegMultiString) return std::nullopt;
  std::vector<std::string> items;
  if (size == 0 || (size == 1 && data[0] == '\0')) return items;
  if (size < 2 || data[size - 1] != '\0' || data[size - 2] != '\0') return std::nullopt;
  std::string_view rest(data, size - 1);
  while (!rest.empty() && rest.front() != '\0') {
    const std::size_t end = rest.find('\0');
    items.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  return items;
}

std::optional<std::string> multi_string_data(const std::vector<std::string>& items) {
  std::string data;
  for (const std::string& item : items) {
    if (item.empty() || item.find('\0') != std::string::npos) return std::nullopt;
    data += item;
    data += '\0';
  }
  data += '\0';
  return data;
}

}  // namespace platform
