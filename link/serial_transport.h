// SerialTransport: the UPS protocol over a COM port.
//
// The line has no framing: after writing a command the transport waits a fixed time (1000 ms
// for the status query, 2000 ms for other commands), asks how many bytes arrived and reads
// exactly that many. The UPS ends its answer with a carriage return, which callers get without.
// More than 90 waiting bytes cannot be an answer: they are read, thrown away and logged.
//
// The port is opened once by UPSInit and never reopened: a UPS that falls silent is only seen
// as a lost link. Not thread-safe: the polling thread, or UPSTurnOff after it, is the one user.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "link/serial_port.h"
#include "link/ups_transport.h"

namespace ups_link {

// Results of open(); UPSInit returns the two failures as its own result.
inline constexpr int kSerialOpened = 1;
inline constexpr int kSerialOpenError = 5;
inline constexpr int kSerialSetupError = 6;

// The longest input accepted in one read.
inline constexpr std::size_t kSerialReplyLimit = 90;

class SerialTransport final : public UpsTransport {
 public:
  explicit SerialTransport(SerialPort& port) : port_(port) {}

  // Opens `port_name` and sets the line up. A port whose settings cannot be read is reopened
  // up to 10 times, 1000 ms apart.
  int open(const char* port_name);
  void close() { port_.close(); }

  // First contact in UPSInit: logs what was left in the queue, then tries the query up to five
  // times, 1000 ms apart. The status line (without its carriage return) when an attempt read
  // exactly the 47 bytes of one.
  std::optional<std::string> initial_contact(const char* query);

  // One polling cycle's query: the reply without its final byte, or nothing when no byte came.
  std::optional<std::string> status_exchange(const char* query);

  std::string command_reply(const char* command) override;

 private:
  int open_with_settings_read(const char* port_name);
  std::string take_queue();
  std::string read_queue(std::size_t waiting);
  std::string contact_attempt(const char* query);
  void report_leftovers();

  SerialPort& port_;
};

}  // namespace ups_link
