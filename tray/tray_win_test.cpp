// The tray application as a user gets it: "orvik_ups /gui" in a virtual desktop, against the
// monitoring core hosted by this test on the simulated UPS.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

#include "core/test_minidriver_fixture_win.h"
#include "ipc/pipe_client_win.h"
#include "ipc/test_squatter_win.h"
#include "settings/settings_ids.h"
#include "setup/test_registry_snapshot_win.h"
#include "tools/sheet_driver/sheet_driver_win.h"
#include "tray/test_tray_desktop_win.h"

namespace tray {
namespace {

using core::testing::eventually;
using core::testing::since;
namespace simulator = core::testing::simulator;
using namespace tray::testing;

// The body colours of the built-in icons (resources/make_tray_art.sh).
constexpr unsigned kGreyNoLink = 0xa4a8ad;
constexpr unsigned kAmberBattery = 0xf5a623;
constexpr unsigned kGreenMains = 0x2eb84b;

class TrayApplication : public core::testing::MinidriverHostTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(enter_tray_desktop());
    set_up_host("tray");
  }

  void TearDown() override {
    if (tray_ && platform::testing::wait_for_exit(tray_.get(), 0) == -1) TerminateProcess(tray_.get(), 9);
    MinidriverHostTest::TearDown();
  }

  void start_tray() {
    trace_mark_ = output_->trace().size();
    tray_ = start_tray_process();
    ASSERT_TRUE(tray_);
  }
  std::string tray_trace() const { return since(output_->trace(), trace_mark_); }
  bool traced(const char* line, DWORD limit_ms = 15000) const {
    return eventually([&] { return tray_trace().find(line) != std::string::npos; }, limit_ms);
  }
  // The tray's window once it is up and its icon added.
  HWND wait_for_tray_window() const {
    HWND window = nullptr;
    eventually([&] { return (window = tray_window()) != nullptr; }, 15000);
    return window;
  }

  // Opens "Питание" in the open menu; the sub-menu's window, or null.
  static HWND open_power_menu(HWND menu) {
    for (int i = 0; i < 3; ++i) press_key(menu, VK_DOWN);
    press_key(menu, VK_RIGHT);
    HWND sub = nullptr;
    eventually([&] { return (sub = visible_menu_window(menu)) != nullptr; }, 3000);
    return sub;
  }
  // Chooses the `index`th command of the power sub-menu (the keys skip separators:
  // 0 "Блокировать действие" ... 7 "Ждать (Suspend)").
  void choose_power_command(HWND tray, int index) const {
    HWND menu = open_menu(tray);
    ASSERT_NE(menu, nullptr);
    HWND sub = open_power_menu(menu);
    ASSERT_NE(sub, nullptr);
    for (int i = 0; i < index; ++i) press_key(sub, VK_DOWN);
    press_key(sub, VK_RETURN);
  }

  core::testing::ConfigOverride config_;
  platform::UniqueHandle tray_;
  std::size_t trace_mark_ = 0;
};

