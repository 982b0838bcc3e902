// The instant commands network clients ordered, as the query thread carries them out: each is one
// of the commands the UPS link already sends (nut/instant_commands.h), under the rules the tray's
// own buttons follow.
//
//   test.battery.start*    only while the UPS answers; the statistics are written out first, as
//                          for the tray's tests, so the files hold everything up to the test
//   test.battery.stop, shutdown.stop   only while the UPS answers
//   shutdown.return        the UPS turn-off with the configured delay and restore time, only while
//                          the UPS answers (the tray's turn-off block and Ctrl still veto it)
//   beeper.toggle          the beeper the running service wants is switched to the opposite of what
//                          the UPS reports now: the service keeps the UPS's beeper as it wants it in
//                          every cycle, so a bare toggle would be undone by the next one. The wish
//                          lasts until the tray sends its settings again or the service restarts.
//
// Runs on the query thread; the hooks reach the link and the core.
#pragma once

#include "nut/instant_commands.h"

namespace core {

class OrderHooks {
 public:
  virtual ~OrderHooks() = default;
  virtual bool ups_link_up() = 0;
  virtual void flush_statistics() = 0;
  virtual void send_ups_command(const char* command) = 0;
  virtual void send_configured_turn_off() = 0;
  virtual void want_beeper_toggled() = 0;
};

// False when the order could not be carried out (the UPS does not answer).
bool carry_out_order(const nut::InstantCommandRequest& request, OrderHooks& hooks);

}  // namespace core
