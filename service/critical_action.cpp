#include "service/critical_action.h"

#include "platform/side_effects.h"

namespace service {

void perform_critical_action(std::uint32_t action, HostEnvironment& host, bool rehearsed,
                             const std::function<void()>& started) {
  // A failed privilege adjustment is only logged: the request then fails on its own.
  host.enable_shutdown_privilege();
  platform::SideEffects& effects = platform::side_effects();
  if (action == kActionShutdown) {
    const std::uint32_t flags = effects.soft_off_supported() ? kExitPowerOffForced : kExitShutdownForced;
    effects.exit_windows(flags, kPowerSupplyShutdownReason);
    started();
  } else if (action == kActionHibernate) {
    if (!rehearsed) started();
    effects.set_power_state(true, true);
    if (rehearsed) started();
  } else {
    started();
  }
}

}  // namespace service
