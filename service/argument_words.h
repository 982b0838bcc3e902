// The words of a command line, split as Windows programs split their arguments: blanks (space,
// tab) separate words outside double quotes; a double quote toggles quoting and is dropped; a
// backslash is itself, except before a double quote: 2n backslashes there give n and the quote
// still toggles, 2n+1 give n and a literal quote. So a value with blanks is quoted, and a quote
// inside a value is written \". Pure; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace service {

std::vector<std::string> argument_words(std::string_view line);

}  // namespace service
