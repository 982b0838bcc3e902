// UpsTransport: the link in use (serial or USB, chosen once by UPSInit) as the command sender
// sees it. Not thread-safe: one user at a time, like the link itself.
#pragma once

#include <string>

namespace ups_link {

class UpsTransport {
 public:
  virtual ~UpsTransport() = default;

  // Sends `command` (ending in "\r") and returns the text the UPS answered, without its final
  // carriage return; empty when the UPS stayed silent.
  virtual std::string command_reply(const char* command) = 0;

  // Whether the UPS's output is this system's to switch off (and a pending turn-off its to
  // cancel). A UPS another computer serves belongs to that computer.
  virtual bool controls_ups_output() const { return true; }
};

}  // namespace ups_link
