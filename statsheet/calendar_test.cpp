// The month calendar without its window: dates and the grid, selection and the mouse, the arrows'
// repeat, the layout's hit test and the month list's scrolling.
#include <gtest/gtest.h>

#include "statsheet/calendar_date.h"
#include "statsheet/calendar_layout.h"
#include "statsheet/calendar_model.h"
#include "statsheet/month_popup.h"

namespace statsheet {
namespace {

using Part = CalendarHit::Part;

TEST(CalendarDates, ImpossibleDatesAndYearsOutsideTheCalendarAreInvalid) {
  const struct {
    CalendarDate date;
    bool valid;
  } cases[] = {
      {{2024, 2, 30}, false}, {{2023, 2, 29}, false}, {{2024, 2, 29}, true},  {{1900, 2, 29}, false},
      {{2000, 2, 29}, true},  {{2024, 4, 31}, false}, {{2024, 13, 1}, false}, {{2024, 0, 1}, false},
      {{2024, 1, 0}, false},  {{99, 12, 31}, false},  {{100, 1, 1}, true},    {{9999, 12, 31}, true},
      {{10000, 1, 1}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(is_valid_date(c.date), c.valid) << c.date.year << "-" << c.date.month << "-" << c.date.day;
}

TEST(CalendarDates, WeekdaysHoldOnBothSidesOfTheDateValuesEpoch) {
  const struct {
    CalendarDate date;
    int weekday;
  } cases[] = {
      {{2024, 9, 1}, 0}, {{2024, 6, 15}, 6}, {{1970, 1, 1}, 4}, {{1899, 12, 29}, 5},
      {{1800, 1, 1}, 3}, {{100, 1, 1}, 5},   {{9999, 12, 31}, 5}, {{2024, 2, 30}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(day_of_week(c.date), c.weekday) << c.date.year << "-" << c.date.month;
}

TEST(MonthGrid, StartsOnTheSundayOnOrBeforeTheFirstAndFillsSixWeeksFromTheNeighbours) {
  const struct {
    YearMonth month;
    int first_cell;  // where day 1 stands
    CalendarDate cell0, cell41;
    int last_cell;   // where the month's last day stands
  } cases[] = {
      {{2024, 9}, 0, {2024, 9, 1}, {2024, 10, 12}, 29},  // begins on a Sunday: no leading days
      {{2024, 2}, 4, {2024, 1, 28}, {2024, 3, 9}, 32},   // leap February
      {{2023, 2}, 3, {2023, 1, 29}, {2023, 3, 11}, 30},
      {{2024, 12}, 0, {2024, 12, 1}, {2025, 1, 11}, 30}, // across the year
      {{2025, 1}, 3, {2024, 12, 29}, {2025, 2, 8}, 33},
  };
  for (const auto& c : cases) {
    const MonthGrid grid = month_grid(c.month);
    EXPECT_EQ(grid[c.first_cell].date, (CalendarDate{c.month.year, c.month.month, 1})) << c.month.month;
    EXPECT_EQ(grid[0].date, c.cell0) << c.month.month;
    EXPECT_EQ(grid[41].date, c.cell41) << c.month.month;
    for (int i = 0; i < kGridCells; ++i) {
      EXPECT_TRUE(grid[i].valid);
      EXPECT_EQ(grid[i].in_month, i >= c.first_cell && i <= c.last_cell) << c.month.month << " cell " << i;
    }
  }
}

TEST(MonthGrid, DaysBeyondTheCalendarsFirstAndLastDayAreInvalid) {
  const MonthGrid first = month_grid({100, 1});  // 1 January 100 is a Friday
  EXPECT_FALSE(first[4].valid);
  EXPECT_EQ(first[5].date, (CalendarDate{100, 1, 1}));
  const MonthGrid last = month_grid({9999, 12});  // 31 December 9999 is a Friday, cell 33
  EXPECT_TRUE(last[33].valid);
  EXPECT_FALSE(last[34].valid);
  EXPECT_FALSE(month_grid({2024, 13})[20].valid);
}

TEST(ArrowRepeat, FollowsTheKeyboardSettingsAndKeepsThemInTheirRanges) {
  const struct {
    std::optional<int> delay, speed;
    int first_ms, every_ms;
  } cases[] = {
      {0, 0, 250, 400}, {3, 31, 1000, 55}, {1, 15, 500, 100}, {std::nullopt, std::nullopt, 250, 250},
      {-5, -5, 250, 400},  // a speed of -5 would divide by zero
      {1 << 30, 1 << 30, 1000, 55},
  };
  for (const auto& c : cases) {
    const ArrowRepeat r = arrow_repeat(c.delay, c.speed);
    EXPECT_EQ(r.first_ms, c.first_ms);
    EXPECT_EQ(r.every_ms, c.every_ms);
  }
}

constexpr CalendarDate kToday{2024, 6, 15};

// Cell index of a date in the displayed month's grid (-1 when it is not there).
int cell_of(const CalendarModel& calendar, const CalendarDate& date) {
  const MonthGrid grid = month_grid(calendar.displayed());
  for (int i = 0; i < kGridCells; ++i)
    if (grid[i].valid && grid[i].date == date) return i;
  return -1;
}

CalendarHit day_hit(const CalendarModel& calendar, const CalendarDate& date) {
  return {Part::day, cell_of(calendar, date)};
}

class Calendar : public ::testing::Test {
 protected:
  CalendarReaction create(unsigned style) { return calendar.create(0x50000000u | style, kToday); }
  CalendarModel calendar;
};

TEST_F(Calendar, CreationSelectsTodayShowsItsMonthAndAsksForTheDayState) {
  const CalendarReaction r = create(kCalendarNeighbourDays | kCalendarMarkToday);
  EXPECT_EQ(calendar.style(), kCalendarNeighbourDays | kCalendarMarkToday);
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 6}));
  EXPECT_EQ(calendar.selection_start(), kToday);
  EXPECT_TRUE(r.get_day_state && r.relayout && r.redraw);
  EXPECT_FALSE(r.selection_changed);

  CalendarModel unset;
  unset.create(kCalendarNeighbourDays, {2024, 2, 30});
  EXPECT_EQ(unset.displayed(), (YearMonth{1970, 1})) << "an impossible today leaves the initial month";
}

TEST_F(Calendar, SettingTheDateRefusesImpossibleDatesAndNeverNotifies) {
  create(kCalendarNeighbourDays);
  CalendarReaction r;
  EXPECT_FALSE(calendar.set_selected_date({2024, 2, 30}, r));
  EXPECT_EQ(calendar.selection_start(), kToday);
  EXPECT_FALSE(r.get_day_state || r.redraw);

  ASSERT_TRUE(calendar.set_selected_date({2023, 12, 31}, r));
  EXPECT_EQ(calendar.displayed(), (YearMonth{2023, 12}));
  EXPECT_TRUE(r.get_day_state);
  EXPECT_FALSE(r.selection_changed);
}

TEST_F(Calendar, ANeighbouringMonthsDayIsClickableOnlyWhenShownAndMovesTheView) {
  create(kCalendarNeighbourDays);
  const CalendarHit july_2nd = day_hit(calendar, {2024, 7, 2});
  ASSERT_GE(july_2nd.cell, 0);
  CalendarReaction r = calendar.button_down(july_2nd, false);
  EXPECT_TRUE(r.selection_changed && r.get_day_state && r.capture);
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 7}));
  EXPECT_EQ(calendar.selection_start(), (CalendarDate{2024, 7, 2}));
  calendar.button_up();

