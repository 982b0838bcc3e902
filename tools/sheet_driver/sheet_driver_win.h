// Drives the settings sheet of a running tray application from another process, as a user would:
// opens it (the tray's "show settings" message), switches pages, sets and reads controls by
// identifier, clicks buttons, presses Apply, OK or Cancel. For tests and the demo.
//
// Messages that carry pointers go through memory allocated in the tray's process. One thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/handles_win.h"

namespace sheet_driver {

class SheetDriver {
 public:
  // Waits for the tray application, asks it to open its settings sheet and waits until it shows;
  // none when there is no tray application or no sheet within `timeout_ms`.
  static std::optional<SheetDriver> open(DWORD timeout_ms);
  // Waits for a sheet that something else opens (an elevated start of the host, say).
  static std::optional<SheetDriver> find(DWORD timeout_ms);

  HWND sheet() const { return sheet_; }
  int page_count() const;
  bool select_page(int index) const;
  // Sets a control of the current page as a user would (a check box "1"/"0", an edit's text, a
  // combo's index, a time picker's "H:M") and lets the sheet know the page changed.
  bool set(int control, const std::wstring& value) const;
  // A control's text, or "1"/"0" for a check box, the index for a combo.
  std::wstring read(int control) const;
  bool enabled(int control) const;
  bool click(int control) const;
  bool apply() const;
  // OK or Cancel; true once the sheet has closed.
  bool close(bool ok, DWORD timeout_ms) const;

 private:
  SheetDriver(HWND sheet, platform::UniqueHandle process) : sheet_(sheet), process_(std::move(process)) {}
  HWND page() const;
  HWND control(int id) const { return GetDlgItem(page(), id); }
  bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result = nullptr) const;
  bool set_time(HWND picker, const std::wstring& hour_minute) const;

  HWND sheet_;
  platform::UniqueHandle process_;
};

}  // namespace sheet_driver
