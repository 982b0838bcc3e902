// The viewer as a user drives it, from another process, against a status block this test
// publishes as the service would: no block, no window; Run plots, Stop allows zooming, the
// zoom history walks back, Exit ends the program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ipc/shared_block_win.h"
#include "platform/test_wine_env_win.h"
#include "scopeview/viewer_ids.h"

namespace scopeview {
namespace {

using platform::testing::env;
using platform::testing::start_process;
using platform::testing::wait_for_exit;
using platform::testing::wine_path;

constexpr wchar_t kCaption[] = L"UPS realtime graph";

std::string viewer_program() { return "\"" + wine_path(env("ORVIK_BIN_DIR")) + "\\scopeview.exe\""; }

bool eventually(const std::function<bool()>& condition, DWORD limit_ms = 10000) {
  for (const DWORD start = GetTickCount(); !condition(); Sleep(50))
    if (GetTickCount() - start >= limit_ms) return false;
  return true;
}

TEST(ViewerWithoutTheService, EndsAtOnceWithoutAWindow) {
  platform::UniqueHandle viewer = start_process(viewer_program());
  ASSERT_TRUE(viewer);
  EXPECT_EQ(wait_for_exit(viewer.get(), 10000), 0);
  EXPECT_EQ(FindWindowW(nullptr, kCaption), nullptr);
}

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ipc::open_shared_block(block_, true)) << "the block as the service creates it";
    publish(230.0f, 13.5f);
    viewer_ = start_process(viewer_program());
    ASSERT_TRUE(viewer_);
    // Found as soon as it is created, before its controls exist; shown only once initialised.
    ASSERT_TRUE(eventually([&] {
      dialog_ = FindWindowW(nullptr, kCaption);
      return dialog_ != nullptr && IsWindowVisible(dialog_);
    }));
  }
  void TearDown() override {
    if (viewer_ && wait_for_exit(viewer_.get(), 0) == -1) TerminateProcess(viewer_.get(), 99);
  }

  void publish(float input, float battery) {
    ipc::UpsSharedBlock& block = *ipc::shared_block(block_);
    block.status.input_voltage = input;
    block.status.output_voltage = 220.0f;
    block.status.battery_voltage = battery;
    block.status.load_percent = 40;
  }
  void press(int id) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  bool enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
  // The enabled state follows in the viewer's idle update.
  bool becomes_enabled(int id, bool on) {
    return eventually([&] { return enabled(id) == on; }, 5000);
  }
  HWND strip(int index) {
    HWND found = nullptr;
    for (int i = 0; i <= index; ++i)
      found = FindWindowExW(GetDlgItem(dialog_, IDC_SCOPE), found, L"WTL_OscilloscopeChannel", nullptr);
    return found;
  }
  // Whether the strip shows a pixel of the colour, as the screen shows it (the dialog kept on top,
  // so that no other window can cover the strip).
  bool strip_shows(HWND window, COLORREF colour) {
    SetWindowPos(dialog_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT r;
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    bool seen = false;
    for (int y = 0; y < r.bottom && !seen; ++y)
      for (int x = 0; x < r.right && !seen; ++x) seen = GetPixel(screen, origin.x + x, origin.y + y) == colour;
    ReleaseDC(nullptr, screen);
    return seen;
  }
  void drag(HWND window, POINT from, POINT to) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  }

  platform::SharedMemory block_;
  platform::UniqueHandle viewer_;
  HWND dialog_ = nullptr;
};

TEST_F(Viewer, RunPlotsTheBlockStopAllowsZoomingAndTheHistoryWalksBack) {
  EXPECT_TRUE(becomes_enabled(IDC_RUN, true));
  EXPECT_TRUE(becomes_enabled(IDC_STOP, false));
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_OUT, false)) << "nothing zoomed yet";

  press(IDC_RUN);
  EXPECT_TRUE(becomes_enabled(IDC_STOP, true));
  EXPECT_TRUE(becomes_enabled(IDC_RUN, false));
  EXPECT_TRUE(becomes_enabled(IDC_EXIT, false));
  EXPECT_TRUE(becomes_enabled(IDC_CHANNEL_1, false)) << "the channels are fixed while running";
  const HWND input = strip(0);
  ASSERT_NE(input, nullptr);
  EXPECT_TRUE(eventually([&] { return strip_shows(input, RGB(128, 255, 128)); }))
      << "the input voltage's trace appears in its colour";
  publish(0.0f, 12.9f);  // mains fails
  Sleep(2500);

  press(IDC_STOP);
  EXPECT_TRUE(becomes_enabled(IDC_RUN, true));
  RECT r;
  GetClientRect(input, &r);
  drag(input, {r.right / 10, r.bottom / 10}, {r.right / 2, r.bottom * 8 / 10});
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_OUT, true)) << "the zoom went into the history";
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_TOP, true));
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_IN, false));
  press(IDC_ZOOM_OUT);
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_IN, true)) << "back one, so forward is possible";
  EXPECT_TRUE(becomes_enabled(IDC_ZOOM_OUT, false));

  press(IDC_EXIT);
  EXPECT_EQ(wait_for_exit(viewer_.get(), 10000), 0);
}

// Typed numbers are limited to 10..1000: the up-down takes the limited number at once, and the
// field shows it when it loses the focus. (Under Wine another process reads an edit's text length
// but not its text.)
TEST_F(Viewer, LastPointsAreLimitedToTheWindowSizes) {
  const HWND edit = GetDlgItem(dialog_, IDC_LAST_POINTS);
  const HWND spin = GetDlgItem(dialog_, IDC_LAST_POINTS_SPIN);
  struct Case {
    const wchar_t* typed;
    LRESULT kept;
    LRESULT digits;
  };
  for (const Case& c : {Case{L"5", 10, 2}, Case{L"5000", 1000, 4}, Case{L"250", 250, 3}}) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), c.kept) << c.typed;
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_LAST_POINTS, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), c.digits) << c.typed;
  }
  press(IDC_EXIT);
  EXPECT_EQ(wait_for_exit(viewer_.get(), 10000), 0);
}

}  // namespace
}  // namespace scopeview
