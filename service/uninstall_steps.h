// The removal of the system ("/uninstall", and the first half of "/install"), in its order: every
// running tray application is asked to leave, the tray autostart goes, the service is stopped, the
// trays and the service's process are waited for (so that the program's files are free to be
// deleted or replaced once the removal returns), and the service is deleted and waited for until the
// manager has let it go (an installation that follows creates it anew). The trays' exit request
// is withdrawn on every way out, a failed stop included: left standing in the shared block, it would
// close every tray application started afterwards at its first tick.
#pragma once

namespace service {

class UninstallSteps {
 public:
  virtual ~UninstallSteps() = default;
  virtual void request_gui_exit() = 0;
  virtual void delete_tray_autostart() = 0;
  // False when the service exists and could not be stopped.
  virtual bool stop_service() = 0;
  virtual void wait_for_program_to_end() = 0;
  virtual void withdraw_gui_exit() = 0;
  virtual void delete_service() = 0;
};

// True when the system was removed (the service stopped, or there was none).
bool uninstall_system(UninstallSteps& steps);

}  // namespace service
