// What the tray application holds for its whole run: the mode, what its user may ask of the
// service, its connections to the service (new-data event, pipe, read-only view of the shared
// block), the session switches and the icons. Made by runGUI's start-up, used by the hidden window;
// GUI thread only, never shared.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ipc/pipe_client_win.h"
#include "ipc/shared_block.h"
#include "platform/handles_win.h"
#include "platform/shared_memory_win.h"
#include "tray/icon_set_win.h"
#include "tray/service_presence.h"

namespace tray {

// Session-change notifications, looked up at run time (older systems lack them).
struct SessionNotifications {
  using Register = BOOL(WINAPI*)(HWND, DWORD);
  using Unregister = BOOL(WINAPI*)(HWND);
  HMODULE library = nullptr;  // held for the process's life
  Register register_window = nullptr;
  Unregister unregister_window = nullptr;
  bool available() const { return register_window && unregister_window; }
};

struct TraySession {
  // Without read and write access to the Config key (a user's token, or an administrator's filtered
  // by UAC): the sheets are started elevated, the Config key is never written from here.
  bool restricted = false;
  // What this tray may ask of the service over the pipe (pipe_rights.h), from its own token.
  std::uint32_t rights = 0;
  platform::UniqueHandle new_data_event;
  ipc::PipeClient pipe;
  platform::SharedMemory block_holder;
  // Only the session at the console (or the connected remote one) holds the pipe.
  bool session_active = true;
  SessionNotifications sessions;
  IconSet icons;
  ServicePresence presence;

  bool service_present() const { return presence.present(pipe.is_connected(), GetTickCount()); }

  // An empty block stands in while the service's is not there (an elevated sheet may open first).
  ipc::UpsSharedBlock no_block{};

  const ipc::UpsSharedBlock& block() const {
    const void* shared = block_holder.data();
    return shared ? *static_cast<const ipc::UpsSharedBlock*>(shared) : no_block;
  }
};

}  // namespace tray
