#include "scopeview/osc_ctrl_win.h"

#include "scopeview/client_rect_win.h"

namespace scopeview {

bool OscilloscopeCtrl::create(HWND static_control) {
  hwnd_ = static_control;
  // The children are drawn by themselves; the static must not paint over them.
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_CLIPCHILDREN);
  bool made = top_x_.create(hwnd_, AxisPlacement::top) && bottom_x_.create(hwnd_, AxisPlacement::bottom);
  for (int i = 0; i < kStripCount && made; ++i)
    made = left_axes_[i].create(hwnd_, AxisPlacement::left) && right_axes_[i].create(hwnd_, AxisPlacement::right) &&
           strips_[i].create(hwnd_, *this);
  if (made) relayout();
  return made;
}

Rect OscilloscopeCtrl::client() const { return client_rect(hwnd_); }

void OscilloscopeCtrl::set_trace_colour(int strip, COLORREF colour) {
  strips_[strip].set_trace_colour(colour);
  InvalidateRect(strips_[strip].hwnd(), nullptr, FALSE);
}

void OscilloscopeCtrl::relayout() {
  const OscLayout layout = layout_oscilloscope(client(), settings_.layout);
  top_x_.move(layout.top_x);
  bottom_x_.move(layout.bottom_x);
  for (int i = 0; i < kStripCount; ++i) {
    strips_[i].move(layout.strips[i]);
    left_axes_[i].move(layout.left_axes[i]);
    right_axes_[i].move(layout.right_axes[i]);
  }
  show_views();
}

void OscilloscopeCtrl::redraw() {
  for (OscilloscopeChannel& strip : strips_) InvalidateRect(strip.hwnd(), nullptr, FALSE);
}

void OscilloscopeCtrl::set_data(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                                std::uint32_t total) {
  samples_ = samples;
  count_ = count;
  total_ = total;
  const UpdateOptions options{settings_.range_follows_data, settings_.margins_on, settings_.margin_divisor};
  views_.update(samples_, count_, total_, settings_.window_size, options);
  hand_samples_to_strips();
  show_views();
}

void OscilloscopeCtrl::hand_samples_to_strips() {
  for (int i = 0; i < kStripCount; ++i) strips_[i].set_samples(samples_[i], count_, total_ - count_);
}

void OscilloscopeCtrl::show_views() {
  for (int i = 0; i < kStripCount; ++i) {
    const StripView& view = views_.strip(i).view;
    strips_[i].set_view(view);
    left_axes_[i].set_range(view.y_min, view.y_max);
    right_axes_[i].set_range(view.y_min, view.y_max);
  }
  const XRange x = views_.x_axis_range(settings_.layout.strip_shown);
  top_x_.set_range(x.min, x.max);
  bottom_x_.set_range(x.min, x.max);
}

void OscilloscopeCtrl::zoomHistory(ZoomStep step) {
  if (views_.history_step(step)) show_views();
}

void OscilloscopeCtrl::zoomToRect(Point corner1, Point corner2) {
  // Shown strips share one size, so any shown strip stands for the one the band was drawn in.
  for (const OscilloscopeChannel& strip : strips_) {
    if (strip.client().empty()) continue;
    if (views_.zoom_to_rect(strip.client(), corner1, corner2, settings_.zoom_mode)) show_views();
    return;
  }
}

}  // namespace scopeview
