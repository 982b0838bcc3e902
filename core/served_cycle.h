// The variables the NUT server hands out for one polling cycle: the shared block as this cycle
// published it, with the settings in force now (the tray may change the thresholds and the
// restore time at any moment), in the names and formats of served_variables.h.
//
// Battery low, as served, is held over one cycle: the capacity and voltage thresholds set the
// battery-low bit only every other cycle once they are reached (the bit they force keeps the next
// cycle from testing them), and a client must not see LB come and go. So, on battery, ups.status
// shows LB when the bit was set in this cycle or in the previous one; the data must be fresh in
// both. (Back on mains the bit is served as the UPS gives it: LB while it recharges is no reason
// to shut anything down.) The forced-shutdown flag is not part of this (see ServedUps). Not
// thread-safe: the query thread owns it.
#pragma once

#include "core/core_settings.h"
#include "ipc/shared_block.h"
#include "nut/served_variables.h"

namespace core {

class ServedCycle {
 public:
  // `fixed`: what does not change while monitoring runs (names, model, turn-off delay).
  explicit ServedCycle(nut::ServedSettings fixed) : settings_(std::move(fixed)) {}

  nut::VariableSnapshot variables(const ipc::UpsSharedBlock& published, const CoreSettings& now);

 private:
  nut::ServedSettings settings_;
  bool low_before_ = false;
};

}  // namespace core
