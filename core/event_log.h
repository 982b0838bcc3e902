// Formatting an event line and handing it to the hooks' event file.
#pragma once

#include <string>
#include <string_view>

#include "core/core_hooks.h"
#include "core/event_texts.h"

namespace core {

// Formats `text`'s printf-style format with the arguments and writes it with its code. (`text`
// by value: the argument list may not start after a reference.)
void write_event(CoreHooks& hooks, event::Text text, ...);

// `format` with its first "%s" replaced by `argument`: the texts that take one word or reason.
std::string with_argument(const char* format, std::string_view argument);

}  // namespace core
