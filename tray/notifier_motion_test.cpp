// The notifier's slide on a fake screen with a fake clock: edges, plans, the whole cycle and its
// ticks, shows that arrive while it is out.
#include "tray/notifier_motion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

namespace tray {
namespace {

ScreenFacts screen_with(ScreenRect work_area) { return {work_area, 1280, 800}; }

const ScreenFacts kTaskbarBottom = screen_with({0, 0, 1280, 770});
const ScreenFacts kTaskbarTop = screen_with({0, 30, 1280, 800});
const ScreenFacts kTaskbarLeft = screen_with({60, 0, 1280, 800});
const ScreenFacts kTaskbarRight = screen_with({0, 0, 1220, 800});

// The window as CTaskbarNotifier drives it, and its timers as the system fires them: in time
// order, each a period after its start or its last tick.
struct FakeNotifierWindow {
  FakeNotifierWindow(ScreenFacts screen_facts, int skin_width, int skin_height) : screen(screen_facts) {
    motion.set_size(skin_width, skin_height);
  }
  void show(std::wstring text) { apply(motion.show(std::move(text), screen)); }

  void run_until(long until_ms) {
    for (;;) {
      auto next = timers.end();
      for (auto it = timers.begin(); it != timers.end(); ++it)
        if (next == timers.end() || it->second.due < next->second.due) next = it;
      if (next == timers.end() || next->second.due > until_ms) break;
      const unsigned id = next->first;
      now = next->second.due;
      next->second.due += next->second.period;
      ++ticks[id];
      apply(motion.timer(id));
    }
    now = until_ms;
  }
  bool run_while(NotifierState state, long limit_ms = 60000) {
    while (motion.state() == state && now < limit_ms) run_until(now + 1);
    return motion.state() != state;
  }
  // The time at which it went, or -1 when it is still out after `limit_ms`.
  long run_until_hidden(long limit_ms = 60000) {
    while (visible && now < limit_ms) run_until(now + 1);
    return visible ? -1 : now;
  }

  void apply(const NotifierActions& actions) {
    using Kind = NotifierAction::Kind;
    for (const NotifierAction& a : actions) {
      if (a.kind == Kind::start_timer) timers[a.timer] = {now + a.period_ms, a.period_ms};
      if (a.kind == Kind::stop_timer) timers.erase(a.timer);
      if (a.kind == Kind::place) placed = a;
      if (a.kind == Kind::show_window || a.kind == Kind::hide_window) visible = a.kind == Kind::show_window;
      if (a.kind == Kind::place || a.kind == Kind::show_window)
        if (visible) path.push_back(placed.at);
      redraws += a.kind == Kind::redraw;
    }
  }

  struct Timer {
    long due, period;
  };
  ScreenFacts screen;
  NotifierMotion motion;
  long now = 0;
  bool visible = false;
  NotifierAction placed{NotifierAction::Kind::place};
  int redraws = 0;
  std::map<unsigned, Timer> timers;
  std::map<unsigned, int> ticks;
  std::vector<ScreenPoint> path;  // every placement while shown
};

TEST(TaskbarEdge, FollowsTheSideTheWorkAreaLeavesFree) {
  const struct {
    ScreenRect work_area;
    TaskbarEdge edge;
  } cases[] = {
      {{0, 0, 1280, 770}, TaskbarEdge::bottom}, {{0, 30, 1280, 800}, TaskbarEdge::top},
      {{60, 0, 1280, 800}, TaskbarEdge::left},  {{0, 0, 1220, 800}, TaskbarEdge::right},
      {{0, 0, 1280, 800}, TaskbarEdge::bottom},  // hidden taskbar
      {{0, 30, 1220, 800}, TaskbarEdge::right},  // narrower and lower: the side wins
  };
  for (const auto& c : cases) EXPECT_EQ(taskbar_edge(screen_with(c.work_area)), c.edge) << c.work_area.left;
}

// Every placement one step of at most 2 px toward `to`, the last exactly on it.
void expect_straight_slide(const std::vector<ScreenPoint>& path, ScreenPoint from, ScreenPoint to) {
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), from);
  EXPECT_EQ(path.back(), to);
  for (std::size_t i = 1; i < path.size(); ++i) {
    const int dx = path[i].x - path[i - 1].x;
    const int dy = path[i].y - path[i - 1].y;
    const bool toward = dx * (to.x - from.x) >= 0 && dy * (to.y - from.y) >= 0;
    EXPECT_TRUE(toward && std::abs(dx) + std::abs(dy) <= kSlideStep) << "step " << i << ": " << dx << ',' << dy;
  }
}

