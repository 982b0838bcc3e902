#include "statsheet/stat_sheet_win.h"

#include <vector>

#include "platform/side_effects.h"
#include "statsheet/statsheet_ids.h"
#include "statsheet/user_locale_win.h"
#include "stats/stat_config_win.h"
#include "stats/stat_files_win.h"
#include "statsheet/stat_pages_win.h"

namespace statsheet {

statsheet::CalendarDate local_today() {
  const platform::LocalTime now = platform::side_effects().local_time();
  return {now.year, now.month, now.day};
}

void run_statistics_sheet(HWND owner, const StatSheetServices& services) {
  stats::Win32StatFiles files;
  stats::stat_reader reader(files, [] { return stats::load_stat_config_from_registry(); });
  if (!reader.load_path()) return;
  StatSheetState state{reader, services, local_today(), statsheet::user_decimal_point()};
  std::vector<std::unique_ptr<tray::SheetPage>> pages;
  for (auto make : {make_year_page, make_month_page, make_day_page, make_details_page}) pages.push_back(make(state));
  tray::run_modal_sheet(owner, L"" STATISTICS_SHEET_TITLE, pages);
  if (services.flush_waiter) services.flush_waiter(nullptr);
}

}  // namespace statsheet
