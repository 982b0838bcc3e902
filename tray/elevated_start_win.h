// The service host started elevated (the "runas" verb) from a tray that may not write the
// settings: Windows asks the user in its UAC prompt, and the sheet then runs with full rights in a
// process of its own. Declining the prompt is the user's choice and needs no word; any other
// failure is told in a message box. The host is the one beside the library this code runs in.
#pragma once

#include <windows.h>

namespace tray {

// `host_switch`: "/settings" or "/statisticsSheet". True when the host was started.
bool start_elevated_host(HWND owner, const wchar_t* host_switch);

}  // namespace tray
