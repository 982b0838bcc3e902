// A copy of part of the screen (the calling thread's desktop) as pixels, and a whole screen saved
// as a BMP file: what tests check on the pixels and the demo's pictures.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The pixels of `area` in screen coordinates, row by row from the top, each 0x00RRGGBB.
struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned> pixels;
  unsigned at(int x, int y) const {
    const unsigned bgr = pixels[static_cast<std::size_t>(y) * width + x];
    return bgr & 0xFFFFFF;  // GDI's 32-bit pixels are 0x00RRGGBB in memory order B, G, R
  }
};

inline ScreenPixels capture_screen(const RECT& area) {
  ScreenPixels copy;
  copy.width = area.right - area.left;
  copy.height = area.bottom - area.top;
  if (copy.width <= 0 || copy.height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, copy.width, copy.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, copy.width, copy.height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), copy.width, -copy.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  copy.pixels.resize(static_cast<std::size_t>(copy.width) * copy.height);
  GetDIBits(memory, bitmap, 0, copy.height, copy.pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copy;
}

// The whole screen as a 24-bit BMP file (no alpha byte that viewers might take for transparency).
inline bool save_screen(const std::string& path) {
  const RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const ScreenPixels copy = capture_screen(whole);
  const std::size_t row = (static_cast<std::size_t>(copy.width) * 3 + 3) & ~std::size_t{3};
  std::vector<unsigned char> rows(row * copy.height);
  for (int y = 0; y < copy.height; ++y) {
    unsigned char* out = &rows[row * y];
    for (int x = 0; x < copy.width; ++x, out += 3) {
      const unsigned rgb = copy.at(x, y);
      out[0] = rgb & 0xFF;
      out[1] = (rgb >> 8) & 0xFF;
      out[2] = (rgb >> 16) & 0xFF;
    }
  }
  BITMAPINFOHEADER header{sizeof header, copy.width, -copy.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;  // "BM"
  file_header.bfOffBits = sizeof file_header + sizeof header;
  file_header.bfSize = file_header.bfOffBits + static_cast<DWORD>(rows.size());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(&file_header, sizeof file_header, 1, file) == 1 &&
                       std::fwrite(&header, sizeof header, 1, file) == 1 &&
                       std::fwrite(rows.data(), rows.size(), 1, file) == 1;
  return std::fclose(file) == 0 && written;
}

}  // namespace platform
