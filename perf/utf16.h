// UTF-8 to UTF-16. Our texts are written in UTF-8; the registry stores the performance text bases
// in UTF-16 and they are written through the wide calls, so Russian texts arrive intact whatever
// the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace perf {

// Characters beyond the basic plane become surrogate pairs; every malformed sequence becomes one
// U+FFFD.
std::u16string utf8_to_utf16(std::string_view utf8);

}  // namespace perf
