// The real side effects: the system's own calls.
#include <windows.h>
#include <powrprof.h>

#include "platform/side_effects.h"

namespace platform {
namespace {

class SystemSideEffects final : public SideEffects {
 public:
  bool exit_windows(std::uint32_t flags, std::uint32_t reason) override {
    return ExitWindowsEx(flags, reason) != FALSE;
  }
  bool set_power_state(bool hibernate, bool force) override {
    // SetSystemPowerState's first argument asks for suspend (TRUE) or hibernation (FALSE).
    return SetSystemPowerState(hibernate ? FALSE : TRUE, force ? TRUE : FALSE) != FALSE;
  }
  bool soft_off_supported() override {
    SYSTEM_POWER_CAPABILITIES capabilities{};
    return GetPwrCapabilities(&capabilities) && capabilities.SystemS5;
  }
  void beep(std::uint32_t frequency_hz, std::uint32_t duration_ms) override { Beep(frequency_hz, duration_ms); }
  bool ctrl_key_down() override { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }
  LocalTime local_time() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  }
  std::uint32_t tick_count() override { return GetTickCount(); }
};

}  // namespace

SideEffects& system_side_effects() {
  static SystemSideEffects effects;
  return effects;
}

}  // namespace platform
