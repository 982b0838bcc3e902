#include "perf/utf16.h"

namespace perf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the sequence at the start of `in`; `used` is its length (1 for a malformed lead byte).
char32_t decode(std::string_view in, std::size_t& used) {
  const auto lead = static_cast<unsigned char>(in[0]);
  used = 1;
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;  // below it the sequence is an overlong form
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    return kReplacement;
  }
  if (in.size() < length) return kReplacement;
  for (std::size_t i = 1; i < length; ++i) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (!is_continuation(c)) return kReplacement;
    code = (code << 6) | (c & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
  used = length;
  return code;
}

void append(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
    return;
  }
  code -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (code >> 10));
  out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    std::size_t used = 0;
    append(out, decode(utf8, used));
    utf8.remove_prefix(used);
  }
  return out;
}

}  // namespace perf
