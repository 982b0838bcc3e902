// The search for a USB UPS among the system's HID interfaces, by vendor and product identifier.
#pragma once

#include <optional>

#include "link/hid_system.h"

namespace ups_link {

// The first listed interface of a known UPS model whose reports can carry text; logs every
// device it could identify on the way.
std::optional<HidInterfaceInfo> find_ups_interface(HidSystem& hid);

}  // namespace ups_link
