// Natively nothing can be powered off: the portable code runs here only under tests, which install
// their own double. The clocks are real so that code without a double still sees time pass.
#include <chrono>
#include <ctime>

#include "platform/side_effects.h"

namespace platform {
namespace {

class NativeSideEffects final : public SideEffects {
 public:
  bool exit_windows(std::uint32_t, std::uint32_t) override { return false; }
  bool set_power_state(bool, bool) override { return false; }
  bool soft_off_supported() override { return false; }
  void beep(std::uint32_t, std::uint32_t) override {}
  bool ctrl_key_down() override { return false; }
  LocalTime local_time() override {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            static_cast<int>(ms)};
  }
  std::uint32_t tick_count() override {
    auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count());
  }
};

}  // namespace

SideEffects& system_side_effects() {
  static NativeSideEffects effects;
  return effects;
}

}  // namespace platform
