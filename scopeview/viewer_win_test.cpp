// The viewer as a user drives it, from another process, against a status block this test
// publishes as the service would: no block, no window; Run plots, Stop allows zooming, the
// zoom history walks back, a new run never repaints an earlier run's samples, Exit ends the
// program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ipc/shared_block_win.h"
#include "platform/screen_capture_win.h"
#include "platform/test_wine_env_win.h"
#include "scopeview/sample_store.h"
#include "scopeview/viewer_controls.h"
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

// Keeps a thread from taking messages while it lives, so that messages posted to the thread's
// windows meanwhile are all queued before its next timer message, which comes only when no posted
// message waits.
class HeldThread {
 public:
  explicit HeldThread(DWORD id) : thread_(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, id)) {
    if (!thread_ || SuspendThread(thread_.get()) == static_cast<DWORD>(-1)) {
      thread_.reset();
      return;
    }
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(thread_.get(), &context);  // returns once the thread has really stopped
  }
  ~HeldThread() {
    if (thread_) ResumeThread(thread_.get());
  }
  bool held() const { return static_cast<bool>(thread_); }

 private:
  platform::UniqueHandle thread_;
};

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ipc::open_shared_block(block_, true)) << "the block as the service creates it";
    publish(230.0f, 220.0f, 13.5f, 40);
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

  void publish(float input, float output, float battery, int load) {
    ipc::UpsSharedBlock& block = *ipc::shared_block(block_);
    block.status.input_voltage = input;
    block.status.output_voltage = output;
    block.status.battery_voltage = battery;
    block.status.load_percent = load;
  }
  void press(int id) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void post_press(int id) { PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void set_checked(int id, bool on) {
    SendDlgItemMessageW(dialog_, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
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
  // A hidden channel's strip is laid out with no area.
  bool strip_laid_out(int index) {
    RECT r;
    return GetClientRect(strip(index), &r) && !IsRectEmpty(&r);
  }
  // Whether the strip shows a pixel of the colour at or below `from_height` (a share of its height
  // from the top), as the screen shows it in one copy (the dialog kept on top, so that no other
  // window can cover the strip).
  bool strip_shows(HWND window, Rgb colour, double from_height = 0.0) {
    SetWindowPos(dialog_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    r.top += static_cast<LONG>((r.bottom - r.top) * from_height);
    const platform::ScreenPixels copy = platform::capture_screen(r);
    const unsigned wanted = unsigned{colour.red} << 16 | unsigned{colour.green} << 8 | colour.blue;
    for (int y = 0; y < copy.height; ++y)
      for (int x = 0; x < copy.width; ++x)
        if (copy.at(x, y) == wanted) return true;
    return false;
  }
  bool strip_shows_its_trace(int channel, double from_height = 0.0) {
    return strip_shows(strip(channel), kViewerChannelColours[channel], from_height);
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
  EXPECT_TRUE(eventually([&] { return strip_shows_its_trace(0); }))
      << "the input voltage's trace appears in its colour";
  publish(0.0f, 220.0f, 12.9f, 40);  // mains fails
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

// Run replaces the arrays the strips paint from. After Run and Stop with no sample between them,
// and a channel hidden at that Run shown again, every strip repaints empty instead of painting the
// earlier run's samples from freed arrays. Every strip's range reaches 0 in the first run, so that
// whatever a freed array holds (old samples, or zeros of an array allocated in its place) would
// show as a trace.
TEST_F(Viewer, AfterRunNoStripRepaintsAnEarlierRunsSamples) {
  press(IDC_RUN);
  ASSERT_TRUE(eventually([&] { return strip_shows_its_trace(0); }));
  publish(0.0f, 0.0f, 0.0f, 0);
  for (int channel = 0; channel < kViewerChannels; ++channel)
    ASSERT_TRUE(eventually([&] { return strip_shows_its_trace(channel, 0.75); })) << "channel " << channel;
  press(IDC_STOP);
  const int hidden = 2;
  set_checked(IDC_CHANNEL_1 + hidden, false);
  press(IDC_CHANNEL_1 + hidden);
  ASSERT_FALSE(strip_laid_out(hidden));

  set_checked(IDC_CHANNEL_1 + hidden, true);
  {
    HeldThread viewer_thread(GetWindowThreadProcessId(dialog_, nullptr));
    ASSERT_TRUE(viewer_thread.held());
    post_press(IDC_RUN);
    post_press(IDC_STOP);
    post_press(IDC_CHANNEL_1 + hidden);
  }
  ASSERT_TRUE(eventually([&] { return strip_laid_out(hidden); })) << "Run, Stop and the shown channel handled";
  // The strips repaint before the viewer next goes idle, when its idle update enables "Run" again.
  EnableWindow(GetDlgItem(dialog_, IDC_RUN), FALSE);
  ASSERT_TRUE(becomes_enabled(IDC_RUN, true));
  for (int channel = 0; channel < kViewerChannels; ++channel)
    EXPECT_TRUE(eventually([&] { return !strip_shows_its_trace(channel); })) << "channel " << channel;

  press(IDC_RUN);
  EXPECT_TRUE(eventually([&] { return strip_shows_its_trace(hidden); })) << "the next run feeds it";
  press(IDC_STOP);
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
