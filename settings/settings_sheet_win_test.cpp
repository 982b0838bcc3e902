// The settings sheet of the tray application started as a user gets it, worked from this process
// with the sheet driver, against the core hosted here on the simulated UPS.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/test_minidriver_fixture_win.h"
#include "settings/settings_ids.h"
#include "tools/sheet_driver/sheet_driver_win.h"
#include "tray/test_tray_desktop_win.h"

namespace settings {
namespace {

using core::testing::eventually;
namespace simulator = core::testing::simulator;
using sheet_driver::SheetDriver;

std::uint32_t config_dword(const char* name) {
  std::uint32_t value = 0xDEADBEEF;
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  platform::read_dword_value(config.get(), name, value);
  return value;
}

std::string config_string(const char* name) {
  char value[512] = "";
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  platform::read_string_value(config.get(), name, value, sizeof value);
  return value;
}

class SettingsSheet : public core::testing::MinidriverHostTest {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(tray::testing::enter_tray_desktop());
    set_up_host("sheet");
  }
  void TearDown() override {
    if (tray_ && platform::testing::wait_for_exit(tray_.get(), 0) == -1) TerminateProcess(tray_.get(), 9);
    MinidriverHostTest::TearDown();
  }
  void start_system() {
    ASSERT_TRUE(start());
    tray_ = tray::testing::start_tray_process();
    ASSERT_TRUE(tray_);
    ASSERT_TRUE(eventually([] { return tray::testing::tray_window() != nullptr; }, 15000));
  }

  core::testing::ConfigOverride config_;
  platform::UniqueHandle tray_;
};

TEST_F(SettingsSheet, PagesRoundTripThroughTheRegistryAndReachTheService) {
  config_.set_string("SignalTime", "22:30-07:05");
  config_.set_dword("SignalEnable", 0);
  config_.set_dword("SignalTimeEnable", 0);
  config_.set_dword("TurnUPSOffWait", 180);
  config_.set_dword("TrayTempInfo", 0);
  config_.set_dword("testNUPS", 5);
  ASSERT_NO_FATAL_FAILURE(start_system());
  std::optional<SheetDriver> sheet = SheetDriver::open(15000);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->page_count(), 6);

  // The information page follows the block once a second. A session no longer at the console lets
  // the pipe go, but the service still runs: its new data say so, and the page goes on showing it.
  EXPECT_TRUE(eventually([&] { return sheet->read(IDC_INFO_LINK) == L"установлена"; }, 5000));
  const std::wstring first = sheet->read(IDC_INFO_TEXT);
  EXPECT_TRUE(eventually([&] { return sheet->read(IDC_INFO_TEXT) != first; }, 5000)) << "the input jitters";
  std::size_t trace_mark = output_->trace().size();
  PostMessageW(tray::testing::tray_window(), 0x02B1 /* WM_WTSSESSION_CHANGE */, 2 /* console disconnect */, 1);
  ASSERT_TRUE(eventually([&] { return output_->trace().find("UPS_UI::logoff", trace_mark) != std::string::npos; }, 5000));
  const std::wstring without_pipe = sheet->read(IDC_INFO_TEXT);
  EXPECT_TRUE(eventually([&] { return sheet->read(IDC_INFO_TEXT) != without_pipe; }, 5000)) << "still live";
  EXPECT_FALSE(sheet->read(IDC_INFO_TEXT).starts_with(L"ВНИМАНИЕ!"));
  trace_mark = output_->trace().size();
  PostMessageW(tray::testing::tray_window(), 0x02B1, 1 /* console connect */, 1);
  EXPECT_TRUE(eventually([&] { return output_->trace().find("UPS_UI::IPC connect 1", trace_mark) != std::string::npos; },
                         5000)) << "the pipe is taken again";

  // The general page: the beeper window as stored, a number typed beyond the arrows' range, the
  // beeper switched on and taken by the running service without a restart.
  ASSERT_TRUE(sheet->select_page(1));
  EXPECT_EQ(sheet->read(IDC_GEN_SIGNAL_FROM), L"22:30");
  EXPECT_EQ(sheet->read(IDC_GEN_SIGNAL_TO), L"07:05");
  EXPECT_FALSE(sheet->enabled(IDC_GEN_SIGNAL_WINDOW)) << "only while the beeper box is checked";
  const std::size_t mark = simulator::received().size();
  ASSERT_TRUE(sheet->set(IDC_GEN_TURN_OFF_WAIT, L"5000"));
  ASSERT_TRUE(sheet->set(IDC_GEN_SIGNAL, L"1"));
  EXPECT_TRUE(sheet->enabled(IDC_GEN_SIGNAL_WINDOW));
  ASSERT_TRUE(sheet->apply());
  EXPECT_EQ(config_dword("TurnUPSOffWait"), 5000u);
  EXPECT_EQ(config_dword("SignalEnable"), 1u);
  EXPECT_EQ(config_string("SignalTime"), "22:30-7:5");
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark).find("Q\r") != std::string::npos; }, 10000))
      << "the beeper toggled";

  // The counter button registers and removes the counters at once; its text follows.
  const std::wstring counters_before = sheet->read(IDC_GEN_COUNTERS);
  ASSERT_TRUE(sheet->click(IDC_GEN_COUNTERS));
  EXPECT_NE(sheet->read(IDC_GEN_COUNTERS), counters_before);
  EXPECT_EQ(static_cast<bool>(platform::open_key("SYSTEM\\CurrentControlSet\\Services\\UPS\\Performance", KEY_READ)),
            counters_before == L"Вкл. WMI");
  ASSERT_TRUE(sheet->click(IDC_GEN_COUNTERS));
  EXPECT_EQ(sheet->read(IDC_GEN_COUNTERS), counters_before);

  // The test page's buttons act at once, the N-minute test clamped to 99.
  ASSERT_TRUE(sheet->select_page(4));
  EXPECT_EQ(sheet->read(IDC_TEST_MINUTES), L"5");
  ASSERT_TRUE(sheet->set(IDC_TEST_MINUTES, L"150"));
  const std::size_t tests = simulator::received().size();
  for (int button : {IDC_TEST_SHORT, IDC_TEST_MINUTES_START, IDC_TEST_UNTIL_LOW, IDC_TEST_SHORT_CANCEL}) {
    ASSERT_TRUE(sheet->click(button));
    Sleep(1500);  // the service takes one message per polling cycle
  }
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(tests).find("CT\r") != std::string::npos; }, 10000));
  EXPECT_EQ(simulator::commands_since(tests).substr(0, 12), "T\rT99\rTL\rCT\r");

  // Cancel writes nothing.
  ASSERT_TRUE(sheet->select_page(2));
  ASSERT_TRUE(sheet->set(IDC_TRAY_TEMPERATURE, L"1"));
  ASSERT_TRUE(sheet->close(false, 5000));
  EXPECT_EQ(config_dword("TrayTempInfo"), 0u);
  EXPECT_EQ(config_dword("testNUPS"), 5u) << "the typed 150 was not applied";

  block_->gui_exit_request = 1;
  EXPECT_EQ(platform::testing::wait_for_exit(tray_.get(), 3000), 0);
  block_->gui_exit_request = 0;
}

}  // namespace
}  // namespace settings
