// ASCII comparison without regard to case: NUT's server compares command, UPS, variable and
// instant command names this way (user names and passwords compare exactly). Thread-safe.
#pragma once

#include <string_view>

namespace nut {

bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace nut
