// UsbTransport: the UPS protocol over HID reports, for the models that carry the text commands
// and replies in their reports.
//
// A command goes out in output reports of the device's length: a zero report identifier, then
// as much of the text as fits; bytes of the last report behind the text keep what the buffer
// held before. A reply is collected from input reports until the device stays silent for
// 1000 ms; carriage returns become terminators, so the caller sees one line.
//
// The device path, once found, is kept for the life of the object: reopening after an unplug
// uses it and never searches again. Not thread-safe: the polling thread, or UPSTurnOff after
// it, is the one user; all transfers share one pending slot of the HidSystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/hid_system.h"
#include "link/ups_transport.h"

namespace ups_link {

// Room the command sender and the first contact give a reply, terminator included.
inline constexpr std::size_t kUsbReplyBufferSize = 128;

class UsbTransport final : public UpsTransport {
 public:
  explicit UsbTransport(HidSystem& hid) : hid_(hid) {}

  // Searches for a UPS unless one was found before.
  bool find_device();
  // Opens the found device, closing it first if it was open.
  bool open();
  void close() { hid_.close(); }
  bool is_open() const { return hid_.is_open(); }

  // False when the device is not open, or a report did not go out whole within 2000 ms.
  bool write_command(std::string_view text);
  // Collects a reply into `text` (at least one byte) as a terminated line; what does not fit is
  // dropped. False when nothing came or a report had the wrong length; `text` is then empty.
  // The device must be open.
  bool read_reply(std::span<char> text);
  // Writes `command` and reads its reply.
  bool exchange(const char* command, std::span<char> reply);

  std::string command_reply(const char* command) override;

  void wait(std::uint32_t ms) { hid_.wait(ms); }

 private:
  bool write_output_report();
  bool read_input_reports(std::span<char> text, std::size_t& kept);

  HidSystem& hid_;
  std::string path_;
  std::vector<std::uint8_t> input_report_;
  std::vector<std::uint8_t> output_report_;
};

}  // namespace ups_link
