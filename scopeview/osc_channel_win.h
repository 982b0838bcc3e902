// OscilloscopeChannel: one strip of the oscilloscope (window class "WTL_OscilloscopeChannel"):
// grid, trace and markers of one channel's samples, painted through an off-screen bitmap, and
// the rubber band with which the user zooms. Asks its container for the shared settings through
// OscHandler. Window thread only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "scopeview/geometry.h"
#include "scopeview/osc_handler.h"
#include "scopeview/osc_scale.h"

namespace scopeview {

class OscilloscopeChannel {
 public:
  bool create(HWND parent, OscHandler& handler);
  void move(const Rect& r);
  void set_view(const StripView& view);
  // The caller keeps the samples alive while the strip shows them.
  void set_samples(const double* samples, std::uint32_t count, std::uint32_t first_sample);
  void set_trace_colour(COLORREF colour) { trace_ = colour; }
  HWND hwnd() const { return hwnd_; }
  Rect client() const;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc) const;
  void draw_grid(HDC dc, const Rect& client) const;
  void draw_samples(HDC dc, const Rect& client) const;
  void start_band(Point at);
  void move_band(Point to);
  void end_band(Point at);
  // The rubber band inverts what is under it: drawing it twice erases it.
  void invert_band() const;

  HWND hwnd_ = nullptr;
  OscHandler* handler_ = nullptr;
  StripView view_{};
  const double* samples_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t first_sample_ = 0;
  COLORREF background_ = RGB(0, 0, 0);
  COLORREF trace_ = RGB(255, 255, 255);
  COLORREF grid_ = RGB(128, 128, 128);
  COLORREF marker_ = RGB(255, 255, 0);
  bool dragging_ = false;
  Point anchor_{};
  Point band_end_{};
};

}  // namespace scopeview
