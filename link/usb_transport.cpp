#include "link/usb_transport.h"

#include <algorithm>
#include <array>

#include "link/usb_search.h"
#include "platform/debug_trace.h"

namespace ups_link {
namespace {

constexpr std::uint32_t kReportWriteTimeoutMs = 2000;
// Silence this long ends a reply.
constexpr std::uint32_t kReplySilenceMs = 1000;

}  // namespace

bool UsbTransport::find_device() {
  if (!path_.empty()) return true;
  const std::optional<HidInterfaceInfo> found = find_ups_interface(hid_);
  if (!found) return false;
  path_ = found->path;
  input_report_.assign(found->input_report_length, 0);
  output_report_.assign(found->output_report_length, 0);
  return true;
}

bool UsbTransport::open() {
  hid_.close();
  return !path_.empty() && hid_.open(path_);
}

bool UsbTransport::write_command(std::string_view text) {
  if (!hid_.is_open()) return false;
  const std::size_t chunk = output_report_.size() - 1;
  output_report_[0] = 0;  // report identifier
  do {
    const std::size_t count = std::min(chunk, text.size());
    std::copy_n(text.begin(), count, output_report_.begin() + 1);
    text.remove_prefix(count);
    if (!write_output_report()) return false;
  } while (!text.empty());
  return true;
}

bool UsbTransport::write_output_report() {
  const HidIoResult write = hid_.write_report(output_report_, kReportWriteTimeoutMs);
  if (write.outcome == HidIo::timed_out) hid_.cancel();
  return write.outcome == HidIo::completed && write.transferred == output_report_.size();
}

bool UsbTransport::read_reply(std::span<char> text) {
  std::size_t kept = 0;
  const bool received = read_input_reports(text, kept);
  std::replace(text.begin(), text.begin() + kept, '\r', '\0');
  text[kept] = '\0';
  return received;
}

// Appends the text of each input report until the device falls silent; `kept` counts what fit.
bool UsbTransport::read_input_reports(std::span<char> text, std::size_t& kept) {
  const std::size_t room = text.size() - 1;
  bool received = false;
  for (;;) {
    std::fill(input_report_.begin(), input_report_.end(), 0);
    const HidIoResult read = hid_.read_report(input_report_, kReplySilenceMs);
    if (read.outcome != HidIo::completed) break;
    if (read.transferred != input_report_.size()) {
      debug_trace("error on read:%d %d\n", static_cast<int>(read.transferred),
                  static_cast<int>(input_report_.size()));
      kept = 0;
      return false;
    }
    const std::size_t count = std::min(input_report_.size() - 1, room - kept);
    std::copy_n(input_report_.begin() + 1, count, text.begin() + kept);
    kept += count;
    received = true;
  }
  hid_.cancel();
  return received;
}

bool UsbTransport::exchange(const char* command, std::span<char> reply) {
  return write_command(command) && read_reply(reply);
}

std::string UsbTransport::command_reply(const char* command) {
  write_command(command);
  if (!is_open()) return {};
  std::array<char, kUsbReplyBufferSize> reply;
  read_reply(reply);
  return reply.data();
}

}  // namespace ups_link