TEST_F(TrayApplication, IconFollowsTheUpsAndTheMenuReachesTheService) {
  config_.set_dword("PowerActionTestMode", 1);
  config_.set_string("ICO_BAT", "C:\\no\\such\\icon.ico");
  config_.set_string("ICO_ONLINE", "C:\\windows\\win.ini");
  const std::string empty_file = output_->dir() + "\\empty.ico";
  CloseHandle(CreateFileA(empty_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  config_.set_string("ICO_NOUPS", empty_file.c_str());
  ASSERT_TRUE(start());
  start_tray();
  HWND tray = wait_for_tray_window();
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(traced("UPS_UI::CONNECT IPC:1\n"));
  EXPECT_TRUE(traced("UPS_UI::CONNECT SMAP:1\n"));

  EXPECT_TRUE(traced("UPS_UI::icon mains\n"));
  EXPECT_TRUE(eventually([] { return notification_area_shows(kGreenMains); }, 5000)) << "built in: not an icon file";
  simulator::command("mains off");
  EXPECT_TRUE(traced("UPS_UI::icon on battery\n"));
  EXPECT_TRUE(eventually([] { return notification_area_shows(kAmberBattery); }, 5000)) << "built in: no file";
  simulator::command("silence on");
  EXPECT_TRUE(traced("UPS_UI::icon no link\n", 30000));
  EXPECT_TRUE(eventually([] { return notification_area_shows(kGreyNoLink); }, 5000));
  simulator::command("silence off\nmains on");
  EXPECT_TRUE(eventually([&] { return tray_trace().rfind("UPS_UI::icon mains\n") > tray_trace().find("no link"); },
                         30000));

  choose_power_command(tray, 0);
  EXPECT_TRUE(eventually([&] { return block_->action_blocked == 1; }, 3000)) << "Блокировать действие";
  block_->action_blocked = 5;
  choose_power_command(tray, 0);
  EXPECT_TRUE(eventually([&] { return block_->action_blocked == 0; }, 3000)) << "5 toggles to 0";
  choose_power_command(tray, 7);  // "Ждать (Suspend)": request 4, action 3
  EXPECT_TRUE(eventually(
      [&] { return tray_trace().find("UPS::test mode: SetSystemPowerState(standby") != std::string::npos; }, 10000));
  EXPECT_EQ(block_->action_request, 0u) << "taken by the service";

  // Any local process can write the block: strings without terminators, NaN and absurd numbers.
  simulator::command("mains off");
  std::memset(block_->model, 'm', sizeof block_->model);
  std::memset(block_->port, 'p', sizeof block_->port);
  block_->load_va = NAN;
  block_->runtime = 3e38f;
  block_->time_in_state = -1;
  PostMessageW(tray, 0x8001, 0, WM_LBUTTONDOWN);
  Sleep(1500);
  EXPECT_EQ(platform::testing::wait_for_exit(tray_.get(), 0), -1) << "the balloon over a scribbled block";

  // Fast user switching: a disconnected session lets the pipe go, a connected one takes it back.
  PostMessageW(tray, 0x02B1 /* WM_WTSSESSION_CHANGE */, 2 /* console disconnect */, 7);
  EXPECT_TRUE(traced("UPS_UI::logoff for sessionID:7 freed\n"));
  ipc::PipeClient other_session;
  EXPECT_TRUE(eventually([&] { return other_session.connect(); }, 5000)) << "the pipe is free";
  other_session.disconnect();
  PostMessageW(tray, 0x02B1, 1 /* console connect */, 7);
  EXPECT_TRUE(traced("UPS_UI::logon sessionID:7 detected\n"));
  EXPECT_TRUE(traced("UPS_UI::IPC connect 1\n"));
  PostMessageW(tray, WM_POWERBROADCAST, 4 /* PBT_APMSUSPEND */, 0);
  EXPECT_TRUE(traced("UPS_UI::suspend mode detected\n"));
  // A restarted shell: the icon comes back as "no link" and the next refresh restores it.
  const std::size_t before_restart = tray_trace().size();
  PostMessageW(tray, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(eventually([&] { return since(tray_trace(), before_restart).find("UPS_UI::icon ") != std::string::npos; },
                         5000));

  block_->gui_exit_request = 7;
  EXPECT_EQ(platform::testing::wait_for_exit(tray_.get(), 2000), 0) << "the GUI exit request closes the tray";
  block_->gui_exit_request = 0;
}

TEST_F(TrayApplication, AServiceStartingLateIsWaitedFor) {
  start_tray();
  EXPECT_TRUE(traced("UPS_UI::Wait service UPS 3\n"));
  ASSERT_TRUE(start());
  HWND tray = wait_for_tray_window();
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(traced("UPS_UI::icon mains\n"));
  const std::string trace = tray_trace();
  EXPECT_LT(trace.rfind("UPS_UI::Wait service UPS"), trace.find("UPS_UI::newDataUPS:"));
  // "Закрыть" ends the tray application.
  HWND menu = open_menu(tray);
  ASSERT_NE(menu, nullptr);
  press_key(menu, VK_UP);
  press_key(menu, VK_RETURN);
  EXPECT_EQ(platform::testing::wait_for_exit(tray_.get(), 5000), 0);
}

// Restricted (no write access to the settings, as under UAC), the tray still takes the pipe and
// greys only what its token may not ask; its sheets open in an elevated start of the host.
TEST_F(TrayApplication, WithoutAccessToTheSettingsTheTrayUsesThePipeAndOpensTheSheetsElevated) {
  ASSERT_TRUE(start());
  block_->turn_off_blocked = 1;
  std::unique_ptr<TrayThread> tray_thread;
  {
    installation::testing::RegistrySnapshot config(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\UPS\\Config");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\UPS\\Config");
    tray_thread = std::make_unique<TrayThread>(library_);
    ASSERT_TRUE(eventually([] { return tray_window() != nullptr; }, 15000));
  }
  EXPECT_TRUE(traced("UPS_UI::CONNECT IPC:1\n")) << "restricted, the tray takes the pipe all the same";

  HWND menu = open_menu(tray_window());
  ASSERT_NE(menu, nullptr);
  const std::vector<ShownItem> main = shown_items(menu);
  const std::vector<std::wstring> main_texts = {L"Настройки", L"Статистика", L"Питание", L"Закрыть"};
  ASSERT_EQ(main.size(), main_texts.size());
  for (std::size_t i = 0; i < main.size(); ++i) EXPECT_EQ(main[i].text, main_texts[i]);
  for (const ShownItem& item : main) EXPECT_FALSE(item.state & MF_GRAYED);
  HWND sub = open_power_menu(menu);
  ASSERT_NE(sub, nullptr);
  const std::vector<ShownItem> power = shown_items(sub);
  const std::vector<std::wstring> power_texts = {
      L"Блокировать действие", L"Блокировать выкл. ИБП", L"", L"Выключить (Power OFF) + выкл. ИБП",
      L"Спать (Hibernate) + выкл. ИБП", L"", L"Выключить (Power OFF) + вкл. ИБП", L"Спать (Hibernate) + вкл. ИБП",
      L"", L"Сброс (Reset)", L"Ждать (Suspend)"};
  ASSERT_EQ(power.size(), power_texts.size());
  for (std::size_t i = 0; i < power.size(); ++i) {
    EXPECT_EQ(power[i].text, power_texts[i]);
    EXPECT_EQ((power[i].state & MF_SEPARATOR) != 0, power_texts[i].empty()) << i;
    // This token is an administrator's: the missing settings access greys nothing.
    if (!power_texts[i].empty()) {
      EXPECT_FALSE(power[i].state & MF_GRAYED) << i;
    }
  }
  EXPECT_FALSE(power[0].state & MF_CHECKED);
  EXPECT_TRUE(power[1].state & MF_CHECKED) << "Блокировать выкл. ИБП follows the block";
  press_key(sub, VK_ESCAPE);
  press_key(menu, VK_ESCAPE);

  // "Настройки" starts the host elevated (under Wine "runas" simply starts it): its sheet has every
  // page, which the tray's own could not have had; the host ends with the sheet.
  ASSERT_TRUE(eventually([] { return visible_menu_window() == nullptr; }, 3000));
  menu = open_menu(tray_window());
  ASSERT_NE(menu, nullptr);
  press_key(menu, VK_DOWN);
  platform::save_screen(output_->dir() + "\\restricted-menu.bmp");  // kept for a look
  press_key(menu, VK_RETURN);
  EXPECT_TRUE(traced("UPS_UI::elevated start /settings: 0\n"));
  std::optional<sheet_driver::SheetDriver> sheet = sheet_driver::SheetDriver::find(15000);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->page_count(), 6);
  EXPECT_TRUE(eventually([&] { return sheet->read(IDC_INFO_LINK) == L"установлена"; }, 5000))
      << "the elevated sheet follows the service";
  platform::save_screen(output_->dir() + "\\elevated-settings.bmp");
  EXPECT_TRUE(sheet->close(false, 5000));

  ASSERT_TRUE(eventually([] { return !FindWindowW(nullptr, L"Настройки"); }, 5000));
  menu = open_menu(tray_window());
  ASSERT_NE(menu, nullptr);
  press_key(menu, VK_UP);  // from nothing to "Закрыть"
  press_key(menu, VK_RETURN);
  EXPECT_EQ(tray_thread->result(5000), 0) << "Закрыть";
  block_->turn_off_blocked = 0;
}

// Another process took the pipe's name before the service started: the tray runs all the same, its
// icon follows the UPS through the block, it tells whether the service runs from the block's cycles,
// and it connects by itself once the name is free again.
TEST_F(TrayApplication, WithThePipesNameTakenTheIconStillFollowsTheUpsAndThePipeComesBack) {
  ipc::testing::Squatter squatter;
  ASSERT_TRUE(squatter.holds_the_name(10000));
  ASSERT_TRUE(start());
  start_tray();
  ASSERT_NE(wait_for_tray_window(), nullptr) << "no pipe is no reason to give up";
  EXPECT_TRUE(traced("UPS_UI::CONNECT IPC:0\n"));
  EXPECT_TRUE(traced("UPS_UI::icon mains\n"));
  EXPECT_TRUE(eventually([] { return notification_area_shows(kGreenMains); }, 5000));
  simulator::command("mains off");
  EXPECT_TRUE(traced("UPS_UI::icon on battery\n"));
  EXPECT_TRUE(eventually([] { return notification_area_shows(kAmberBattery); }, 5000));
  simulator::command("mains on");
  EXPECT_EQ(tray_trace().find("UPS_UI::IPC connect 1\n"), std::string::npos) << "never to the other process";

  // Without the pipe the tray judges the service by its cycles. One killed leaves the manual-reset
  // event set: its block no longer moving must be enough to call it gone.
  EXPECT_TRUE(traced("UPS_UI::service present\n"));
  stop();
  trace_mark_ = output_->trace().size();
  const platform::UniqueHandle left_set(OpenEventA(EVENT_MODIFY_STATE, FALSE, ipc::kNewDataEventName));
  ASSERT_TRUE(left_set && SetEvent(left_set.get()));
  EXPECT_TRUE(traced("UPS_UI::service gone\n", 10000));
  ASSERT_TRUE(start());
  EXPECT_TRUE(traced("UPS_UI::service present\n", 10000));

  EXPECT_EQ(squatter.leave(), 0);
  EXPECT_TRUE(traced("UPS::IPC available again\n"));
  EXPECT_TRUE(traced("UPS_UI::IPC connect 1\n")) << "the tray found the service's pipe by itself";
}

}  // namespace
}  // namespace tray
