#include "link/usb_polling_link.h"

#include <array>

#include "link/commands.h"
#include "link/usb_contact.h"
#include "platform/debug_trace.h"

namespace ups_link {
namespace {

constexpr int kMaxWakeUps = 15;
constexpr std::uint32_t kWakeUpPauseMs = 100;
constexpr std::uint32_t kReopenPauseMs = 1000;

}  // namespace

UsbPollingLink::UsbPollingLink(UsbTransport& usb, const char* query, std::string_view vendor)
    : usb_(usb), query_(query), wakes_up_(needs_usb_wake_up(vendor)) {}

StatusReading UsbPollingLink::poll() {
  StatusReading reading;
  if (ready_for_query()) {
    reading = query_status();
    if (!reading.answered) reopen();
  }
  note_link(!reading.answered);
  return reading;
}

// False when this cycle went to a wake-up command that drew no answer: the cycle then has no
// answer, and the device is not reopened, so that the count of wake-ups goes on.
bool UsbPollingLink::ready_for_query() {
  if (!wakes_up_ || !previous_lost_ || !reopened_) return true;
  if (++wake_ups_ > kMaxWakeUps) {
    wake_ups_ = 0;
    reopened_ = false;
    return true;
  }
  const char* command = wake_ups_ % 2 == 1 ? query_ : kInformationCommand;
  std::array<char, kUsbReplyBufferSize> reply;
  if (usb_.exchange(command, reply)) {
    wake_ups_ = 0;
    return true;
  }
  usb_.wait(kWakeUpPauseMs);
  return false;
}

StatusReading UsbPollingLink::query_status() {
  std::array<char, kUsbPollReplyBufferSize> reply;
  if (!usb_.exchange(query_, reply)) return {};
  return read_status(reply.data());
}

void UsbPollingLink::reopen() {
  usb_.close();
  reopened_ = usb_.open();
  wake_ups_ = 0;
  usb_.wait(kReopenPauseMs);
}

void UsbPollingLink::note_link(bool lost) {
  if (lost == previous_lost_) return;
  previous_lost_ = lost;
  if (lost) {
    debug_trace(" UPS::Waiting for UPS plug at USB\n");
  } else {
    debug_trace(" UPS::UPS connected to USB again\n");
  }
}

}  // namespace ups_link
