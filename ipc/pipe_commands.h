// The service's side of the command table: what each message received over the pipe does.
//
// The monitoring core implements PipeCommandHandler; execute_pipe_message applies the table's
// rules on top of it (which commands need the link, which flush the statistics first, which UPS
// command text goes out) and says whether an answer is owed. Messages whose size does not match
// their command, and commands meant for the GUI, are ignored. Runs on the polling thread.
#pragma once

#include <cstdint>

#include "core/core_settings.h"
#include "ipc/action_request.h"
#include "ipc/pipe_message.h"

namespace ipc {

class PipeCommandHandler : public PowerActionStarter {
 public:
  // The settings of MSG_SETTINGS replace the core's copy at once.
  virtual void replace_settings(const core::CoreSettings& settings) = 0;
  virtual void reload_statistics_config() = 0;
  virtual void flush_statistics() = 0;
  // Whether the last polling cycle got an answer from the UPS; test commands need it.
  virtual bool ups_link_up() = 0;
  // Sends a UPS command ("T\r", ...); its reply check is the link's own business.
  virtual void send_ups_command(const char* command) = 0;
};

enum class PipeReply { none, stat_flushed };

PipeReply execute_pipe_message(const PipeMessage& message, PipeCommandHandler& handler);

}  // namespace ipc
