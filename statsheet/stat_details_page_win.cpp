// The details page: one day's event lines and raw samples, the service asked to flush today's
// files first, and the samples' CSV export.
#include <optional>
#include <string>

#include "ipc/pipe_message.h"
#include "platform/wide_text_win.h"
#include "statsheet/sample_texts.h"
#include "statsheet/statsheet_ids.h"
#include "stats/raw_sample.h"
#include "statsheet/csv_export_win.h"
#include "statsheet/report_list_win.h"
#include "statsheet/stat_pages_win.h"

namespace statsheet {
namespace {

constexpr UINT kEventsCodePage = 1251;  // the recorder writes its event lines in Windows-1251

class DetailsPage final : public tray::SheetPage {
 public:
  explicit DetailsPage(StatSheetState& state) : SheetPage(IDD_STAT_DETAILS), state_(state) {}

 private:
  void on_init() override { set_up_report_list(samples(), statsheet::kSampleColumns); }
  void on_set_active() override {
    EnableWindow(GetDlgItem(hwnd_, IDC_DETAILS_UPDATE), state_.selected == local_today());
    load();
  }
  void on_kill_active() override {
    forget_flush();
    empty_samples();
    SetDlgItemTextW(hwnd_, IDC_DETAILS_EVENTS, L"");
  }
  void on_apply() override { forget_flush(); }
  void on_new_data() override {
    forget_flush();
    load();
    const HWND update = GetDlgItem(hwnd_, IDC_DETAILS_UPDATE);
    EnableWindow(update, TRUE);
    SetFocus(update);
  }
  void on_command(int control, int code) override {
    if (code != BN_CLICKED) return;
    if (control == IDC_DETAILS_UPDATE) ask_for_flush();
    if (control == IDC_DETAILS_EXPORT && raw_) export_samples(GetActiveWindow(), *raw_, state_.point);
  }
  bool on_control_notify(const NMHDR& header) override {
    if (header.idFrom != IDC_DETAILS_SAMPLES || header.code != LVN_GETDISPINFOW) return false;
    auto& request = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
    if (!raw_ || request.item.iItem < 0 ||
        static_cast<std::size_t>(request.item.iItem) >= stats::raw_record_count(raw_->size())) {
      return true;
    }
    const stats::RawValues sample = stats::unpack_raw_sample(stats::raw_record_at(*raw_, request.item.iItem));
    supply_item_text(request, statsheet::sample_cell_text(sample, request.item.iSubItem, state_.point));
    return true;
  }

  // The service writes out what it buffers and answers; the tray hands the answer to this page.
  void ask_for_flush() {
    if (state_.services.flush_waiter) state_.services.flush_waiter(hwnd_);
    EnableWindow(GetDlgItem(hwnd_, IDC_DETAILS_UPDATE), FALSE);
    ipc::PipeClient* pipe = state_.services.pipe;
    if (pipe && pipe->is_connected()) pipe->write(ipc::make_pipe_message(ipc::MSG_STAT_FLUSH));
  }
  void forget_flush() {
    if (state_.services.flush_waiter) state_.services.flush_waiter(nullptr);
  }

  void load() {
    const statsheet::CalendarDate& day = state_.selected;
    show_events(state_.reader.read_events(day.year, day.month, day.day));
    empty_samples();
    raw_ = state_.reader.read_raw(day.year, day.month, day.day);
    EnableWindow(GetDlgItem(hwnd_, IDC_DETAILS_EXPORT), raw_.has_value());
    if (!raw_) return;
    const int count = static_cast<int>(stats::raw_record_count(raw_->size()));
    ListView_SetItemCountEx(samples(), count, LVSICF_NOSCROLL);
    if (count > 0) ListView_EnsureVisible(samples(), count - 1, FALSE);
  }
  // The newest lines in view: the text goes in at the caret, put at the end.
  void show_events(const std::optional<std::string>& events) {
    const HWND edit = GetDlgItem(hwnd_, IDC_DETAILS_EVENTS);
    SetWindowTextW(edit, L"");
    if (!events) return;
    const std::wstring text = platform::to_wide(statsheet::edit_control_text(*events), kEventsCodePage);
    SendMessageW(edit, EM_SETLIMITTEXT, text.size(), 0);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  }
  void empty_samples() {
    ListView_SetItemCountEx(samples(), 0, 0);
    raw_.reset();
  }
  HWND samples() const { return GetDlgItem(hwnd_, IDC_DETAILS_SAMPLES); }

  StatSheetState& state_;
  std::optional<std::string> raw_;  // the day's raw file while the list shows it
};

}  // namespace

std::unique_ptr<tray::SheetPage> make_details_page(StatSheetState& state) { return std::make_unique<DetailsPage>(state); }

}  // namespace statsheet
