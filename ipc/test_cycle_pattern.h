// Test helper: polling cycles whose every published field tells the cycle's number, so that a
// picture of the block mixing two cycles (a torn read) shows.
//
// Cycle n: raw line "(n", shutdown reason n % 3, input voltage n, load (n % 90 + 5) % (so load VA
// follows from the model), time in state n. These are written at different moments of the cycle:
// the raw line first, the derived load VA after the registry writes, the time in state last.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/model_record.h"
#include "ipc/cycle_publication.h"
#include "ipc/shared_block.h"

namespace ipc::testing {

inline constexpr float kPatternModelVa = 1000;

inline core::ModelRecord pattern_model() {
  core::ModelRecord model;
  model.va = kPatternModelVa;
  model.u_min = 10;
  model.u_max = 14;
  model.runtime_table.insert({0, 60});
  model.runtime_table.insert({1000, 10});
  model.valid = true;
  return model;
}

inline std::int32_t pattern_load(std::int32_t n) { return n % 90 + 5; }

// Same arithmetic as the derived values, so the comparison can be exact.
inline float pattern_load_va(std::int32_t n) {
  return static_cast<float>(pattern_load(n)) * kPatternModelVa * 0.01f;
}

inline std::string pattern_raw_line(std::int32_t n) { return "(" + std::to_string(n); }

// `raw_line` must outlive the publication.
inline PollingCycle pattern_cycle(std::int32_t n, const std::string& raw_line) {
  PollingCycle cycle;
  cycle.status.input_voltage = static_cast<float>(n);
  cycle.status.battery_voltage = 12;
  cycle.status.load_percent = pattern_load(n);
  cycle.raw_line = raw_line.c_str();
  cycle.link_lost = false;
  cycle.shutdown_reason = static_cast<std::uint32_t>(n % 3);
  cycle.time_in_state_ms = n;
  return cycle;
}

// The cycle a picture shows, or -1 (with the reason in `why`) when its fields disagree.
inline std::int32_t pattern_cycle_of(const UpsSharedBlock& picture, std::string& why) {
  const std::int32_t n = picture.time_in_state;
  if (picture.link_ok != 1) why = "link-ok byte";
  else if (picture.capacity_valid != 1) why = "capacity-valid byte";
  else if (picture.status.input_voltage != static_cast<float>(n)) why = "input voltage";
  else if (picture.status.load_percent != pattern_load(n)) why = "load percent";
  else if (picture.load_va != pattern_load_va(n)) why = "load VA";
  else if (picture.shutdown_reason != static_cast<std::uint32_t>(n % 3)) why = "shutdown reason";
  else if (pattern_raw_line(n) != picture.raw_line) why = "raw line";
  else return n;
  why += " does not belong to cycle " + std::to_string(n);
  return -1;
}

}  // namespace ipc::testing
