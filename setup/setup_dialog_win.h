// CWndSetup: the modal dialog on which the administrator picks vendor, model and port, and
// whether the tray application starts at logon.
#pragma once

#include <windows.h>

namespace installation {

// Runs the dialog modally over `parent` (may be null); returns 1, 0x801 or 2.
int run_setup_dialog(HWND parent);

}  // namespace installation
