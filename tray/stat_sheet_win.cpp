#include "tray/stat_sheet_win.h"

#include <commctrl.h>

#include <vector>

#include "statsheet/statsheet_ids.h"
#include "statsheet/user_locale_win.h"
#include "stats/stat_config_win.h"
#include "stats/stat_files_win.h"
#include "tray/stat_pages_win.h"

namespace tray {

statsheet::CalendarDate local_today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void run_statistics_sheet(HWND owner, const StatSheetServices& services) {
  stats::Win32StatFiles files;
  stats::stat_reader reader(files, [] { return stats::load_stat_config_from_registry(); });
  if (!reader.load_path()) return;
  StatSheetState state{reader, services, local_today(), statsheet::user_decimal_point()};
  std::unique_ptr<SheetPage> pages[] = {make_year_page(state), make_month_page(state), make_day_page(state),
                                        make_details_page(state)};
  std::vector<PROPSHEETPAGEW> sheet_pages;
  for (auto& page : pages) sheet_pages.push_back(page->sheet_page());
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
  header.hwndParent = owner;
  header.pszCaption = L"" STATISTICS_SHEET_TITLE;
  header.nPages = static_cast<UINT>(sheet_pages.size());
  header.ppsp = sheet_pages.data();
  PropertySheetW(&header);
  if (services.flush_waiter) services.flush_waiter(nullptr);
}

}  // namespace tray
