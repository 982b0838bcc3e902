// Text for whoever ran orvik_ups from a console or a script. The program has no console of its
// own: it writes to the output and error streams it was given, and otherwise to the console of
// the program that started it, when there is one. A console gets UTF-16, a file or pipe UTF-8.
//
// The program's one thread.
#pragma once

#include <string_view>

namespace service {

void write_output(std::string_view utf8);
void write_error(std::string_view utf8);

}  // namespace service
