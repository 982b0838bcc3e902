#include "tools/demo/tray_photographer_win.h"

#include <commctrl.h>

#include <cctype>
#include <functional>

#include "platform/screen_capture_win.h"

namespace demo {
namespace {

constexpr UINT kTrayIconCallback = 0x8001;
// The shell shows a balloon about 2 s after it was asked for, and keeps it for several seconds.
constexpr DWORD kPictureDelayMs = 3000;
// The notifier slides in within 0.5 s and is gone 3.5 s later: it is photographed once it is in.
constexpr DWORD kNotifierSlideInMs = 700;

HWND tray_window() { return FindWindowW(nullptr, L"ControlManageUPS"); }

bool notifier_is_out() {
  HWND notifier = FindWindowW(L"UPSTaskbarNotifier", nullptr);
  return notifier && IsWindowVisible(notifier);
}

// The sheet's pages and the details page's "Обновить".
constexpr int kDayPage = 2;
constexpr int kDetailsPage = 3;
constexpr int kDetailsUpdate = 1058;

bool wait_for(const std::function<bool()>& condition, int tenths) {
  for (int i = 0; i < tenths; ++i, Sleep(100))
    if (condition()) return true;
  return condition();
}

void press_key(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 0);
  PostMessageW(window, WM_KEYUP, key, 0xC0000000);
  Sleep(150);
}

HWND open_statistics_sheet(HWND tray) {
  PostMessageW(tray, kTrayIconCallback, 0, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  if (!wait_for([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 50)) return nullptr;
  for (int i = 0; i < 2; ++i) press_key(menu, VK_DOWN);  // "Настройки", "Статистика"
  press_key(menu, VK_RETURN);
  HWND sheet = nullptr;
  wait_for([&] { return (sheet = FindWindowW(nullptr, L"Статистика")) != nullptr; }, 100);
  return sheet;
}

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
  // The picture before this one still waits for its balloon: a new click now would replace it.
  if (!pending_.empty()) {
    const auto left = static_cast<LONG>(due_ - GetTickCount());
    if (left > 0) Sleep(static_cast<DWORD>(left));
    finish();
  }
  PostMessageW(tray, kTrayIconCallback, 0, WM_LBUTTONDOWN);
  pending_ = picture_name(++taken_, (std::string("-") + what).c_str());
  due_ = GetTickCount() + kPictureDelayMs;
  notifier_seen_ = false;
  return true;
}

void TrayPhotographer::tick() {
  if (pending_.empty()) return;
  if (!notifier_seen_ && notifier_is_out()) {
    notifier_seen_ = true;
    const DWORD in = GetTickCount() + kNotifierSlideInMs;
    if (static_cast<LONG>(in - due_) < 0) due_ = in;
  }
  if (static_cast<LONG>(GetTickCount() - due_) >= 0) finish();
}

void TrayPhotographer::finish() {
  if (pending_.empty()) return;
  platform::save_screen(directory_ + "\\" + pending_ + ".bmp");
  pending_.clear();
}

std::string TrayPhotographer::photograph_statistics() {
  finish();
  HWND tray = tray_window();
  if (directory_.empty() || !tray) return {};
  HWND sheet = open_statistics_sheet(tray);
  if (!sheet) return "the statistics sheet did not open";
  PropSheet_SetCurSel(sheet, nullptr, kDayPage);
  Sleep(kPictureDelayMs / 3);
  platform::save_screen(directory_ + "\\" + picture_name(++taken_, "-statistics today") + ".bmp");
  PropSheet_SetCurSel(sheet, nullptr, kDetailsPage);
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  HWND update = GetDlgItem(page, kDetailsUpdate);
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(kDetailsUpdate, BN_CLICKED), reinterpret_cast<LPARAM>(update));
  const bool answered = wait_for([&] { return !IsWindowEnabled(update); }, 20) &&
                        wait_for([&] { return IsWindowEnabled(update) != FALSE; }, 50);
  platform::save_screen(directory_ + "\\" + picture_name(++taken_, "-statistics today's samples") + ".bmp");
  PropSheet_PressButton(sheet, PSBTN_CANCEL);
  wait_for([&] { return !IsWindow(sheet); }, 50);
  return answered ? "the statistics sheet shows today; its \"Обновить\" got the service's flush answer"
                  : "the statistics sheet shows today; its \"Обновить\" got no answer";
}

}  // namespace demo
