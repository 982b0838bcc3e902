// PipeClient: the tray GUI's end of "\\.\pipe\UPS", polled without blocking by the GUI's
// one-second timer.
//
// The handle is opened for overlapped input/output, so reads never wait: a read that does not
// complete at once is cancelled and its partial bytes kept for the next poll. Writes use the same
// overlapped machinery, as the handle requires. A connection is kept only when the server at the
// other end is the service (pipe_server_identity_win.h). Touched only by the GUI thread (or the
// one thread of a command-line request).
#pragma once

#include <windows.h>

#include <cstdint>
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
  // MSG_ANSWER arrived: the service took the request of command `cmd`, or refused it for lack of
  // the `missing` rights (pipe_rights.h).
  virtual void on_answer(std::uint32_t cmd, std::uint32_t missing) = 0;
};

class PipeClient {
 public:
  explicit PipeClient(const char* name = kPipeName) : name_(name) {}
  PipeClient(const PipeClient&) = delete;
  PipeClient& operator=(const PipeClient&) = delete;

  // Drops any previous connection and connects; fails while the service has no free instance, and
  // when the server is not the service.
  bool connect();
  // The same, trying for up to `limit_ms`: the service listens again only at its next polling
  // cycle after a client left, and a start-up that connects in between must not give up.
  bool connect_within(DWORD limit_ms);
  void disconnect();
  bool is_connected() const { return pipe_.is_open(); }
  // Why the last connect failed: the system's error, ERROR_ACCESS_DENIED when the server was not
  // the service.
  DWORD last_connect_error() const { return last_connect_error_; }

  // Takes what the service sent, without waiting; a complete message is in message().
  PipeMessageReader::Result try_read();
  const PipeMessage& message() const { return reader_.message(); }
  // The system error of the last failed read (ERROR_BROKEN_PIPE once the service has gone).
  DWORD last_read_error() const { return last_read_error_; }

  // Writes message.size bytes; waits at most a second for the pipe to take them. Nothing is sent
  // while not connected.
  bool write(const PipeMessage& message);

  // One timer tick: connects when not connected and `may_connect` (the session is active), reads
  // one message, handles MSG_CLOSE, MSG_STAT_FLUSHED and MSG_ANSWER, and drops a connection the
  // service broke.
  // True when the tick should end here (a message was handled or the connection closed).
  bool poll(bool may_connect, PipeClientEvents& events);

 private:
  class Source;
  bool connect_failed(DWORD error);
  bool handle_message(PipeClientEvents& events);

  std::string name_;
  platform::UniqueHandle pipe_;
  platform::UniqueHandle io_event_;  // manual reset; for one read or write at a time
  PipeMessageReader reader_;
  DWORD last_read_error_ = ERROR_SUCCESS;
  DWORD last_connect_error_ = ERROR_SUCCESS;
};

}  // namespace ipc
