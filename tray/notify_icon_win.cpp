#include "tray/notify_icon_win.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/wide_text_win.h"
#include "tray/status_text.h"
#include "tray/tray_ids.h"

namespace tray {
namespace {

constexpr UINT kBalloonTimeoutMs = 3000;

// The layout with balloon fields and without the GUID, which every shell since 2000 takes.
NOTIFYICONDATAW icon_data(HWND window, UINT flags) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  return data;
}

template <std::size_t N>
void copy_text(wchar_t (&field)[N], std::string_view utf8) {
  const std::wstring wide = platform::to_wide(cut_to_utf16_units(std::string(utf8), N - 1));
  const std::size_t length = std::min(wide.size(), N - 1);
  wide.copy(field, length);
  field[length] = L'\0';
}

}  // namespace

bool NotifyIcon::add(HICON icon, std::string_view tip) {
  NOTIFYICONDATAW data = icon_data(window_, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  data.uCallbackMessage = kMsgTrayIcon;
  data.hIcon = icon;
  copy_text(data.szTip, tip);
  return Shell_NotifyIconW(NIM_ADD, &data);
}

bool NotifyIcon::modify(HICON icon, std::string_view tip) {
  NOTIFYICONDATAW data = icon_data(window_, NIF_ICON | NIF_TIP);
  data.hIcon = icon;
  copy_text(data.szTip, tip);
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool NotifyIcon::balloon(std::string_view title, std::string_view text) {
  NOTIFYICONDATAW data = icon_data(window_, NIF_INFO);
  copy_text(data.szInfo, text);
  copy_text(data.szInfoTitle, title);
  data.uTimeout = kBalloonTimeoutMs;
  data.dwInfoFlags = NIIF_NONE;
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool NotifyIcon::remove() {
  NOTIFYICONDATAW data = icon_data(window_, 0);
  return Shell_NotifyIconW(NIM_DELETE, &data);
}

}  // namespace tray
