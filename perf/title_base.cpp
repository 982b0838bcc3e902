#include "perf/title_base.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace perf {
namespace {

using Pair = std::pair<std::u16string_view, std::u16string_view>;  // index string, text

std::vector<Pair> pairs_of(std::u16string_view rest) {
  std::vector<Pair> pairs;
  std::u16string_view index;
  while (!rest.empty()) {
    const std::size_t end = rest.find(u'\0');
    const std::u16string_view string = rest.substr(0, end);
    if (string.empty()) break;
    rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 1);
    if (index.empty()) {
      index = string;
    } else {
      pairs.emplace_back(index, string);
      index = {};
    }
  }
  return pairs;
}

TextBase base_of(const std::vector<Pair>& pairs) {
  TextBase base;
  for (const auto& [index, text] : pairs) {
    base.append(index).push_back(u'\0');
    base.append(text).push_back(u'\0');
  }
  base.push_back(u'\0');
  return base;
}

std::u16string decimal(std::uint32_t value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

// The number an index string reads as; false for anything but decimal digits within 32 bits.
bool read_index(std::u16string_view text, std::uint32_t& value) {
  std::uint64_t number = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    number = number * 10 + static_cast<std::uint32_t>(c - u'0');
    if (number > UINT32_MAX) return false;
  }
  value = static_cast<std::uint32_t>(number);
  return true;
}

bool index_is(std::u16string_view text, std::uint32_t index) {
  std::uint32_t value = 0;
  return read_index(text, value) && value == index;
}

}  // namespace

bool add_title(TextBase& base, std::uint32_t index, std::u16string_view text) {
  if (text.empty() || text.find(u'\0') != std::u16string_view::npos) return false;
  std::vector<Pair> pairs = pairs_of(base);
  const std::u16string index_text = decimal(index);
  pairs.emplace_back(index_text, text);
  base = base_of(pairs);
  return true;
}

bool remove_title(TextBase& base, std::uint32_t index) {
  std::vector<Pair> pairs = pairs_of(base);
  const auto match =
      std::find_if(pairs.begin(), pairs.end(), [index](const Pair& pair) { return index_is(pair.first, index); });
  const bool found = match != pairs.end();
  if (found) pairs.erase(match);
  base = base_of(pairs);
  return found;
}

std::uint32_t highest_title_index(const TextBase& base) {
  std::uint32_t highest = 0;
  for (const auto& pair : pairs_of(base)) {
    std::uint32_t value = 0;
    if (read_index(pair.first, value) && value > highest) highest = value;
  }
  return highest;
}

}  // namespace perf
