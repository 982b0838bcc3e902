// Conversions between the system's UTF-16 and our UTF-8 (or a code page's) byte strings.
// Malformed input becomes U+FFFD (or '?'), never a failure.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

inline std::wstring to_wide(std::string_view text, UINT code_page = CP_UTF8) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

inline std::string to_code_page(std::wstring_view wide, UINT code_page) {
  if (wide.empty()) return {};
  const int length =
      WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

inline std::string to_utf8(std::wstring_view wide) { return to_code_page(wide, CP_UTF8); }

// Between UTF-8 and the system's code page, in which the A functions read file paths.
inline std::string code_page_to_utf8(std::string_view text) { return to_utf8(to_wide(text, CP_ACP)); }
inline std::string utf8_to_code_page(std::string_view text) { return to_code_page(to_wide(text), CP_ACP); }

}  // namespace platform
