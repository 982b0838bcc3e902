// Whether the service runs, as the tray application can tell it: the pipe says so while it is
// connected; without it (every instance busy, the session not active, the name taken) the new-data
// event does, which the service signals every polling cycle, and a few cycles without a signal mean
// it is gone. A pipe the service closed means it stopped: its last signals no longer count until
// the pipe is back. Tick counts wrap after 49 days: only differences are compared.
#pragma once

#include <cstdint>

namespace tray {

// Five polling cycles of a second: a busy machine may delay one or two.
inline constexpr std::uint32_t kServiceSilenceMs = 5000;

class ServicePresence {
 public:
  void new_data_signalled(std::uint32_t now_ms) {
    seen_ = true;
    last_signal_ms_ = now_ms;
  }
  // After each look at the pipe: whether it is connected, and whether the service just closed it.
  void pipe_looked_at(bool connected, bool closed_by_service) {
    if (connected) closed_ = false;
    if (closed_by_service) closed_ = true;
  }
  bool present(bool pipe_connected, std::uint32_t now_ms) const {
    if (pipe_connected) return true;
    return !closed_ && seen_ && now_ms - last_signal_ms_ <= kServiceSilenceMs;
  }

 private:
  bool seen_ = false;
  bool closed_ = false;
  std::uint32_t last_signal_ms_ = 0;
};

}  // namespace tray
