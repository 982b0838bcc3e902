// HidSystem: the system's HID calls that the USB transport makes.
//
// A seam, so that the transport's rules (the device search, report chunking, the silence that
// ends a reply, reopening, the wake-up) run natively against a scripted device: no USB UPS can
// be attached to a test machine. hid_system_win.h is the real one.
//
// One device at a time, and at most one transfer pending on it. Not thread-safe: the polling
// thread, or UPSTurnOff after it, is the one user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ups_link {

// One HID interface of the system, as the search sees it.
struct HidInterfaceInfo {
  std::string path;
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  // Whole reports in bytes, the leading report identifier included; 0 when the device's
  // capabilities could not be read.
  std::uint16_t input_report_length = 0;
  std::uint16_t output_report_length = 0;
};

enum class HidListStep {
  device,   // the interface was opened (shared) and identified
  skipped,  // this interface could not be described; later ones may
  end,      // no interface at this index or beyond
};

enum class HidIo { completed, timed_out, failed };

struct HidIoResult {
  HidIo outcome = HidIo::failed;
  std::size_t transferred = 0;  // bytes, when completed
};

class HidSystem {
 public:
  virtual ~HidSystem() = default;

  // The list of present HID interfaces, walked by index from 0 between begin and end.
  virtual bool begin_listing() = 0;
  virtual HidListStep list_entry(std::uint32_t index, HidInterfaceInfo& info) = 0;
  virtual void end_listing() = 0;

  // Opens `path` for reading and writing, not shared, for overlapped transfers; a device held
  // before is closed first.
  virtual bool open(const std::string& path) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;

  // Each transfers one whole report and waits up to `timeout_ms` for it. After timed_out the
  // transfer stays pending until cancel(); no other may start meanwhile.
  virtual HidIoResult write_report(std::span<const std::uint8_t> report, std::uint32_t timeout_ms) = 0;
  virtual HidIoResult read_report(std::span<std::uint8_t> report, std::uint32_t timeout_ms) = 0;
  virtual void cancel() = 0;

  // The transport's pauses.
  virtual void wait(std::uint32_t ms) = 0;
};

}  // namespace ups_link
