#include "link/command_reply.h"

#include "platform/debug_trace.h"

namespace ups_link {

std::string_view serial_reply_text(std::string_view bytes_read) {
  if (!bytes_read.empty()) bytes_read.remove_suffix(1);
  return bytes_read;
}

bool command_was_accepted(const char* command, std::string_view reply) {
  if (reply.substr(0, reply.find('\0')).empty()) return true;
  debug_trace("UPS::wrong cmd %s\n", command);
  return false;
}

}  // namespace ups_link
