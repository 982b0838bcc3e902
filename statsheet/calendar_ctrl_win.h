// CMiniCalendarCtrl: the self-drawn month calendar of the statistics sheet's day page. One month
// as 6 weeks of 7 large cells under a title bar with two arrows and a month list, each day cell
// handed to the parent to paint (CMN_DRAWDAY), selections told to it (CMN_SELCHANGE), and the
// day state asked of it at each change of month (CMN_GETDAYSTATE). Behaviour comes from
// CalendarModel, geometry from CalendarLayout; this file measures, paints and routes input.
//
// GUI thread of its parent. Month and weekday names come from the user's regional settings
// (user_locale_win.h); the runtime library's locale is left alone.
#pragma once

#include <windows.h>

#include <memory>

#include "statsheet/calendar_date.h"
#include "statsheet/calendar_model.h"

namespace statsheet {

inline constexpr wchar_t kCalendarWindowClass[] = L"MiniCalendarCtrl";

// The notifications' records: the common header, then the fields in this order.
struct CalendarSelChange {
  NMHDR header;  // code CMN_SELCHANGE
  SYSTEMTIME start;
  SYSTEMTIME end;
};
struct CalendarDayState {
  NMHDR header;  // code CMN_GETDAYSTATE
  int month;     // -1 if unknown
  int year;
  DWORD mask;    // 0 on entry; the parent's bit d (1..31) flags day d when it answers > 0
};
struct CalendarDrawDay {
  NMHDR header;  // code CMN_DRAWDAY
  int column;    // 0..6
  int row;       // 0..5
  int day;       // -1 if the cell has no valid date
  int month;
  int year;
  RECT cell;
  HDC dc;        // font and text colour set, selection background painted
  BOOL selected;
};

class CMiniCalendarCtrl {
 public:
  CMiniCalendarCtrl();
  ~CMiniCalendarCtrl();
  CMiniCalendarCtrl(const CMiniCalendarCtrl&) = delete;
  CMiniCalendarCtrl& operator=(const CMiniCalendarCtrl&) = delete;

  // A visible child of `parent` with identifier `id`, its top-left corner at (x, y); the low
  // four bits of `style_bits` are the calendar's style (calendar_model.h). The control sizes
  // itself to one month block. Null when the window cannot be made.
  HWND create(HWND parent, int x, int y, int id, unsigned style_bits);
  HWND hwnd() const { return hwnd_; }

  // Selects that single day and shows its month, without CMN_SELCHANGE; false (and nothing
  // changes) for a date that does not exist.
  bool set_selected_date(const CalendarDate& date);
  void set_style(unsigned style_bits);
  // Repaints everything, background included (the parent's cached drawing was forgotten).
  void redraw();

  const CalendarModel& model() const { return model_; }

 private:
  struct Window;  // fonts, layout and the window procedure
  friend struct Window;

  CalendarModel model_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<Window> window_;
};

}  // namespace statsheet