  CalendarModel plain;
  plain.create(kCalendarMarkToday, kToday);
  r = plain.button_down(july_2nd, false);
  EXPECT_FALSE(r.selection_changed || r.capture);
  EXPECT_EQ(plain.displayed(), (YearMonth{2024, 6}));
  EXPECT_FALSE(plain.cells(kToday)[july_2nd.cell].shown);
}

TEST_F(Calendar, DraggingMovesASingleDayOrExtendsARangeFromItsAnchor) {
  for (const bool range : {false, true}) {
    create(kCalendarNeighbourDays | (range ? kCalendarRange : 0));
    calendar.button_down(day_hit(calendar, {2024, 6, 10}), false);
    int notifications = 0;
    for (int day : {11, 11, 12})
      notifications += calendar.mouse_move(day_hit(calendar, {2024, 6, day})).selection_changed;
    EXPECT_EQ(notifications, 2) << "one for each new day";
    EXPECT_FALSE(calendar.mouse_move(day_hit(calendar, {2024, 7, 1})).selection_changed)
        << "other months' days are not taken while dragging";
    EXPECT_TRUE(calendar.button_up().release_capture);
    EXPECT_EQ(calendar.selection_start(), (CalendarDate{2024, 6, range ? 10 : 12}));
    EXPECT_EQ(calendar.selection_end(), (CalendarDate{2024, 6, 12}));
    EXPECT_FALSE(calendar.mouse_move(day_hit(calendar, {2024, 6, 20})).selection_changed) << "tracking ended";
  }
}

