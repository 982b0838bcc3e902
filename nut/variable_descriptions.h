// The descriptions GET DESC gives for the variables this server hands out, in NUT's own words so
// that clients show the texts their users know. A name without one gets "Description unavailable",
// as from NUT's server. Thread-safe.
#pragma once

#include <string_view>

namespace nut {

std::string_view variable_description(std::string_view name);

}  // namespace nut
