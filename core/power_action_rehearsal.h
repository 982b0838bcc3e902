// The test mode of power actions: with the Config value "PowerActionTestMode" non-zero, every
// power action of this module (shutdown, restart, hibernation, standby) is written down instead
// of done — a debug line and an event line with the action, its flags and reason — so that an
// administrator can try the settings and the end-to-end tests can see what would have happened.
// Tones, keys and clocks stay real.
//
// Thread-safe: installs itself through the side-effect seam.
#pragma once

#include <cstdint>

namespace core {

// Where the rehearsal's event line goes (the statistics event file in the library; the library's
// `setup` export in the service host). `text` is UTF-8 and ends with a newline.
using RehearsalEventWriter = void (*)(int code, const char* text);

// Installs the rehearsal in this module's side-effect seam (on) or restores the real effects (off,
// only when the rehearsal is the one installed, so a test's own double stays).
void set_power_action_test_mode(bool on, RehearsalEventWriter writer);

}  // namespace core
