#include "scopeview/osc_axis_win.h"

#include <string>

#include "platform/gdi_win.h"
#include "platform/window_class_win.h"
#include "scopeview/axis_ticks.h"
#include "scopeview/client_rect_win.h"
#include "scopeview/osc_scale.h"

namespace scopeview {
namespace {

constexpr wchar_t kAxisClass[] = L"WTL_OscilloscopeAxis";

void line(HDC dc, Segment s) {
  MoveToEx(dc, s.from.x, s.from.y, nullptr);
  LineTo(dc, s.to.x, s.to.y);
}

}  // namespace

bool OscilloscopeAxis::create(HWND parent, AxisPlacement placement) {
  placement_ = placement;
  platform::register_window_class(kAxisClass, proc, nullptr);
  hwnd_ = CreateWindowExW(0, kAxisClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                          parent, nullptr, GetModuleHandleW(nullptr), this);
  font_.reset(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
  return hwnd_ != nullptr;
}

void OscilloscopeAxis::move(const Rect& r) { MoveWindow(hwnd_, r.left, r.top, r.width(), r.height(), TRUE); }

void OscilloscopeAxis::set_range(double min, double max) {
  if (min == min_ && max == max_) return;
  min_ = min;
  max_ = max;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK OscilloscopeAxis::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = platform::window_owner<OscilloscopeAxis>(hwnd, message, lparam);
  if (self && message == WM_PAINT) {
    platform::PaintingDc dc(hwnd);
    self->paint(dc.get(), client_rect(hwnd));
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // painted whole in WM_PAINT
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void OscilloscopeAxis::paint(HDC dc, const Rect& client) {
  const RECT whole{client.left, client.top, client.right, client.bottom};
  FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  platform::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
  platform::SelectedObject font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  line(dc, axis_line(placement_, client));
  const AxisScale scale = axis_scale(client, is_horizontal(placement_), min_, max_);
  const AxisMarks marks = axis_marks(scale);
  for (const MajorTick& tick : marks.majors) {
    line(dc, tick_segment(placement_, client, tick.pixel, kMajorTickLength));
    draw_label(dc, client, tick.pixel, tick.value);
  }
  for (int pixel : marks.minors) line(dc, tick_segment(placement_, client, pixel, kMinorTickLength));
}

void OscilloscopeAxis::draw_label(HDC dc, const Rect& client, int pixel, double value) {
  const std::string label = tick_label(value);
  const std::wstring text(label.begin(), label.end());
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  const TickLabelPlace place = label_place(placement_, client, pixel);
  int x = place.anchor.x;
  int y = place.anchor.y;
  switch (place.align) {
    case LabelAlign::centred_above: x -= size.cx / 2; y -= size.cy; break;
    case LabelAlign::centred_below: x -= size.cx / 2; break;
    case LabelAlign::left_of: x -= size.cx; y -= size.cy / 2; break;
    case LabelAlign::right_of: y -= size.cy / 2; break;
  }
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace scopeview
