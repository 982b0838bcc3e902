// UsbPollingLink: the USB polling thread's exchange with the UPS, one call per cycle.
//
// Unlike the serial line, a USB UPS can be unplugged and plugged in again: every cycle without
// an answer closes the device, reopens it by its stored path and pauses 1000 ms. After a
// successful reopen, a UPS of the vendor `Ondra` is woken first: one wake-up command per cycle,
// the status query and the information query in turn, at most 15, until one is answered. The
// link's changes are logged: " UPS::Waiting for UPS plug at USB\n" when answers stop,
// " UPS::UPS connected to USB again\n" when they come back.
//
// State starts fresh with each object; the polling thread makes one per UPSInit and is its one
// user.
#pragma once

#include <cstddef>
#include <string_view>

#include "link/status_reading.h"
#include "link/usb_transport.h"

namespace ups_link {

// Room the polling loop gives a reply, terminator included.
inline constexpr std::size_t kUsbPollReplyBufferSize = 1024;

class UsbPollingLink {
 public:
  // `query` is the status query command; `vendor` the Vendor setting.
  UsbPollingLink(UsbTransport& usb, const char* query, std::string_view vendor);

  // One cycle: answered when a status line came and parsed.
  StatusReading poll();

 private:
  bool ready_for_query();
  StatusReading query_status();
  void reopen();
  void note_link(bool lost);

  UsbTransport& usb_;
  const char* query_;
  bool wakes_up_;
  bool previous_lost_ = false;
  bool reopened_ = false;
  int wake_ups_ = 0;
};

}  // namespace ups_link
