#include "settings/settings_pages_win.h"

#include <commdlg.h>
#include <shlobj.h>


#include "perf/counter_registration_win.h"
#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "platform/wide_text_win.h"
#include "settings/general_page.h"
#include "settings/information_text.h"
#include "settings/settings_ids.h"
#include "settings/statistics_page.h"
#include "settings/test_page.h"
#include "settings/tray_page.h"
#include "settings/about_text_win.h"
#include "settings/page_controls_win.h"
#include "tray/status_text.h"

namespace settings {
namespace {

// Paths are kept in the system's code page, which the readers (A functions) expect; the form and
// the controls speak UTF-8.
void paths_to_utf8(PageForm& form, std::initializer_list<int> paths) {
  for (int id : paths) form[id] = platform::code_page_to_utf8(form[id]);
}
void paths_to_code_page(PageForm& form, std::initializer_list<int> paths) {
  for (int id : paths) form[id] = platform::utf8_to_code_page(form[id]);
}


class InformationPage final : public SettingsPage {
 public:
  explicit InformationPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_INFO) {}

 private:
  void on_init() override {
    centre_sheet();
    if (services_.frame_created) services_.frame_created(GetParent(hwnd_));
  }
  void on_set_active() override {
    if (services_.information_page) services_.information_page(hwnd_);
    fill();
  }
  void on_kill_active() override {
    if (services_.information_page) services_.information_page(nullptr);
  }
  void on_new_data() override { fill(); }

  void fill() {
    const bool present = services_.service_present && services_.service_present();
    PageForm form = information_page(tray::block_copy(*services_.block), present);
    paths_to_utf8(form, {IDC_INFO_MODEL, IDC_INFO_PORT, IDC_INFO_RAW});  // the block's texts, too
    form_to_controls(hwnd_, form);
  }
};

class GeneralPage final : public SettingsPage {
 public:
  explicit GeneralPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_GENERAL) {}

 private:
  void on_init() override {
    fill_combo(hwnd_, IDC_GEN_ACTION, action_items());
    fill_combo(hwnd_, IDC_GEN_KEY_LED_NUM, key_led_items());
    for (int picker : {IDC_GEN_SIGNAL_FROM, IDC_GEN_SIGNAL_TO})
      SendDlgItemMessageW(hwnd_, picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    const ipc::UpsSharedBlock block = tray::block_copy(*services_.block);
    set_up_down_ranges(hwnd_, general_page_ranges(tray::block_field_text(block.vendor)));
    with_config([&](core::ConfigStore& store) { form_to_controls(hwnd_, load_general_page(store)); });
    capacity_valid_ = block.capacity_valid != 0;
    update_enables();
    show_counter_state();
  }
  void on_command(int control, int code) override {
    if (control == IDC_GEN_COUNTERS && code == BN_CLICKED) {
      toggle_counters();
      return;
    }
    if (control == IDC_GEN_SIGNAL) update_enables();
    if (code == BN_CLICKED || code == EN_CHANGE || code == CBN_SELCHANGE) changed();
  }
  void on_apply() override {
    const PageForm form = current_form();
    bool saved = false;
    with_config([&](core::ConfigStore& store) { saved = save_general_page(form, store); });
    if (saved) send(ipc::to_message(settings_record_from_form(form)));
  }

  PageForm current_form() const {
    return controls_to_form(hwnd_, {IDC_GEN_ACTION, IDC_GEN_ON_BATTERY, IDC_GEN_ON_BATTERY_WAIT, IDC_GEN_ON_CAPACITY,
                                    IDC_GEN_ON_CAPACITY_WAIT, IDC_GEN_ON_VOLTAGE, IDC_GEN_ON_VOLTAGE_WAIT,
                                    IDC_GEN_TURN_OFF, IDC_GEN_TURN_OFF_PC, IDC_GEN_TURN_OFF_WAIT, IDC_GEN_TURN_ON,
                                    IDC_GEN_TURN_ON_WAIT, IDC_GEN_SIGNAL, IDC_GEN_SIGNAL_WINDOW, IDC_GEN_SIGNAL_FROM,
                                    IDC_GEN_SIGNAL_TO, IDC_GEN_WAIT_BA, IDC_GEN_WAIT_BA_WAIT, IDC_GEN_KEY_LED,
                                    IDC_GEN_KEY_LED_NUM});
  }
  void update_enables() {
    const GeneralEnables enables = general_page_enables(current_form(), capacity_valid_);
    for (int id : {IDC_GEN_ON_CAPACITY, IDC_GEN_ON_CAPACITY_WAIT, IDC_GEN_ON_CAPACITY_WAIT + IDC_UPDOWN_OFFSET})
      EnableWindow(GetDlgItem(hwnd_, id), enables.capacity_condition);
    for (int id : {IDC_GEN_SIGNAL_WINDOW, IDC_GEN_SIGNAL_FROM, IDC_GEN_SIGNAL_TO})
      EnableWindow(GetDlgItem(hwnd_, id), enables.signal_window);
  }
  // Registration acts at once, whatever becomes of the sheet.
  void toggle_counters() {
    if (perf::query_counters_state() > 0)
      perf::unregister_counters();
    else
      perf::register_counters(platform::this_module());
    show_counter_state();
  }
  void show_counter_state() {
    const int state = perf::query_counters_state();
    HWND button = GetDlgItem(hwnd_, IDC_GEN_COUNTERS);
    EnableWindow(button, state >= 0);
    SetWindowTextW(button, state == 0 ? L"Вкл. WMI" : L"Выкл. WMI");
  }

  bool capacity_valid_ = false;
};

// The open-file dialog for one icon; the chosen path, or empty.
std::string choose_icon_file(HWND owner) {
  wchar_t path[MAX_PATH] = L"";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Icons (*.ico)\0*.ico\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  return GetOpenFileNameW(&dialog) ? platform::to_utf8(path) : std::string();
}

class TrayPage final : public SettingsPage {
 public:
  explicit TrayPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_TRAY) {}

