// PipeClient: the tray GUI's end of "\\.\pipe\UPS", polled without blocking by the GUI's
// one-second timer.
//
// The handle is opened for overlapped input/output, so reads never wait: a read that does not
// complete at once is cancelled and its partial bytes kept for the next poll. Writes use the same
// overlapped machinery, as the handle requires. Touched only by the GUI thread.
#pragma once

#include <windows.h>

#include <string>

#include "ipc/pipe_message.h"
#include "ipc/pipe_message_reader.h"
#include "platform/handles_win.h"

namespace ipc {

// What the GUI does with the service's answers.
class PipeClientEvents {
 public:
  virtual ~PipeClientEvents() = default;
  // MSG_STAT_FLUSHED arrived: the statistics files are complete on disk.
  virtual void on_stat_flushed() = 0;
};

class PipeClient {
 public:
  explicit PipeClient(const char* name = kPipeName) : name_(name) {}
  PipeClient(const PipeClient&) = delete;
  PipeClient& operator=(const PipeClient&) = delete;

  // Drops any previous connection and connects; fails while the service has no free pipe.
  bool connect();
  // The same, trying for up to `limit_ms`: the service listens again only at its next polling
  // cycle after a client left, and a start-up that connects in between must not give up.
  bool connect_within(DWORD limit_ms);
  void disconnect();
  bool is_connected() const { return pipe_.is_open(); }

  // Takes what the service sent, without waiting; a complete message is in message().
  PipeMessageReader::Result try_read();
  const PipeMessage& message() const { return reader_.message(); }
  // The system error of the last failed read (ERROR_BROKEN_PIPE once the service has gone).
  DWORD last_read_error() const { return last_read_error_; }

  // Writes message.size bytes; waits at most a second for the pipe to take them. Nothing is sent
  // while not connected.
  bool write(const PipeMessage& message);

  // One timer tick: connects when not connected and `may_connect` (the session is active), reads
  // one message, handles MSG_CLOSE and MSG_STAT_FLUSHED, and drops a connection the service broke.
  // True when the tick should end here (a message was handled or the connection closed).
  bool poll(bool may_connect, PipeClientEvents& events);

 private:
  class Source;
  bool handle_message(PipeClientEvents& events);

  std::string name_;
  platform::UniqueHandle pipe_;
  platform::UniqueHandle io_event_;  // manual reset; for one read or write at a time
  PipeMessageReader reader_;
  DWORD last_read_error_ = ERROR_SUCCESS;
};

}  // namespace ipc
