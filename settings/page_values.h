// What the pages share: reading a Config value into a control's text and writing it back, the
// value names the core's list lacks, and the parser of "H:M" times. Internal to settings/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config_store.h"
#include "settings/page_form.h"

namespace settings::detail {

// The control's text; "" when the form lacks it.
std::string field(const PageForm& form, int control);
// A check box's value: 1 only for the text "1".
std::uint32_t checked(const PageForm& form, int control);

// "1" for a stored DWORD other than 0; "0" when it is 0, missing or mistyped.
std::string check_text(core::ConfigStore& store, const char* name);
// The stored DWORD in decimal; "" when missing or mistyped.
std::string number_text(core::ConfigStore& store, const char* name);
// The stored string when it fits `buffer_size` bytes with its terminator; "" otherwise.
std::string string_text(core::ConfigStore& store, const char* name, std::size_t buffer_size);

bool write_check(core::ConfigStore& store, const char* name, const PageForm& form, int control);
bool write_number(core::ConfigStore& store, const char* name, const PageForm& form, int control);

// The longest start of `text` of at most `bytes` bytes that does not split a UTF-8 character.
std::string cut_to_bytes(std::string text, std::size_t bytes);

// A time of day, minutes since midnight.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
};
// Reads "H:M" at the start of `text` as scanf's "%d:%d" would (leading zeros, blanks before a
// number, a sign), without its undefined overflow; the rest stays in `text`. Nothing unless both
// numbers are there and make a time of day.
std::optional<TimeOfDay> take_time(std::string_view& text);

}  // namespace settings::detail
