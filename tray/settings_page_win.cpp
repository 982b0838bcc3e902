#include "tray/settings_page_win.h"

#include "core/registry_config_store_win.h"
#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "tray/tray_ids.h"

namespace tray {

PROPSHEETPAGEW SettingsPage::sheet_page() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.hInstance = platform::this_module();
  page.pszTemplate = MAKEINTRESOURCEW(template_id_);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

INT_PTR CALLBACK SettingsPage::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<SettingsPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lparam)->lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    self->loading_ = true;
    self->on_init();
    self->loading_ = false;
    return TRUE;
  }
  auto* self = reinterpret_cast<SettingsPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      self->on_command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY:
      return self->on_notify(*reinterpret_cast<const NMHDR*>(lparam));
    case kMsgNewData:
      self->on_new_data();
      return TRUE;
    case WM_DESTROY:
      self->on_kill_active();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR SettingsPage::on_notify(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      on_set_active();
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
      return TRUE;
    case PSN_KILLACTIVE:
      on_kill_active();
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, FALSE);
      return TRUE;
    case PSN_APPLY:
      on_apply();
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    case DTN_DATETIMECHANGE:
      changed();
      return TRUE;
    default:
      return FALSE;
  }
}

void SettingsPage::with_config(const std::function<void(core::ConfigStore&)>& use) {
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  if (!config) return;
  core::RegistryConfigStore store(config.get());
  use(store);
}

void SettingsPage::send(const ipc::PipeMessage& message) const {
  if (services_.pipe && services_.pipe->is_connected()) services_.pipe->write(message);
}

void SettingsPage::changed() const {
  if (!loading_) PropSheet_Changed(GetParent(hwnd_), hwnd_);
}

}  // namespace tray
