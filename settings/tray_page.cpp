#include "settings/tray_page.h"

#include "core/config_value_names.h"
#include "settings/page_values.h"
#include "settings/settings_ids.h"
#include "tray/status_text.h"

namespace settings {
namespace {

using namespace detail;

struct IconPath {
  int id;
  const char* name;
};
constexpr IconPath kIconPaths[] = {
    {IDC_TRAY_ONLINE_PATH, "ICO_ONLINE"},
    {IDC_TRAY_AVR_PATH, "ICO_AVR"},
    {IDC_TRAY_BAT_PATH, "ICO_BAT"},
    {IDC_TRAY_NOUPS_PATH, "ICO_NOUPS"},
};
constexpr char kAltTrayInfo[] = "AltTrayInfo";
// The tray reads the icon paths into this many bytes; a longer value would read as no icon.
constexpr std::size_t kIconPathBytes = 512;

}  // namespace

PageForm load_tray_page(core::ConfigStore& store) {
  PageForm form;
  for (const IconPath& path : kIconPaths) form[path.id] = string_text(store, path.name, kIconPathBytes);
  form[IDC_TRAY_TEMPERATURE] = check_text(store, core::config_value::kTrayTempInfo);
  form[IDC_TRAY_NOTIFIER] = check_text(store, kAltTrayInfo);
  return form;
}

bool save_tray_page(const PageForm& form, core::ConfigStore& store) {
  bool all_written = true;
  for (const IconPath& path : kIconPaths) {
    // The field's limit in characters, and what the tray can read back in bytes.
    const std::string text =
        cut_to_bytes(tray::cut_to_utf16_units(field(form, path.id), kIconPathChars), kIconPathBytes - 1);
    const bool written = text.empty() ? store.delete_value(path.name) : store.write_string(path.name, text.c_str());
    all_written = all_written && written;
  }
  const bool temperature = write_check(store, core::config_value::kTrayTempInfo, form, IDC_TRAY_TEMPERATURE);
  const bool notifier = write_check(store, kAltTrayInfo, form, IDC_TRAY_NOTIFIER);
  return all_written && temperature && notifier;
}

}  // namespace settings
