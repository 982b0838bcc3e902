#include "statsheet/day_page.h"

#include "statsheet/sheet_texts.h"
#include "stats/stat_presentation.h"

namespace statsheet {

DayMark day_mark(const stats::StatSummary& day) {
  if (day.actions != 0) return DayMark::actions;
  if (day.failures != 0) return DayMark::failures;
  if (day.avr_engagements != 0) return DayMark::avr;
  return DayMark::none;
}

const Rgb* mark_colour(DayMark mark) {
  switch (mark) {
    case DayMark::actions: return &kActionsColour;
    case DayMark::failures: return &kFailuresColour;
    case DayMark::avr: return &kAvrColour;
    case DayMark::none: break;
  }
  return nullptr;
}

DayCellLook DayCellCache::draw(int column, int row, int year, int month, int day) {
  const CalendarDate date{year, month, day};
  if (!is_valid_date(date)) return {};
  Cell uncached;
  const bool in_grid = column >= 0 && column < kGridColumns && row >= 0 && row < kGridRows;
  Cell& cell = in_grid ? cells_[row * kGridColumns + column] : uncached;
  if (cell.date != date) {
    cell.date = date;
    cell.summary = {};
    cell.found = reader_.read_day_summary(year, month, day, cell.summary);
  }
  return look(cell);
}

DayCellLook DayCellCache::look(const Cell& cell) const {
  DayCellLook look{DayMark::none, std::to_string(cell.date.day), {}};
  if (!cell.found) return look;
  look.mark = day_mark(cell.summary);
  if (look.mark == DayMark::none) {
    look.lower = stats::format_duration(duration_seconds(cell.summary.monitored_seconds));
  } else {
    look.lower = std::to_string(cell.summary.avr_engagements) + '/' + std::to_string(cell.summary.failures) + '/' +
                 std::to_string(cell.summary.actions);
  }
  return look;
}

}  // namespace statsheet
