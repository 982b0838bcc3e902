// The statistics sheet's slow moments under Wine, over a generated ten-year archive: the first
// "Обновить" of the year page (every summary built), filling the year page, a later "Обновить",
// loading a whole day's samples into the details list (the visible rows painted), and exporting
// that day as CSV.
// Prints the median and the slowest of each; the archive is made in the temporary directory and
// removed at the end.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/directory_tree_win.h"
#include "platform/wide_text_win.h"
#include "statsheet/archive_generator.h"
#include "statsheet/sample_texts.h"
#include "statsheet/sheet_texts.h"
#include "stats/raw_sample.h"
#include "stats/stat_files_win.h"
#include "stats/stat_reader.h"
#include "statsheet/csv_export_win.h"
#include "statsheet/report_list_win.h"

namespace {

constexpr int kRuns = 9;
const std::string* shown_raw = nullptr;  // what the details list shows

double milliseconds(const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(milliseconds(work));
  std::sort(times.begin(), times.end());
  std::printf("%s: median %.1f ms, slowest %.1f ms (%d runs)\n", what, times[times.size() / 2], times.back(), runs);
}

// The details page's answer to its owner-data list.
LRESULT CALLBACK frame_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == LVN_GETDISPINFOW && shown_raw) {
    auto& request = *reinterpret_cast<NMLVDISPINFOW*>(lparam);
    const stats::RawValues sample = stats::unpack_raw_sample(stats::raw_record_at(*shown_raw, request.item.iItem));
    statsheet::supply_item_text(request, statsheet::sample_cell_text(sample, request.item.iSubItem, '.'));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND make_list(HWND frame, DWORD extra_style) {
  return CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | extra_style, 10, 10,
                         720, 230, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW frame_class{};
  frame_class.lpfnWndProc = frame_procedure;
  frame_class.hInstance = GetModuleHandleW(nullptr);
  frame_class.lpszClassName = L"stat_sheet_bench";
  RegisterClassW(&frame_class);
  HWND frame = CreateWindowExW(0, L"stat_sheet_bench", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 740, 250, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!frame) {
    std::puts("stat_sheet_bench: no window (is DISPLAY set?)");
    return 1;
  }

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "orvik-stat-bench-" + std::to_string(GetCurrentProcessId());
  SYSTEMTIME now{};
  GetLocalTime(&now);
  stats::Win32StatFiles files;
  statsheet::ArchivePlan plan{root, {now.wYear - 9, 1, 1}, {now.wYear, 1, 31}, 3, 0};
  statsheet::ArchiveReport made;
  std::printf("ten years of day files and events generated in %.0f ms\n",
              milliseconds([&] { made = statsheet::generate_archive(files, plan); }));
  // A day monitored around the clock, a sample every second.
  statsheet::ArchivePlan full_day = plan;
  full_day.raw_rate = 1;
  for (int day = 10; day <= 31 && made.raw_records != 86400; ++day) {
    full_day.first_day = full_day.last_day = {now.wYear, 1, day};
    made = statsheet::generate_archive(files, full_day);
  }

  stats::stat_reader reader(files, [root] { return stats::StatConfig{true, true, 1, false, root}; });
  reader.load_path();
  report("first \"Обновить\" of the year page (every summary of ten years built)", 1, [&] { reader.update_all(); });
  HWND years = make_list(frame, 0);
  statsheet::set_up_report_list(years, statsheet::kYearColumns);
  const auto fill = [&] { statsheet::show_totals_rows(years, statsheet::year_page_rows(reader, now.wYear, '.')); };
  report("filling the year page over ten years", kRuns, fill);
  report("\"Обновить\" with every summary current (checked, then filled)", kRuns, [&] {
    reader.update_all();
    fill();
  });
  DestroyWindow(years);

  HWND samples = make_list(frame, LVS_OWNERDATA);
  statsheet::set_up_report_list(samples, statsheet::kSampleColumns);
  std::string raw;
  report("loading a full day on the details page (read, count, end in view, painted)", kRuns, [&] {
    ListView_SetItemCountEx(samples, 0, 0);
    shown_raw = nullptr;
    raw = reader.read_raw(full_day.first_day.year, 1, full_day.first_day.day).value_or("");
    shown_raw = &raw;
    const int count = static_cast<int>(stats::raw_record_count(raw.size()));
    ListView_SetItemCountEx(samples, count, LVSICF_NOSCROLL);
    ListView_EnsureVisible(samples, count - 1, FALSE);
    RedrawWindow(samples, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  });
  std::printf("   (%zu samples)\n", stats::raw_record_count(raw.size()));
  const std::wstring export_path = platform::to_wide(root + "\\day.csv");
  report("exporting that day as CSV", kRuns, [&] { statsheet::write_samples_csv(export_path, raw, '.'); });
  DestroyWindow(frame);
  platform::remove_directory_tree(root);
  return 0;
}