TEST_F(Calendar, ShiftKeepsTheAnchorOfARangeBackwardsTooAndClearingRangeCollapsesIt) {
  create(kCalendarRange);
  calendar.button_down(day_hit(calendar, {2024, 6, 20}), false);
  calendar.button_up();
  calendar.button_down(day_hit(calendar, {2024, 6, 5}), true);
  calendar.button_up();
  EXPECT_EQ(calendar.selection_start(), (CalendarDate{2024, 6, 5}));
  EXPECT_EQ(calendar.selection_end(), (CalendarDate{2024, 6, 20}));
  const CalendarCells cells = calendar.cells(kToday);
  EXPECT_TRUE(cells[cell_of(calendar, {2024, 6, 12})].selected);
  EXPECT_FALSE(cells[cell_of(calendar, {2024, 6, 21})].selected);

  calendar.set_style(0);
  EXPECT_EQ(calendar.selection_start(), (CalendarDate{2024, 6, 20}));
  EXPECT_EQ(calendar.selection_end(), (CalendarDate{2024, 6, 20}));

  CalendarModel single;
  single.create(kCalendarNeighbourDays, kToday);
  single.button_down(day_hit(single, {2024, 6, 5}), true);
  EXPECT_EQ(single.selection_start(), single.selection_end()) << "without range selection shift changes nothing";
}

TEST_F(Calendar, HoldingAnArrowRepeatsAtTheKeyboardRateOnlyWhileOnTheArrow) {
  create(0);
  calendar.set_arrow_repeat({500, 100});
  CalendarReaction r = calendar.button_down({Part::next_arrow}, false);
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 7}));
  EXPECT_TRUE(r.capture && r.get_day_state);
  EXPECT_EQ(r.start_timer_ms, 500);

  r = calendar.repeat_timer();
  EXPECT_EQ(r.start_timer_ms, 100) << "after the delay, the repeat rate";
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 8}));
  EXPECT_EQ(calendar.repeat_timer().start_timer_ms, 0) << "the period is set once";
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 9}));

  calendar.mouse_move({Part::title});
  EXPECT_FALSE(calendar.repeat_timer().get_day_state);
  calendar.mouse_move({Part::next_arrow});
  calendar.repeat_timer();
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 10}));

  r = calendar.button_up();
  EXPECT_TRUE(r.stop_timer && r.release_capture);
  calendar.repeat_timer();  // a tick already queued
  EXPECT_EQ(calendar.displayed(), (YearMonth{2024, 10}));
}

TEST_F(Calendar, ArrowsStopAtTheCalendarsEndsAndTheTitleOpensTheMonthList) {
  create(0);
  CalendarReaction r;
  calendar.set_selected_date({9999, 12, 1}, r);
  EXPECT_FALSE(calendar.button_down({Part::next_arrow}, false).get_day_state);
  EXPECT_EQ(calendar.displayed(), (YearMonth{9999, 12}));
  calendar.button_up();
  calendar.set_selected_date({100, 1, 1}, r);
  EXPECT_FALSE(calendar.button_down({Part::previous_arrow}, false).get_day_state);
  calendar.button_up();
  EXPECT_TRUE(calendar.button_down({Part::title}, false).open_month_list);
}

TEST_F(Calendar, CellsCarryTheDayStateOfTheShownMonthAndTodayOnlyWithItsStyle) {
  create(kCalendarNeighbourDays | kCalendarMarkToday);
  calendar.set_day_state(1u << 1 | 1u << 15 | 1u << 31);
  CalendarCells cells = calendar.cells(kToday);
  EXPECT_TRUE(cells[cell_of(calendar, {2024, 6, 1})].flagged);
  EXPECT_TRUE(cells[cell_of(calendar, {2024, 6, 15})].flagged);
  EXPECT_FALSE(cells[cell_of(calendar, {2024, 5, 31})].flagged) << "bit 31 is June's 31st, which has none";
  EXPECT_TRUE(cells[cell_of(calendar, kToday)].today);

  calendar.show_month({2024, 5});
  EXPECT_EQ(calendar.day_state(), 0u) << "a new month waits for its own answer";
  const CalendarDate june_3rd{2024, 6, 3};
  EXPECT_FALSE(calendar.cells(june_3rd)[cell_of(calendar, june_3rd)].today) << "today among the trailing days";

  calendar.set_style(kCalendarNeighbourDays);
  calendar.show_month({2024, 6});
  EXPECT_FALSE(calendar.cells(kToday)[cell_of(calendar, kToday)].today);
}

