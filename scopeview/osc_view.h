// The views of the oscilloscope's eight strips: what each shows after new samples arrive (the
// window of the last N sample numbers across, the data range plus margins up), zooming to a
// rectangle the user dragged, and the undo and redo history of those zooms.
//
// Invariants: all strips share one x range (updates and zooms set them together); a strip's data
// range only grows between restarts (range-follows-data, or a run's first sample); the history
// holds whole sets of eight views. Not thread-safe: the control's window thread owns it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "scopeview/geometry.h"
#include "scopeview/osc_handler.h"
#include "scopeview/osc_layout.h"
#include "scopeview/osc_scale.h"

namespace scopeview {

struct UpdateOptions {
  bool range_follows_data = false;
  bool margins_on = true;
  double margin_divisor = 1.0;
};

// Spans closer than this are treated as a single value and widened by it each way.
inline constexpr double kDegenerateSpan = 1e-15;

struct XRange {
  double min = 0.0;
  double max = 1.0;
};

// The x range after an update with `count` samples held out of `total` taken, in a window of
// `window` positions: it starts at the oldest held sample and always spans the whole window.
XRange window_x_range(std::uint32_t total, std::uint32_t count, std::uint32_t window);

struct StripState {
  StripView view{};
  double data_min = 0.0;
  double data_max = 1.0;
};

// Gives the strip the new x range and folds its samples into its data range and visible y range.
// Non-finite samples (a garbage reading) are left out of the ranges; with no finite sample the
// y range stays. Returns whether the visible y range changed, so its axes need the new one.
bool update_strip(StripState& strip, XRange x, std::span<const double> samples, const UpdateOptions& options);

// The view the strip gets when the user drags from a to b (client pixels of a strip sized
// `client`): the data values under the corners, ordered, a degenerate span widened, plus a
// quarter nice step each side; horizontal mode changes only x, vertical only y. A dimension whose
// values cannot be computed (no pixels, a non-finite range) keeps its range.
StripView zoomed_view(const StripView& view, Rect client, Point a, Point b, ZoomMode mode);

using ViewSet = std::array<StripView, kStripCount>;

struct UpdateChanges {
  bool x_changed = false;
  std::array<bool, kStripCount> y_changed{};
};

class OscViews {
 public:
  // New samples: `samples[i]` is strip i's array of `count` values, or null when the strip is
  // not fed; `total` is the number of samples taken so far. Replaces any zoomed view.
  UpdateChanges update(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                       std::uint32_t total, std::uint32_t window, const UpdateOptions& options);

  // Zooms every strip (all have the size of `client`); the previous views go onto the undo stack
  // and the redo stack empties. False, with nothing recorded, when the strip has no pixels.
  bool zoom_to_rect(Rect client, Point a, Point b, ZoomMode mode);

  // False, with nothing changed, when the stack the step needs is empty.
  bool history_step(ZoomStep step);
  void clear_history();
  bool can_go_back() const { return !undo_.empty(); }
  bool can_go_forward() const { return !redo_.empty(); }

  const StripState& strip(int i) const { return strips_[i]; }
  ViewSet views() const;
  // The X axes follow the first shown strip (strip 0 when none is shown).
  XRange x_axis_range(const std::array<bool, kStripCount>& shown) const;

 private:
  void restore(const ViewSet& views);
  bool back();
  bool forward();

  std::array<StripState, kStripCount> strips_{};
  std::vector<ViewSet> undo_;
  std::vector<ViewSet> redo_;
};

}  // namespace scopeview
