// Shows the tray menu at the cursor and returns the chosen command (0: none). GUI thread.
#pragma once

#include <windows.h>

#include "tray/tray_menu.h"

namespace tray {

unsigned track_tray_menu(HWND owner, const TrayMenu& menu);

}  // namespace tray
