#include "ipc/pipe_rights.h"

namespace ipc {
std::uint32_t power_request_rights(std::uint32_t request) {
  // Requests 1 and 2 also switch the UPS output off; a code the service would ignore gets the
  // strictest rule, so that no unknown code is ever a way around the table.
  const bool computer_only = request >= 3 && request <= 6;
  return computer_only ? kRightShutdown : kAllRights;
}

std::uint32_t rights_needed(const PipeMessage& message) {
  switch (message.cmd) {
    case MSG_POWER_ACTION:
      return message.size == kPipeWordMessageSize ? power_request_rights(message.payload_word() + 1) : kAllRights;
    case MSG_SETTINGS:
    case MSG_STAT_RELOAD:
    case MSG_TEST_CANCEL:
    case MSG_TEST_SHORT:
    case MSG_TEST_MINUTES:
    case MSG_TEST_UNTIL_LOW:
      return kRightAdministrators;
    case MSG_BLOCK_ACTION:
    case MSG_BLOCK_TURN_OFF:
      return kSwitchRights;
    default:
      return 0;
  }
}

std::string rights_text(std::uint32_t rights) {
  const bool admin = (rights & kRightAdministrators) != 0, shutdown = (rights & kRightShutdown) != 0;
  if (admin && shutdown) return "права администратора и право завершения работы";
  if (admin) return "права администратора";
  if (shutdown) return "право завершения работы";
  return "нет";
}

std::string refusal_text(std::uint32_t missing) {
  const char* verb = missing == kRightShutdown ? "нужно " : "нужны ";
  return "Служба ИБП отклонила запрос: " + (verb + rights_text(missing)) + ".";
}

}  // namespace ipc
