#include "tools/sheet_driver/sheet_driver_win.h"

#include <commctrl.h>

#include <cwchar>

#include "platform/remote_buffer_win.h"
#include "settings/settings_ids.h"

namespace sheet_driver {
namespace {

constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;
constexpr UINT kShowSettings = 0x047B;

HWND find_visible_sheet() {
  for (HWND window = nullptr;;) {
    window = FindWindowExW(nullptr, window, L"#32770", L"" SETTINGS_SHEET_TITLE);
    if (!window) return nullptr;
    if (IsWindowVisible(window) && SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0)) return window;
  }
}

std::wstring class_of(HWND window) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return name;
}

}  // namespace

std::optional<SheetDriver> SheetDriver::open(DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  auto timed_out = [&] { return GetTickCount() - start >= timeout_ms; };
  HWND tray = nullptr;
  for (; !(tray = FindWindowW(nullptr, L"ControlManageUPS")); Sleep(kPollMs))
    if (timed_out()) return std::nullopt;
  PostMessageW(tray, kShowSettings, 0, 0);
  const DWORD waited = GetTickCount() - start;
  return find(timeout_ms > waited ? timeout_ms - waited : 0);
}

std::optional<SheetDriver> SheetDriver::find(DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  HWND sheet = nullptr;
  for (; !(sheet = find_visible_sheet()); Sleep(kPollMs))
    if (GetTickCount() - start >= timeout_ms) return std::nullopt;
  DWORD process_id = 0;
  GetWindowThreadProcessId(sheet, &process_id);
  platform::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id));
  if (!process) return std::nullopt;
  return SheetDriver(sheet, std::move(process));
}

bool SheetDriver::send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) const {
  DWORD_PTR answer = 0;
  const bool sent = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
  if (result) *result = static_cast<LRESULT>(answer);
  return sent;
}

HWND SheetDriver::page() const {
  LRESULT page = 0;
  send(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0, &page);
  return reinterpret_cast<HWND>(page);
}

int SheetDriver::page_count() const {
  LRESULT tabs = 0, count = 0;
  send(sheet_, PSM_GETTABCONTROL, 0, 0, &tabs);
  send(reinterpret_cast<HWND>(tabs), TCM_GETITEMCOUNT, 0, 0, &count);
  return static_cast<int>(count);
}

bool SheetDriver::select_page(int index) const {
  LRESULT selected = 0;
  return send(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0, &selected) && selected;
}

bool SheetDriver::set(int id, const std::wstring& value) const {
  HWND window = control(id);
  if (!window) return false;
  const std::wstring kind = class_of(window);
  const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
  bool done = false;
  if (kind == L"Button") {
    done = send(window, BM_SETCHECK, value == L"1" ? BST_CHECKED : BST_UNCHECKED, 0) &&
           send(page(), WM_COMMAND, command, reinterpret_cast<LPARAM>(window));
  } else if (kind == L"Edit" || kind == L"Static") {
    done = send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  } else if (kind == L"ComboBox") {
    done = send(window, CB_SETCURSEL, std::wcstoul(value.c_str(), nullptr, 10), 0) &&
           send(page(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(window));
  } else if (kind == L"SysDateTimePick32") {
    done = set_time(window, value);
  }
  return done && send(sheet_, PSM_CHANGED, reinterpret_cast<WPARAM>(page()), 0);
}

bool SheetDriver::set_time(HWND picker, const std::wstring& hour_minute) const {
  SYSTEMTIME time;
  GetLocalTime(&time);
  unsigned hour = 0, minute = 0;
  if (std::swscanf(hour_minute.c_str(), L"%u:%u", &hour, &minute) != 2) return false;
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = time.wMilliseconds = 0;
  platform::RemoteBuffer remote(process_.get(), sizeof time);
  LRESULT set = 0;
  return remote.write(0, &time, sizeof time) &&
         send(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(remote.address()), &set) && set;
}

std::wstring SheetDriver::read(int id) const {
  HWND window = control(id);
  const std::wstring kind = class_of(window);
  LRESULT answer = 0;
  if (kind == L"Button" && (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
    send(window, BM_GETCHECK, 0, 0, &answer);
    return answer == BST_CHECKED ? L"1" : L"0";
  }
  if (kind == L"ComboBox") {
    send(window, CB_GETCURSEL, 0, 0, &answer);
    return std::to_wstring(answer);
  }
  wchar_t text[1024] = L"";
  send(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

bool SheetDriver::enabled(int id) const { return IsWindowEnabled(control(id)); }

bool SheetDriver::click(int id) const {
  return send(page(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(id)));
}

bool SheetDriver::apply() const {
  LRESULT applied = 0;
  return send(sheet_, PSM_APPLY, 0, 0, &applied) && applied;
}

bool SheetDriver::close(bool ok, DWORD timeout_ms) const {
  PostMessageW(sheet_, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
  for (const DWORD start = GetTickCount(); IsWindow(sheet_); Sleep(kPollMs))
    if (GetTickCount() - start >= timeout_ms) return false;
  return true;
}

}  // namespace sheet_driver
