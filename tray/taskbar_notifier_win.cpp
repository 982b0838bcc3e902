#include "tray/taskbar_notifier_win.h"

#include <utility>

#include "platform/module_win.h"
#include "platform/system_function_win.h"
#include "platform/window_class_win.h"
#include "tray/tray_ids.h"

namespace tray {
namespace {

constexpr wchar_t kClassName[] = L"UPSTaskbarNotifier";
constexpr BYTE kOpacity = 200;  // of 255
constexpr DWORD kHoverTimeMs = 1;

// Windows 2000 and later blend a layered window; the function is looked up because the build
// targets systems that may lack it.
void make_translucent(HWND hwnd) {
  using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  if (LOBYTE(LOWORD(GetVersion())) < 5) return;
  const auto set_attributes = platform::find_system_function<SetLayeredAttributes>(
      GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes");
  if (!set_attributes) return;
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  set_attributes(hwnd, 0, kOpacity, LWA_ALPHA);
}

HFONT make_font(const wchar_t* face, int size, bool underlined) {
  LOGFONTW font{};
  HDC screen = GetDC(nullptr);
  font.lfHeight = -MulDiv(size, GetDeviceCaps(screen, LOGPIXELSY), 720);
  ReleaseDC(nullptr, screen);
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underlined;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace

CTaskbarNotifier::~CTaskbarNotifier() {
  if (hwnd_) DestroyWindow(hwnd_);
  // A library may be unloaded and loaded again elsewhere: a class left behind would name the old
  // procedure. Fails harmlessly while another notifier still has a window.
  UnregisterClassW(kClassName, platform::this_module());
}

bool CTaskbarNotifier::create(HWND owner) {
  if (hwnd_) return true;
  owner_ = owner;
  // The class keeps the arrow; over the text WM_SETCURSOR shows the hand.
  if (!platform::register_window_class(kClassName, proc, nullptr, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
    return false;
  // A tool window: no taskbar button for a pop-up that comes and goes.
  CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                  platform::this_module(), this);
  return hwnd_ != nullptr;
}

bool CTaskbarNotifier::set_skin(UINT bitmap_id) {
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageW(platform::this_module(), MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  return bitmap && adopt_skin(bitmap);
}

bool CTaskbarNotifier::adopt_skin(HBITMAP bitmap) {
  platform::UniqueGdiObject owned(bitmap);
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info)) return false;
  skin_ = std::move(owned);
  motion_.set_size(info.bmWidth, info.bmHeight);
  text_rect_ = {0, 0, info.bmWidth, info.bmHeight};
  return true;
}

bool CTaskbarNotifier::set_text_font(const wchar_t* face, int size) {
  platform::UniqueGdiObject font(make_font(face, size, false));
  platform::UniqueGdiObject hover_font(make_font(face, size, true));
  if (!font || !hover_font) return false;
  font_ = std::move(font);
  hover_font_ = std::move(hover_font);
  text_format_ = 0;
  return true;
}

void CTaskbarNotifier::set_text_colours(COLORREF normal, COLORREF hover) {
  text_colour_ = normal;
  hover_colour_ = hover;
  redraw();
}

void CTaskbarNotifier::set_text_rect(const RECT& rect) { text_rect_ = rect; }

void CTaskbarNotifier::show(const std::wstring& text) {
  if (!hwnd_) return;  // a timer of no window would be a thread timer
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const ScreenFacts screen{{area.left, area.top, area.right, area.bottom},
                           GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN)};
  apply(motion_.show(text, screen));
}

LRESULT CALLBACK CTaskbarNotifier::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = platform::window_owner<CTaskbarNotifier>(hwnd, message, lparam);
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) {
    self->hwnd_ = hwnd;  // WM_CREATE comes before CreateWindowEx returns
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->handle(message, wparam, lparam);
}

LRESULT CTaskbarNotifier::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      on_create();
      return 0;
    case WM_ERASEBKGND:
      erase(reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_PAINT: {
      platform::PaintingDc dc(hwnd_);
      paint(dc.get());
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lparam) != HTCLIENT) break;
      SetCursor(hand_);
      return TRUE;
    case WM_MOUSEMOVE:
      track_mouse();
      return 0;
    case WM_MOUSEHOVER:
      hover(true);
      return 0;
    case WM_MOUSELEAVE:
      hover(false);
      return 0;
    case WM_LBUTTONUP:
      PostMessageW(owner_, kMsgShowSettings, 0, 0);
      return 0;
    case WM_TIMER:
      apply(motion_.timer(static_cast<unsigned>(wparam)));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void CTaskbarNotifier::on_create() {
  hand_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */);
  make_translucent(hwnd_);
}

void CTaskbarNotifier::erase(HDC dc) const {
  RECT whole{0, 0, motion_.width(), motion_.height()};
  if (skin_) {
    platform::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    platform::SelectedObject picture(memory.get(), skin_.get());
    BitBlt(dc, 0, 0, whole.right, whole.bottom, memory.get(), 0, 0, SRCCOPY);
    return;
  }
  GetClientRect(hwnd_, &whole);
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  InflateRect(&whole, -1, -1);
  platform::UniqueGdiObject background(CreateSolidBrush(background_));
  FillRect(dc, &whole, static_cast<HBRUSH>(background.get()));
}

void CTaskbarNotifier::paint(HDC dc) const {
  const bool hovering = motion_.hovering();
  HGDIOBJ font = hovering ? hover_font_.get() : font_.get();
  // Without set_text_font the DC's own font serves.
  platform::SelectedObject selected(dc, font ? font : GetCurrentObject(dc, OBJ_FONT));
  SetTextColor(dc, hovering ? hover_colour_ : text_colour_);
  SetBkMode(dc, TRANSPARENT);
  RECT where = text_rect_;
  DrawTextW(dc, motion_.text().c_str(), -1, &where, text_format_);
}

void CTaskbarNotifier::track_mouse() const {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd_;
  track.dwHoverTime = kHoverTimeMs;
  TrackMouseEvent(&track);
}

void CTaskbarNotifier::hover(bool on) {
  if (motion_.set_hovering(on)) redraw();
}

void CTaskbarNotifier::apply(const NotifierActions& actions) {
  using Kind = NotifierAction::Kind;
  for (const NotifierAction& a : actions) {
    switch (a.kind) {
      case Kind::start_timer:
        SetTimer(hwnd_, a.timer, static_cast<UINT>(a.period_ms), nullptr);
        break;
      case Kind::stop_timer:
        KillTimer(hwnd_, a.timer);
        break;
      case Kind::place:
        SetWindowPos(hwnd_, nullptr, a.at.x, a.at.y, a.width, a.height, SWP_NOZORDER | SWP_NOACTIVATE);
        break;
      case Kind::show_window:
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);  // a notice must not take the keyboard away
        break;
      case Kind::hide_window:
        ShowWindow(hwnd_, SW_HIDE);
        break;
      case Kind::redraw:
        redraw();
        break;
    }
  }
}

void CTaskbarNotifier::redraw() const {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace tray
