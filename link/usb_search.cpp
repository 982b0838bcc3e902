#include "link/usb_search.h"

#include <algorithm>

#include "platform/debug_trace.h"

namespace ups_link {
namespace {

struct UsbId {
  std::uint16_t vendor;
  std::uint16_t product;
};

// The UPS models that speak the text protocol over HID reports.
constexpr UsbId kUpsModels[] = {{0x0665, 0x5161}, {0x06DA, 0x0003}, {0x0F03, 0x0001}, {0x05B8, 0x0000}};

bool is_ups_model(const HidInterfaceInfo& info) {
  return std::any_of(std::begin(kUpsModels), std::end(kUpsModels), [&](const UsbId& id) {
    return id.vendor == info.vendor_id && id.product == info.product_id;
  });
}

// A report must hold at least one byte of text behind its identifier.
bool reports_carry_text(const HidInterfaceInfo& info) {
  return info.input_report_length >= 2 && info.output_report_length >= 2;
}

std::optional<HidInterfaceInfo> walk_listing(HidSystem& hid) {
  for (std::uint32_t index = 0;; ++index) {
    HidInterfaceInfo info;
    const HidListStep step = hid.list_entry(index, info);
    if (step == HidListStep::end) {
      debug_trace(" USB::no more device (found:%d)\n", static_cast<int>(index) - 1);
      return std::nullopt;
    }
    if (step == HidListStep::skipped) continue;
    debug_trace(" Device VID:%04x PID:%04x\n", info.vendor_id, info.product_id);
    if (is_ups_model(info) && reports_carry_text(info)) {
      debug_trace("UPS USB DETECTED (io:%d/%d):\n", info.input_report_length, info.output_report_length);
      return info;
    }
  }
}

}  // namespace

std::optional<HidInterfaceInfo> find_ups_interface(HidSystem& hid) {
  debug_trace("UPS::find_Orvik_USBDevicePath\n");
  debug_trace(" Scan USB devices:\n");
  if (!hid.begin_listing()) {
    debug_trace(" USB::SetupDiGetClassDevs - ERROR\n");
    return std::nullopt;
  }
  std::optional<HidInterfaceInfo> found = walk_listing(hid);
  hid.end_listing();
  if (found) debug_trace(" %s\n", found->path.c_str());
  debug_trace("UPS::find_Orvik_USBDevicePath %d\n", found ? 1 : 0);
  return found;
}

}  // namespace ups_link
