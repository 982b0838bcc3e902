#include "service/uninstall_steps.h"

namespace service {

bool uninstall_system(UninstallSteps& steps) {
  steps.request_gui_exit();
  steps.delete_tray_autostart();
  const bool stopped = steps.stop_service();
  if (stopped) steps.wait_for_program_to_end();
  steps.withdraw_gui_exit();
  if (stopped) steps.delete_service();
  return stopped;
}

}  // namespace service
