// The notifier as the tray uses it, in this process: a hidden owner, a plain skin made in memory
// (the skin resource lives in the library, not in this program), one whole slide out and back,
// a click, the hover look read back from the window, the translucency.
#include "tray/taskbar_notifier_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "platform/system_function_win.h"
#include "tray/tray_ids.h"

// Where GoogleTest's comparisons find it: RECT is a global type.
static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace tray {
namespace {

constexpr int kSkinWidth = 250;
constexpr int kSkinHeight = 201;  // odd: the slide's last step is a short one
constexpr COLORREF kNormal = RGB(0, 0, 0);
constexpr COLORREF kHover = RGB(0, 0, 200);
constexpr wchar_t kText[] = L"Работа от батареи: IIII llll";

int settings_requests = 0;

LRESULT CALLBACK owner_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgShowSettings) ++settings_requests;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HBITMAP white_skin() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kSkinWidth, kSkinHeight);
  platform::UniqueMemoryDc memory(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  platform::SelectedObject selected(memory.get(), bitmap);
  PatBlt(memory.get(), 0, 0, kSkinWidth, kSkinHeight, WHITENESS);
  return bitmap;
}

RECT window_rect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The pixels of `colour` on the window's own surface.
int pixels_of(HWND hwnd, COLORREF colour) {
  HDC dc = GetDC(hwnd);
  int count = 0;
  for (int y = 0; y < kSkinHeight; ++y)
    for (int x = 0; x < kSkinWidth; ++x) count += GetPixel(dc, x, y) == colour;
  ReleaseDC(hwnd, dc);
  return count;
}

// Dispatches this thread's messages until `done` holds; false after `limit_ms`. `seen` looks at
// each message once it has been handled.
bool pump_until(const std::function<bool()>& done, DWORD limit_ms, const std::function<void(const MSG&)>& seen = {}) {
  for (const DWORD start = GetTickCount(); !done();) {
    if (GetTickCount() - start >= limit_ms) return false;
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    DispatchMessageW(&message);
    if (seen) seen(message);
  }
  return true;
}

class TaskbarNotifier : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW owner_class{};
    owner_class.lpfnWndProc = owner_proc;
    owner_class.hInstance = GetModuleHandleW(nullptr);
    owner_class.lpszClassName = L"NotifierTestOwner";
    RegisterClassW(&owner_class);
    owner_ = CreateWindowExW(0, owner_class.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, owner_class.hInstance, nullptr);
    ASSERT_NE(owner_, nullptr) << "no X display?";
    ASSERT_TRUE(notifier_.create(owner_));
    ASSERT_TRUE(notifier_.adopt_skin(white_skin()));
    ASSERT_TRUE(notifier_.set_text_font(L"Arial", 90));
    notifier_.set_text_colours(kNormal, kHover);
    settings_requests = 0;
  }
  // The owner takes the notifier's window along; the object outlives it.
  void TearDown() override { DestroyWindow(owner_); }

  HWND owner_ = nullptr;
  CTaskbarNotifier notifier_;
};

TEST_F(TaskbarNotifier, IsATranslucentTopmostToolWindowOfItsOwner) {
  const HWND hwnd = notifier_.hwnd();
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  EXPECT_STREQ(name, L"UPSTaskbarNotifier");
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner_);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  const LONG_PTR ex_style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_EQ(ex_style & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED);

  using GetAttributes = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
  const auto get_attributes =
      platform::find_system_function<GetAttributes>(GetModuleHandleW(L"user32.dll"), "GetLayeredWindowAttributes");
  ASSERT_NE(get_attributes, nullptr);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(get_attributes(hwnd, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

TEST_F(TaskbarNotifier, SlidesOutOfTheBottomRightOfTheWorkAreaStaysAndSlidesBack) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const ScreenFacts screen{{area.left, area.top, area.right, area.bottom}, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN)};
  ASSERT_EQ(taskbar_edge(screen), TaskbarEdge::bottom) << "the test's desktop has no taskbar at a side";
  const RECT start{area.right - kSkinWidth, area.bottom, area.right, area.bottom + kSkinHeight};
  const RECT shown{start.left, area.bottom - kSkinHeight, start.right, area.bottom};

  const HWND hwnd = notifier_.hwnd();
  notifier_.show(kText);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_NE(GetForegroundWindow(), hwnd);
  std::map<WPARAM, int> ticks;
  std::vector<RECT> path{window_rect(hwnd)};
  RECT at_stay_end{};
  ASSERT_TRUE(pump_until([&] { return !IsWindowVisible(hwnd); }, 20000, [&](const MSG& m) {
    if (m.hwnd != hwnd || m.message != WM_TIMER) return;
    ++ticks[m.wParam];
    if (m.wParam == kStayTimer) at_stay_end = window_rect(hwnd);
    if (IsWindowVisible(hwnd)) path.push_back(window_rect(hwnd));
  }));

  // 100 steps of 2 px and one of 1 px each way, and the tick that ends each slide.
  EXPECT_EQ(ticks, (std::map<WPARAM, int>{{kSlideInTimer, 102}, {kStayTimer, 1}, {kSlideOutTimer, 102}}));
  EXPECT_EQ(at_stay_end, shown);
  std::size_t highest = 0;
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (path[i].top < path[highest].top) highest = i;
    const int moved = path[i].top - path[i - 1].top;
    EXPECT_TRUE(i <= highest ? moved <= 0 && moved >= -2 : moved >= 0 && moved <= 2) << i << ": " << moved;
    EXPECT_TRUE(path[i].left == start.left && path[i].right == start.right &&
                path[i].bottom - path[i].top == kSkinHeight && path[i].top >= shown.top)
        << i;
  }
  EXPECT_EQ(path.front(), start);
  EXPECT_EQ(path[highest], shown);
  EXPECT_EQ(path.back(), start);
  EXPECT_EQ(window_rect(hwnd), (RECT{0, 0, 0, 0}));
  EXPECT_EQ(notifier_.state(), NotifierState::hidden);
}

TEST_F(TaskbarNotifier, WhileOutAClickAsksTheOwnerForTheSettingsOnceAndHoverShowsTheHoverColour) {
  const HWND hwnd = notifier_.hwnd();
  notifier_.show(kText);
  ASSERT_TRUE(pump_until([&] { return notifier_.state() == NotifierState::waiting; }, 10000));

  PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  pump_until([] { return false; }, 300);
  EXPECT_EQ(settings_requests, 1);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(notifier_.state(), NotifierState::waiting);

  const struct {
    UINT message;
    COLORREF seen, unseen;
  } steps[] = {{0, kNormal, kHover}, {WM_MOUSEHOVER, kHover, kNormal}, {WM_MOUSELEAVE, kNormal, kHover}};
  std::vector<int> seen;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.message);
    if (step.message) SendMessageW(hwnd, step.message, 0, 0);
    seen.push_back(pixels_of(hwnd, step.seen));
    EXPECT_GT(seen.back(), 20);
    EXPECT_EQ(pixels_of(hwnd, step.unseen), 0);
  }
  // The same glyphs, and under them a line longer than 100 px.
  EXPECT_GT(seen[1], seen[0] + 100) << "underlined while hovered";
  EXPECT_EQ(seen[2], seen[0]);
}

}  // namespace
}  // namespace tray
