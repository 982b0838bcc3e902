// The base of every page of the settings sheet: control changes that enable "Apply", access to
// the Config key and to the pipe. GUI thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "core/config_store.h"
#include "settings/settings_sheet_win.h"
#include "tray/sheet_page_win.h"

namespace settings {

class SettingsPage : public tray::SheetPage {
 public:
  SettingsPage(const SheetServices& services, int template_id) : SheetPage(template_id), services_(services) {}

 protected:
  // A date picker's change lights up "Apply" like any other control's.
  bool on_control_notify(const NMHDR& header) override;

  // Runs `use` with the Config key opened for reading and writing; nothing when it cannot be.
  static void with_config(const std::function<void(core::ConfigStore&)>& use);
  // Sends a message to the service when the pipe is connected.
  void send(const ipc::PipeMessage& message) const;
  // The sheet's "Apply" lights up.
  void changed() const;

  const SheetServices& services_;
};

}  // namespace settings
