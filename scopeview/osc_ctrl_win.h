// OscilloscopeCtrl: the oscilloscope container. It takes over a static control of a dialog and
// fills it with up to eight strips, a left and a right Y axis per strip and a top and a bottom X
// axis, lays them out, hands them new samples and carries out the zooms they ask for. Its
// settings (OscSettings) are changed by the dialog through the setters. Window thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "scopeview/osc_axis_win.h"
#include "scopeview/osc_channel_win.h"
#include "scopeview/osc_settings.h"
#include "scopeview/osc_view.h"
#include "scopeview/sample_sink.h"

namespace scopeview {

class OscilloscopeCtrl final : public OscHandler, public SampleSink {
 public:
  // Builds the axes and strips inside `static_control`; false when a window cannot be made.
  bool create(HWND static_control);
  HWND hwnd() const { return hwnd_; }

  // SampleSink: new samples; the strips repaint from these arrays until the next call.
  void set_data(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                std::uint32_t total) override;

  OscSettings& settings() { return settings_; }
  void set_trace_colour(int strip, COLORREF colour);
  // After a change of the shown strips or axes.
  void relayout();
  // After a change of the grid, the markers or the zoom mode.
  void redraw();
  void clear_history() { views_.clear_history(); }
  const OscViews& views() const { return views_; }

  // OscHandler
  bool gridShown() override { return settings_.grid_shown; }
  bool rangeFollowsData() override { return settings_.range_follows_data; }
  bool marginsOn() override { return settings_.margins_on; }
  double marginDivisor() override { return settings_.margin_divisor; }
  bool zoomEnabled() override { return settings_.zoom_enabled; }
  void zoomHistory(ZoomStep step) override;
  void zoomToRect(Point corner1, Point corner2) override;
  ZoomMode zoomMode() override { return settings_.zoom_mode; }
  int pointStyle() override { return settings_.point_style; }

 private:
  Rect client() const;
  // Pushes the current views to the strips and axes (the axes repaint only what changed).
  void show_views();
  void hand_samples_to_strips();

  HWND hwnd_ = nullptr;
  OscSettings settings_{};
  OscViews views_;
  std::array<OscilloscopeChannel, kStripCount> strips_{};
  std::array<OscilloscopeAxis, kStripCount> left_axes_{};
  std::array<OscilloscopeAxis, kStripCount> right_axes_{};
  OscilloscopeAxis top_x_;
  OscilloscopeAxis bottom_x_;
  std::array<const double*, kStripCount> samples_{};
  std::uint32_t count_ = 0;
  std::uint32_t total_ = 0;
};

}  // namespace scopeview
