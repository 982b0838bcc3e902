// "/statistics", the Start menu's entry: the statistics sheet belongs to the tray application of
// the user's session, so this asks that one to open it, starting it first when the user has no
// tray at logon. What stands in the way (no service, no access to the settings) is said in a
// message box; the sheet itself comes up in the tray's process.
#pragma once

namespace service {

// 0 when the tray was asked; 1 when the user was told why not.
int show_statistics();

}  // namespace service
