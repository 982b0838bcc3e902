// The check after sending a command that must draw no answer.
//
// Serial: the bytes read after the wait lose their final byte (the UPS's carriage return)
// through serial_reply_text; USB replies arrive as text already. Whatever text remains means
// the UPS did not take the command. Stateless; thread-safe.
#pragma once

#include <string_view>

namespace ups_link {

// The serial reply without its final byte.
std::string_view serial_reply_text(std::string_view bytes_read);

// True when `reply` holds no text (a NUL ends it, as it would a C string). Otherwise logs
// "UPS::wrong cmd %s\n" with the command (not the reply) and returns false.
bool command_was_accepted(const char* command, std::string_view reply);

}  // namespace ups_link
