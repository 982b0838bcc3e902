#include "statsheet/calendar_layout.h"

#include <algorithm>

namespace statsheet {

CalendarLayout::CalendarLayout(const CalendarMetrics& metrics, bool frame)
    : metrics_(metrics), frame_(frame ? kCalendarFrameWidth : 0) {
  title_height_ = metrics.title_text_height + 6;
  cell_width_ = metrics.day_width + metrics.padding_x;
  cell_height_ = metrics.day_height + metrics.padding_y;
  const int grid_width = cell_width_ * kGridColumns + metrics.padding_x;
  const int block_width = std::max(grid_width + 20, metrics.title_width + 30);
  const int block_height = title_height_ + kGridRows * cell_height_ + metrics.weekday_height + 4;
  block_ = {frame_, frame_, frame_ + block_width, frame_ + block_height};
  // The grid is centred in the block, its extra padding split around the cells.
  grid_left_ = block_.left + (block_width - grid_width) / 2 + metrics.padding_x / 2;
  weekday_top_ = block_.top + title_height_ + 2;
  cells_top_ = block_.top + title_height_ + metrics.weekday_height + 4;
}

PixelRect CalendarLayout::title() const {
  return {block_.left, block_.top, block_.right, block_.top + title_height_};
}

std::array<PixelPoint, 3> CalendarLayout::previous_arrow() const {
  const int middle = block_.top + title_height_ / 2;
  const int half = title_height_ * 2 / 5 / 2;
  const int tip = block_.left + 6;
  return {{{tip, middle}, {tip + arrow_base_width(), middle - half}, {tip + arrow_base_width(), middle + half}}};
}

std::array<PixelPoint, 3> CalendarLayout::next_arrow() const {
  const int middle = block_.top + title_height_ / 2;
  const int half = title_height_ * 2 / 5 / 2;
  const int tip = block_.right - 1 - 6;
  return {{{tip, middle}, {tip - arrow_base_width(), middle - half}, {tip - arrow_base_width(), middle + half}}};
}

PixelRect CalendarLayout::weekday_cell(int column) const {
  const int left = grid_left_ + column * cell_width_;
  return {left, weekday_top_, left + cell_width_, weekday_top_ + metrics_.weekday_height};
}

PixelRect CalendarLayout::day_cell(int cell) const {
  const int left = grid_left_ + cell % kGridColumns * cell_width_;
  const int top = cells_top_ + cell / kGridColumns * cell_height_;
  return {left, top, left + cell_width_, top + cell_height_};
}

CalendarHit CalendarLayout::hit(int x, int y) const {
  using Part = CalendarHit::Part;
  if (title().contains(x, y)) {
    if (x < block_.left + arrow_zone()) return {Part::previous_arrow};
    if (x >= block_.right - arrow_zone()) return {Part::next_arrow};
    return {Part::title};
  }
  const PixelRect cells{grid_left_, cells_top_, grid_left_ + kGridColumns * cell_width_,
                        cells_top_ + kGridRows * cell_height_};
  if (!cells.contains(x, y)) return {};
  return {Part::day, (y - cells_top_) / cell_height_ * kGridColumns + (x - grid_left_) / cell_width_};
}

PixelRect CalendarLayout::today_frame(const PixelRect& cell) const {
  const int inset = metrics_.padding_x / 5;
  return {cell.left + inset, cell.top, cell.right - inset, cell.bottom};
}

}  // namespace statsheet
