// The month calendar as the day page uses it, in a window of this process: its size, the cells it
// hands to the parent, pixels of a parent-drawn paint, clicks, the day state, the arrow's repeat
// and the month list. Today is fixed at Tuesday 10 February 2026 (a month beginning on a Sunday).
#include "statsheet/calendar_ctrl_win.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi_win.h"
#include "platform/screen_capture_win.h"
#include "platform/test_side_effects.h"
#include "statsheet/calendar_layout.h"
#include "statsheet/month_popup_win.h"
#include "statsheet/user_locale_win.h"

static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace statsheet {
namespace {

constexpr int kId = 4711;
constexpr unsigned kDayPageStyle = kCalendarNeighbourDays | kCalendarMarkToday;

struct Drawn {
  CalendarDrawDay record;
  COLORREF text;
  bool bold;
};

// What the parent saw and how it answers.
struct ParentLog {
  LRESULT draw_answer = 0;
  DWORD flag_mask = 0;  // answered (with 1) when not 0
  std::vector<Drawn> draws;
  std::vector<CalendarSelChange> selections;
  std::vector<YearMonth> day_states;
} parent_log;

LRESULT CALLBACK parent_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_NOTIFY || wparam != kId) return DefWindowProcW(hwnd, message, wparam, lparam);
  const auto* header = reinterpret_cast<NMHDR*>(lparam);
  switch (static_cast<int>(header->code)) {
    case CMN_DRAWDAY: {
      const auto* day = reinterpret_cast<CalendarDrawDay*>(lparam);
      LOGFONTW font{};
      GetObjectW(GetCurrentObject(day->dc, OBJ_FONT), sizeof font, &font);
      parent_log.draws.push_back({*day, GetTextColor(day->dc), font.lfWeight >= FW_BOLD});
      return parent_log.draw_answer;
    }
    case CMN_SELCHANGE:
      parent_log.selections.push_back(*reinterpret_cast<CalendarSelChange*>(lparam));
      return 0;
    case CMN_GETDAYSTATE: {
      auto* state = reinterpret_cast<CalendarDayState*>(lparam);
      parent_log.day_states.push_back({state->year, state->month});
      state->mask = parent_log.flag_mask;
      return parent_log.flag_mask ? 1 : 0;
    }
    default:
      return 0;
  }
}

