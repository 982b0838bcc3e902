// The source "UPS" of the Windows Event Log's Application log, under which the system's events
// appear: registered by the installation with the message tables of the library and of this
// program (Event Viewer reads an entry's text there; this program's serves when the library is
// the file that is missing), removed with the system.
#pragma once

namespace service {

// False when the source's key cannot be written (not an administrator).
bool register_event_source();
void remove_event_source();

}  // namespace service
