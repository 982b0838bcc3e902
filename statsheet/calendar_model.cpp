#include "statsheet/calendar_model.h"

#include <algorithm>

namespace statsheet {

// The keyboard settings are outside input as far as this code knows: a speed below 0 would make
// the divisor 0, a large delay would overflow, so both keep to the ranges the system documents.
ArrowRepeat arrow_repeat(std::optional<int> keyboard_delay, std::optional<int> keyboard_speed) {
  ArrowRepeat repeat;
  if (keyboard_delay) repeat.first_ms = (std::clamp(*keyboard_delay, 0, 3) + 1) * 250;
  if (keyboard_speed) repeat.every_ms = 10000 / (std::clamp(*keyboard_speed, 0, 31) * 5 + 25);
  return repeat;
}

CalendarReaction CalendarModel::create(unsigned window_style, const CalendarDate& today) {
  CalendarReaction reaction{.get_day_state = true, .relayout = true, .redraw = true};
  style_ = window_style & kCalendarStyleMask;
  day_state_ = 0;
  set_selected_date(today, reaction);
  return reaction;
}

CalendarReaction CalendarModel::set_style(unsigned window_style) {
  style_ = window_style & kCalendarStyleMask;
  if (!has(kCalendarRange)) end_ = anchor_;
  return {.relayout = true, .redraw = true};
}

bool CalendarModel::set_selected_date(const CalendarDate& date, CalendarReaction& reaction) {
  if (!is_valid_date(date)) return false;
  anchor_ = end_ = date;
  move_to({date.year, date.month}, reaction);
  reaction.redraw = true;
  return true;
}

CalendarReaction CalendarModel::show_month(const YearMonth& month) {
  CalendarReaction reaction;
  move_to(month, reaction);
  return reaction;
}

CalendarReaction CalendarModel::button_down(const CalendarHit& hit, bool shift) {
  CalendarReaction reaction;
  switch (hit.part) {
    case CalendarHit::Part::previous_arrow:
    case CalendarHit::Part::next_arrow: {
      const bool next = hit.part == CalendarHit::Part::next_arrow;
      tracking_ = next ? Tracking::next_arrow : Tracking::previous_arrow;
      on_tracked_arrow_ = true;
      repeating_ = false;
      scroll(next ? 1 : -1, reaction);
      reaction.capture = true;
      reaction.start_timer_ms = repeat_.first_ms;
      break;
    }
    case CalendarHit::Part::title:
      reaction.open_month_list = true;
      break;
    case CalendarHit::Part::day: {
      const std::optional<GridDay> day = clickable_day(hit);
      if (!day) break;
      select(day->date, shift && has(kCalendarRange), reaction);
      if (!day->in_month) move_to({day->date.year, day->date.month}, reaction);
      tracking_ = Tracking::days;
      reaction.capture = true;
      break;
    }
    case CalendarHit::Part::nothing:
      break;
  }
  return reaction;
}

// While dragging, only the shown month's days are taken: moving the view under the pointer
// would shift every cell it is dragged over.
CalendarReaction CalendarModel::mouse_move(const CalendarHit& hit) {
  CalendarReaction reaction;
  if (tracking_ == Tracking::previous_arrow || tracking_ == Tracking::next_arrow) {
    const auto arrow =
        tracking_ == Tracking::next_arrow ? CalendarHit::Part::next_arrow : CalendarHit::Part::previous_arrow;
    on_tracked_arrow_ = hit.part == arrow;
  } else if (tracking_ == Tracking::days) {
    const std::optional<GridDay> day = clickable_day(hit);
    if (day && day->in_month && day->date != end_) select(day->date, has(kCalendarRange), reaction);
  }
  return reaction;
}

CalendarReaction CalendarModel::button_up() {
  CalendarReaction reaction;
  if (tracking_ == Tracking::none) return reaction;
  reaction.release_capture = true;
  reaction.stop_timer = tracking_ != Tracking::days;
  tracking_ = Tracking::none;
  return reaction;
}

// A tick may still arrive after the timer was stopped; it changes nothing then.
CalendarReaction CalendarModel::repeat_timer() {
  CalendarReaction reaction;
  if (tracking_ != Tracking::previous_arrow && tracking_ != Tracking::next_arrow) return reaction;
  if (!repeating_) {
    repeating_ = true;
    reaction.start_timer_ms = repeat_.every_ms;
  }
  if (on_tracked_arrow_) scroll(tracking_ == Tracking::next_arrow ? 1 : -1, reaction);
  return reaction;
}

CalendarCells CalendarModel::cells(const CalendarDate& today) const {
  const MonthGrid grid = month_grid(displayed_);
  const CalendarDate first = selection_start();
  const CalendarDate last = selection_end();
  CalendarCells cells{};
  for (int i = 0; i < kGridCells; ++i) {
    CalendarCell& cell = cells[i];
    cell.day = grid[i];
    cell.shown = grid[i].valid && (grid[i].in_month || has(kCalendarNeighbourDays));
    cell.selected = cell.shown && first <= grid[i].date && grid[i].date <= last;
    cell.flagged = grid[i].in_month && (day_state_ >> grid[i].date.day & 1u) != 0;
    cell.today = grid[i].in_month && has(kCalendarMarkToday) && grid[i].date == today;
  }
  return cells;
}

bool CalendarModel::move_to(const YearMonth& month, CalendarReaction& reaction) {
  if (!is_valid_month(month) || month == displayed_) return false;
  displayed_ = month;
  day_state_ = 0;
  reaction.get_day_state = reaction.redraw = true;
  return true;
}

void CalendarModel::scroll(int direction, CalendarReaction& reaction) {
  if (const std::optional<YearMonth> month = add_months(displayed_, direction * kCalendarScrollStep))
    move_to(*month, reaction);
}

void CalendarModel::select(const CalendarDate& date, bool keep_anchor, CalendarReaction& reaction) {
  if (!keep_anchor) anchor_ = date;
  end_ = date;
  reaction.selection_changed = reaction.redraw = true;
}

std::optional<GridDay> CalendarModel::clickable_day(const CalendarHit& hit) const {
  if (hit.part != CalendarHit::Part::day || hit.cell < 0 || hit.cell >= kGridCells) return std::nullopt;
  const GridDay day = month_grid(displayed_)[hit.cell];
  if (!day.valid || (!day.in_month && !has(kCalendarNeighbourDays))) return std::nullopt;
  return day;
}

}  // namespace statsheet
