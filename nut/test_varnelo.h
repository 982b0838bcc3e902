// A Varnelo 600 as the tests serve it: its settings, and the shared block after a status line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "link/status_line.h"
#include "nut/served_variables.h"

namespace nut {

inline ServedSettings varnelo_settings() {
  ServedSettings settings;
  settings.vendor = "Orvik";
  settings.model = "Varnelo 600";
  settings.model_valid = true;
  settings.model_va = 600;
  settings.model_u_min = 10.4f;
  settings.model_u_max = 13.0f;
  settings.turn_off_delay_seconds = 180;
  settings.restore_enabled = true;
  settings.restore_minutes = 1;
  settings.capacity_threshold_enabled = true;
  settings.capacity_threshold_percent = 40;
  settings.driver_name = "orvik";
  settings.driver_version = "1.0.0";
  return settings;
}

// The block of a cycle that parsed `line`, link up, no model values yet.
inline ipc::UpsSharedBlock block_after(const std::string& line) {
  ipc::UpsSharedBlock block{};
  std::string_view raw;
  EXPECT_TRUE(ups_link::parse_status_line(line, block.status, raw)) << line;
  ipc::set_block_raw_line(block, std::string(raw).c_str());
  block.link_ok = 1;
  return block;
}

}  // namespace nut
