// PipeServer: the service's end of "\\.\pipe\UPS", polled without blocking once per polling cycle.
//
// One instance, byte mode, no-wait mode: a client connects without the server waiting for it, and
// every read returns at once. When the client goes away, or sends a header that cannot be followed,
// the instance is disconnected and listens again, so that the next client (the tray GUI of whoever
// logs on) can connect. The instance is never closed while monitoring runs: no other process can
// create the name in between and receive the trays' connections. Only SYSTEM and Administrators
// may connect, and never from another machine.
// Touched only by the polling thread (UPSInit creates it before the thread starts, UPSStop closes
// it after the thread has ended).
#pragma once

#include <windows.h>

#include <string>

#include "ipc/pipe_commands.h"
#include "ipc/pipe_message.h"
#include "ipc/pipe_message_reader.h"
#include "platform/handles_win.h"

namespace ipc {

class PipeServer {
 public:
  explicit PipeServer(const char* name = kPipeName) : name_(name) {}
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // Closes any previous instance and creates the pipe as the name's first instance: fails, with
  // its debug line, when another process already owns the name.
  bool create();
  // Closes the pipe; a client then reads a broken pipe.
  void disconnect();
  bool is_open() const { return pipe_.is_open(); }

  // Reads what the client sent, without blocking; a complete message is in message().
  PipeMessageReader::Result try_read();
  const PipeMessage& message() const { return reader_.message(); }
  // The system error of the last failed read (ERROR_NO_DATA while idle, ERROR_BROKEN_PIPE once the
  // client has gone).
  DWORD last_read_error() const { return last_read_error_; }

  // A plain write of message.size bytes; false when nothing or not all of it was written.
  bool write(const PipeMessage& message);

  // One polling cycle's turn: executes at most one received message with `handler` and answers
  // MSG_STAT_FLUSH; re-creates the pipe after a broken pipe or a rejected header.
  void poll(PipeCommandHandler& handler);

 private:
  class Source;
  void execute(PipeCommandHandler& handler);
  // Drops the client and listens again on the same instance.
  void recreate();
  bool listen_again();

  std::string name_;
  platform::UniqueHandle pipe_;
  PipeMessageReader reader_;
  DWORD last_read_error_ = ERROR_SUCCESS;
};

}  // namespace ipc
