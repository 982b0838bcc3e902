// CWndSetup: the modal dialog on which the administrator picks vendor, model and port (a COM
// port, USB, or a UPS that another computer serves, with its server, UPS name and login), and
// whether the tray application starts at logon.
#pragma once

#include <windows.h>

#include <string>

#include "setup/ups_choice.h"

namespace installation {

// Runs the dialog modally over `parent` (may be null); returns 1, 0x801 or 2.
int run_setup_dialog(HWND parent);

// The login at a NUT server that goes with a network port; both empty: none.
struct ServerLogin {
  std::wstring user;
  std::wstring password;
};

// What the dialog's OK does with a choice, for a choice given without the dialog: writes the
// port, vendor and model (and a NUT server's login) and returns the dialog's result. Only a choice
// the dialog offers is written (a listed port or a valid server address with a usable login, a
// listed vendor and model); any other returns 2 and writes nothing.
int save_given_choice(const std::wstring& port, const ChosenUps& chosen, bool tray_autostart,
                      const ServerLogin& login = {});

}  // namespace installation
