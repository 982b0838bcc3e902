#include "settings/settings_page_win.h"

#include "core/registry_config_store_win.h"
#include "platform/registry_win.h"

namespace settings {

bool SettingsPage::on_control_notify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE) return false;
  changed();
  return true;
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

}  // namespace settings