CalendarMetrics metrics() {
  CalendarMetrics m;
  m.day_width = 16;
  m.day_height = 14;
  m.weekday_height = 13;
  m.title_width = 120;
  m.title_text_height = 16;
  return m;
}

TEST(CalendarLayout, SizesFollowTheCellsTitleAndFrame) {
  const CalendarLayout plain(metrics(), false);
  EXPECT_EQ(plain.width(), (16 + 40) * 7 + 40 + 20);
  EXPECT_EQ(plain.height(), 22 + 6 * 54 + 13 + 4);
  const CalendarLayout framed(metrics(), true);
  EXPECT_EQ(framed.width(), plain.width() + 8);
  EXPECT_EQ(framed.height(), plain.height() + 8);
  CalendarMetrics long_title = metrics();
  long_title.title_width = 500;
  EXPECT_EQ(CalendarLayout(long_title, false).width(), 530);
}

TEST(CalendarLayout, EveryPointHitsThePartItIsDrawnIn) {
  for (const bool frame : {false, true}) {
    const CalendarLayout layout(metrics(), frame);
    for (int cell = 0; cell < kGridCells; ++cell) {
      const PixelRect r = layout.day_cell(cell);
      for (const PixelPoint p : {PixelPoint{r.left, r.top}, PixelPoint{r.right - 1, r.bottom - 1}})
        EXPECT_EQ(layout.hit(p.x, p.y), (CalendarHit{Part::day, cell})) << "cell " << cell;
    }
    const PixelRect title = layout.title();
    const int middle_y = title.top + title.height() / 2;
    EXPECT_EQ(layout.hit(layout.previous_arrow()[0].x, middle_y).part, Part::previous_arrow);
    EXPECT_EQ(layout.hit(layout.next_arrow()[0].x, middle_y).part, Part::next_arrow);
    EXPECT_EQ(layout.hit(title.left + title.width() / 2, middle_y).part, Part::title);
    EXPECT_EQ(layout.hit(layout.weekday_cell(3).left, layout.weekday_cell(3).top).part, Part::nothing);
    EXPECT_EQ(layout.hit(layout.width() - 1, layout.height() - 1).part, Part::nothing);
  }
}

TEST(MonthList, StartsThreeMonthsBeforeAndHighlightsTheRowUnderThePointer) {
  MonthListModel list({2024, 2}, 20);
  EXPECT_EQ(list.row_month(0), (YearMonth{2023, 11}));
  EXPECT_EQ(list.row_month(6), (YearMonth{2024, 5}));
  EXPECT_FALSE(list.chosen()) << "nothing highlighted yet";
  EXPECT_TRUE(list.track(45, 0));
  EXPECT_EQ(list.chosen(), (YearMonth{2024, 1}));
  EXPECT_FALSE(list.track(59, 10)) << "same row";
}

TEST(MonthList, ScrollsOneMonthNearTheListAndTwoFurtherAtTheirRates) {
  const struct {
    int y;           // rows are 20 pixels, the list 140
    int months;      // per scroll
    int scrolls;     // in a second of 100 ms ticks: every 400 or every 200 ms
  } cases[] = {{140, 1, 3}, {153, 1, 3}, {154, 2, 5}, {159, 2, 5}, {-1, -1, 3}, {-14, -1, 3}, {-15, -2, 5}};
  for (const auto& c : cases) {
    MonthListModel list({2024, 6}, 20);
    int scrolls = 0;
    for (std::uint32_t now = 1000; now < 2000; now += kMonthListTimerMs) {
      const YearMonth before = list.row_month(0);
      list.track(c.y, now);
      if (list.row_month(0) != before) {
        ++scrolls;
        EXPECT_EQ(list.row_month(0), *add_months(before, c.months)) << c.y;
      }
    }
    EXPECT_EQ(scrolls, c.scrolls) << c.y;
    EXPECT_EQ(*list.highlighted(), c.y < 0 ? 0 : kMonthListRows - 1);
  }
}

TEST(MonthList, KeepsAllRowsWithinTheCalendar) {
  MonthListModel first({100, 2}, 20);
  EXPECT_EQ(first.row_month(0), (YearMonth{100, 1}));
  first.track(-50, 0);
  EXPECT_EQ(first.row_month(0), (YearMonth{100, 1}));
  MonthListModel last({9999, 11}, 20);
  EXPECT_EQ(last.row_month(6), (YearMonth{9999, 12}));
  last.track(500, 0);
  EXPECT_EQ(last.row_month(6), (YearMonth{9999, 12}));
  EXPECT_EQ(last.chosen(), (YearMonth{9999, 12}));
}

}  // namespace
}  // namespace statsheet
