#include "tray/service_presence.h"

namespace tray {

void ServicePresence::looked_at(const ServiceSigns& signs, std::uint32_t now_ms) {
  if (signs.pipe_connected) closed_ = false;
  if (signs.pipe_closed_by_service) closed_ = true;
  if (signs.new_data_set) {
    signal_seen_ = true;
    last_signal_ms_ = now_ms;
  }
  if (!count_seen_ || signs.write_count != last_count_) {
    count_moved_ = count_seen_;
    count_seen_ = true;
    silent_ = false;
    last_count_ = signs.write_count;
    last_move_ms_ = now_ms;
  } else if (now_ms - last_move_ms_ > kServiceSilenceMs) {
    silent_ = true;
  }
}

bool ServicePresence::present(bool pipe_connected, std::uint32_t now_ms) const {
  if (pipe_connected) return true;
  if (closed_ || !signal_seen_ || !count_moved_ || silent_) return false;
  return now_ms - last_signal_ms_ <= kServiceSilenceMs && now_ms - last_move_ms_ <= kServiceSilenceMs;
}

}  // namespace tray
