#include "tray/notifier_motion.h"

#include <algorithm>
#include <utility>

namespace tray {
namespace {

bool slides_sideways(TaskbarEdge edge) { return edge == TaskbarEdge::left || edge == TaskbarEdge::right; }

// One coordinate moved toward `to` by at most a step: the last step of a size that is not a
// multiple of the step is shorter, so the slide ends exactly at its end.
int step_toward(int from, int to) {
  if (from < to) return std::min(from + kSlideStep, to);
  return std::max(from - kSlideStep, to);
}

}  // namespace

TaskbarEdge taskbar_edge(const ScreenFacts& screen) {
  const ScreenRect& area = screen.work_area;
  if (area.width() < screen.width) return area.left == 0 ? TaskbarEdge::right : TaskbarEdge::left;
  if (area.height() < screen.height && area.top != 0) return TaskbarEdge::top;
  return TaskbarEdge::bottom;
}

SlidePlan plan_slide(TaskbarEdge edge, const ScreenRect& area, int width, int height) {
  SlidePlan plan{edge, width, height, 1, kShowTimeMs, kHideTimeMs, {0, 0}, {0, 0}};
  // A window smaller than one step still takes one.
  plan.steps = std::max(1, (slides_sideways(edge) ? width : height) / kSlideStep);
  // A window of more than 1000 steps would ask for a period of 0.
  plan.show_interval_ms = std::max(1, kShowTimeMs / plan.steps);
  plan.hide_interval_ms = std::max(1, kHideTimeMs / plan.steps);
  switch (edge) {
    case TaskbarEdge::right:
      plan.start = {area.right, area.bottom - height};
      plan.shown = {area.right - width, plan.start.y};
      break;
    case TaskbarEdge::left:
      plan.start = {area.left - width, area.bottom - height};
      plan.shown = {area.left, plan.start.y};
      break;
    case TaskbarEdge::top:
      plan.start = {area.right - width, area.top - height};
      plan.shown = {plan.start.x, area.top};
      break;
    case TaskbarEdge::bottom:
    case TaskbarEdge::none:
      plan.start = {area.right - width, area.bottom};
      plan.shown = {plan.start.x, area.bottom - height};
      break;
  }
  return plan;
}

void NotifierMotion::set_size(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
}

bool NotifierMotion::set_hovering(bool hovering) { return std::exchange(hovering_, hovering) != hovering; }

NotifierActions NotifierMotion::show(std::wstring text, const ScreenFacts& screen) {
  text_ = std::move(text);
  switch (state_) {
    case NotifierState::hidden:
      plan_ = plan_slide(taskbar_edge(screen), screen.work_area, width_, height_);
      position_ = plan_.start;
      // Placed before it is shown, so that it never flashes where it was last.
      return {place(), {NotifierAction::Kind::show_window}, start(kSlideInTimer, plan_.show_interval_ms)};
    case NotifierState::appearing:
      return {{NotifierAction::Kind::redraw}};
    case NotifierState::waiting: {
      // The stay may just have ended and the slide-out timer not ticked yet: stopped, or it would
      // slide the notifier away during the new stay.
      NotifierActions actions{{NotifierAction::Kind::redraw}};
      if (running_[kSlideOutTimer]) actions.push_back(stop(kSlideOutTimer));
      actions.push_back(start(kStayTimer, kStayTimeMs));
      return actions;
    }
    case NotifierState::disappearing: {
      // Back out at once along the edge it slides on; the slide-out starts anew after the stay.
      const ScreenPoint shown = plan_slide(plan_.edge, screen.work_area, plan_.width, plan_.height).shown;
      if (slides_sideways(plan_.edge))
        position_.x = shown.x;
      else
        position_.y = shown.y;
      return {stop(kSlideOutTimer), start(kStayTimer, kStayTimeMs), place(), {NotifierAction::Kind::redraw}};
    }
  }
  return {};
}

NotifierActions NotifierMotion::timer(unsigned id) {
  if (id >= std::size(running_) || !running_[id]) return {};
  switch (id) {
    case kSlideInTimer:
      return slide_in_tick();
    case kStayTimer:
      return {stop(kStayTimer), start(kSlideOutTimer, plan_.hide_interval_ms)};
    case kSlideOutTimer:
      return slide_out_tick();
  }
  return {};
}

NotifierActions NotifierMotion::slide_in_tick() {
  state_ = NotifierState::appearing;
  if (position_ != plan_.shown) {
    position_ = {step_toward(position_.x, plan_.shown.x), step_toward(position_.y, plan_.shown.y)};
    return {place()};
  }
  state_ = NotifierState::waiting;
  return {stop(kSlideInTimer), start(kStayTimer, kStayTimeMs), place()};
}

NotifierActions NotifierMotion::slide_out_tick() {
  state_ = NotifierState::disappearing;
  if (position_ != plan_.start) {
    position_ = {step_toward(position_.x, plan_.start.x), step_toward(position_.y, plan_.start.y)};
    return {place()};
  }
  state_ = NotifierState::hidden;
  NotifierAction collapse{NotifierAction::Kind::place};  // out of the way, 0 × 0, once hidden
  return {stop(kSlideOutTimer), {NotifierAction::Kind::hide_window}, collapse};
}

NotifierAction NotifierMotion::start(unsigned id, int period_ms) {
  running_[id] = true;
  return {NotifierAction::Kind::start_timer, id, period_ms};
}

NotifierAction NotifierMotion::stop(unsigned id) {
  running_[id] = false;
  return {NotifierAction::Kind::stop_timer, id};
}

NotifierAction NotifierMotion::place() const {
  return {NotifierAction::Kind::place, 0, 0, position_, plan_.width, plan_.height};
}

}  // namespace tray
