// ModelRecord: what the model database says about the configured UPS model.
//
// Only a valid record feeds the derived values (capacity, load in VA, runtime). Valid means:
// VA, UMIN and UMAX given, UMAX above UMIN, and at least two runtime points, the lowest at 0 VA.
// `mod` selects the status query and applies even to an invalid record.
#pragma once

#include "core/runtime_table.h"

namespace core {

struct ModelRecord {
  float va = 0;     // nominal power, volt-amperes
  float u_min = 0;  // battery volts counted as 0 % capacity
  float u_max = 0;  // battery volts counted as 100 % capacity
  int mod = 1;      // query selector: 2 selects "QS\r"
  RuntimeTable runtime_table;
  bool valid = false;
};

}  // namespace core
