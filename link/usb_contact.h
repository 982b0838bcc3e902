// Finding, opening and first contact of a USB UPS, as UPSInit does them.
//
// UPS units of the vendor `Ondra` sleep on their USB side until a few commands wake them: their
// first contact alternates the status query and the information query until one is answered.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/usb_transport.h"

namespace ups_link {

// True for the vendor whose UPS needs the wake-up; `vendor` is the Vendor setting.
bool needs_usb_wake_up(std::string_view vendor);

// Searches for a USB UPS (once per process) and opens it. False when UPSInit is to take the
// serial port instead.
bool attach_usb_ups(UsbTransport& usb);

// The first status reply of the opened UPS (not yet parsed), or nothing when it did not answer.
std::optional<std::string> usb_initial_contact(UsbTransport& usb, const char* query, std::string_view vendor);

}  // namespace ups_link
