// PipeInstance: one instance of the service's end of the pipe, with its own reader and client.
//
// Byte mode, no-wait mode: a client connects without the server waiting for it, and every read
// returns at once. When its client goes away, or sends a header that cannot be followed, the
// instance is disconnected and listens again, so that the next client can connect. Touched only by
// the polling thread (UPSInit opens it before the thread starts, UPSStop closes it after).
#pragma once

#include <windows.h>

#include "ipc/pipe_message.h"
#include "ipc/pipe_message_reader.h"
#include "platform/handles_win.h"

namespace ipc {

class PipeInstance {
 public:
  PipeInstance() = default;
  PipeInstance(const PipeInstance&) = delete;
  PipeInstance& operator=(const PipeInstance&) = delete;

  // Creates an instance of `name`: the name's first one when `first` (failing when another
  // process holds the name), with room for kPipeInstances in all.
  bool create(const char* name, bool first);
  // Serves `handle`, a server end of its own (a duplicate of a kept instance), listening afresh.
  bool adopt(HANDLE handle);
  // Disconnects the client and closes this handle; an instance kept elsewhere stays, listening
  // for nobody until it is adopted again.
  void close();
  bool is_open() const { return pipe_.is_open(); }
  HANDLE handle() const { return pipe_.get(); }

  // Reads what the client sent, without blocking; a complete message is in message().
  PipeMessageReader::Result try_read();
  const PipeMessage& message() const { return reader_.message(); }
  // The system error of the last failed read (ERROR_NO_DATA while idle, ERROR_BROKEN_PIPE once the
  // client has gone).
  DWORD last_read_error() const { return last_read_error_; }

  // A plain write of message.size bytes; false when nothing or not all of it was written.
  bool write(const PipeMessage& message);

  // Drops the client and listens again on the same instance.
  bool listen_again();

 private:
  class Source;

  platform::UniqueHandle pipe_;
  PipeMessageReader reader_;
  DWORD last_read_error_ = ERROR_SUCCESS;
};

}  // namespace ipc
