// Editing one text base of the performance library: a language's "Counter" or "Help" value, a
// multi-string of pairs (the decimal index, then its text) ended by an empty string, in UTF-16 as
// the registry stores it.
//
// A base is read as the strings before its first empty string; anything after that is no part of
// it, and a value without its final terminators still yields its strings. An index without its
// text at the end is dropped, so that the pairs after it keep their order. Edited bases are
// written back in the regular form: every string terminated, one empty string at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace perf {

// The value's UTF-16 units, terminators included.
using TextBase = std::u16string;

// Appends the pair (`index`, `text`) as the base's last pair. False, the base unchanged, for a
// text that is empty or holds a terminator: it would end the base or split the pair.
bool add_title(TextBase& base, std::uint32_t index, std::u16string_view text);

// Cuts out the first pair whose index string reads as `index` (decimal digits only); true when
// there was one.
bool remove_title(TextBase& base, std::uint32_t index);

// The highest index of the base's pairs, 0 if none.
std::uint32_t highest_title_index(const TextBase& base);

}  // namespace perf