TEST(NotifierSlide, StartsJustOutsideTheWorkAreaAndEndsExactlyInPlaceBothWays) {
  const struct {
    ScreenFacts screen;
    int width, height;
    int steps, interval_ms;
    ScreenPoint start, shown;
    int ticks_in;  // the moves and the tick that finds it out
  } cases[] = {
      {kTaskbarBottom, 250, 200, 100, 5, {1030, 770}, {1030, 570}, 101},
      {kTaskbarTop, 250, 200, 100, 5, {1030, -170}, {1030, 30}, 101},
      {kTaskbarLeft, 250, 200, 125, 4, {-190, 600}, {60, 600}, 126},
      {kTaskbarRight, 250, 200, 125, 4, {1220, 600}, {970, 600}, 126},
      {kTaskbarBottom, 250, 201, 100, 5, {1030, 770}, {1030, 569}, 102},  // a last step of 1 px
      {kTaskbarBottom, 250, 1, 1, 500, {1030, 770}, {1030, 769}, 2},
      {kTaskbarLeft, 0, 0, 1, 500, {60, 800}, {60, 800}, 1},
      {kTaskbarBottom, 250, 2400, 1200, 1, {1030, 770}, {1030, -1630}, 1201},  // 500 / 1200 ms would be 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.start.x << ',' << c.start.y << ", height " << c.height);
    FakeNotifierWindow window(c.screen, c.width, c.height);
    window.show(L"Mains lost");
    const SlidePlan& plan = window.motion.plan();
    EXPECT_EQ(plan.steps, c.steps);
    EXPECT_EQ(plan.show_interval_ms, c.interval_ms);
    EXPECT_EQ(plan.hide_interval_ms, c.interval_ms);
    ASSERT_TRUE(window.run_while(NotifierState::hidden) && window.run_while(NotifierState::appearing));
    EXPECT_EQ(window.ticks[kSlideInTimer], c.ticks_in);
    expect_straight_slide(window.path, c.start, c.shown);
    EXPECT_EQ(window.placed.width, c.width);
    EXPECT_EQ(window.placed.height, c.height);
    window.path.assign(1, c.shown);
    ASSERT_NE(window.run_until_hidden(), -1);
    expect_straight_slide(window.path, c.shown, c.start);
  }
}

TEST(NotifierSlide, WholeCycleTakesItsTicksAndEndsHiddenAndCollapsed) {
  FakeNotifierWindow window(kTaskbarBottom, 250, 200);
  window.show(L"Mains lost");
  EXPECT_TRUE(window.visible);
  const struct {
    long at_ms;
    NotifierState state;
  } timeline[] = {{504, NotifierState::appearing},     {505, NotifierState::waiting},
                  {3504, NotifierState::waiting},      {3510, NotifierState::disappearing},
                  {4009, NotifierState::disappearing}, {4010, NotifierState::hidden}};
  for (const auto& t : timeline) {
    window.run_until(t.at_ms);
    EXPECT_EQ(window.motion.state(), t.state) << t.at_ms;
  }
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(window.ticks, (std::map<unsigned, int>{{kSlideInTimer, 101}, {kStayTimer, 1}, {kSlideOutTimer, 101}}));
  EXPECT_TRUE(window.timers.empty());
  EXPECT_EQ(window.placed, (NotifierAction{NotifierAction::Kind::place}));  // (0, 0), 0 × 0

  // Again from the start: nothing of the first run is left over.
  window.path.clear();
  window.show(L"Mains back");
  EXPECT_EQ(window.run_until_hidden(), 4010 + 4010);
  EXPECT_EQ(window.path.front(), (ScreenPoint{1030, 770}));
}

TEST(NotifierShow, WhileOutReplacesTheTextAndKeepsItOutForAWholeStay) {
  const ScreenPoint bottom_shown{1030, 570};
  const struct {
    const char* when;
    ScreenFacts screen;
    long show_at;
    NotifierState state_after;
    ScreenPoint at_after;
    long hidden_at;
  } cases[] = {
      {"appearing", kTaskbarBottom, 200, NotifierState::appearing, {1030, 690}, 4010},  // slides on undisturbed
      {"waiting", kTaskbarBottom, 2000, NotifierState::waiting, bottom_shown, 2000 + 3000 + 505},
      {"just after the stay", kTaskbarBottom, 3505, NotifierState::waiting, bottom_shown, 3505 + 3000 + 505},
      {"disappearing", kTaskbarBottom, 3600, NotifierState::disappearing, bottom_shown, 3600 + 3000 + 505},
      // 125 steps of 4 ms: the stay ends at 3504.
      {"disappearing sideways", kTaskbarLeft, 3600, NotifierState::disappearing, {60, 600}, 3600 + 3000 + 504},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.when);
    FakeNotifierWindow window(c.screen, 250, 200);
    window.show(L"first");
    window.run_until(c.show_at);
    const int redraws = window.redraws;
    window.show(L"second");
    EXPECT_EQ(window.motion.text(), L"second");
    EXPECT_EQ(window.redraws, redraws + 1);
    EXPECT_EQ(window.motion.state(), c.state_after);
    EXPECT_EQ(window.placed.at, c.at_after);
    EXPECT_EQ(window.run_until_hidden(), c.hidden_at);
  }
}

TEST(NotifierTicks, StrayTicksAndRepeatedHoversChangeNothing) {
  FakeNotifierWindow window(kTaskbarBottom, 250, 200);
  EXPECT_TRUE(window.motion.timer(kSlideInTimer).empty()) << "never started";
  window.show(L"x");
  window.run_until(600);
  for (unsigned id : {kSlideInTimer, kSlideOutTimer, 0u, 4u}) EXPECT_TRUE(window.motion.timer(id).empty()) << id;
  const bool changes[] = {window.motion.set_hovering(true), window.motion.set_hovering(true),
                          window.motion.set_hovering(false), window.motion.set_hovering(false)};
  EXPECT_EQ((std::vector<bool>(changes, changes + 4)), (std::vector<bool>{true, false, true, false}));
}

}  // namespace
}  // namespace tray
