// A settings page's controls as plain text, keyed by control identifier, and the mapping between
// such a form and the Config key's values. The window side only copies texts in and out of the
// controls; every rule (which value, which type, ranges, defaults, what to delete) lives here.
//
// How a control reads as text:
//   check box      "1" checked, "0" not
//   number edit    its digits as typed (may be empty or, pasted, anything)
//   combo box      the selected index in decimal ("" when none)
//   path field     its text (UTF-8)
//   time picker    "H:M" (hour 0..23, minute 0..59, no leading zeros)
// Pure functions over a ConfigStore; any thread, one store at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/config_store.h"

namespace settings {

using PageForm = std::map<int, std::string>;

// A number edit's text as the DWORD it stores: the digits as typed; an empty field is 0, a number
// beyond 32 bits is 4294967295, anything else than digits counts up to the first non-digit.
std::uint32_t typed_number(std::string_view text);

// The range the arrow keys of a number edit's up-down control keep to.
struct UpDownRange {
  int edit;
  int low, high;
};

}  // namespace settings
