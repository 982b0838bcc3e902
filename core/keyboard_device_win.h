// KeyboardDevice: the first keyboard of the system, reached through its keyboard class driver, so
// that a service without a desktop can still change the indicator lights.
//
// States: closed (before open and after close), failed (open did not get the device; every
// query and set then fails at once, without a call to the driver and without a log line), open.
// The DOS name "Kbd" that open defines lives until close, which removes only a definition this
// object made. Not thread-safe: the query thread opens, uses and closes it.
#pragma once

#include "core/keyboard_light.h"
#include "platform/handles_win.h"

namespace core {

class KeyboardDevice final : public KeyboardIndicators {
 public:
  KeyboardDevice() = default;
  ~KeyboardDevice() override { close(); }
  KeyboardDevice(const KeyboardDevice&) = delete;
  KeyboardDevice& operator=(const KeyboardDevice&) = delete;

  // Closes what was held first; failure leaves the device failed, quietly.
  void open();
  void close();
  bool is_open() const { return handle_.is_open(); }

  std::optional<std::uint16_t> query() override;
  bool set(std::uint16_t flags) override;

 private:
  platform::UniqueHandle handle_;
  bool name_defined_ = false;
};

}  // namespace core
