// Installing, removing and re-configuring the system from the command line: the service "UPS"
// (from Windows Vista on), the driver library's registry layout through its `setup` export, the
// tray autostart, and the user's two error messages.
//
// Runs on the program's one thread; the setup dialog is modal over the active window.
#pragma once

#include "service/command_line.h"

namespace service {

// "/install": the uninstall half first; installs when it succeeded.
void install_after_uninstall();

// How an installation with the choice on the command line ended: the program's exit code, for the
// package installer that runs it unattended.
enum GivenInstallResult : int {
  kInstalled = 0,        // from Vista on: the service runs
  kLineRefused = 1,      // the command line is not a complete choice; nothing done
  kChoiceRefused = 2,    // vendor and model (or the port) are not among those the dialog lists
  kServiceNotRunning = 3 // the earlier installation could not be removed, or the service not started
};

// "/install" with the dialog's choice given: the same steps, the choice saved as the dialog's OK
// saves it, and nothing shown (failures go to the debug trace alone).
GivenInstallResult install_given_choice(const CommandLineChoice& choice);

// "/uninstall"; false when the library is missing or the service could not be stopped.
bool uninstall();

// "/setup".
void reconfigure();

}  // namespace service
