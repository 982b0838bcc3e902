// The caller of a request read from a pipe instance, as the service authorises it: the client's
// own token, taken by impersonating the client (at the identification level the client allows)
// just long enough to open it, on the polling thread. Asked only for requests that need a right.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ipc/pipe_commands.h"
#include "platform/handles_win.h"

namespace ipc {

class PipeClientToken final : public PipeCaller {
 public:
  // `pipe` is the server end the request was read from.
  explicit PipeClientToken(HANDLE pipe) : pipe_(pipe) {}

  // None when the client's token cannot be had (the client has gone, or refuses even to be
  // identified): such a caller may ask for nothing that needs a right.
  std::uint32_t held_rights() override;
  std::string account() override;

 private:
  // Opens the token once; false when it cannot be had.
  bool open();

  HANDLE pipe_;
  platform::UniqueHandle token_;
  bool tried_ = false;
};

// The rights bits (pipe_rights.h) a token holds, and this process's own token: what the service
// would find when this process asks.
std::uint32_t rights_of_token(HANDLE token);
std::uint32_t rights_of_this_process();

}  // namespace ipc