// The layout measured the way the control is meant to: Tahoma 9 pt for numbers (also bold) and
// weekday letters, 10 pt bold for the sample months' titles.
CalendarLayout expected_layout(bool frame) {
  HDC dc = GetDC(nullptr);
  const int dots_per_inch = GetDeviceCaps(dc, LOGPIXELSY);
  const auto font = [&](int points, bool bold) {
    LOGFONTW look{};
    look.lfHeight = -MulDiv(points, dots_per_inch, 72);
    look.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    look.lfQuality = PROOF_QUALITY;
    lstrcpynW(look.lfFaceName, L"Tahoma", LF_FACESIZE);
    return platform::UniqueGdiObject(CreateFontIndirectW(&look));
  };
  const auto grow = [&](const platform::UniqueGdiObject& in, const std::wstring& text, int& width, int& height) {
    platform::SelectedObject selected(dc, in.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    width = std::max<int>(width, size.cx);
    height = std::max<int>(height, size.cy);
  };
  CalendarMetrics metrics;
  for (const bool bold : {false, true}) {
    const auto numbers = font(9, bold);
    for (int day = 10; day <= 31; ++day) grow(numbers, std::to_wstring(day), metrics.day_width, metrics.day_height);
  }
  const auto letters = font(9, false);
  for (const wchar_t* letter : {L"S", L"M", L"T", L"W", L"F"})
    grow(letters, letter, metrics.day_width, metrics.weekday_height);
  const auto title = font(10, true);
  for (int year = 1990; year <= 2019; ++year)
    for (int month = 1; month <= 12; ++month)
      grow(title, month_title_text({year, month}), metrics.title_width, metrics.title_text_height);
  ReleaseDC(nullptr, dc);
  return CalendarLayout(metrics, frame);
}

void pump_for(DWORD ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    else MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

LPARAM at(const PixelRect& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

CalendarDate date_of(const SYSTEMTIME& t) { return {t.wYear, t.wMonth, t.wDay}; }
CalendarDate date_of(const CalendarDrawDay& d) { return {d.year, d.month, d.day}; }

// By the system's own calendar, not ours.
CalendarDate shifted(const CalendarDate& date, int days) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(date.year);
  time.wMonth = static_cast<WORD>(date.month);
  time.wDay = static_cast<WORD>(date.day);
  FILETIME file{};
  SystemTimeToFileTime(&time, &file);
  const long long ticks = (static_cast<long long>(file.dwHighDateTime) << 32 | file.dwLowDateTime) +
                          days * 864000000000LL;
  file = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FileTimeToSystemTime(&file, &time);
  return {time.wYear, time.wMonth, time.wDay};
}

// Non-background pixels inside a cell, lines left out.
int ink_in(HWND hwnd, const PixelRect& cell) {
  HDC dc = GetDC(hwnd);
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  int count = 0;
  for (int y = cell.top + 1; y < cell.bottom - 3; ++y)
    for (int x = cell.left + 1; x < cell.right; ++x) count += GetPixel(dc, x, y) != background;
  ReleaseDC(hwnd, dc);
  return count;
}

COLORREF pixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return colour;
}

class MiniCalendar : public ::testing::Test {
 protected:
  void SetUp() override {
    effects_.now = {2026, 2, 10, 2, 12, 0, 0, 0};
    parent_log = {};
    // Away from every window: a real pointer move must not reach the control while it tracks.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    WNDCLASSW parent_class{};
    parent_class.lpfnWndProc = parent_proc;
    parent_class.hInstance = GetModuleHandleW(nullptr);
    parent_class.lpszClassName = L"CalendarTestParent";
    parent_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&parent_class);
    parent_ = CreateWindowExW(0, parent_class.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 800, 600,
                              nullptr, nullptr, parent_class.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr) << "no X display?";
    // Shown without activation: destroying an active window makes Wine wait about 2 s.
    ShowWindow(parent_, SW_SHOWNA);
    ASSERT_NE(calendar_.create(parent_, 10, 10, kId, kDayPageStyle), nullptr);
    layout_ = expected_layout(false);
  }
  void TearDown() override { DestroyWindow(parent_); }

  // The draws of one complete paint.
  std::vector<Drawn> paint() {
    parent_log.draws.clear();
    InvalidateRect(calendar_.hwnd(), nullptr, FALSE);
    UpdateWindow(calendar_.hwnd());
    return parent_log.draws;
  }
  void click(const PixelRect& where) {
    SendMessageW(calendar_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at(where));
    SendMessageW(calendar_.hwnd(), WM_LBUTTONUP, 0, at(where));
  }

  platform::RecordingSideEffects effects_;
  HWND parent_ = nullptr;
  CMiniCalendarCtrl calendar_;
  CalendarLayout layout_{CalendarMetrics{}, false};
};

TEST_F(MiniCalendar, SizesItselfToItsLayoutWithAndWithoutTheFrame) {
  const struct {
    unsigned style;
  } rows[] = {{kDayPageStyle}, {kDayPageStyle | kCalendarFrame}, {kCalendarFrame}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.style);
    if (row.style != kDayPageStyle) calendar_.set_style(row.style);
    const CalendarLayout expected = expected_layout(row.style & kCalendarFrame);
    RECT client{};
    GetClientRect(calendar_.hwnd(), &client);
    EXPECT_EQ(client, (RECT{0, 0, expected.width(), expected.height()}));
    RECT window{};
    GetWindowRect(calendar_.hwnd(), &window);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(window.left, 10);
    EXPECT_EQ(window.top, 10);
  }
  EXPECT_EQ(parent_log.day_states, (std::vector<YearMonth>{{2026, 2}})) << "asked once, at creation";
}

