// The day page's painting of the calendar's cells: for each cell the calendar hands over
// (CMN_DRAWDAY), the mark colour and the two lines of text, from the day file, read once per date
// shown in that cell and kept until "Обновить" forgets them.
//
// The mark, by precedence: red when the day has actions, else yellow with failures, else green
// with AVR engagements; a marked day's second line is "AVR/failures/actions", an unmarked day
// with a file shows its monitored time, a day without a file nothing.
//
// One cache per day page, on its GUI thread. Invariant: a cell's contents are those of the date
// it holds; a date the calendar marks invalid (-1) or that does not exist is never read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "statsheet/calendar_date.h"
#include "stats/stat_reader.h"
#include "stats/stat_summary.h"

namespace statsheet {

struct Rgb {
  std::uint8_t red, green, blue;
  bool operator==(const Rgb&) const = default;
};

enum class DayMark { none, actions, failures, avr };

inline constexpr Rgb kActionsColour{255, 0, 0};
inline constexpr Rgb kFailuresColour{255, 255, 0};
inline constexpr Rgb kAvrColour{0, 255, 0};

DayMark day_mark(const stats::StatSummary& day);
// The fill of a marked day (none for DayMark::none).
const Rgb* mark_colour(DayMark mark);

struct DayCellLook {
  DayMark mark = DayMark::none;
  std::string number;  // "%d" of the day, centred at the top; empty for an invalid date
  std::string lower;   // centred in the lower half
  bool operator==(const DayCellLook&) const = default;
};

class DayCellCache {
 public:
  explicit DayCellCache(stats::stat_reader& reader) : reader_(reader) {}

  // The cell at `column` (0..6) and `row` (0..5) showing year/month/day as the notification
  // carries them (-1 when the calendar has no date there). Out-of-grid cells are not cached.
  DayCellLook draw(int column, int row, int year, int month, int day);
  // Every cell is read again at its next drawing.
  void forget() { cells_ = {}; }

 private:
  struct Cell {
    CalendarDate date;  // {} until first drawn
    bool found = false;
    stats::StatSummary summary{};
  };
  DayCellLook look(const Cell& cell) const;

  stats::stat_reader& reader_;
  std::array<Cell, kGridCells> cells_{};
};

}  // namespace statsheet
