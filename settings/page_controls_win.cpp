#include "settings/page_controls_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "platform/wide_text_win.h"
#include "settings/settings_ids.h"

namespace settings {
namespace {

enum class ControlKind { check, text, combo, time, other };

ControlKind kind_of(HWND control) {
  wchar_t name[32] = L"";
  GetClassNameW(control, name, 32);
  if (!lstrcmpiW(name, L"Button")) return ControlKind::check;
  if (!lstrcmpiW(name, L"Edit") || !lstrcmpiW(name, L"Static")) return ControlKind::text;
  if (!lstrcmpiW(name, L"ComboBox")) return ControlKind::combo;
  if (!lstrcmpiW(name, L"SysDateTimePick32")) return ControlKind::time;
  return ControlKind::other;
}

// Multi-line edits want Windows line ends.
std::wstring with_crlf(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

void set_time(HWND control, const std::string& hour_minute) {
  int hour = 0, minute = 0;
  if (std::sscanf(hour_minute.c_str(), "%d:%d", &hour, &minute) != 2) hour = minute = 0;
  SYSTEMTIME time;
  GetLocalTime(&time);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = time.wMilliseconds = 0;
  SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

std::string time_of(HWND control) {
  SYSTEMTIME time{};
  if (SendMessageW(control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return "0:0";
  return std::to_string(time.wHour) + ":" + std::to_string(time.wMinute);
}

}  // namespace

std::string control_text(HWND page, int control) {
  HWND window = GetDlgItem(page, control);
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  std::wstring without_cr;
  for (wchar_t c : text)
    if (c != L'\r') without_cr += c;
  return platform::to_utf8(without_cr);
}

void form_to_controls(HWND page, const PageForm& form) {
  for (const auto& [id, value] : form) {
    HWND control = GetDlgItem(page, id);
    switch (kind_of(control)) {
      case ControlKind::check:
        CheckDlgButton(page, id, value == "1" ? BST_CHECKED : BST_UNCHECKED);
        break;
      case ControlKind::text:
        SetWindowTextW(control, with_crlf(platform::to_wide(value)).c_str());
        break;
      case ControlKind::combo:
        SendMessageW(control, CB_SETCURSEL, value.empty() ? static_cast<WPARAM>(-1) : std::strtoul(value.c_str(), nullptr, 10), 0);
        break;
      case ControlKind::time:
        set_time(control, value);
        break;
      case ControlKind::other:
        break;
    }
  }
}

PageForm controls_to_form(HWND page, const std::vector<int>& controls) {
  PageForm form;
  for (int id : controls) {
    HWND control = GetDlgItem(page, id);
    switch (kind_of(control)) {
      case ControlKind::check:
        form[id] = IsDlgButtonChecked(page, id) == BST_CHECKED ? "1" : "0";
        break;
      case ControlKind::text:
        form[id] = control_text(page, id);
        break;
      case ControlKind::combo: {
        const LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
        form[id] = index == CB_ERR ? "" : std::to_string(index);
        break;
      }
      case ControlKind::time:
        form[id] = time_of(control);
        break;
      case ControlKind::other:
        break;
    }
  }
  return form;
}

void fill_combo(HWND page, int control, const std::vector<const char*>& items) {
  HWND combo = GetDlgItem(page, control);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const char* item : items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::to_wide(item).c_str()));
}

void set_up_down_ranges(HWND page, const std::vector<UpDownRange>& ranges) {
  for (const UpDownRange& range : ranges)
    SendDlgItemMessageW(page, range.edit + IDC_UPDOWN_OFFSET, UDM_SETRANGE32, static_cast<WPARAM>(range.low),
                        static_cast<LPARAM>(range.high));
}

}  // namespace settings
