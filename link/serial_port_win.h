// Win32SerialPort: a COM port of the system, opened for synchronous reads and writes.
//
// The port's read and write time-outs, queue sizes and queue contents are left as they were:
// reads ask only for the bytes the input queue reports, so they never wait.
#pragma once

#include <windows.h>

#include "link/serial_port.h"
#include "platform/handles_win.h"

namespace ups_link {

// The UPS line: 2400 baud, 8 data bits, one stop bit, binary and parity-check flags cleared.
// The parity scheme, flow control and special characters stay as `dcb` has them.
void set_ups_line_settings(DCB& dcb);

class Win32SerialPort : public SerialPort {
 public:
  bool open(const char* name) override;
  bool read_line_settings() override;
  bool apply_line_settings() override;
  void close() override { handle_.reset(); }

  std::size_t write(const char* bytes, std::size_t count) override;
  bool queue_status(std::size_t& waiting) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void wait(std::uint32_t ms) override { Sleep(ms); }

 private:
  platform::UniqueHandle handle_;
  DCB settings_{};
};

}  // namespace ups_link
