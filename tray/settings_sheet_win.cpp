#include "tray/settings_sheet_win.h"

#include <commctrl.h>

#include <vector>

#include "settings/settings_ids.h"
#include "tray/settings_pages_win.h"

namespace tray {

void run_settings_sheet(HWND owner, const SheetServices& services) {
  std::vector<std::unique_ptr<SettingsPage>> pages = make_settings_pages(services);
  std::vector<PROPSHEETPAGEW> sheet_pages;
  for (auto& page : pages) sheet_pages.push_back(page->sheet_page());
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
  header.hwndParent = owner;
  header.pszCaption = L"" SETTINGS_SHEET_TITLE;
  header.nPages = static_cast<UINT>(sheet_pages.size());
  header.ppsp = sheet_pages.data();
  PropertySheetW(&header);
}

}  // namespace tray
