// The tray application as the service host knows it: the autostart value "UPS_UI" in the
// machine's Run key, starting it ("<this program> /gui") and seeing whether one runs.
#pragma once

#include <string>

namespace service {

// A double quote, this program's full path, a double quote and " /gui".
std::wstring tray_command_line();

// Nothing happens when the Run key cannot be opened.
void write_tray_autostart();
void delete_tray_autostart();

// A new process with default settings; no waiting.
void start_tray_application();

// Whether a window titled "ControlManageUPS" (the tray application's hidden window) exists.
bool tray_application_running();

}  // namespace service
