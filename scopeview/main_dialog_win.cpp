#include "scopeview/main_dialog_win.h"

#include <commctrl.h>

#include <string>

#include "scopeview/last_points.h"
#include "scopeview/markers.h"
#include "scopeview/viewer_controls.h"
#include "scopeview/viewer_ids.h"

namespace scopeview {
namespace {

constexpr UINT_PTR kSampleTimer = 1;
constexpr UINT kSampleIntervalMs = 1000;
constexpr double kViewerMarginDivisor = 2.0;
constexpr int kViewerMarkerStyle = 1;  // "UTriangle"

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

}  // namespace

HWND CMainDlg::create() {
  hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_VIEWER), nullptr, proc,
                             reinterpret_cast<LPARAM>(this));
  if (hwnd_) ShowWindow(hwnd_, SW_SHOW);
  return hwnd_;
}

INT_PTR CALLBACK CMainDlg::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CMainDlg*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    self->hwnd_ = hwnd;
    return self->initialise() ? TRUE : FALSE;
  }
  auto* self = reinterpret_cast<CMainDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->handle(message, wparam, lparam) : FALSE;
}

INT_PTR CMainDlg::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_VSCROLL:
      // The up-down moved: its position goes into the edit, which then sets N as typing does.
      // (The edit is not its integer buddy, so that setting the position while the user types
      // never rewrites the text under the cursor.)
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd_, IDC_LAST_POINTS_SPIN)) {
        const LRESULT position = SendDlgItemMessageW(hwnd_, IDC_LAST_POINTS_SPIN, UDM_GETPOS32, 0, 0);
        SetDlgItemTextW(hwnd_, IDC_LAST_POINTS, last_points_text(static_cast<std::uint32_t>(position)).c_str());
      }
      return TRUE;
    case WM_TIMER:
      if (wparam == kSampleTimer) tick();
      return TRUE;
    case WM_COMMAND:
      command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

bool CMainDlg::initialise() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VIEWER), IMAGE_ICON, 32, 32, 0)));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VIEWER), IMAGE_ICON, 16, 16, 0)));
  SetTimer(hwnd_, kSampleTimer, kSampleIntervalMs, nullptr);
  if (!scope_.create(GetDlgItem(hwnd_, IDC_SCOPE))) return false;
  OscSettings& settings = scope_.settings();
  settings.margin_divisor = kViewerMarginDivisor;
  settings.point_style = kViewerMarkerStyle;
  for (int channel = 0; channel < kViewerChannels; ++channel) {
    settings.layout.strip_shown[channel] = true;
    const Rgb colour = kViewerChannelColours[channel];
    scope_.set_trace_colour(channel, RGB(colour.red, colour.green, colour.blue));
  }
  scope_.relayout();
  HWND styles = GetDlgItem(hwnd_, IDC_POINT_STYLE);
  for (const wchar_t* name : kMarkerStyleNames) SendMessageW(styles, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendDlgItemMessageW(hwnd_, IDC_LAST_POINTS_SPIN, UDM_SETRANGE32, kMinLastPoints, kMaxLastPoints);
  load_controls_from_scope();
  return true;
}

void CMainDlg::load_controls_from_scope() {
  const OscSettings& s = scope_.settings();
  check(hwnd_, IDC_TOP_X, s.layout.top_x);
  check(hwnd_, IDC_BOTTOM_X, s.layout.bottom_x);
  check(hwnd_, IDC_LEFT_Y, s.layout.left_y);
  check(hwnd_, IDC_RIGHT_Y, s.layout.right_y);
  check(hwnd_, IDC_GRID, s.grid_shown);
  for (int channel = 0; channel < kViewerChannels; ++channel)
    check(hwnd_, IDC_CHANNEL_1 + channel, s.layout.strip_shown[channel]);
  CheckRadioButton(hwnd_, IDC_ZOOM_RECTANGLE, IDC_ZOOM_VERTICAL, IDC_ZOOM_RECTANGLE + static_cast<int>(s.zoom_mode));
  SendDlgItemMessageW(hwnd_, IDC_POINT_STYLE, CB_SETCURSEL, s.point_style, 0);
  SetDlgItemTextW(hwnd_, IDC_LAST_POINTS, last_points_text(s.window_size).c_str());
}

