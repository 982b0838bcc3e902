// The about page's text: the system's name and version (the library's own version resource), what
// it does, and where the statistics archive and the debug trace are on this machine.
#pragma once

#include <string>

namespace settings {

std::string about_text();

}  // namespace settings
