#include "tools/demo/tray_photographer_win.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace demo {
namespace {

constexpr UINT kTrayIconCallback = 0x8001;
// The shell shows a balloon about 2 s after it was asked for; the notifier is out in 0.5 s.
constexpr DWORD kPictureDelayMs = 3000;

HWND tray_window() { return FindWindowW(nullptr, L"ControlManageUPS"); }

// The whole screen as a 24-bit bottom-up BMP file.
bool save_screen(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  std::vector<BYTE> pixels(static_cast<std::size_t>(row) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;  // "BM"
  file_header.bfOffBits = sizeof file_header + sizeof header;
  file_header.bfSize = file_header.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(&file_header, sizeof file_header, 1, file) == 1 &&
                       std::fwrite(&header, sizeof header, 1, file) == 1 &&
                       std::fwrite(pixels.data(), pixels.size(), 1, file) == 1;
  return std::fclose(file) == 0 && written;
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
  save_screen(directory_ + "\\" + pending_ + ".bmp");
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
