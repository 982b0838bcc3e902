// Whether the service runs, as the tray application can tell it: the pipe says so while it is
// connected. Without it (every instance busy, the session not active, the name taken) the block
// does: the service writes it every polling cycle, moving its write count and setting the new-data
// event. The event alone is not enough: it is manual-reset, and a service that crashed or was
// killed leaves it set. So present means the event seen set and the count seen moving within a few
// cycles; a silence past that stays silence until the count moves again (tick counts wrap after
// 49 days). A pipe the service closed means it stopped: its last cycles no longer count until the
// pipe is back.
#pragma once

#include <cstdint>

namespace tray {

// Five polling cycles of a second: a busy machine may delay one or two.
inline constexpr std::uint32_t kServiceSilenceMs = 5000;

// What the tray saw of the service in one tick.
struct ServiceSigns {
  bool pipe_connected = false;
  bool pipe_closed_by_service = false;  // connected at the last tick, and the service closed it since
  bool new_data_set = false;
  std::uint16_t write_count = 0;
};

class ServicePresence {
 public:
  void looked_at(const ServiceSigns& signs, std::uint32_t now_ms);
  bool present(bool pipe_connected, std::uint32_t now_ms) const;

 private:
  bool closed_ = false;
  bool signal_seen_ = false;
  std::uint32_t last_signal_ms_ = 0;  // the event is reset while a cycle is written: not its state
  bool count_seen_ = false;
  bool count_moved_ = false;  // since the first look: the count a tray starts with tells nothing
  bool silent_ = false;
  std::uint16_t last_count_ = 0;
  std::uint32_t last_move_ms_ = 0;
};

}  // namespace tray
