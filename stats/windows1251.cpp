#include "stats/windows1251.h"

#include <cstdint>

namespace stats {
namespace {

constexpr char kUnmappable = '?';

// Unicode of the bytes 0x80..0xBF; 0x98 is not assigned. 0xC0..0xFF are А..я in order.
constexpr char32_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0xFFFF, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char windows1251_byte(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(0xC0 + (c - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kUpperHalf[i] == c) return static_cast<char>(0x80 + i);
  return kUnmappable;
}

struct Decoded {
  char32_t code_point;
  std::size_t length;  // 0: malformed
};

// One UTF-8 sequence at the start of `text` (not empty); overlong forms, surrogates and values
// beyond U+10FFFF are malformed.
Decoded decode_one(std::string_view text) {
  const auto lead = static_cast<std::uint8_t>(text[0]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead >= 0xF8 || text.size() < length) return {0, 0};
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(text[i]);
    if ((next & 0xC0) != 0x80) return {0, 0};
    c = c << 6 | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return {0, 0};
  return {c, length};
}

}  // namespace

std::string utf8_to_windows1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const Decoded d = decode_one(utf8);
    out += d.length ? windows1251_byte(d.code_point) : kUnmappable;
    utf8.remove_prefix(d.length ? d.length : 1);
  }
  return out;
}

}  // namespace stats
