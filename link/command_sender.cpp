#include "link/command_sender.h"

#include "link/command_reply.h"

namespace ups_link {

bool send_command(UpsTransport& transport, const char* command) {
  return command_was_accepted(command, transport.command_reply(command));
}

}  // namespace ups_link
