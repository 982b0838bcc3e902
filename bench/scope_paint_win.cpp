// The viewer's whole repaint under Wine: eight strips of 1000 samples with their axes, new data
// handed over and every window painted through GDI, as once a second while the viewer runs.
// Prints the median and the slowest of the measured repaints.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scopeview/osc_ctrl_win.h"

namespace {

constexpr std::uint32_t kPoints = 1000;
constexpr int kRepaints = 200;

double milliseconds_since(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  HWND frame = CreateWindowExW(0, L"STATIC", L"paint", WS_POPUP | WS_VISIBLE, 0, 0, 720, 720, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  HWND area = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 700, 700, frame, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  scopeview::OscilloscopeCtrl scope;
  if (!frame || !area || !scope.create(area)) {
    std::puts("scope_paint: no window (is DISPLAY set?)");
    return 1;
  }
  scope.settings().layout.strip_shown.fill(true);
  scope.settings().layout.right_y = true;
  scope.settings().point_style = 1;
  scope.settings().window_size = kPoints;
  scope.relayout();

  std::array<std::vector<double>, scopeview::kStripCount> data;
  std::array<const double*, scopeview::kStripCount> arrays{};
  for (int i = 0; i < scopeview::kStripCount; ++i) {
    data[i].resize(kPoints);
    for (std::uint32_t j = 0; j < kPoints; ++j) data[i][j] = 200.0 + 30.0 * std::sin(j * 0.01 * (i + 1));
    arrays[i] = data[i].data();
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int n = 0; n < kRepaints; ++n) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    scope.set_data(arrays, kPoints, kPoints + n);
    RedrawWindow(area, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    times.push_back(milliseconds_since(start, frequency));
  }
  std::sort(times.begin(), times.end());
  std::printf("repaint of 8 strips x %u points with axes: median %.2f ms, slowest %.2f ms (%d repaints)\n",
              static_cast<unsigned>(kPoints), times[times.size() / 2], times.back(), kRepaints);
  DestroyWindow(frame);
  return 0;
}
