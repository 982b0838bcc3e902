#include "tray/icon_set_win.h"

#include <shellapi.h>

#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "tray/tray_resource_ids.h"

namespace tray {
namespace {

struct IconSource {
  TrayIcon state;
  const char* value_name;
  int resource;
};
constexpr IconSource kSources[] = {
    {TrayIcon::no_link, "ICO_NOUPS", IDI_TRAY_NO_LINK},
    {TrayIcon::on_battery, "ICO_BAT", IDI_TRAY_ON_BATTERY},
    {TrayIcon::mains, "ICO_ONLINE", IDI_TRAY_MAINS},
    {TrayIcon::avr, "ICO_AVR", IDI_TRAY_AVR},
};
constexpr std::size_t kPathBytes = 512;

// The first icon of the file, at the notification area's size.
HICON icon_from_file(const char* path) {
  HICON small_icon = nullptr;
  if (ExtractIconExA(path, 0, nullptr, &small_icon, 1) == 0) return nullptr;
  return small_icon;
}

HICON built_in_icon(int resource) {
  return static_cast<HICON>(LoadImageW(platform::this_module(), MAKEINTRESOURCEW(resource), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

}  // namespace

void IconSet::load() {
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath, KEY_READ);
  for (const IconSource& source : kSources) {
    char path[kPathBytes];
    HICON icon = nullptr;
    if (config && platform::read_string_value(config.get(), source.value_name, path, sizeof path) && path[0])
      icon = icon_from_file(path);
    icons_[static_cast<int>(source.state)].reset(icon ? icon : built_in_icon(source.resource));
  }
}

HICON IconSet::icon(TrayIcon which) const { return icons_[static_cast<int>(which)].get(); }

}  // namespace tray
