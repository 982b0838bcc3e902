// The modal property sheet "Настройки": the live information, the general, tray, statistics and
// test pages that edit the Config key, and the about page; in restricted mode only the first and
// the last. GUI thread; the tray window's timer keeps ticking through the sheet's modal loop.
#pragma once

#include <windows.h>

#include <functional>

#include "ipc/pipe_client_win.h"
#include "ipc/shared_block.h"

namespace settings {

// What the pages need of the tray application.
struct SheetServices {
  bool restricted = false;
  const ipc::UpsSharedBlock* block = nullptr;  // shared memory: copied before use
  ipc::PipeClient* pipe = nullptr;             // messages go only while it is connected
  std::function<bool()> service_present;       // what the information page says of the service
  std::function<void()> reload_icons;
  std::function<void(HWND)> frame_created;     // the sheet's frame window, to bring it forward
  std::function<void(HWND)> information_page;  // the information page while active, else null
};

// Runs the sheet modally, owned by `owner`; returns when it closes.
void run_settings_sheet(HWND owner, const SheetServices& services);

}  // namespace settings