 private:
  struct IconRow {
    int path, browse, reset;
  };
  static constexpr IconRow kRows[] = {
      {IDC_TRAY_ONLINE_PATH, IDC_TRAY_ONLINE_BROWSE, IDC_TRAY_ONLINE_DEFAULT},
      {IDC_TRAY_AVR_PATH, IDC_TRAY_AVR_BROWSE, IDC_TRAY_AVR_DEFAULT},
      {IDC_TRAY_BAT_PATH, IDC_TRAY_BAT_BROWSE, IDC_TRAY_BAT_DEFAULT},
      {IDC_TRAY_NOUPS_PATH, IDC_TRAY_NOUPS_BROWSE, IDC_TRAY_NOUPS_DEFAULT},
  };

  static constexpr std::initializer_list<int> kPaths = {IDC_TRAY_ONLINE_PATH, IDC_TRAY_AVR_PATH, IDC_TRAY_BAT_PATH,
                                                         IDC_TRAY_NOUPS_PATH};

  void on_init() override {
    with_config([&](core::ConfigStore& store) {
      PageForm form = load_tray_page(store);
      paths_to_utf8(form, kPaths);
      form_to_controls(hwnd_, form);
    });
  }
  void on_command(int control, int code) override {
    if (code != BN_CLICKED) return;
    for (const IconRow& row : kRows) {
      if (control == row.browse) {
        const std::string path = choose_icon_file(hwnd_);
        if (path.empty()) return;
        form_to_controls(hwnd_, {{row.path, path}});
      } else if (control == row.reset) {
        form_to_controls(hwnd_, {{row.path, ""}});
      }
    }
    changed();
  }
  void on_apply() override {
    PageForm form =
        controls_to_form(hwnd_, {IDC_TRAY_ONLINE_PATH, IDC_TRAY_AVR_PATH, IDC_TRAY_BAT_PATH, IDC_TRAY_NOUPS_PATH,
                                 IDC_TRAY_TEMPERATURE, IDC_TRAY_NOTIFIER});
    paths_to_code_page(form, kPaths);
    with_config([&](core::ConfigStore& store) { save_tray_page(form, store); });
    if (services_.reload_icons) services_.reload_icons();
  }
};

// The folder browser for the archive; the chosen folder, or empty.
std::string choose_folder(HWND owner) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = L"Выбирите директорию";
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return {};
  wchar_t path[MAX_PATH] = L"";
  const bool ok = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  return ok ? platform::to_utf8(path) : std::string();
}

class StatisticsPage final : public SettingsPage {
 public:
  explicit StatisticsPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_STATISTICS) {}

 private:
  void on_init() override {
    with_config([&](core::ConfigStore& store) {
      PageForm form = load_statistics_page(store);
      paths_to_utf8(form, {IDC_STAT_PATH});
      form_to_controls(hwnd_, form);
    });
  }
  void on_command(int control, int code) override {
    if (control == IDC_STAT_BROWSE && code == BN_CLICKED) {
      const std::string folder = choose_folder(hwnd_);
      if (folder.empty()) return;
      form_to_controls(hwnd_, {{IDC_STAT_PATH, folder}});
    }
    if (code == BN_CLICKED || code == EN_CHANGE) changed();
  }
  void on_apply() override {
    PageForm form =
        controls_to_form(hwnd_, {IDC_STAT_ON, IDC_STAT_DATA, IDC_STAT_RATE, IDC_STAT_FLUSH_FORCE, IDC_STAT_PATH});
    paths_to_code_page(form, {IDC_STAT_PATH});
    bool saved = false;
    with_config([&](core::ConfigStore& store) { saved = save_statistics_page(form, store); });
    if (saved) send(ipc::make_pipe_message(ipc::MSG_STAT_RELOAD));
  }
};

class TestPage final : public SettingsPage {
 public:
  explicit TestPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_TEST) {}

 private:
  void on_init() override {
    set_up_down_ranges(hwnd_, {{IDC_TEST_MINUTES, 1, 99}});
    with_config([&](core::ConfigStore& store) { form_to_controls(hwnd_, load_test_page(store)); });
  }
  // The buttons act at once, whatever becomes of the sheet.
  void on_command(int control, int code) override {
    if (code == EN_CHANGE) changed();
    if (code != BN_CLICKED) return;
    if (const auto message = test_button_message(control, minutes())) send(*message);
  }
  void on_apply() override {
    with_config([&](core::ConfigStore& store) { save_test_page(minutes(), store); });
  }
  PageForm minutes() const { return controls_to_form(hwnd_, {IDC_TEST_MINUTES}); }
};

class AboutPage final : public SettingsPage {
 public:
  explicit AboutPage(const SheetServices& services) : SettingsPage(services, IDD_PAGE_ABOUT) {}

 private:
  void on_init() override { form_to_controls(hwnd_, {{IDC_ABOUT_TEXT, about_text()}}); }
};

}  // namespace

std::vector<std::unique_ptr<tray::SheetPage>> make_settings_pages(const SheetServices& services) {
  std::vector<std::unique_ptr<tray::SheetPage>> pages;
  pages.push_back(std::make_unique<InformationPage>(services));
  if (!services.restricted) {
    pages.push_back(std::make_unique<GeneralPage>(services));
    pages.push_back(std::make_unique<TrayPage>(services));
    pages.push_back(std::make_unique<StatisticsPage>(services));
    pages.push_back(std::make_unique<TestPage>(services));
  }
  pages.push_back(std::make_unique<AboutPage>(services));
  return pages;
}

}  // namespace settings
