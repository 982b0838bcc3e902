#include "settings/page_values.h"

#include <algorithm>
#include <vector>

namespace settings::detail {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// scanf's "%d", saturating at a value no time can reach.
std::optional<long long> take_int(std::string_view& text) {
  constexpr long long kCap = 1'000'000;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digits = i;
  long long value = 0;
  for (; i < text.size() && is_digit(text[i]); ++i) value = std::min(kCap, value * 10 + (text[i] - '0'));
  if (i == digits) return std::nullopt;
  text.remove_prefix(i);
  return negative ? -value : value;
}

bool take_char(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

std::string field(const PageForm& form, int control) {
  const auto it = form.find(control);
  return it == form.end() ? std::string() : it->second;
}

std::uint32_t checked(const PageForm& form, int control) { return field(form, control) == "1" ? 1 : 0; }

std::string check_text(core::ConfigStore& store, const char* name) {
  std::uint32_t value = 0;
  return store.read_dword(name, value) && value != 0 ? "1" : "0";
}

std::string number_text(core::ConfigStore& store, const char* name) {
  std::uint32_t value = 0;
  return store.read_dword(name, value) ? std::to_string(value) : std::string();
}

std::string string_text(core::ConfigStore& store, const char* name, std::size_t buffer_size) {
  std::vector<char> buffer(buffer_size);
  return store.read_string(name, buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

bool write_check(core::ConfigStore& store, const char* name, const PageForm& form, int control) {
  return store.write_dword(name, checked(form, control));
}

bool write_number(core::ConfigStore& store, const char* name, const PageForm& form, int control) {
  return store.write_dword(name, typed_number(field(form, control)));
}

std::string cut_to_bytes(std::string text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  // Back over continuation bytes to the start of the character that would be split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

std::optional<TimeOfDay> take_time(std::string_view& text) {
  std::string_view rest = text;
  const auto hour = take_int(rest);
  if (!hour || !take_char(rest, ':')) return std::nullopt;
  const auto minute = take_int(rest);
  if (!minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59) return std::nullopt;
  text = rest;
  return TimeOfDay{static_cast<int>(*hour), static_cast<int>(*minute)};
}

}  // namespace settings::detail
