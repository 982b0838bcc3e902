#include "link/serial_transport.h"

#include <algorithm>
#include <cstring>

#include "link/command_reply.h"
#include "link/status_line.h"
#include "platform/debug_trace.h"

namespace ups_link {
namespace {

constexpr int kSettingsReadTries = 10;
constexpr std::uint32_t kSettingsRetryMs = 1000;
constexpr std::uint32_t kStatusReplyWaitMs = 1000;
constexpr std::uint32_t kCommandReplyWaitMs = 2000;
constexpr int kContactAttempts = 5;
constexpr std::uint32_t kContactPauseMs = 1000;
// The status line and its carriage return: the only reply that proves first contact.
constexpr std::size_t kStatusReplyBytes = kStatusLineLength + 1;

std::string without_last_byte(const std::string& bytes) { return std::string(serial_reply_text(bytes)); }

}  // namespace

int SerialTransport::open(const char* port_name) {
  if (const int result = open_with_settings_read(port_name); result != kSerialOpened) return result;
  if (!port_.apply_line_settings()) {
    port_.close();
    debug_trace(" UPS::COM SetCommState error\n");
    return kSerialSetupError;
  }
  return kSerialOpened;
}

// A port that opens but cannot report its settings may still be coming up: try it again.
int SerialTransport::open_with_settings_read(const char* port_name) {
  for (int tries = 1;; ++tries) {
    if (!port_.open(port_name)) {
      debug_trace(" UPS::COM open %s port error\n", port_name);
      return kSerialOpenError;
    }
    if (port_.read_line_settings()) return kSerialOpened;
    port_.close();
    debug_trace(" UPS::COM GetCommState error try:%d\n", tries);
    if (tries == kSettingsReadTries) return kSerialSetupError;
    port_.wait(kSettingsRetryMs);
  }
}

// What waits in the input queue; nothing when the port cannot tell how much that is.
std::string SerialTransport::take_queue() {
  std::size_t waiting = 0;
  if (!port_.queue_status(waiting)) return {};
  return read_queue(waiting);
}

std::string SerialTransport::read_queue(std::size_t waiting) {
  std::string bytes(waiting, '\0');
  const std::size_t got = waiting == 0 ? 0 : std::min(port_.read(bytes.data(), waiting), waiting);
  if (waiting > kSerialReplyLimit) {
    debug_trace("error in serial queue data length:%d\n", static_cast<int>(waiting));
    return {};
  }
  bytes.resize(got);
  return bytes;
}

std::optional<std::string> SerialTransport::status_exchange(const char* query) {
  const std::size_t written = port_.write(query, std::strlen(query));
  port_.wait(kStatusReplyWaitMs);
  if (written == 0) return std::nullopt;
  const std::string bytes = take_queue();
  if (bytes.empty()) return std::nullopt;
  return without_last_byte(bytes);
}

std::string SerialTransport::command_reply(const char* command) {
  port_.write(command, std::strlen(command));
  port_.wait(kCommandReplyWaitMs);
  return without_last_byte(take_queue());
}

std::optional<std::string> SerialTransport::initial_contact(const char* query) {
  report_leftovers();
  for (int attempt = 1; attempt <= kContactAttempts; ++attempt) {
    if (attempt > 1) port_.wait(kContactPauseMs);
    debug_trace(" UPS::Attempt %d establish connect for serial\n", attempt);
    const std::string bytes = contact_attempt(query);
    if (bytes.empty()) continue;
    const std::string text = without_last_byte(bytes);
    debug_trace(" UPS::first raw data:%s\n", text.c_str());
    if (bytes.size() == kStatusReplyBytes) return text;
  }
  return std::nullopt;
}

std::string SerialTransport::contact_attempt(const char* query) {
  if (port_.write(query, std::strlen(query)) == 0) return {};
  port_.wait(kStatusReplyWaitMs);
  return take_queue();
}

// Whatever an earlier user of the port left behind would spoil the first reply.
void SerialTransport::report_leftovers() {
  const std::string bytes = take_queue();
  debug_trace(" UPS::Serial: data length after init:%d (%s)\n", static_cast<int>(bytes.size()),
              without_last_byte(bytes).c_str());
}

}  // namespace ups_link
