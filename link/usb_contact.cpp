#include "link/usb_contact.h"

#include <array>

#include "link/commands.h"
#include "platform/debug_trace.h"

namespace ups_link {
namespace {

constexpr std::string_view kSleepyVendor = "Ondra";
constexpr int kWakeUpAttempts = 5;
constexpr std::uint32_t kAttemptPauseMs = 1000;
// Other UPS units only need a moment after being opened.
constexpr std::uint32_t kSettleMs = 1000;

bool wake_up(UsbTransport& usb, const char* query) {
  std::array<char, kUsbReplyBufferSize> reply;
  for (int attempt = 1; attempt <= kWakeUpAttempts; ++attempt) {
    if (attempt > 1) usb.wait(kAttemptPauseMs);
    debug_trace(" UPS::Attempt %d establish connect for USB (Ondra)\n", attempt);
    for (const char* command : {query, kInformationCommand}) {
      if (usb.exchange(command, reply)) {
        debug_trace(" UPS::first raw data:%s\n", reply.data());
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool needs_usb_wake_up(std::string_view vendor) { return vendor == kSleepyVendor; }

bool attach_usb_ups(UsbTransport& usb) {
  debug_trace(" UPS::Try find UPS as USB device\n");
  if (usb.find_device() && usb.open()) {
    debug_trace(" UPS:USB device OK\n");
    return true;
  }
  debug_trace(" UPS:USB device not found or error\n");
  return false;
}

std::optional<std::string> usb_initial_contact(UsbTransport& usb, const char* query, std::string_view vendor) {
  if (!needs_usb_wake_up(vendor)) {
    usb.wait(kSettleMs);
  } else if (!wake_up(usb, query)) {
    return std::nullopt;
  }
  std::array<char, kUsbReplyBufferSize> reply;
  if (!usb.exchange(query, reply) || reply[0] == '\0') return std::nullopt;
  debug_trace(" UPS::first raw data:%s\n", reply.data());
  return std::string(reply.data());
}

}  // namespace ups_link
