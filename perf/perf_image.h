// The provider's prepared object: header and definitions filled once, when the host opens the
// provider, with the title indexes the counter registration allocated. Collections copy it.
#pragma once

#include <cstdint>

#include "perf/perf_layout.h"

namespace perf {

// What a collection delivers when it has no values to give: the header alone, its counters
// taken away, in an object of this length whose other bytes are zero.
inline constexpr std::uint32_t kEmptyObjectLength = 424;

// Object name and help are `first_counter` and `first_help`; counter k gets the indexes 2k above
// them, the order in which the registration adds the texts.
PerfImage prepare_image(std::uint32_t first_counter, std::uint32_t first_help);

// The header of the object without counters that goes with `image`.
PerfObjectType empty_object_header(const PerfImage& image);

}  // namespace perf
