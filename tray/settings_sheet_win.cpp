#include "tray/settings_sheet_win.h"

#include "settings/settings_ids.h"
#include "tray/settings_pages_win.h"

namespace tray {

void run_settings_sheet(HWND owner, const SheetServices& services) {
  run_modal_sheet(owner, L"" SETTINGS_SHEET_TITLE, make_settings_pages(services));
}

}  // namespace tray
