#include "setup/port_list.h"

namespace installation {
namespace {

wchar_t ascii_upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool begins_with_ignoring_case(std::wstring_view text, std::wstring_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (ascii_upper(text[i]) != ascii_upper(prefix[i])) return false;
  return true;
}

}  // namespace

std::vector<std::wstring> port_entries() {
  std::vector<std::wstring> entries{L"USB"};
  for (int number = 1; number <= 9; ++number) entries.push_back(L"COM" + std::to_wstring(number));
  return entries;
}

std::optional<std::size_t> preselected_port(const std::vector<std::wstring>& entries, std::wstring_view stored) {
  for (std::size_t step = 1; step <= entries.size(); ++step) {
    std::size_t index = step % entries.size();
    if (begins_with_ignoring_case(entries[index], stored)) return index;
  }
  return std::nullopt;
}

}  // namespace installation