TEST_F(MiniCalendar, HandsEachOfTheFortyTwoCellsToTheParentWithItsDateLookAndSelection) {
  // February 2026 begins on a Sunday, April on a Wednesday. Without the neighbours' days the
  // cells outside the month carry no date.
  const struct {
    unsigned style;
    CalendarDate selected;
    int first_of_month_cell;
  } rows[] = {
      {kDayPageStyle, {2026, 2, 10}, 0},
      {kDayPageStyle, {2026, 4, 7}, 3},
      {kCalendarMarkToday, {2026, 4, 7}, 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.selected.month * 100 + static_cast<int>(row.style));
    calendar_.set_style(row.style);
    ASSERT_TRUE(calendar_.set_selected_date(row.selected));
    const std::vector<Drawn> draws = paint();
    ASSERT_EQ(draws.size(), 42u);
    const bool neighbours = (row.style & kCalendarNeighbourDays) != 0;
    for (int i = 0; i < 42; ++i) {
      SCOPED_TRACE(i);
      const Drawn& d = draws[i];
      EXPECT_EQ(d.record.header.hwndFrom, calendar_.hwnd());
      EXPECT_EQ(d.record.header.idFrom, static_cast<UINT_PTR>(kId));
      EXPECT_EQ(d.record.column, i % 7);
      EXPECT_EQ(d.record.row, i / 7);
      const PixelRect cell = layout_.day_cell(i);
      EXPECT_EQ(d.record.cell, (RECT{cell.left, cell.top, cell.right, cell.bottom}));
      const CalendarDate date = shifted({row.selected.year, row.selected.month, 1}, i - row.first_of_month_cell);
      const bool in_month = date.month == row.selected.month;
      const bool selected = date == row.selected;
      EXPECT_EQ(date_of(d.record), (in_month || neighbours ? date : CalendarDate{-1, -1, -1}));
      EXPECT_EQ(d.record.selected != FALSE, selected);
      const COLORREF text = selected ? RGB(17, 0, 0) : GetSysColor(in_month ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
      EXPECT_EQ(d.text, text);
      EXPECT_FALSE(d.bold);
    }
  }
}

TEST_F(MiniCalendar, AParentThatDrawsKeepsSelectionTodayMarkAndGridButNotTheDayNumbers) {
  ASSERT_TRUE(calendar_.set_selected_date({2026, 2, 12}));  // cell 11; today is cell 9
  const HWND hwnd = calendar_.hwnd();
  const PixelRect selected = layout_.day_cell(11);
  const PixelRect today = layout_.today_frame(layout_.day_cell(9));
  const PixelRect plain = layout_.day_cell(19);
  const int grid_x = layout_.column_line_x(2);
  const int grid_y = layout_.week_line_y(3);
  for (const LRESULT answer : {0, 1}) {
    SCOPED_TRACE(answer);
    parent_log.draw_answer = answer;
    paint();
    // A picture for a person to look at (the month names' language among others).
    if (const char* path = std::getenv("ORVIK_CALENDAR_SHOT"); path && answer == 0) platform::save_screen(path);
    if (answer == 0) {
      EXPECT_GT(ink_in(hwnd, plain), 10) << "the control's own number";
    } else {
      EXPECT_EQ(ink_in(hwnd, plain), 0);
    }
    EXPECT_EQ(pixel(hwnd, selected.left + 3, selected.top + 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pixel(hwnd, today.left, (today.top + today.bottom) / 2), RGB(128, 0, 0));
    EXPECT_EQ(pixel(hwnd, today.right - 1, today.top + 5), RGB(128, 0, 0));
    EXPECT_EQ(pixel(hwnd, grid_x, grid_y + 20), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(pixel(hwnd, plain.left + 20, grid_y), GetSysColor(COLOR_BTNSHADOW));
  }
}

TEST_F(MiniCalendar, ClicksSelectDaysANextMonthDayMovesTheViewAndTheDayStateFlagsADay) {
  parent_log.flag_mask = 1u << 15;
  const struct {
    int cell;
    CalendarDate selected;
    std::vector<YearMonth> asked;  // day states asked by the click
    YearMonth shown;
  } rows[] = {
      {11, {2026, 2, 12}, {}, {2026, 2}},
      {30, {2026, 3, 3}, {{2026, 3}}, {2026, 3}},  // greyed next-month day
      {6, {2026, 3, 7}, {}, {2026, 3}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.cell);
    parent_log.selections.clear();
    parent_log.day_states.clear();
    click(layout_.day_cell(row.cell));
    ASSERT_EQ(parent_log.selections.size(), 1u);
    EXPECT_EQ(parent_log.selections[0].header.hwndFrom, calendar_.hwnd());
    EXPECT_EQ(date_of(parent_log.selections[0].start), row.selected);
    EXPECT_EQ(date_of(parent_log.selections[0].end), row.selected);
    EXPECT_EQ(parent_log.day_states, row.asked);
    EXPECT_EQ(calendar_.model().displayed(), row.shown);
    EXPECT_EQ(GetCapture(), nullptr);
  }
  // March 2026 also begins on a Sunday: day 15 is cell 14, drawn bold in the highlight colour.
  const std::vector<Drawn> draws = paint();
  ASSERT_EQ(draws.size(), 42u);
  for (int i = 0; i < 42; ++i) {
    EXPECT_EQ(draws[i].bold, i == 14) << i;
    if (i == 14) {
      EXPECT_EQ(draws[i].text, GetSysColor(COLOR_HIGHLIGHT));
    }
  }
}

TEST_F(MiniCalendar, HoldingTheNextArrowScrollsAtTheKeyboardRepeatRateUntilRelease) {
  int delay = 0, speed = 0;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  const ArrowRepeat repeat = arrow_repeat(delay, speed);
  const auto arrow = layout_.next_arrow();
  const LPARAM on_arrow = MAKELPARAM(arrow[0].x - 2, arrow[0].y);
  parent_log.day_states.clear();

  SendMessageW(calendar_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, on_arrow);
  EXPECT_EQ(GetCapture(), calendar_.hwnd());
  pump_for(repeat.first_ms * 4 / 5);
  EXPECT_EQ(parent_log.day_states.size(), 1u) << "one step, then the keyboard delay";
  pump_for(repeat.first_ms / 5 + repeat.every_ms * 9 / 2);
  SendMessageW(calendar_.hwnd(), WM_LBUTTONUP, 0, on_arrow);
  const std::size_t held = parent_log.day_states.size();
  EXPECT_GE(held, 3u);
  EXPECT_LE(held, 6u);
  EXPECT_EQ(GetCapture(), nullptr);
  pump_for(repeat.every_ms * 3);
  ASSERT_EQ(parent_log.day_states.size(), held) << "released";
  for (std::size_t i = 0; i < held; ++i)
    EXPECT_EQ(parent_log.day_states[i], *add_months({2026, 2}, static_cast<int>(i) + 1));
  EXPECT_EQ(calendar_.model().displayed(), parent_log.day_states.back());
}

// Drives the month list from a second thread while this one runs the list's loop.
TEST_F(MiniCalendar, TheMonthListTakesTheMonthUnderThePointerEscapeCancelsAndClosingTheParentEndsIt) {
  enum class Act { release_on_row_5, escape, close_parent };
  const struct {
    Act act;
    YearMonth shown;
    std::vector<YearMonth> asked;
  } rows[] = {
      {Act::release_on_row_5, {2026, 4}, {{2026, 4}}},  // rows start three months before February
      {Act::escape, {2026, 4}, {}},
      {Act::close_parent, {2026, 4}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.act));
    parent_log.day_states.clear();
    HWND seen_list = nullptr;
    bool list_on_screen = false;
    std::thread driver([&] {
      HWND list = nullptr;
      for (int i = 0; i < 500 && !(list = FindWindowW(kMonthPopupWindowClass, nullptr)); ++i) Sleep(10);
      seen_list = list;
      if (!list) return;
      RECT client{}, placed{}, area{};
      GetClientRect(list, &client);
      GetWindowRect(list, &placed);
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
      list_on_screen = placed.top >= area.top;  // the calendar's title is 10 px from the top
      POINT target{client.right / 2, client.bottom * 11 / 14};  // the middle of row 5 of 7
      switch (row.act) {
        case Act::release_on_row_5: {
          POINT screen = target;
          ClientToScreen(list, &screen);
          SetCursorPos(screen.x, screen.y);  // no WM_MOUSEMOVE: the list's timer follows the pointer
          Sleep(300);
          PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(target.x, target.y));
          break;
        }
        case Act::escape:
          PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
          break;
        case Act::close_parent:
          PostMessageW(parent_, WM_CLOSE, 0, 0);
          break;
      }
    });
    SendMessageW(calendar_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at(layout_.title()));
    driver.join();
    EXPECT_NE(seen_list, nullptr);
    EXPECT_TRUE(list_on_screen);
    EXPECT_EQ(FindWindowW(kMonthPopupWindowClass, nullptr), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(parent_log.day_states, row.asked);
    EXPECT_EQ(calendar_.model().displayed(), row.shown);
  }
  EXPECT_EQ(calendar_.hwnd(), nullptr) << "went with its parent";
}

// The calendar leaves the runtime library's locale alone: a core hosted in the same process
// (orvik_ups /app) goes on reading the UPS's "230.5" whatever the user's decimal separator.
TEST(CalendarLocale, StaysTheRuntimesOwn) {
  std::setlocale(LC_ALL, "C");
  std::thread([] {
    CMiniCalendarCtrl calendar;
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    calendar.create(parent, 0, 0, 1, kCalendarNeighbourDays);
    DestroyWindow(parent);
  }).join();
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

}  // namespace
}  // namespace statsheet
