// The service's side of the command table: what each message received over the pipe does, and
// whether its caller may ask it.
//
// The monitoring core implements PipeCommandHandler; serve_pipe_message checks the caller's rights
// (pipe_rights.h), then execute_pipe_message applies the table's rules on top of the handler (which
// commands need the link, which flush the statistics first, which UPS command text goes out) and
// says which answer is owed. Messages whose size does not match their command, and commands meant
// for the GUI, are ignored without asking who sent them. Runs on the polling thread.
#pragma once

#include <cstdint>
#include <string>

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
  // The block's two protection switches, which the service alone writes.
  virtual void set_action_blocked(bool on) = 0;
  virtual void set_turn_off_blocked(bool on) = 0;
  // A request of command `cmd` from `account` lacked `missing` rights: nothing of it was done; the
  // service leaves its trace and event lines.
  virtual void request_refused(const std::string& account, std::uint32_t cmd, std::uint32_t missing) = 0;
  // The pipe could not be opened (`error`: the system's code; another process may hold its name).
  // Said once per outage; the monitoring goes on without the pipe.
  virtual void pipe_unavailable(std::uint32_t error) = 0;
};

// Who sent the message being served, asked only when the message needs a right.
class PipeCaller {
 public:
  virtual ~PipeCaller() = default;
  // The rights of the caller's own token (pipe_rights.h); none when it cannot be told.
  virtual std::uint32_t held_rights() = 0;
  // The caller's account as the event line names it.
  virtual std::string account() = 0;
};

enum class PipeReply {
  none,          // nothing is written back
  stat_flushed,  // MSG_STAT_FLUSHED
  answer,        // MSG_ANSWER with the command and the missing rights
};

struct PipeOutcome {
  PipeReply reply = PipeReply::none;
  std::uint32_t missing = 0;  // with PipeReply::answer: the rights the caller lacked
};

// Checks the caller's rights and, when it holds them, executes the message.
PipeOutcome serve_pipe_message(const PipeMessage& message, PipeCaller& caller, PipeCommandHandler& handler);

// Executes the message without asking who sent it.
PipeReply execute_pipe_message(const PipeMessage& message, PipeCommandHandler& handler);

}  // namespace ipc
