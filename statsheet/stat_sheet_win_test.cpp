// The statistics sheet as a user opens it from the tray's menu, over a generated ten-year archive,
// with the monitoring core hosted by this test on the simulated UPS. The tray runs on a thread of
// this process, so that the test reads the sheet's lists, calendar and dialogs directly.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "core/test_minidriver_fixture_win.h"
#include "platform/directory_tree_win.h"
#include "platform/registry_win.h"
#include "platform/screen_capture_win.h"
#include "platform/test_wine_env_win.h"
#include "platform/wide_text_win.h"
#include "statsheet/archive_generator.h"
#include "statsheet/calendar_ctrl_win.h"
#include "statsheet/day_page.h"
#include "statsheet/sample_texts.h"
#include "statsheet/statsheet_ids.h"
#include "statsheet/user_locale_win.h"
#include "stats/archive_paths.h"
#include "stats/raw_sample.h"
#include "stats/stat_config_win.h"
#include "stats/stat_files_win.h"
#include "stats/stat_reader.h"
#include "statsheet/stat_pages_win.h"
#include "tray/tray_ids.h"
#include "tray/test_tray_desktop_win.h"

namespace statsheet {
namespace {

using core::testing::eventually;
using statsheet::CalendarDate;
using namespace tray::testing;

enum Page { kYearPage, kMonthPage, kDayPage, kDetailsPage };
constexpr std::uint64_t kSecondsPerDay = 86400;

CalendarDate month_before(const CalendarDate& day, int day_of_month) {
  return day.month == 1 ? CalendarDate{day.year - 1, 12, day_of_month} : CalendarDate{day.year, day.month - 1, day_of_month};
}
CalendarDate day_before(const CalendarDate& day) {
  if (day.day > 1) return {day.year, day.month, day.day - 1};
  for (int last = 31;; --last) {
    const CalendarDate candidate = month_before(day, last);
    if (statsheet::is_valid_date(candidate)) return candidate;
  }
}

std::wstring item_text(HWND list, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}
std::wstring window_text(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}
std::string file_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}
// The archive's own files of a month (not the summaries the reader keeps), with size and time.
std::map<std::string, std::pair<ULONGLONG, ULONGLONG>> day_files(const std::string& month_directory) {
  std::map<std::string, std::pair<ULONGLONG, ULONGLONG>> files;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((month_directory + "\\*_*.dat").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    files[found.cFileName] = {(ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow,
                              (ULONGLONG{found.ftLastWriteTime.dwHighDateTime} << 32) | found.ftLastWriteTime.dwLowDateTime};
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return files;
}

// The save dialog: an owned top-level window with the file name box (1148).
BOOL CALLBACK find_save_dialog(HWND window, LPARAM found) {
  if (!GetWindow(window, GW_OWNER) || !IsWindowVisible(window) || !GetDlgItem(window, 1148)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// What the calendar hands its parent to paint, seen through the day page's window procedure.
struct DrawnCell {
  CalendarDate date;
  RECT cell;
};
std::mutex drawn_mutex;
std::vector<DrawnCell> drawn;
WNDPROC day_page_procedure = nullptr;
LRESULT CALLBACK watch_day_page(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY && static_cast<int>(reinterpret_cast<NMHDR*>(lparam)->code) == statsheet::CMN_DRAWDAY) {
    const auto& request = *reinterpret_cast<statsheet::CalendarDrawDay*>(lparam);
    const CalendarDate date{request.year, request.month, request.day};
    std::lock_guard lock(drawn_mutex);
    // Every painting hands every day: a day handed again starts the next painting (one still
    // pending from a click may come before the one asked for), and only the last one counts.
    if (std::any_of(drawn.begin(), drawn.end(), [&](const DrawnCell& cell) { return cell.date == date; })) drawn.clear();
    drawn.push_back({date, request.cell});
  }
  return CallWindowProcW(day_page_procedure, hwnd, message, wparam, lparam);
}

class StatisticsSheet : public core::testing::MinidriverHostTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(enter_tray_desktop());
    set_up_host("statsheet");
    root_ = output_->dir();
    CreateDirectoryA(kept().c_str(), nullptr);
    today_ = local_today();
    {
      const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
      platform::write_dword_value(config.get(), "stat_data", 1);  // today's samples for the flush
    }
    stats::Win32StatFiles files;
    statsheet::ArchivePlan plan{root_, {today_.year - 9, 1, 1}, day_before(today_), 11, 0};
    plan.failure_day_percent = 25;
    plan.avr_day_percent = 30;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(statsheet::generate_archive(files, plan).complete);
    // The calendar's month with every kind of mark: a seed whose month has them.
    statsheet::ArchivePlan month = plan;
    month.first_day = month_before(today_, 1);
    month.last_day = day_before({today_.year, today_.month, 1});
    for (month.seed = 12; month.seed < 100; ++month.seed) {
      const statsheet::ArchiveReport made = statsheet::generate_archive(files, month);
      if (made.days_with_actions > 0 && made.days_with_failures > made.days_with_actions && made.days_with_avr > 0)
        break;
    }
    // A day monitored around the clock with every poll answered, a sample a second.
    statsheet::ArchivePlan full = month;
    full.raw_rate = 1;
    for (int day = 5; day <= 28 && full_day_samples_ != kSecondsPerDay; ++day) {
      full_day_ = full.first_day = full.last_day = month_before(today_, day);
      full_day_samples_ = statsheet::generate_archive(files, full).raw_records;
    }
    printf("ten years generated in %lu ms; %llu samples on %d-%d-%d\n", GetTickCount() - started,
           static_cast<unsigned long long>(full_day_samples_), full_day_.year, full_day_.month, full_day_.day);
    // Damage any user could do: a truncated day file, a raw file with a record half written.
    const std::string prefix = stats::month_prefix(root_, full_day_.year, full_day_.month);
    write_file(stats::day_file_path(prefix, 2, stats::DayFile::kSummary), "garbage");
    write_file(stats::day_file_path(prefix, 3, stats::DayFile::kRaw),
               file_bytes(stats::day_file_path(prefix, full_day_.day, stats::DayFile::kRaw)).substr(0, 5 * 12 + 7));
    // Every past year summed; the year page's test removes one year's summary again.
    stats::stat_reader reader(files, [] { return stats::load_stat_config_from_registry(); });
    ASSERT_TRUE(reader.load_path());
    for (int year = today_.year - 9; year < today_.year; ++year) reader.update_year(year);
  }

  // The generated years go; the root keeps the debug trace, which the loaded library holds open.
  static void TearDownTestSuite() {
    for (int year = today_.year - 9; year <= today_.year; ++year)
      platform::remove_directory_tree(stats::year_directory(root_, year));
  }

  void SetUp() override {
    ASSERT_TRUE(start());
    tray_ = std::make_unique<TrayThread>(library_);
    ASSERT_TRUE(eventually([] { return tray_window() != nullptr; }, 15000));
    reader_.load_path();
  }
  void TearDown() override {
    if (frame_) {
      PropSheet_PressButton(frame_, PSBTN_CANCEL);
      eventually([this] { return !IsWindow(frame_); }, 5000);
    }
    close_tray_applications();
    tray_.reset();
    MinidriverHostTest::TearDown();
  }

  static int unsummed_year() { return today_.year - 4; }
  static void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  // "Статистика" from the tray's menu, as a user chooses it.
  bool open_sheet() {
    HWND menu = open_menu(tray_window());
    if (!menu) return false;
    for (int i = 0; i < 2; ++i) press_key(menu, VK_DOWN);
    press_key(menu, VK_RETURN);
    return eventually([this] { return (frame_ = FindWindowW(nullptr, L"Статистика")) != nullptr; }, 10000);
  }
  HWND show_page(Page page) const {
    PropSheet_SetCurSel(frame_, nullptr, page);
    return PropSheet_GetCurrentPageHwnd(frame_);
  }
  static void press(HWND page, int button) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, button)));
  }
  static void select_row(HWND list, int row) {
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  }
  static std::vector<std::wstring> first_column(HWND list) {
    std::vector<std::wstring> texts;
    for (int row = 0, rows = ListView_GetItemCount(list); row < rows; ++row) texts.push_back(item_text(list, row, 0));
    return texts;
  }
  static void click(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  // The cells of the calendar's next painting.
  static std::vector<DrawnCell> paint(HWND calendar) {
    {
      std::lock_guard lock(drawn_mutex);
      drawn.clear();
    }
    RedrawWindow(calendar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::lock_guard lock(drawn_mutex);
    return drawn;
  }
  static const DrawnCell* cell_of(const std::vector<DrawnCell>& cells, const CalendarDate& date) {
    for (const DrawnCell& cell : cells)
      if (cell.date == date) return &cell;
    return nullptr;
  }
  static void click_day(HWND calendar, const std::vector<DrawnCell>& cells, const CalendarDate& date) {
    const DrawnCell* cell = cell_of(cells, date);
    ASSERT_NE(cell, nullptr);
    click(calendar, (cell->cell.left + cell->cell.right) / 2, (cell->cell.top + cell->cell.bottom) / 2);
  }
  // The desktop as the user sees it, kept after the run (the README's pictures come from here).
  static void picture(const char* name) { platform::save_screen(kept() + "\\statistics-" + name + ".bmp"); }
  static std::string kept() { return root_ + "-pictures"; }

  static inline std::string root_;
  static inline CalendarDate today_;
  static inline CalendarDate full_day_;
  static inline std::uint64_t full_day_samples_ = 0;
  stats::Win32StatFiles files_;
  stats::stat_reader reader_{files_, [] { return stats::load_stat_config_from_registry(); }};
  std::unique_ptr<TrayThread> tray_;
  HWND frame_ = nullptr;
};

TEST_F(StatisticsSheet, YearsNewestFirstAYearWithoutSummaryAfterUpdateAndAChosenYearsMonths) {
  DeleteFileA(stats::year_summary_path(root_, unsummed_year()).c_str());
  DeleteFileA(stats::year_summary_path(root_, today_.year).c_str());
  ASSERT_TRUE(open_sheet());
  HWND page = PropSheet_GetCurrentPageHwnd(frame_);
  HWND years = GetDlgItem(page, IDC_YEAR_LIST);
  std::vector<std::wstring> expected;
  for (int year = today_.year - 1; year >= today_.year - 9; --year)
    if (year != unsummed_year()) expected.push_back(std::to_wstring(year));
  EXPECT_EQ(first_column(years), expected) << "only the years with a summary, newest first";

  press(page, IDC_YEAR_UPDATE);
  expected.clear();
  for (int year = today_.year; year >= today_.year - 9; --year) expected.push_back(std::to_wstring(year));
  EXPECT_EQ(first_column(years), expected) << "every year once summed";
  stats::StatSummary summary{};
  ASSERT_TRUE(reader_.read_year_summary(unsummed_year(), summary));
  const statsheet::TotalsTexts totals = statsheet::totals_texts(unsummed_year(), summary, statsheet::user_decimal_point());
  const int row = today_.year - unsummed_year();
  for (int column = 0; column < statsheet::kTotalsColumns; ++column)
    EXPECT_EQ(item_text(years, row, column), platform::to_wide(totals[column])) << column;

  select_row(years, row);
  picture("years");
  page = show_page(kMonthPage);
  EXPECT_EQ(window_text(GetDlgItem(page, IDC_MONTH_YEAR)), std::to_wstring(unsummed_year()));
  const std::vector<std::wstring> months = {L"12", L"11", L"10", L"9", L"8", L"7", L"6", L"5", L"4", L"3", L"2", L"1"};
  EXPECT_EQ(first_column(GetDlgItem(page, IDC_MONTH_LIST)), months);
  picture("months");
}

TEST_F(StatisticsSheet, CalendarPaintsEachDaysMarkAndTheDetailsListAndExportAWholeDay) {
  const std::string month_directory = stats::month_directory(root_, full_day_.year, full_day_.month);
  const auto archive_before = day_files(month_directory);
  ASSERT_TRUE(open_sheet());
  HWND page = show_page(kDayPage);
  HWND calendar = GetDlgItem(page, IDC_DAY_CALENDAR);
  ASSERT_NE(calendar, nullptr);
  day_page_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_day_page)));
  click(calendar, 4, 4);  // the previous month's arrow
  std::vector<DrawnCell> cells = paint(calendar);
  ASSERT_EQ(cells.size(), 42u);
  ASSERT_NE(cell_of(cells, full_day_), nullptr) << "the calendar went to the previous month";

  RECT place{};
  GetWindowRect(calendar, &place);
  const platform::ScreenPixels screen = platform::capture_screen(place);
  std::map<statsheet::DayMark, int> marks;
  for (const DrawnCell& cell : cells) {
    stats::StatSummary day{};
    const bool found = reader_.read_day_summary(cell.date.year, cell.date.month, cell.date.day, day);
    const statsheet::DayMark mark = found ? statsheet::day_mark(day) : statsheet::DayMark::none;
    ++marks[mark];
    const unsigned pixel = screen.at(cell.cell.left + 3, cell.cell.bottom - 4);
    if (const statsheet::Rgb* colour = statsheet::mark_colour(mark)) {
      EXPECT_EQ(pixel, (unsigned{colour->red} << 16) | (colour->green << 8) | colour->blue)
          << cell.date.year << "-" << cell.date.month << "-" << cell.date.day;
    } else {
      for (statsheet::DayMark other : {statsheet::DayMark::actions, statsheet::DayMark::failures, statsheet::DayMark::avr}) {
        const statsheet::Rgb* mark_colour = statsheet::mark_colour(other);
        EXPECT_NE(pixel, (unsigned{mark_colour->red} << 16) | (mark_colour->green << 8) | mark_colour->blue)
            << cell.date.day;
      }
    }
  }
  for (statsheet::DayMark mark : {statsheet::DayMark::actions, statsheet::DayMark::failures, statsheet::DayMark::avr})
    EXPECT_GT(marks[mark], 0) << "a month with every mark";

  const CalendarDate damaged{full_day_.year, full_day_.month, 2};
  click_day(calendar, cells, damaged);
  EXPECT_EQ(window_text(GetDlgItem(page, IDC_DAY_INFORMATION)), L"") << "a truncated day file is no day";
  click_day(calendar, cells, full_day_);
  EXPECT_EQ(window_text(GetDlgItem(page, IDC_DAY_INFORMATION)),
            platform::to_wide(statsheet::day_information_text(reader_, full_day_, statsheet::user_decimal_point())));
  picture("days");

  page = show_page(kDetailsPage);
  HWND samples = GetDlgItem(page, IDC_DETAILS_SAMPLES);
  const std::string raw = reader_.read_raw(full_day_.year, full_day_.month, full_day_.day).value_or("");
  ASSERT_EQ(full_day_samples_, kSecondsPerDay);
  ASSERT_EQ(ListView_GetItemCount(samples), static_cast<int>(kSecondsPerDay));
  const int last = ListView_GetItemCount(samples) - 1;
  EXPECT_GE(ListView_GetTopIndex(samples) + ListView_GetCountPerPage(samples), last) << "the end in view";
  for (int row : {0, last})
    for (int column = 0; column < statsheet::kSampleColumnCount; ++column)
      EXPECT_EQ(item_text(samples, row, column),
                platform::to_wide(statsheet::sample_cell_text(stats::unpack_raw_sample(stats::raw_record_at(raw, row)),
                                                              column, statsheet::user_decimal_point())));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_DETAILS_UPDATE))) << "a past day is complete";
  const std::string events = reader_.read_events(full_day_.year, full_day_.month, full_day_.day).value_or("");
  EXPECT_EQ(window_text(GetDlgItem(page, IDC_DETAILS_EVENTS)), platform::to_wide(statsheet::edit_control_text(events), 1251));
  picture("details");

  // The export through the save dialog, a name typed without its extension.
  const std::string chosen = kept() + "\\day-export";
  DeleteFileA((chosen + ".csv").c_str());
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_DETAILS_EXPORT, BN_CLICKED), 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(eventually([&] {
    dialog = nullptr;
    EnumWindows(find_save_dialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog != nullptr;
  }, 10000)) << "the save dialog";
  SetDlgItemTextW(dialog, 1148, platform::to_wide(chosen).c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(eventually([&] { return !IsWindow(dialog); }, 10000));
  SendMessageW(page, WM_NULL, 0, 0);  // the export has ended when the page answers
  std::string expected;
  statsheet::write_csv_export(raw, statsheet::user_decimal_point(), [&](std::string_view piece) {
    expected.append(piece);
    return true;
  });
  EXPECT_EQ(file_bytes(chosen + ".csv"), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), static_cast<long>(kSecondsPerDay));

  // A raw file whose last record is half written lists its whole records.
  page = show_page(kDayPage);
  click_day(calendar, cells, {full_day_.year, full_day_.month, 3});
  page = show_page(kDetailsPage);
  EXPECT_EQ(ListView_GetItemCount(samples), 5);
  show_page(kDayPage);
  EXPECT_EQ(day_files(month_directory), archive_before) << "the sheet writes nothing into the day files";
}

