// The day page: the month calendar with each day painted by what happened on it, and the selected
// day's totals beside it.
#include "platform/gdi_win.h"
#include "platform/wide_text_win.h"
#include "statsheet/calendar_ctrl_win.h"
#include "statsheet/day_page.h"
#include "statsheet/sheet_texts.h"
#include "statsheet/statsheet_ids.h"
#include "statsheet/stat_pages_win.h"

namespace statsheet {
namespace {

constexpr unsigned kDayPageCalendarStyle = statsheet::kCalendarNeighbourDays | statsheet::kCalendarMarkToday;

class DayPage final : public tray::SheetPage {
 public:
  explicit DayPage(StatSheetState& state) : SheetPage(IDD_STAT_DAY), state_(state), cells_(state.reader) {}

 private:
  void on_init() override {
    const HWND placeholder = GetDlgItem(hwnd_, IDC_DAY_CALENDAR);
    RECT place{};
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
    DestroyWindow(placeholder);
    calendar_.create(hwnd_, place.left, place.top, IDC_DAY_CALENDAR, kDayPageCalendarStyle);
    cells_.forget();
    accepting_ = false;
    calendar_.set_selected_date(state_.selected);
  }
  void on_set_active() override {
    calendar_.set_selected_date(state_.selected);
    accepting_ = true;
  }
  void on_kill_active() override { accepting_ = false; }
  void on_command(int control, int code) override {
    if (control != IDC_DAY_UPDATE || code != BN_CLICKED) return;
    state_.reader.update_month(state_.selected.year, state_.selected.month);
    cells_.forget();
    calendar_.redraw();
    show_information();
  }
  bool on_control_notify(const NMHDR& header) override {
    if (header.idFrom != IDC_DAY_CALENDAR) return false;
    switch (static_cast<int>(header.code)) {
      case statsheet::CMN_SELCHANGE:
        if (accepting_) select(reinterpret_cast<const statsheet::CalendarSelChange&>(header).start);
        return true;
      case statsheet::CMN_GETDAYSTATE:
        answer(0);
        return true;
      case statsheet::CMN_DRAWDAY:
        draw(reinterpret_cast<const statsheet::CalendarDrawDay&>(header));
        answer(1);
        return true;
      default:
        return false;
    }
  }

  void select(const SYSTEMTIME& start) {
    state_.selected = {start.wYear, start.wMonth, start.wDay};
    show_information();
  }
  void show_information() {
    const std::string text = statsheet::day_information_text(state_.reader, state_.selected, state_.point);
    SetDlgItemTextW(hwnd_, IDC_DAY_INFORMATION, platform::to_wide(text).c_str());
  }

  void draw(const statsheet::CalendarDrawDay& request) {
    const statsheet::DayCellLook look =
        cells_.draw(request.column, request.row, request.year, request.month, request.day);
    RECT cell = request.cell;
    if (const statsheet::Rgb* colour = statsheet::mark_colour(look.mark)) {
      const platform::UniqueGdiObject brush(CreateSolidBrush(RGB(colour->red, colour->green, colour->blue)));
      RECT mark{cell.left, cell.top, cell.right, cell.bottom - 2};
      FillRect(request.dc, &mark, static_cast<HBRUSH>(brush.get()));
    }
    SetBkMode(request.dc, TRANSPARENT);
    draw_centred(request.dc, look.number, cell);
    cell.top += (cell.bottom - cell.top) / 2;
    draw_centred(request.dc, look.lower, cell);
  }
  static void draw_centred(HDC dc, const std::string& text, RECT& area) {
    if (text.empty()) return;
    std::wstring wide = platform::to_wide(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }

  StatSheetState& state_;
  statsheet::CMiniCalendarCtrl calendar_;
  statsheet::DayCellCache cells_;
  bool accepting_ = false;
};

}  // namespace

std::unique_ptr<tray::SheetPage> make_day_page(StatSheetState& state) { return std::make_unique<DayPage>(state); }

}  // namespace statsheet
