// The pop-up notifier's decisions: on which screen edge the taskbar sits, how the notifier slides
// out of that edge and back, and the state machine that turns show requests, timer ticks and the
// mouse's hovering into what the window must do (start or stop a timer, move, show, hide, redraw).
// CTaskbarNotifier carries the actions out in the order given and feeds every tick back.
//
// Portable, no system calls. One NotifierMotion per notifier window, used from that window's
// thread only.
// Invariants: while shown, the position lies between the start position (just outside the work
// area) and the fully shown one and changes by at most kSlideStep per tick, never past either end;
// a tick of a timer the machine has not started, or has stopped since, changes nothing (a WM_TIMER
// already queued when its timer was killed may still arrive).
#pragma once

#include <string>
#include <vector>

namespace tray {

struct ScreenRect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct ScreenPoint {
  int x, y;
  bool operator==(const ScreenPoint&) const = default;
};

// What the notifier needs to know of the screen, read afresh at every show.
struct ScreenFacts {
  ScreenRect work_area;  // SPI_GETWORKAREA
  int width, height;     // SM_CXSCREEN, SM_CYSCREEN
};

enum class TaskbarEdge { none = 0, top = 1, left = 2, right = 3, bottom = 4 };
enum class NotifierState { hidden = 0, appearing = 1, waiting = 2, disappearing = 3 };

inline constexpr int kSlideStep = 2;  // pixels per tick
inline constexpr unsigned kSlideInTimer = 1;
inline constexpr unsigned kStayTimer = 2;
inline constexpr unsigned kSlideOutTimer = 3;
inline constexpr int kShowTimeMs = 500;
inline constexpr int kStayTimeMs = 3000;
inline constexpr int kHideTimeMs = 500;

// The edge the work area leaves free; with no taskbar in sight (hidden, or none) the bottom.
TaskbarEdge taskbar_edge(const ScreenFacts& screen);

// One slide of a `width` × `height` notifier out of `edge`.
struct SlidePlan {
  TaskbarEdge edge;
  int width, height;
  int steps;             // at least one, however small the window
  int show_interval_ms;  // period of the slide-in timer, at least 1
  int hide_interval_ms;  // period of the slide-out timer, at least 1
  ScreenPoint start;     // just outside the work area
  ScreenPoint shown;     // wholly inside it, against the edge
};
SlidePlan plan_slide(TaskbarEdge edge, const ScreenRect& work_area, int width, int height);

struct NotifierAction {
  enum class Kind { start_timer, stop_timer, place, show_window, hide_window, redraw };
  Kind kind;
  unsigned timer = 0;  // start_timer, stop_timer; starting a running timer restarts it
  int period_ms = 0;   // start_timer
  ScreenPoint at{};    // place: the top-left corner ...
  int width = 0;       // ... and the size
  int height = 0;
  bool operator==(const NotifierAction&) const = default;
};
using NotifierActions = std::vector<NotifierAction>;

class NotifierMotion {
 public:
  // The skin's size; takes effect at the next show from hidden.
  void set_size(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  // Shows `text`: starts the slide when hidden, otherwise replaces the text and keeps the
  // notifier out for the whole stay from now.
  NotifierActions show(std::wstring text, const ScreenFacts& screen);
  NotifierActions timer(unsigned id);
  // The mouse came over the notifier or left it; true when the window must be redrawn.
  bool set_hovering(bool hovering);

  const std::wstring& text() const { return text_; }
  bool hovering() const { return hovering_; }
  NotifierState state() const { return state_; }
  TaskbarEdge edge() const { return plan_.edge; }
  ScreenPoint position() const { return position_; }
  const SlidePlan& plan() const { return plan_; }

 private:
  NotifierActions slide_in_tick();
  NotifierActions slide_out_tick();
  NotifierAction start(unsigned id, int period_ms);
  NotifierAction stop(unsigned id);
  NotifierAction place() const;

  std::wstring text_;
  int width_ = 0;
  int height_ = 0;
  bool hovering_ = false;
  NotifierState state_ = NotifierState::hidden;
  SlidePlan plan_{TaskbarEdge::none, 0, 0, 1, kShowTimeMs, kHideTimeMs, {0, 0}, {0, 0}};
  ScreenPoint position_{0, 0};
  bool running_[4] = {};  // by timer id
};

}  // namespace tray
