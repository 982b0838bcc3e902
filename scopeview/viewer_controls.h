// Decisions of the viewer's dialog that need no window: its four channels (which value each plots
// and in which colour) and which buttons the idle update enables. Running locks everything that
// would change the sample store's shape (channels) or fight the incoming samples (zoom history).
#pragma once

#include <array>
#include <cstdint>

namespace scopeview {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Trace colours of channels 1 to 4: input, output and battery voltage, load percent.
inline constexpr std::array<Rgb, 4> kViewerChannelColours{{{128, 255, 128}, {255, 128, 128}, {128, 128, 255}, {255, 255, 128}}};

struct ViewerControlsEnabled {
  bool zoom_in = false;   // "In": forward in the zoom history
  bool zoom_out = false;  // "Out": back one
  bool zoom_top = false;  // "Top": back to the first view
  bool channels = false;  // "Show channel 1" ... "Show channel 4"
  bool run = false;
  bool stop = false;
  bool exit = false;
};

ViewerControlsEnabled viewer_controls_enabled(bool running, bool can_go_back, bool can_go_forward);

}  // namespace scopeview
