// SerialPort: the calls the serial transport makes on a COM port.
//
// A seam, so that the transport's rules (the open retries, the 90-byte queue rule, the fixed
// waits that frame each reply) run natively against a scripted port; serial_port_win.h is the
// real one. Synchronous. One user at a time: the polling thread, or UPSTurnOff after it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ups_link {

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device `name` exactly as named, for reading and writing, not shared.
  virtual bool open(const char* name) = 0;
  // Reads the port's line settings and keeps them for apply_line_settings.
  virtual bool read_line_settings() = 0;
  // Writes the kept settings back, changed to 2400 baud, 8 data bits, one stop bit and no
  // parity checking; everything else stays as the port had it.
  virtual bool apply_line_settings() = 0;
  virtual void close() = 0;

  // Bytes written; 0 when the write failed.
  virtual std::size_t write(const char* bytes, std::size_t count) = 0;
  // Clears any line error and tells how many bytes wait in the input queue. False when the port
  // cannot tell.
  virtual bool queue_status(std::size_t& waiting) = 0;
  // Reads `count` bytes; callers never ask for more than queue_status reported, because a read
  // of the port blocks until it has them all. Bytes read; 0 on failure.
  virtual std::size_t read(char* buffer, std::size_t count) = 0;
  // The transport's fixed pauses.
  virtual void wait(std::uint32_t ms) = 0;
};

}  // namespace ups_link
