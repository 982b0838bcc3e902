#include "scopeview/osc_channel_win.h"

#include <windowsx.h>

#include <algorithm>
#include <span>
#include <vector>

#include "platform/gdi_win.h"
#include "platform/window_class_win.h"
#include "scopeview/axis_ticks.h"
#include "scopeview/client_rect_win.h"
#include "scopeview/markers.h"

namespace scopeview {
namespace {

constexpr wchar_t kChannelClass[] = L"WTL_OscilloscopeChannel";

Point mouse_point(LPARAM lparam) { return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

void draw_marker(HDC dc, const MarkerShape& shape) {
  switch (shape.kind) {
    case MarkerShape::Kind::polygon: {
      POINT points[4];
      for (int i = 0; i < shape.count; ++i) points[i] = {shape.points[i].x, shape.points[i].y};
      Polygon(dc, points, shape.count);
      break;
    }
    case MarkerShape::Kind::ellipse:
      Ellipse(dc, shape.box.left, shape.box.top, shape.box.right, shape.box.bottom);
      break;
    case MarkerShape::Kind::lines:
      for (int i = 0; i < 4; i += 2) {
        MoveToEx(dc, shape.points[i].x, shape.points[i].y, nullptr);
        LineTo(dc, shape.points[i + 1].x, shape.points[i + 1].y);
      }
      break;
    case MarkerShape::Kind::none:
      break;
  }
}

}  // namespace

bool OscilloscopeChannel::create(HWND parent, OscHandler& handler) {
  handler_ = &handler;
  platform::register_window_class(kChannelClass, proc, LoadCursorW(nullptr, MAKEINTRESOURCEW(32515) /* IDC_CROSS */));
  hwnd_ = CreateWindowExW(0, kChannelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                          parent, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

Rect OscilloscopeChannel::client() const { return client_rect(hwnd_); }

void OscilloscopeChannel::move(const Rect& r) { MoveWindow(hwnd_, r.left, r.top, r.width(), r.height(), TRUE); }

void OscilloscopeChannel::set_view(const StripView& view) {
  view_ = view;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void OscilloscopeChannel::set_samples(const double* samples, std::uint32_t count, std::uint32_t first_sample) {
  samples_ = samples;
  count_ = samples ? count : 0;
  first_sample_ = first_sample;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK OscilloscopeChannel::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = platform::window_owner<OscilloscopeChannel>(hwnd, message, lparam);
  if (!self || message == WM_NCCREATE) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->handle(message, wparam, lparam);
}

LRESULT OscilloscopeChannel::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      platform::PaintingDc dc(hwnd_);
      paint(dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the off-screen picture covers everything
    case WM_LBUTTONDOWN:
      if (handler_->zoomEnabled()) start_band(mouse_point(lparam));
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) move_band(mouse_point(lparam));
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) end_band(mouse_point(lparam));
      return 0;
    case WM_RBUTTONUP:
      if (handler_->zoomEnabled() && !dragging_)
        handler_->zoomHistory((wparam & MK_CONTROL) ? ZoomStep::first_view : ZoomStep::back);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

// Drawn off-screen and copied in one block: no flicker at one update a second.
void OscilloscopeChannel::paint(HDC dc) const {
  const Rect c = client();
  if (c.empty()) return;
  platform::UniqueMemoryDc memory(CreateCompatibleDC(dc));
  platform::UniqueGdiObject bitmap(CreateCompatibleBitmap(dc, c.width(), c.height()));
  {
    platform::SelectedObject picture(memory.get(), bitmap.get());
    platform::UniqueGdiObject background(CreateSolidBrush(background_));
    const RECT whole{c.left, c.top, c.right, c.bottom};
    FillRect(memory.get(), &whole, static_cast<HBRUSH>(background.get()));
    if (handler_->gridShown()) draw_grid(memory.get(), c);
    draw_samples(memory.get(), c);
    BitBlt(dc, 0, 0, c.width(), c.height(), memory.get(), 0, 0, SRCCOPY);
  }
  if (dragging_) invert_band();
}

void OscilloscopeChannel::draw_grid(HDC dc, const Rect& c) const {
  platform::UniqueGdiObject pen(CreatePen(PS_DOT, 1, grid_));
  platform::SelectedObject selected(dc, pen.get());
  SetBkMode(dc, TRANSPARENT);
  const GridLines lines = grid_lines(c, view_);
  for (int x : lines.xs) {
    MoveToEx(dc, x, c.top, nullptr);
    LineTo(dc, x, c.bottom);
  }
  for (int y : lines.ys) {
    MoveToEx(dc, c.left, y, nullptr);
    LineTo(dc, c.right, y);
  }
}

void OscilloscopeChannel::draw_samples(HDC dc, const Rect& c) const {
  if (count_ == 0) return;
  const std::vector<Point> points = strip_points(c, view_, first_sample_, std::span<const double>(samples_, count_));
  platform::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, trace_));
  platform::UniqueGdiObject brush(CreateSolidBrush(marker_));
  platform::SelectedObject selected_pen(dc, pen.get());
  platform::SelectedObject selected_brush(dc, brush.get());
  if (points.size() >= 2) {
    std::vector<POINT> line(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) line[i] = {points[i].x, points[i].y};
    Polyline(dc, line.data(), static_cast<int>(line.size()));
  }
  const int style = handler_->pointStyle();
  for (const Point& p : points) draw_marker(dc, marker_shape(style, p));
}

void OscilloscopeChannel::start_band(Point at) {
  SetCapture(hwnd_);
  dragging_ = true;
  anchor_ = band_end_ = at;
  invert_band();
}

void OscilloscopeChannel::move_band(Point to) {
  invert_band();
  band_end_ = to;
  invert_band();
}

void OscilloscopeChannel::end_band(Point at) {
  invert_band();
  dragging_ = false;
  ReleaseCapture();
  handler_->zoomToRect(anchor_, at);
}

void OscilloscopeChannel::invert_band() const {
  const Rect c = client();
  RECT band{std::min(anchor_.x, band_end_.x), std::min(anchor_.y, band_end_.y), std::max(anchor_.x, band_end_.x),
            std::max(anchor_.y, band_end_.y)};
  const ZoomMode mode = handler_->zoomMode();
  if (mode == ZoomMode::horizontal) {
    band.top = c.top;
    band.bottom = c.bottom;
  } else if (mode == ZoomMode::vertical) {
    band.left = c.left;
    band.right = c.right;
  }
  HDC dc = GetDC(hwnd_);
  DrawFocusRect(dc, &band);
  ReleaseDC(hwnd_, dc);
}

}  // namespace scopeview
