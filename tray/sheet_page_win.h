// The base of every property-sheet page of the tray: one dialog procedure that routes the page's
// messages to the object and the sheet's notifications (set active, kill active, apply). GUI
// thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

namespace tray {

class SheetPage {
 public:
  explicit SheetPage(int template_id) : template_id_(template_id) {}
  virtual ~SheetPage() = default;
  SheetPage(const SheetPage&) = delete;
  SheetPage& operator=(const SheetPage&) = delete;

  PROPSHEETPAGEW sheet_page();

 protected:
  virtual void on_init() {}
  virtual void on_command(int /*control*/, int /*code*/) {}
  // The sheet always hears success.
  virtual void on_apply() {}
  virtual void on_set_active() {}
  // Also when the page's window goes with the sheet.
  virtual void on_kill_active() {}
  virtual void on_new_data() {}
  // A control's notification; the result goes back through answer().
  virtual bool on_control_notify(const NMHDR& /*header*/) { return false; }

  // The owner is the hidden tray window: the sheet goes to the middle of the work area.
  void centre_sheet() const;
  // The page's answer to the notification being handled.
  void answer(LONG_PTR result) const { SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result); }

  HWND hwnd_ = nullptr;
  bool loading_ = false;  // control notices while the page fills itself are not the user's changes

 private:
  static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR on_notify(const NMHDR& header);
  int template_id_;
};

// Runs the pages as a modal property sheet owned by `owner`; returns when it closes.
void run_modal_sheet(HWND owner, const wchar_t* caption, const std::vector<std::unique_ptr<SheetPage>>& pages);

}  // namespace tray
