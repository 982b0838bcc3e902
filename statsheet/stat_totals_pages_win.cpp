// The year and month pages: the archive's totals as rows, newest first.
#include <string>

#include "platform/wide_text_win.h"
#include "statsheet/sheet_texts.h"
#include "statsheet/statsheet_ids.h"
#include "statsheet/report_list_win.h"
#include "statsheet/stat_pages_win.h"

namespace statsheet {
namespace {

class YearPage final : public tray::SheetPage {
 public:
  explicit YearPage(StatSheetState& state) : SheetPage(IDD_STAT_YEAR), state_(state) {}

 private:
  void on_init() override {
    centre_sheet();
    if (state_.services.frame_created) state_.services.frame_created(GetParent(hwnd_));
    set_up_report_list(list(), statsheet::kYearColumns);
    fill();
  }
  void on_command(int control, int code) override {
    if (control != IDC_YEAR_UPDATE || code != BN_CLICKED) return;
    state_.reader.update_all();
    fill();
  }
  bool on_control_notify(const NMHDR& header) override {
    if (header.idFrom != IDC_YEAR_LIST || !selection_state_changed(header)) return false;
    state_.selected.year = row_item_value(list(), reinterpret_cast<const NMLISTVIEW&>(header).iItem);
    return true;
  }

  void fill() {
    show_totals_rows(list(), statsheet::year_page_rows(state_.reader, local_today().year, state_.point));
  }
  HWND list() const { return GetDlgItem(hwnd_, IDC_YEAR_LIST); }

  StatSheetState& state_;
};

class MonthPage final : public tray::SheetPage {
 public:
  explicit MonthPage(StatSheetState& state) : SheetPage(IDD_STAT_MONTH), state_(state) {}

 private:
  void on_init() override {
    set_up_report_list(list(), statsheet::kMonthColumns);
    fill();
  }
  void on_set_active() override { fill(); }
  void on_command(int control, int code) override {
    if (control == IDC_MONTH_YEAR && code == CBN_SELCHANGE) {
      wchar_t text[21] = {};
      GetDlgItemTextW(hwnd_, IDC_MONTH_YEAR, text, 21);
      state_.selected.year = statsheet::year_of_choice(platform::to_utf8(text));
      fill_list();
    } else if (control == IDC_MONTH_UPDATE && code == BN_CLICKED) {
      state_.reader.update_year(state_.selected.year);
      fill();
    }
  }
  bool on_control_notify(const NMHDR& header) override {
    if (header.idFrom != IDC_MONTH_LIST || !selection_state_changed(header)) return false;
    state_.selected.month = row_item_value(list(), reinterpret_cast<const NMLISTVIEW&>(header).iItem);
    return true;
  }

  void fill() {
    const HWND years = GetDlgItem(hwnd_, IDC_MONTH_YEAR);
    SendMessageW(years, CB_RESETCONTENT, 0, 0);
    for (const std::string& choice : statsheet::year_choices(state_.reader, local_today().year)) {
      SendMessageW(years, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::to_wide(choice).c_str()));
    }
    const std::wstring selected = std::to_wstring(state_.selected.year);
    const LRESULT entry =
        SendMessageW(years, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(selected.c_str()));
    SendMessageW(years, CB_SETCURSEL, entry, 0);
    fill_list();
  }
  void fill_list() {
    show_totals_rows(list(), statsheet::month_page_rows(state_.reader, state_.selected.year, state_.point));
  }
  HWND list() const { return GetDlgItem(hwnd_, IDC_MONTH_LIST); }

  StatSheetState& state_;
};

}  // namespace

std::unique_ptr<tray::SheetPage> make_year_page(StatSheetState& state) { return std::make_unique<YearPage>(state); }
std::unique_ptr<tray::SheetPage> make_month_page(StatSheetState& state) { return std::make_unique<MonthPage>(state); }

}  // namespace statsheet
