#include "statsheet/month_popup_win.h"

#include <algorithm>

#include "platform/module_win.h"
#include "platform/side_effects.h"
#include "platform/window_class_win.h"
#include "statsheet/user_locale_win.h"

namespace statsheet {
namespace {

constexpr UINT_PTR kTrackTimer = 1;
constexpr wchar_t kRowSample[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// The runtime formats in the locale's ANSI code page, which the calendar fixes at 1251.

// A font of the list's own: the calendar may lose its fonts while the list is still open.
HFONT copy_font(HFONT font) {
  LOGFONTW description{};
  if (!font || !GetObjectW(font, sizeof description, &description)) return nullptr;
  return CreateFontIndirectW(&description);
}

// Centred on the title bar, but kept on its monitor's work area: a calendar near the top of the
// screen would otherwise put the list's first rows out of sight and out of reach.
PixelRect on_screen(const PixelRect& wanted) {
  const RECT r{wanted.left, wanted.top, wanted.right, wanted.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return wanted;
  const RECT& area = monitor.rcWork;
  int dx = std::min(0L, area.right - r.right);
  if (r.left + dx < area.left) dx = area.left - r.left;
  int dy = std::min(0L, area.bottom - r.bottom);
  if (r.top + dy < area.top) dy = area.top - r.top;
  return {wanted.left + dx, wanted.top + dy, wanted.right + dx, wanted.bottom + dy};
}

}  // namespace

CMonthPopupCtrl::~CMonthPopupCtrl() {
  if (hwnd_) DestroyWindow(hwnd_);
  UnregisterClassW(kMonthPopupWindowClass, platform::this_module());  // as the calendar's class
}

std::optional<YearMonth> CMonthPopupCtrl::run(HWND calendar, const PixelRect& title_bar, HFONT title_font,
                                              int title_width, const YearMonth& displayed) {
  font_.reset(copy_font(title_font));
  if (!font_) return std::nullopt;
  HDC screen = GetDC(nullptr);
  SIZE sample{};
  {
    platform::SelectedObject font(screen, font_.get());
    GetTextExtentPoint32W(screen, kRowSample, static_cast<int>(wcslen(kRowSample)), &sample);
  }
  ReleaseDC(nullptr, screen);
  row_height_ = sample.cy + 1;
  list_.emplace(displayed, row_height_);
  if (!open(calendar, title_bar, title_width)) return std::nullopt;
  loop(calendar);

  const std::optional<YearMonth> chosen = outcome_ == Outcome::chosen ? list_->chosen() : std::nullopt;
  if (hwnd_) {
    KillTimer(hwnd_, kTrackTimer);
    const HWND closing = hwnd_;
    if (GetCapture() == closing) ReleaseCapture();
    DestroyWindow(closing);
  }
  return chosen;
}

bool CMonthPopupCtrl::open(HWND calendar, const PixelRect& title_bar, int title_width) {
  if (!platform::register_window_class(kMonthPopupWindowClass, proc, nullptr, CS_SAVEBITS)) return false;
  const PixelRect where = on_screen(month_list_rect(title_bar, title_width, row_height_,
                                                    GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)));
  // Owned by the calendar's top-level window, so that closing it takes the list along.
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMonthPopupWindowClass, L"", WS_POPUP | WS_BORDER, where.left,
                  where.top, where.width(), where.height(), calendar, nullptr, platform::this_module(), this);
  if (!hwnd_) return false;
  ShowWindow(hwnd_, SW_SHOWNA);
  UpdateWindow(hwnd_);
  outcome_ = Outcome::running;
  SetCapture(hwnd_);
  SetTimer(hwnd_, kTrackTimer, kMonthListTimerMs, nullptr);
  return true;
}

// Waits with a time-out rather than in GetMessage: the calendar may be destroyed by a message
// sent from elsewhere, after which nothing need ever be posted to this thread again.
void CMonthPopupCtrl::loop(HWND calendar) {
  while (outcome_ == Outcome::running) {
    if (!hwnd_ || !IsWindow(calendar)) {
      outcome_ = Outcome::cancelled;
      return;
    }
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, kMonthListTimerMs, QS_ALLINPUT);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      outcome_ = Outcome::cancelled;
      return;
    }
    // The keyboard belongs to the open list, whichever window has the focus.
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
      if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) outcome_ = Outcome::cancelled;
      continue;
    }
    DispatchMessageW(&message);
  }
}

LRESULT CALLBACK CMonthPopupCtrl::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = platform::window_owner<CMonthPopupCtrl>(hwnd, message, lparam);
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  if (message == WM_NCCREATE || message == WM_NCDESTROY) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->handle(message, wparam, lparam);
}

LRESULT CMonthPopupCtrl::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      platform::PaintingDc dc(hwnd_);
      paint(dc.get());
      return 0;
    }
    case WM_MOUSEMOVE:
      track(static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_TIMER:
      if (wparam == kTrackTimer) track_cursor();
      return 0;
    case WM_LBUTTONUP:
      if (outcome_ == Outcome::running) outcome_ = list_->chosen() ? Outcome::chosen : Outcome::cancelled;
      return 0;
    case WM_CAPTURECHANGED:
      if (outcome_ == Outcome::running && reinterpret_cast<HWND>(lparam) != hwnd_) outcome_ = Outcome::cancelled;
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void CMonthPopupCtrl::track(int y) {
  if (outcome_ != Outcome::running) return;
  if (list_->track(y, platform::side_effects().tick_count())) InvalidateRect(hwnd_, nullptr, FALSE);
}

// The pointer held still above or below the list must go on scrolling it.
void CMonthPopupCtrl::track_cursor() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return;
  ScreenToClient(hwnd_, &cursor);
  track(cursor.y);
}

void CMonthPopupCtrl::paint(HDC target) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  platform::UniqueMemoryDc memory(CreateCompatibleDC(target));
  platform::UniqueGdiObject bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!memory || !bitmap) return;  // out of GDI resources: the list stays as it was
  HDC dc = memory.get();
  platform::SelectedObject canvas(dc, bitmap.get());
  platform::SelectedObject font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  for (int row = 0; row < kMonthListRows; ++row) {
    const bool lit = list_->highlighted() == row;
    RECT line{0, row * row_height_, client.right, (row + 1) * row_height_};
    if (row == kMonthListRows - 1) line.bottom = client.bottom;
    SetBkColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    SetTextColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    const std::wstring text = month_title_text(list_->row_month(row));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

}  // namespace statsheet
