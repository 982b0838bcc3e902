// Quoted words: how a line of the NUT network protocol splits into words, and how a word is written
// back. Server and client share it: requests and replies are both lines of words.
//
// Reading: words are separated by blanks (space, tab, CR, VT, FF); a word that starts with a double
// quote runs to the next one and may hold blanks or nothing at all (a quote inside a plain word is an
// ordinary character); a backslash takes the next character literally (\" \\ \ ), inside quotes or
// out. Bytes below 0x20 (except the blanks) and above 0x7F are dropped, as NUT's own parser
// drops them, so binary input yields short ASCII words and never a control character. A quote left
// open or a backslash left dangling at the end of the line ends its word there. At most kMaxWords words
// are kept; the rest of the line is ignored. Unlike NUT's configuration parser, "#" and "=" are
// ordinary characters: a password may contain them.
//
// Writing: quote_value() encloses a value in quotes with " and \ escaped and control characters dropped, so
// a value can never end the reply line early. request_word() leaves a plain word as it is and quotes
// one that needs it. Stateless; thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nut {

inline constexpr std::size_t kMaxWords = 32;

using Words = std::vector<std::string>;

Words split_words(std::string_view line);

std::string quote_value(std::string_view value);

std::string request_word(std::string_view word);

// Whether `word` goes over the wire as it is: not empty, printable ASCII without blanks, quotes or
// backslashes. NUT's own clients send user and UPS names unquoted, so only such names work for all.
bool is_plain_word(std::string_view word);

}  // namespace nut
