// Requests other processes hand to the running service through its shared status block: the GUI
// exit request that closes every tray application, and power-action requests.
//
// Each call attaches to the block by name for writing and detaches again; none creates it. Only
// SYSTEM and administrators may write the block: for anyone else, as without a running service
// (no block), nothing happens. Any thread; the action request blocks while it waits.
#pragma once

#include <cstdint>

namespace installation {

// Sets the block's GUI exit request; false when there is no block.
bool set_gui_exit_request(std::uint32_t value);

// Writes `code` (1..6, or 0 to clear) into the block's action request field and, for a nonzero
// code, waits until the service has taken it, however long that takes. False when there is no
// block or it may not be written.
bool request_power_action(std::uint32_t code);

}  // namespace installation
