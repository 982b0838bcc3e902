#include "service/power_switch.h"

#include "ipc/pipe_rights.h"

namespace service {

// Without a service the switch does nothing and says so, as it always returned at once; every
// other failure is the user's request not carried out.
PowerSwitchReport power_switch_report(PowerSwitchOutcome outcome, std::uint32_t missing) {
  switch (outcome) {
    case PowerSwitchOutcome::accepted:
      return {0, ""};
    case PowerSwitchOutcome::refused:
      return {1, ipc::refusal_text(missing)};
    case PowerSwitchOutcome::no_service:
      return {0, "Служба ИБП не запущена: запрос не передан."};
    case PowerSwitchOutcome::no_pipe:
      return {1, "Канал управления службы ИБП недоступен: запрос не передан."};
    case PowerSwitchOutcome::pipe_taken:
      return {1, "Канал управления службы ИБП занят другой программой: запрос не передан."};
    case PowerSwitchOutcome::unanswered:
      return {1, "Служба ИБП не ответила на запрос."};
  }
  return {1, ""};
}

}  // namespace service
