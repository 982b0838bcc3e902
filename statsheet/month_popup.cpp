#include "statsheet/month_popup.h"

#include <algorithm>

namespace statsheet {
namespace {

constexpr YearMonth kFirstMonth{kFirstCalendarYear, 1};
constexpr YearMonth kLastFirstRow{kLastCalendarYear, 12 - (kMonthListRows - 1)};

// The first row is kept so that all seven rows are months of the calendar.
YearMonth first_row_for(const YearMonth& displayed) {
  const std::optional<YearMonth> first = add_months(displayed, -kMonthListLead);
  if (!first) return kFirstMonth;
  return std::min(*first, kLastFirstRow);
}

}  // namespace

PixelRect month_list_rect(const PixelRect& title_bar, int title_text_width, int row_height, int border_width,
                          int border_height) {
  const int width = title_text_width + 4 * border_width;
  const int height = kMonthListRows * row_height + border_height;
  const int left = title_bar.left + (title_bar.width() - width) / 2;
  const int top = title_bar.top + (title_bar.height() - height) / 2;
  return {left, top, left + width, top + height};
}

MonthListModel::MonthListModel(const YearMonth& displayed, int row_height)
    : first_(first_row_for(displayed)), row_height_(std::max(row_height, 1)) {}

YearMonth MonthListModel::row_month(int row) const {
  return *add_months(first_, std::clamp(row, 0, kMonthListRows - 1));
}

std::optional<YearMonth> MonthListModel::chosen() const {
  if (!highlighted_) return std::nullopt;
  return row_month(*highlighted_);
}

bool MonthListModel::track(int y, std::uint32_t now_ms) {
  const int list_height = kMonthListRows * row_height_;
  const std::optional<int> before = highlighted_;
  if (y >= 0 && y < list_height) {
    highlighted_ = y / row_height_;
    return highlighted_ != before;
  }
  const bool above = y < 0;
  const long long outside = above ? -static_cast<long long>(y) : static_cast<long long>(y) - list_height + 1;
  const int months = outside < kMonthListNearDistance ? 1 : 2;
  highlighted_ = above ? 0 : kMonthListRows - 1;
  const bool scrolled = scroll(above ? -months : months, now_ms);
  return scrolled || highlighted_ != before;
}

bool MonthListModel::scroll(int months, std::uint32_t now_ms) {
  if (next_scroll_ms_ && static_cast<std::int32_t>(now_ms - *next_scroll_ms_) < 0) return false;
  const std::optional<YearMonth> moved = add_months(first_, months);
  const YearMonth end = months < 0 ? kFirstMonth : kLastFirstRow;
  const YearMonth first = moved ? std::clamp(*moved, kFirstMonth, kLastFirstRow) : end;
  next_scroll_ms_ = now_ms + static_cast<std::uint32_t>(kMonthListScrollMs / (months < 0 ? -months : months));
  if (first == first_) return false;
  first_ = first;
  return true;
}

}  // namespace statsheet
