// The tray application's one icon in the notification area (identifier 101): adding it, changing
// its icon and tool tip, a balloon, removing it. Texts are UTF-8 and cut to the shell's fields.
// GUI thread only; every call is one Shell_NotifyIcon and reports what the shell answered.
#pragma once

#include <windows.h>

#include <string_view>

namespace tray {

class NotifyIcon {
 public:
  explicit NotifyIcon(HWND window) : window_(window) {}

  // Callback message kMsgTrayIcon.
  bool add(HICON icon, std::string_view tip);
  bool modify(HICON icon, std::string_view tip);
  // A balloon for 3 s, without an icon of its own.
  bool balloon(std::string_view title, std::string_view text);
  bool remove();

 private:
  HWND window_;
};

}  // namespace tray
