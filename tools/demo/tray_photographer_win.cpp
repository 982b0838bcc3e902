#include "tools/demo/tray_photographer_win.h"

#include <cctype>

#include "platform/screen_capture_win.h"

namespace demo {
namespace {

constexpr UINT kTrayIconCallback = 0x8001;
// The shell shows a balloon about 2 s after it was asked for; the notifier is out in 0.5 s.
constexpr DWORD kPictureDelayMs = 3000;

HWND tray_window() { return FindWindowW(nullptr, L"ControlManageUPS"); }

// "on battery" as the second picture: "2-on-battery".
std::string picture_name(int number, const char* what) {
  std::string name = std::to_string(number);
  for (const char* c = what; *c; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (std::isalnum(byte))
      name += static_cast<char>(std::tolower(byte));
    else if (name.back() != '-')
      name += '-';
  }
  if (name.back() == '-') name.pop_back();
  return name;
}

}  // namespace

bool TrayPhotographer::click_and_photograph(const char* what) {
  HWND tray = tray_window();
  if (directory_.empty() || !tray) return false;
  finish();
  PostMessageW(tray, kTrayIconCallback, 0, WM_LBUTTONDOWN);
  pending_ = picture_name(++taken_, (std::string("-") + what).c_str());
  due_ = GetTickCount() + kPictureDelayMs;
  return true;
}

void TrayPhotographer::tick() {
  if (!pending_.empty() && static_cast<LONG>(GetTickCount() - due_) >= 0) finish();
}

void TrayPhotographer::finish() {
  if (pending_.empty()) return;
  platform::save_screen(directory_ + "\\" + pending_ + ".bmp");
  pending_.clear();
}

bool TrayPhotographer::close_tray() {
  HWND tray = tray_window();
  if (!tray) return false;
  PostMessageW(tray, WM_CLOSE, 0, 0);
  for (int i = 0; i < 50 && tray_window(); ++i) Sleep(100);
  return true;
}

}  // namespace demo
