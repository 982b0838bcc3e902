// Installing, removing and re-configuring the system from the command line: the service "UPS"
// (from Windows Vista on), the driver library's registry layout through its `setup` export, the
// tray autostart, and the user's two error messages.
//
// Runs on the program's one thread; the setup dialog is modal over the active window.
#pragma once

namespace service {

// "/install": the uninstall half first; installs when it succeeded.
void install_after_uninstall();

// "/uninstall"; false when the library is missing or the service could not be stopped.
bool uninstall();

// "/setup".
void reconfigure();

}  // namespace service
