// The oscilloscope container's settings and their defaults: which strips and axes are shown and
// how the strips scale, zoom and mark their samples. The dialog changes them through the
// container's setters; the strips read them through OscHandler.
#pragma once

#include "scopeview/osc_handler.h"
#include "scopeview/osc_layout.h"

namespace scopeview {

struct OscSettings {
  LayoutFlags layout{};  // no strip shown; bottom X and left Y axes shown
  bool grid_shown = true;
  bool range_follows_data = false;  // off: the vertical range only grows
  bool margins_on = true;
  double margin_divisor = 1.0;
  bool zoom_enabled = true;
  ZoomMode zoom_mode = ZoomMode::rectangle;
  int point_style = 0;
  unsigned window_size = 100;  // N: sample positions across the strips
};

}  // namespace scopeview
