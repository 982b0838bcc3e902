// Installation step 2: the defaults of the service key's "Port" and "Description" and of its
// "Config" key where they are missing or unreadable, and the (empty) "status" key.
//
// Run by the installer on its one thread.
#pragma once

namespace installation {

// Nothing is written when the service key does not exist.
void write_default_settings();

}  // namespace installation
