#include "link/serial_port_win.h"

namespace ups_link {

void set_ups_line_settings(DCB& dcb) {
  dcb.BaudRate = CBR_2400;
  dcb.ByteSize = 8;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = FALSE;
  dcb.fParity = FALSE;
}

bool Win32SerialPort::open(const char* name) {
  handle_.reset(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
  return handle_.is_open();
}

bool Win32SerialPort::read_line_settings() {
  settings_ = DCB{};
  settings_.DCBlength = sizeof settings_;
  return GetCommState(handle_.get(), &settings_) != FALSE;
}

bool Win32SerialPort::apply_line_settings() {
  set_ups_line_settings(settings_);
  return SetCommState(handle_.get(), &settings_) != FALSE;
}

std::size_t Win32SerialPort::write(const char* bytes, std::size_t count) {
  DWORD written = 0;
  if (!WriteFile(handle_.get(), bytes, static_cast<DWORD>(count), &written, nullptr)) return 0;
  return written;
}

bool Win32SerialPort::queue_status(std::size_t& waiting) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_.get(), &errors, &status)) return false;
  waiting = status.cbInQue;
  return true;
}

std::size_t Win32SerialPort::read(char* buffer, std::size_t count) {
  DWORD got = 0;
  if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
  return got;
}

}  // namespace ups_link
