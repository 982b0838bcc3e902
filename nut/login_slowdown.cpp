#include "nut/login_slowdown.h"

#include <algorithm>
#include <cstdint>

namespace nut {

LoginSlowdown::Milliseconds LoginSlowdown::pause_after(unsigned failures) const {
  if (failures < kFreeFailures) return Milliseconds{0};
  const unsigned doublings = std::min(failures - kFreeFailures, 16u);
  const Milliseconds pause = kFirstPause * (std::int64_t{1} << doublings);
  return std::min(pause, kLongestPause);
}

LoginSlowdown::Milliseconds LoginSlowdown::admit(std::string_view address, Milliseconds now) {
  forget_stale(now);
  const auto found = records_.find(address);
  if (found == records_.end()) return Milliseconds{0};
  Record& record = found->second;
  record.last_turn = std::max(now, record.last_turn + pause_after(record.failures));
  return record.last_turn - now;
}

void LoginSlowdown::record(std::string_view address, bool password_right, Milliseconds now) {
  auto found = records_.find(address);
  if (password_right) {
    if (found != records_.end()) records_.erase(found);
    return;
  }
  if (found == records_.end()) {
    make_room();
    found = records_.emplace(std::string(address), Record{0, now}).first;
  }
  ++found->second.failures;
}

void LoginSlowdown::forget_stale(Milliseconds now) {
  std::erase_if(records_, [now](const auto& entry) { return now - entry.second.last_turn >= kForgetAfter; });
}

void LoginSlowdown::make_room() {
  if (records_.size() < kMaxAddresses) return;
  const auto stalest = std::min_element(records_.begin(), records_.end(), [](const auto& a, const auto& b) {
    return a.second.last_turn < b.second.last_turn;
  });
  records_.erase(stalest);
}

}  // namespace nut
