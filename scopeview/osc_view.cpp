#include "scopeview/osc_view.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "scopeview/nice_step.h"

namespace scopeview {
namespace {

struct Span {
  double lo;
  double hi;
};

std::optional<Span> finite_min_max(std::span<const double> samples) {
  std::optional<Span> r;
  for (double v : samples) {
    if (!std::isfinite(v)) continue;
    if (!r) r = Span{v, v};
    r->lo = std::min(r->lo, v);
    r->hi = std::max(r->hi, v);
  }
  return r;
}

Span widened_if_degenerate(Span s) {
  if (s.hi - s.lo < kDegenerateSpan) return {s.lo - kDegenerateSpan, s.hi + kDegenerateSpan};
  return s;
}

double data_margin(Span s, const UpdateOptions& options) {
  if (!options.margins_on) return 0.0;
  const double m = nice_step(s.lo, s.hi).step / options.margin_divisor;
  return std::isfinite(m) && m >= 0.0 ? m : 0.0;  // a zero or negative divisor adds nothing
}

// Data values at two pixel offsets (from the range's low end) along a dimension `length` pixels
// long, made into a zoom range.
std::optional<Span> zoom_span(double min, double max, int length, int offset_a, int offset_b) {
  if (length <= 0) return std::nullopt;
  const double per_pixel = (max - min) / length;
  const double a = min + offset_a * per_pixel;
  const double b = min + offset_b * per_pixel;
  Span s = widened_if_degenerate({std::min(a, b), std::max(a, b)});
  const double margin = nice_step(s.lo, s.hi).step / 4.0;
  s = {s.lo - margin, s.hi + margin};
  if (!std::isfinite(s.lo) || !std::isfinite(s.hi)) return std::nullopt;
  return s;
}

}  // namespace

XRange window_x_range(std::uint32_t total, std::uint32_t count, std::uint32_t window) {
  const double first = static_cast<double>(total) - static_cast<double>(count);
  return {first, first + static_cast<double>(window) - 1.0};
}

bool update_strip(StripState& strip, XRange x, std::span<const double> samples, const UpdateOptions& options) {
  strip.view.x_min = x.min;
  strip.view.x_max = x.max;
  const std::optional<Span> found = finite_min_max(samples);
  if (!found) return false;

  const Span data = widened_if_degenerate(*found);
  // Restarting at the first value and then taking in min and max comes to the data's own span.
  if (options.range_follows_data || samples.size() == 1) {
    strip.data_min = data.lo;
    strip.data_max = data.hi;
  } else {
    strip.data_min = std::min(strip.data_min, data.lo);
    strip.data_max = std::max(strip.data_max, data.hi);
  }
  const double margin = data_margin(data, options);
  const double y_min = strip.data_min - margin;
  const double y_max = strip.data_max + margin;
  const bool changed = y_min != strip.view.y_min || y_max != strip.view.y_max;
  strip.view.y_min = y_min;
  strip.view.y_max = y_max;
  return changed;
}

StripView zoomed_view(const StripView& view, Rect client, Point a, Point b, ZoomMode mode) {
  StripView out = view;
  if (mode != ZoomMode::vertical) {
    if (auto x = zoom_span(view.x_min, view.x_max, client.width(), a.x - client.left, b.x - client.left)) {
      out.x_min = x->lo;
      out.x_max = x->hi;
    }
  }
  if (mode != ZoomMode::horizontal) {
    if (auto y = zoom_span(view.y_min, view.y_max, client.height(), client.bottom - a.y, client.bottom - b.y)) {
      out.y_min = y->lo;
      out.y_max = y->hi;
    }
  }
  return out;
}

UpdateChanges OscViews::update(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                               std::uint32_t total, std::uint32_t window, const UpdateOptions& options) {
  const XRange x = window_x_range(total, count, window);
  UpdateChanges changes;
  changes.x_changed = strips_[0].view.x_min != x.min || strips_[0].view.x_max != x.max;
  for (int i = 0; i < kStripCount; ++i) {
    const std::span<const double> values = samples[i] ? std::span<const double>(samples[i], count) : std::span<const double>();
    changes.y_changed[i] = update_strip(strips_[i], x, values, options);
  }
  return changes;
}

bool OscViews::zoom_to_rect(Rect client, Point a, Point b, ZoomMode mode) {
  if (client.empty()) return false;
  redo_.clear();
  undo_.push_back(views());
  for (StripState& s : strips_) s.view = zoomed_view(s.view, client, a, b, mode);
  return true;
}

bool OscViews::history_step(ZoomStep step) {
  switch (step) {
    case ZoomStep::back:
      return back();
    case ZoomStep::forward:
      return forward();
    case ZoomStep::first_view:
      if (!back()) return false;
      while (back()) {
      }
      return true;
  }
  return false;
}

void OscViews::clear_history() {
  undo_.clear();
  redo_.clear();
}

ViewSet OscViews::views() const {
  ViewSet out;
  for (int i = 0; i < kStripCount; ++i) out[i] = strips_[i].view;
  return out;
}

XRange OscViews::x_axis_range(const std::array<bool, kStripCount>& shown) const {
  const auto first = std::find(shown.begin(), shown.end(), true);
  const StripView& v = strips_[first == shown.end() ? 0 : first - shown.begin()].view;
  return {v.x_min, v.x_max};
}

void OscViews::restore(const ViewSet& views) {
  for (int i = 0; i < kStripCount; ++i) strips_[i].view = views[i];
}

bool OscViews::back() {
  if (undo_.empty()) return false;
  redo_.push_back(views());
  restore(undo_.back());
  undo_.pop_back();
  return true;
}

bool OscViews::forward() {
  if (redo_.empty()) return false;
  undo_.push_back(views());
  restore(redo_.back());
  redo_.pop_back();
  return true;
}

}  // namespace scopeview
