// Where everything of the month calendar lies, from the text sizes the window measured: the
// control's size, the title bar with its two arrows, the weekday row, the 42 day cells and the
// places the day page paints into a cell; and which part a point hits.
//
// Rectangles are in the control's client coordinates, right and bottom exclusive (as RECT).
// Pure values; any thread. Invariants: cells tile the grid row by row without gaps, and every
// point hits at most one part.
#pragma once

#include "statsheet/calendar_model.h"

namespace statsheet {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// Text sizes measured in the calendar's fonts, and the padding added to a day's text.
struct CalendarMetrics {
  int day_width = 0;        // widest of 10..31 (days and flagged-days fonts), at least a weekday letter
  int day_height = 0;       // tallest of the same
  int weekday_height = 0;   // tallest weekday letter
  int title_width = 0;      // widest "%B %Y" of the sample months
  int title_text_height = 0;
  int padding_x = 40;
  int padding_y = 40;
};

inline constexpr int kCalendarFrameWidth = 4;

class CalendarLayout {
 public:
  CalendarLayout(const CalendarMetrics& metrics, bool frame);

  // The control's size: one month block, and the frame around it when there is one.
  int width() const { return block_.right + frame_; }
  int height() const { return block_.bottom + frame_; }

  PixelRect block() const { return block_; }
  PixelRect title() const;
  // The arrow triangles, tip first: the left one points left, the right one right.
  std::array<PixelPoint, 3> previous_arrow() const;
  std::array<PixelPoint, 3> next_arrow() const;
  PixelRect weekday_cell(int column) const;
  PixelRect day_cell(int cell) const;
  // The grid lines: 2 pixels above each week row across the grid, and between the columns from
  // the weekday row down.
  int week_line_y(int row) const { return day_cell(row * kGridColumns).top - 2; }
  int column_line_x(int between) const { return day_cell(between + 1).left; }

  CalendarHit hit(int x, int y) const;

  // Inside a day cell: the mark's fill (the cell less 2 pixels at the bottom), the lower half
  // for the second line of text, and today's frame (a fifth of the horizontal padding inside).
  PixelRect mark_area(const PixelRect& cell) const { return {cell.left, cell.top, cell.right, cell.bottom - 2}; }
  PixelRect lower_half(const PixelRect& cell) const {
    return {cell.left, cell.top + cell.height() / 2, cell.right, cell.bottom};
  }
  PixelRect today_frame(const PixelRect& cell) const;

 private:
  int arrow_base_width() const { return title_height_ / 5; }
  int arrow_zone() const { return 6 + arrow_base_width() + 6; }

  CalendarMetrics metrics_;
  int frame_;
  PixelRect block_;
  int title_height_;
  int cell_width_;
  int cell_height_;
  int grid_left_;   // first cell's left edge
  int weekday_top_;
  int cells_top_;
};

}  // namespace statsheet
