// The `setup` requests the service host makes inside its own process, against a monitoring core
// running on the simulated UPS: the end of the session and power events forwarded to its monitor
// window, and event lines for its statistics log.
#include <gtest/gtest.h>

#include "core/test_minidriver_fixture_win.h"
#include "setup/test_setup_export_win.h"

namespace installation {
namespace {

using core::testing::CoreOutput;
using core::testing::since;
using namespace installation::testing;

constexpr WPARAM kResumeEvent = 7;  // PBT_APMRESUMESUSPEND

class SetupInService : public core::testing::MinidriverHostTest {
 protected:
  static void SetUpTestSuite() {
    snapshot_ = new ServiceKeySnapshot;
    set_up_host("orvik_setup_service");
    setup_ = bind_setup(library_);
    ASSERT_NE(setup_, nullptr);
  }
  static void TearDownTestSuite() {
    delete snapshot_;
    snapshot_ = nullptr;
  }

  static inline ServiceKeySnapshot* snapshot_ = nullptr;
  static inline SetupFunction setup_ = nullptr;
};

TEST_F(SetupInService, EndOfSessionAndPowerEventsReachTheRunningCoresWindow) {
  core::testing::ConfigOverride config;
  config.set_dword("TurnUPSOffEnable2", 0);  // the end of the session must not switch the UPS off
  ASSERT_TRUE(start());
  const std::size_t mark = output_->events().size();

  EXPECT_EQ(setup_(kForwardEndSession, 0), 0);
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), mark), 12, "Ручное выключение зафиксированно (0)\n"))
      << since(output_->events(), mark);
  EXPECT_EQ(setup_(kForwardPowerEvent, kResumeEvent), 0);
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), mark), 18, "Выход из спящего режима зафиксирован\n"));
  stop();
}

// A window that only counts what it is sent, under the monitor window's class and title.
struct Decoy {
  static inline int received = 0;
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ENDSESSION || message == WM_POWERBROADCAST) ++received;
    return DefWindowProcA(window, message, wparam, lparam);
  }
};

TEST_F(SetupInService, WithoutMonitoringInThisProcessNothingIsForwarded) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = Decoy::procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "CWndUPS";
  ASSERT_TRUE(RegisterClassA(&window_class));
  HWND decoy = CreateWindowExA(0, "CWndUPS", "ServiceUPS", 0, 0, 0, 0, 0, nullptr, nullptr, window_class.hInstance,
                               nullptr);
  ASSERT_NE(decoy, nullptr);

  EXPECT_EQ(setup_(kForwardEndSession, 0), 0);
  EXPECT_EQ(setup_(kForwardPowerEvent, kResumeEvent), 0);
  EXPECT_EQ(Decoy::received, 0) << "a window of that name is not the core's window";

  DestroyWindow(decoy);
  UnregisterClassA("CWndUPS", window_class.hInstance);
}

TEST_F(SetupInService, EventRecordIsWrittenWithItsTextAsItIs) {
  ASSERT_TRUE(start());
  const std::size_t mark = output_->events().size();
  const EventRecord no_text{51, nullptr};
  EXPECT_EQ(setup_(kRecordEvent, 0), 0);
  EXPECT_EQ(setup_(kRecordEvent, reinterpret_cast<ULONG_PTR>(&no_text)), 0);
  const char text[] = "Проверка записи: 100%d%% без форматирования\n";
  const EventRecord record{50, text};
  EXPECT_EQ(setup_(kRecordEvent, reinterpret_cast<ULONG_PTR>(&record)), 0);

  const std::string events = since(output_->events(), mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 50, text)) << events;
  EXPECT_EQ(events.find("|51|"), std::string::npos);
  stop();
}

}  // namespace
}  // namespace installation
