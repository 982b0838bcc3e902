// The month list that drops down from the calendar's title: seven consecutive months starting
// three before the displayed one, the row under the pointer highlighted, and the list scrolling
// while the pointer is held above or below it. The window runs its own loop with a 100 ms timer
// and calls track() on every move and every tick with the pointer's y in list coordinates (0 at
// the top of the first row).
//
// One model per open list, on the calendar's thread. Invariants: every row is a valid month;
// a highlighted row lies within the seven.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "statsheet/calendar_date.h"
#include "statsheet/calendar_layout.h"

namespace statsheet {

inline constexpr int kMonthListRows = 7;
inline constexpr int kMonthListLead = 3;          // months shown before the displayed one
inline constexpr int kMonthListTimerMs = 100;
inline constexpr int kMonthListNearDistance = 15; // closer than this outside: one month a scroll
inline constexpr int kMonthListScrollMs = 400;    // divided by the months per scroll

// The list's window: as wide as the title text, seven rows high, grown by four border widths and
// one border height, centred on the title bar.
PixelRect month_list_rect(const PixelRect& title_bar, int title_text_width, int row_height, int border_width,
                          int border_height);

class MonthListModel {
 public:
  MonthListModel(const YearMonth& displayed, int row_height);

  // True when the rows or the highlight changed (repaint).
  bool track(int y, std::uint32_t now_ms);
  // The highlighted month, taken when the left button is released; nothing when none is.
  std::optional<YearMonth> chosen() const;

  YearMonth row_month(int row) const;
  std::optional<int> highlighted() const { return highlighted_; }

 private:
  bool scroll(int months, std::uint32_t now_ms);

  YearMonth first_;
  int row_height_;
  std::optional<int> highlighted_;
  std::optional<std::uint32_t> next_scroll_ms_;
};

}  // namespace statsheet
