// PipeServer: the service's end of "\\.\pipe\UPS", polled without blocking once per polling cycle.
//
// kPipeInstances instances, each with its own reader and client, so that a client that connects
// and never lets go keeps one of them and not the others. The pipe is created as the name's first
// instance with all its instances at once: when another process holds the name the pipe is not
// opened, the monitoring goes on without it, and every polling cycle tries again. Each request is
// authorised on its own by its caller's token (pipe_commands.h) and answered.
//
// The instances are never closed while monitoring runs (a client that leaves is disconnected and
// its instance listens again), and with a keeper (pipe_keeper_win.h) not even between two runs.
// Interactive users may connect (never from another machine), but never add an instance.
// Touched only by the polling thread (UPSInit opens it before the thread starts, UPSStop closes it
// after the thread has ended).
#pragma once

#include <windows.h>

#include <string>

#include "ipc/pipe_commands.h"
#include "ipc/pipe_instance_win.h"
#include "ipc/pipe_keeper_win.h"
#include "ipc/pipe_message.h"

namespace ipc {

class PipeServer {
 public:
  explicit PipeServer(const char* name = kPipeName) : name_(name) {}
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // The host's keeper from now on (null: none); its instances are served from the next open().
  void keep_with(PipeKeeper* keeper) { keeper_ = keeper; }
  // Serves the kept instances, or creates the pipe (and leaves it with the keeper). False when
  // another process holds the name or the system refused; last_open_error() says why.
  bool open();
  // Disconnects every client and closes this server's handles; kept instances stay kept.
  void close();
  bool is_open() const { return instances_[0].is_open(); }
  DWORD last_open_error() const { return last_open_error_; }

  // One polling cycle's turn: opens a pipe that is not open (an outage is reported to `handler`
  // once, its end traced), then serves at most one message on each instance and answers it;
  // listens again where a client left or sent a header that cannot be followed.
  void poll(PipeCommandHandler& handler);

  // For tests: one instance, to read and write it directly.
  PipeInstance& instance(int index) { return instances_[index]; }

 private:
  bool adopt_kept();
  bool create_instances();
  void leave_with_keeper();
  void reopen(PipeCommandHandler& handler);
  void serve(PipeInstance& instance, PipeCommandHandler& handler);
  void execute(PipeInstance& instance, PipeCommandHandler& handler);
  void recreate(PipeInstance& instance);

  std::string name_;
  PipeInstance instances_[kPipeInstances];
  PipeKeeper* keeper_ = nullptr;
  DWORD last_open_error_ = ERROR_SUCCESS;
  bool outage_reported_ = false;
};

}  // namespace ipc
