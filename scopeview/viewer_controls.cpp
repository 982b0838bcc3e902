#include "scopeview/viewer_controls.h"

namespace scopeview {

ViewerControlsEnabled viewer_controls_enabled(bool running, bool can_go_back, bool can_go_forward) {
  ViewerControlsEnabled e;
  e.zoom_in = !running && can_go_forward;
  e.zoom_out = !running && can_go_back;
  e.zoom_top = e.zoom_out;
  e.channels = !running;
  e.run = !running;
  e.stop = running;
  e.exit = !running;
  return e;
}

}  // namespace scopeview