// WM_ENABLE seen by the details page's "Обновить", in order.
std::mutex enables_mutex;
std::vector<bool> enables;
WNDPROC button_procedure = nullptr;
LRESULT CALLBACK watch_button(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ENABLE) {
    std::lock_guard lock(enables_mutex);
    enables.push_back(wparam != 0);
  }
  return CallWindowProcW(button_procedure, hwnd, message, wparam, lparam);
}

// The Start menu's entry runs "orvik_ups /statistics", which hands the request to this tray.
long run_statistics_entry() {
  using namespace platform::testing;
  return run_process("\"" + wine_path(env("ORVIK_BIN_DIR")) + "\\orvik_ups.exe\" /statistics");
}
int statistics_sheets() {
  int count = 0;
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, L"Статистика"));) ++count;
  return count;
}
// Counts the requests the tray has finished handling: a request that opened a sheet is still
// inside the sheet's modal loop.
std::atomic<int> statistics_requests_handled{0};
WNDPROC tray_procedure = nullptr;
LRESULT CALLBACK watch_tray(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallWindowProcW(tray_procedure, hwnd, message, wparam, lparam);
  if (message == tray::kMsgShowStatistics) ++statistics_requests_handled;
  return result;
}

TEST_F(StatisticsSheet, TodaysUpdateWaitsForTheServicesFlushAnswer) {
  tray_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tray_window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_tray)));
  ASSERT_EQ(run_statistics_entry(), 0);
  ASSERT_TRUE(eventually([this] { return (frame_ = FindWindowW(nullptr, L"Статистика")) != nullptr; }, 10000));
  ASSERT_EQ(run_statistics_entry(), 0);
  ASSERT_TRUE(eventually([] { return statistics_requests_handled == 1; }, 10000));
  EXPECT_EQ(statistics_sheets(), 1) << "a second request brings the open sheet forward";
  HWND page = show_page(kDetailsPage);
  HWND update = GetDlgItem(page, IDC_DETAILS_UPDATE);
  ASSERT_TRUE(IsWindowEnabled(update)) << "today can be flushed";
  button_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(update, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_button)));
  press(page, IDC_DETAILS_UPDATE);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD sheet_thread = GetWindowThreadProcessId(page, nullptr);
  EXPECT_TRUE(eventually([&] {
    return IsWindowEnabled(update) && GetGUIThreadInfo(sheet_thread, &gui) && gui.hwndFocus == update;
  }, 10000)) << "the answer came back through the tray";
  std::lock_guard lock(enables_mutex);
  EXPECT_EQ(enables, (std::vector<bool>{false, true})) << "disabled until the answer";
}

}  // namespace
}  // namespace statsheet
