// The month calendar's behaviour, apart from its window: which month it shows, what is selected,
// how the mouse moves both, the arrows' repeat and what each of these asks the window to do
// (notify the parent, ask for the day state, open the month list, run or stop the repeat timer).
// The window procedure feeds it hit parts (calendar_layout.h) and carries out the reactions.
//
// One model per calendar window, used on that window's thread only.
// Invariants: the displayed month is always a valid month; anchor and end are valid dates, equal
// unless range selection (kCalendarRange) is on; the day-state mask belongs to the displayed
// month and is 0 after every change of month until the parent answers again.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "statsheet/calendar_date.h"

namespace statsheet {

// Notification codes the calendar sends its parent in the common notification header.
inline constexpr int CMN_SELCHANGE = -751;
inline constexpr int CMN_GETDAYSTATE = -752;
inline constexpr int CMN_DRAWDAY = -753;

// The low four bits of the window style.
inline constexpr unsigned kCalendarFrame = 1;           // 4-pixel 3-D frame
inline constexpr unsigned kCalendarNeighbourDays = 2;   // greyed days of the months around, clickable
inline constexpr unsigned kCalendarMarkToday = 4;       // today framed in dark red
inline constexpr unsigned kCalendarRange = 8;           // a range is selected by dragging
inline constexpr unsigned kCalendarStyleMask = 15;

// Months moved by one arrow click.
inline constexpr int kCalendarScrollStep = 1;

// The arrows' auto-repeat while the button is held, from the keyboard settings (0..3 delay,
// 0..31 speed); a setting that cannot be read gives 250 ms for its interval.
struct ArrowRepeat {
  int first_ms = 250;  // after the press
  int every_ms = 250;  // then
};
ArrowRepeat arrow_repeat(std::optional<int> keyboard_delay, std::optional<int> keyboard_speed);

// What a point of the calendar is (calendar_layout.h finds it).
struct CalendarHit {
  enum class Part { nothing, previous_arrow, next_arrow, title, day };
  Part part = Part::nothing;
  int cell = -1;  // day: 0..41, row by row
  bool operator==(const CalendarHit&) const = default;
};

// What the window must do after an input, in this order: capture or release the mouse, stop or
// (re)start the repeat timer, send CMN_GETDAYSTATE, send CMN_SELCHANGE, open the month list,
// measure again, repaint.
struct CalendarReaction {
  bool capture = false;
  bool release_capture = false;
  bool stop_timer = false;
  int start_timer_ms = 0;  // > 0: run the repeat timer with this period
  bool get_day_state = false;
  bool selection_changed = false;
  bool open_month_list = false;
  bool relayout = false;
  bool redraw = false;
};

// One day cell as the painting needs it.
struct CalendarCell {
  GridDay day;
  bool shown = false;     // drawn and clickable
  bool selected = false;
  bool flagged = false;   // day-state bit set: drawn in the flagged-day font
  bool today = false;     // framed (kCalendarMarkToday, today in the displayed month)
};
using CalendarCells = std::array<CalendarCell, kGridCells>;

class CalendarModel {
 public:
  // Takes the style bits, selects today and shows its month (January 1970 stays when `today`
  // is not a valid date).
  CalendarReaction create(unsigned window_style, const CalendarDate& today);
  // As at creation; clearing kCalendarRange collapses a range to its anchor.
  CalendarReaction set_style(unsigned window_style);
  // Selects that single day and shows its month, without CMN_SELCHANGE; an impossible date is
  // refused (false, nothing changes).
  bool set_selected_date(const CalendarDate& date, CalendarReaction& reaction);
  // Shows another month (the month list's choice); nothing for an invalid month.
  CalendarReaction show_month(const YearMonth& month);
  // The parent's answer to CMN_GETDAYSTATE for the displayed month; bit d is day d.
  void set_day_state(std::uint32_t mask) { day_state_ = mask; }
  void set_arrow_repeat(const ArrowRepeat& repeat) { repeat_ = repeat; }

  CalendarReaction button_down(const CalendarHit& hit, bool shift);
  CalendarReaction mouse_move(const CalendarHit& hit);
  // Button released or capture lost: tracking ends either way.
  CalendarReaction button_up();
  CalendarReaction repeat_timer();

  unsigned style() const { return style_; }
  YearMonth displayed() const { return displayed_; }
  std::uint32_t day_state() const { return day_state_; }
  CalendarDate anchor() const { return anchor_; }
  CalendarDate end() const { return end_; }
  CalendarDate selection_start() const { return anchor_ < end_ ? anchor_ : end_; }
  CalendarDate selection_end() const { return anchor_ < end_ ? end_ : anchor_; }
  CalendarCells cells(const CalendarDate& today) const;

 private:
  enum class Tracking { none, previous_arrow, next_arrow, days };

  bool has(unsigned bit) const { return (style_ & bit) != 0; }
  bool move_to(const YearMonth& month, CalendarReaction& reaction);
  void scroll(int direction, CalendarReaction& reaction);
  void select(const CalendarDate& date, bool keep_anchor, CalendarReaction& reaction);
  std::optional<GridDay> clickable_day(const CalendarHit& hit) const;

  unsigned style_ = kCalendarStyleMask;
  YearMonth displayed_{1970, 1};
  CalendarDate anchor_{1970, 1, 1};
  CalendarDate end_{1970, 1, 1};
  std::uint32_t day_state_ = 0;
  ArrowRepeat repeat_;
  Tracking tracking_ = Tracking::none;
  bool on_tracked_arrow_ = false;
  bool repeating_ = false;  // past the first repeat interval
};

}  // namespace statsheet
