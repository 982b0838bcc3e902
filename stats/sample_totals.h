// How one poll of the UPS adds to the day's totals: the bookkeeping rules of the recorder, apart
// from its files and clock so that they are tested on their own.
#pragma once

#include <cstdint>

#include "stats/stat_summary.h"

namespace stats {

// Polls longer apart than this are gaps (service stopped, system asleep) and add nothing.
constexpr double kLongestCountedStep = 10.0;

// Status bits of the previous poll that answered, for counting entries into a state.
struct PreviousFlags {
  bool on_battery = false;
  bool avr = false;
};

// Adds a step of `dt` seconds to `day`: monitored time always; with an answer from the UPS also
// time on battery, AVR time, an entry into either state, and on mains the energy of `load_va`.
// `dt` must already be 0 for a gap.
void count_sample(StatSummary& day, PreviousFlags& previous, double dt, bool link_up,
                  std::uint32_t status_bits, float load_va);

}  // namespace stats
