// The base of every page of the settings sheet: one dialog procedure that routes the page's
// messages to the object, the sheet's notifications (set active, kill active, apply), control
// changes that enable "Apply", and access to the Config key. GUI thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "core/config_store.h"
#include "tray/settings_sheet_win.h"

namespace tray {

class SettingsPage {
 public:
  SettingsPage(const SheetServices& services, int template_id) : services_(services), template_id_(template_id) {}
  virtual ~SettingsPage() = default;
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;

  PROPSHEETPAGEW sheet_page();

 protected:
  virtual void on_init() {}
  virtual void on_command(int /*control*/, int /*code*/) {}
  // Saves; the sheet always hears success (a Config key that cannot be opened writes nothing).
  virtual void on_apply() {}
  virtual void on_set_active() {}
  virtual void on_kill_active() {}
  virtual void on_new_data() {}

  // Runs `use` with the Config key opened for reading and writing; nothing when it cannot be.
  static void with_config(const std::function<void(core::ConfigStore&)>& use);
  // Sends a message to the service when the pipe is connected.
  void send(const ipc::PipeMessage& message) const;
  // The sheet's "Apply" lights up.
  void changed() const;

  const SheetServices& services_;
  HWND hwnd_ = nullptr;
  bool loading_ = false;  // control notices while the page fills itself are not the user's changes

 private:
  static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR on_notify(const NMHDR& header);
  int template_id_;
};

}  // namespace tray
