// The statistics sheet's four pages and what they share: the archive's reader, the tray's
// services, the selected date, which each page narrows further, and the decimal separator of
// their numbers. GUI thread.
#pragma once

#include <memory>

#include "statsheet/calendar_date.h"
#include "stats/stat_reader.h"
#include "tray/sheet_page_win.h"
#include "statsheet/stat_sheet_win.h"

namespace statsheet {

struct StatSheetState {
  stats::stat_reader& reader;
  const StatSheetServices& services;
  statsheet::CalendarDate selected;  // today when the sheet opens; parts may be 0 (nothing chosen)
  char point;                        // the user's decimal separator
};

// Today's local date.
statsheet::CalendarDate local_today();

std::unique_ptr<tray::SheetPage> make_year_page(StatSheetState& state);
std::unique_ptr<tray::SheetPage> make_month_page(StatSheetState& state);
std::unique_ptr<tray::SheetPage> make_day_page(StatSheetState& state);
std::unique_ptr<tray::SheetPage> make_details_page(StatSheetState& state);

}  // namespace statsheet
