// Sending a command that the UPS must take without a word (every command but the two queries).
#pragma once

#include "link/ups_transport.h"

namespace ups_link {

// Sends `command` over the link in use. True when the UPS stayed silent; any answer is logged
// with "UPS::wrong cmd %s\n" and gives false. Callers only log the result: nothing is retried.
bool send_command(UpsTransport& transport, const char* command);

}  // namespace ups_link
