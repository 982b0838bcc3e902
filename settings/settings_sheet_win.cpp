#include "settings/settings_sheet_win.h"

#include "settings/settings_ids.h"
#include "settings/settings_pages_win.h"

namespace settings {

void run_settings_sheet(HWND owner, const SheetServices& services) {
  tray::run_modal_sheet(owner, L"" SETTINGS_SHEET_TITLE, make_settings_pages(services));
}

}  // namespace settings