void CMainDlg::command(int id, int code) {
  switch (id) {
    case IDC_RUN: run(); return;
    case IDC_STOP: stop(); return;
    case IDC_EXIT: exit(); return;
    case IDC_ZOOM_IN: scope_.zoomHistory(ZoomStep::forward); return;
    case IDC_ZOOM_OUT: scope_.zoomHistory(ZoomStep::back); return;
    case IDC_ZOOM_TOP: scope_.zoomHistory(ZoomStep::first_view); return;
    case IDC_ZOOM_RECTANGLE:
    case IDC_ZOOM_HORIZONTAL:
    case IDC_ZOOM_VERTICAL:
      scope_.settings().zoom_mode = static_cast<ZoomMode>(id - IDC_ZOOM_RECTANGLE);
      CheckRadioButton(hwnd_, IDC_ZOOM_RECTANGLE, IDC_ZOOM_VERTICAL,
                       IDC_ZOOM_RECTANGLE + static_cast<int>(scope_.settings().zoom_mode));
      return;
    case IDC_POINT_STYLE:
      if (code != CBN_SELCHANGE) return;
      scope_.settings().point_style = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_POINT_STYLE, CB_GETCURSEL, 0, 0));
      scope_.redraw();
      return;
    case IDC_LAST_POINTS:
      if (code == EN_CHANGE || code == EN_KILLFOCUS) take_last_points(code == EN_KILLFOCUS);
      return;
    default:
      if (code == BN_CLICKED) toggle_setting(id);
  }
}

void CMainDlg::toggle_setting(int id) {
  LayoutFlags& layout = scope_.settings().layout;
  const bool on = checked(hwnd_, id);
  switch (id) {
    case IDC_TOP_X: layout.top_x = on; break;
    case IDC_BOTTOM_X: layout.bottom_x = on; break;
    case IDC_LEFT_Y: layout.left_y = on; break;
    case IDC_RIGHT_Y: layout.right_y = on; break;
    case IDC_GRID:
      scope_.settings().grid_shown = on;
      scope_.redraw();
      return;
    default:
      if (id < IDC_CHANNEL_1 || id >= IDC_CHANNEL_1 + kViewerChannels) return;
      layout.strip_shown[id - IDC_CHANNEL_1] = on;
  }
  scope_.relayout();
}

void CMainDlg::take_last_points(bool rewrite) {
  wchar_t text[32] = L"";
  GetDlgItemTextW(hwnd_, IDC_LAST_POINTS, text, 32);
  if (const std::optional<std::uint32_t> n = parse_last_points(text)) {
    scope_.settings().window_size = *n;
    SendDlgItemMessageW(hwnd_, IDC_LAST_POINTS_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(*n));
  }
  const std::wstring shown = last_points_text(scope_.settings().window_size);
  if (rewrite && shown != text) SetDlgItemTextW(hwnd_, IDC_LAST_POINTS, shown.c_str());
}

void CMainDlg::run() {
  std::array<bool, kViewerChannels> shown{};
  for (int channel = 0; channel < kViewerChannels; ++channel)
    shown[channel] = scope_.settings().layout.strip_shown[channel];
  sampling_.run(shown);
  scope_.clear_history();
  scope_.settings().zoom_enabled = false;
}

void CMainDlg::stop() {
  sampling_.stop();
  scope_.settings().zoom_enabled = true;
}

void CMainDlg::tick() {
  sampling_.tick(scope_.settings().window_size, block_.read());
}

void CMainDlg::update_controls() {
  const ViewerControlsEnabled on =
      viewer_controls_enabled(sampling_.running(), scope_.views().can_go_back(), scope_.views().can_go_forward());
  enable(hwnd_, IDC_ZOOM_IN, on.zoom_in);
  enable(hwnd_, IDC_ZOOM_OUT, on.zoom_out);
  enable(hwnd_, IDC_ZOOM_TOP, on.zoom_top);
  for (int channel = 0; channel < kViewerChannels; ++channel) enable(hwnd_, IDC_CHANNEL_1 + channel, on.channels);
  enable(hwnd_, IDC_RUN, on.run);
  enable(hwnd_, IDC_STOP, on.stop);
  enable(hwnd_, IDC_EXIT, on.exit);
}

void CMainDlg::exit() {
  KillTimer(hwnd_, kSampleTimer);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  PostQuitMessage(0);
}

}  // namespace scopeview
