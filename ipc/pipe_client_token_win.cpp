#include "ipc/pipe_client_token_win.h"

#include "ipc/pipe_rights.h"
#include "platform/debug_trace.h"
#include "platform/token_rights_win.h"

namespace ipc {

namespace {

std::uint32_t rights_bits(const platform::TokenRights& rights) {
  return (rights.shutdown_privilege ? kRightShutdown : 0) | (rights.administrators ? kRightAdministrators : 0);
}

}  // namespace

std::uint32_t rights_of_token(HANDLE token) { return rights_bits(platform::token_rights(token)); }

std::uint32_t rights_of_this_process() { return rights_bits(platform::own_token_rights()); }

bool PipeClientToken::open() {
  if (tried_) return token_.is_open();
  tried_ = true;
  if (!ImpersonateNamedPipeClient(pipe_)) {
    debug_trace("UPS::ImpersonateNamedPipeClient error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  // Opened as the service itself: an identification-level token may be read, not used.
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token_.receive()))
    debug_trace("UPS::OpenThreadToken error: %u\n", static_cast<unsigned>(GetLastError()));
  if (!RevertToSelf()) debug_trace("UPS::RevertToSelf error: %u\n", static_cast<unsigned>(GetLastError()));
  return token_.is_open();
}

std::uint32_t PipeClientToken::held_rights() { return open() ? rights_of_token(token_.get()) : 0; }

std::string PipeClientToken::account() { return open() ? platform::token_account(token_.get()) : "?"; }

}  // namespace ipc
